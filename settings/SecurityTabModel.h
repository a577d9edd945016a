// The General page's state and rules: the names box, the slack radio pair, the start-up box,
// the verify box and the overwrite count text. The Win32 page CSecurityTab binds its controls to
// this model.
#pragma once

#include "settings/SecurityTabRes.h"

#include <cstdint>
#include <string>

namespace bw {

class CSettings;

class CSecurityTabModel {
public:
  bool CleanFileNames = false;      ///< check box IDC_CLEAN_FILE_NAMES
  bool StartWithWindows = false;    ///< check box IDC_START_WITH_WINDOWS
  bool VerifyAfterCleaning = false; ///< check box IDC_VERIFY_AFTER_CLEANING
  /// The slack radio pair: 0 QUICK (IDC_SLACK_QUICK), 1 STANDARD (IDC_SLACK_STANDARD), -1
  /// neither (a value no radio stands for was stored).
  int SlackRadio = 0;

  /// Open: the controls from the settings, and the overwrite text.
  void Open(const CSettings& settings);

  /// Confirm: the controls into the settings. With neither radio checked SlackMode keeps its
  /// value.
  void Confirm(CSettings& settings) const;

  /// After the Advanced Overwrites dialog, whatever it returned: the text follows the count.
  void RefreshOverwriteText(const CSettings& settings);

  /// Static IDC_OVERWRITES_TEXT: "1 overwrite", "3 overwrites".
  const std::string& OverwriteText() const { return _overwriteText; }
  static std::string OverwriteText(int32_t count);

private:
  std::string _overwriteText;
};

} // namespace bw
