#include "settings/SecurityTabModel.h"

#include "settings/Settings.h"

namespace bw {

std::string CSecurityTabModel::OverwriteText(int32_t count) {
  return std::to_string(count) + (count == 1 ? " overwrite" : " overwrites");
}

void CSecurityTabModel::Open(const CSettings& settings) {
  CleanFileNames = settings.CleanFileNames != 0;
  StartWithWindows = settings.StartWithWindows != 0;
  VerifyAfterCleaning = settings.VerifyAfterCleaning != 0;
  SlackRadio = settings.SlackMode == 0 || settings.SlackMode == 1 ? settings.SlackMode : -1;
  RefreshOverwriteText(settings);
}

void CSecurityTabModel::Confirm(CSettings& settings) const {
  settings.CleanFileNames = CleanFileNames ? 1 : 0;
  settings.StartWithWindows = StartWithWindows ? 1 : 0;
  settings.VerifyAfterCleaning = VerifyAfterCleaning ? 1 : 0;
  if (SlackRadio == 0 || SlackRadio == 1)
    settings.SlackMode = SlackRadio;
}

void CSecurityTabModel::RefreshOverwriteText(const CSettings& settings) {
  _overwriteText = OverwriteText(settings.OverwriteCount);
}

} // namespace bw
