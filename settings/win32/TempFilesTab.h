// CTempFilesTab: the Temp Files page (Recycle Bin, and the temp and spool folders to empty,
// each edit enabled while its box is checked), bound to CTempFilesTabModel.
#pragma once

#include "settings/BaseSheetModel.h"
#include "ui/PropertySheet.h"

namespace bw {

class CSettings;
class IPlatform;

class CTempFilesTab final : public ui::CPropertyPage {
public:
  CTempFilesTab(IPlatform& platform, CSettings& settings, CBaseSheetModel& sheet);

private:
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  bool OnApply() override;
  void Pull();
  void Enable();

  IPlatform& _platform;
  CSettings& _settings;
  CBaseSheetModel& _sheet;
};

} // namespace bw
