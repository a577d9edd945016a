#include "settings/BaseSheetModel.h"

namespace bw {

void CBaseSheetModel::ShowPage(Page page, IPlatform& platform, const CSettings& settings) {
  if (_shown[page])
    return;
  _shown[page] = true;
  switch (page) {
  case kSchedulePage:
    Schedule.Load(platform, settings);
    break;
  case kGeneralPage:
    General.Open(settings);
    break;
  case kTempFilesPage:
    TempFiles.Open(settings);
    break;
  }
}

void CBaseSheetModel::Confirm(CSettings& settings) {
  if (_shown[kSchedulePage])
    Schedule.Save(settings);
  if (_shown[kGeneralPage])
    General.Confirm(settings);
  if (_shown[kTempFilesPage])
    TempFiles.Confirm(settings);
}

} // namespace bw
