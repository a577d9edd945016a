#include "settings/AdvancedOverwritesModel.h"

#include "settings/Settings.h"

namespace bw {

int CAdvancedOverwritesModel::LevelOf(int32_t count) {
  for (size_t i = 0; i < kLevelCounts.size(); ++i)
    if (kLevelCounts[i] == count)
      return static_cast<int>(i);
  return -1;
}

void CAdvancedOverwritesModel::Open(const CSettings& settings) {
  Selected = LevelOf(settings.OverwriteCount);
}

void CAdvancedOverwritesModel::Confirm(CSettings& settings) const {
  if (Selected >= 0 && Selected < static_cast<int>(kLevelCounts.size()))
    settings.OverwriteCount = kLevelCounts[Selected];
}

} // namespace bw
