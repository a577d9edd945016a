// The Advanced Overwrites dialog's state and rules: five levels, each a number of overwrite
// passes. The setting stores the pass count, not the level. The Win32 dialog
// CAdvancedOverwritesDlg binds its radio group to this model.
#pragma once

#include <array>
#include <cstdint>

namespace bw {

class CSettings;

class CAdvancedOverwritesModel {
public:
  /// Passes per level, LEVEL 1 (index 0) to LEVEL 5.
  static constexpr std::array<int32_t, 5> kLevelCounts = {1, 3, 7, 12, 40};

  /// The radio index whose count is count; -1 for a count no level has.
  static int LevelOf(int32_t count);

  /// The selected radio index, -1 when none is.
  int Selected = -1;

  /// Open: selects the level of OverwriteCount, or none.
  void Open(const CSettings& settings);

  /// OK: OverwriteCount becomes the selected level's count; with none selected it stays.
  void Confirm(CSettings& settings) const;
};

} // namespace bw
