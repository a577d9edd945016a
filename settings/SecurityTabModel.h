// The General page's state and rules: the names box, the slack radio pair, the start-up box
// and the overwrite count text. The Win32 page CSecurityTab binds its controls to this model.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

class CSettings;

class CSecurityTabModel {
public:
  bool CleanFileNames = false;   ///< check box 1000
  bool StartWithWindows = false; ///< check box 1176
  /// The slack radio pair: 0 QUICK (1160), 1 STANDARD (1009), -1 neither (a value no radio
  /// stands for was stored).
  int SlackRadio = 0;

  /// Open: the controls from the settings, and the overwrite text.
  void Open(const CSettings& settings);

  /// Confirm: the controls into the settings. With neither radio checked SlackMode keeps its
  /// value.
  void Confirm(CSettings& settings) const;

  /// After the Advanced Overwrites dialog, whatever it returned: the text follows the count.
  void RefreshOverwriteText(const CSettings& settings);

  /// Static 1049: "1 overwrite", "3 overwrites".
  const std::string& OverwriteText() const { return _overwriteText; }
  static std::string OverwriteText(int32_t count);

private:
  std::string _overwriteText;
};

} // namespace bw
