// CSecurityTab: the General page (overwrite count and its Advanced dialog, names, slack mode,
// start with Windows, the desktop zap icon, verify after cleaning), bound to CSecurityTabModel.
#pragma once

#include "settings/BaseSheetModel.h"
#include "ui/PropertySheet.h"

#include <string>

namespace bw {

class CSettings;
class IPlatform;

class CSecurityTab final : public ui::CPropertyPage {
public:
  CSecurityTab(HINSTANCE instance, IPlatform& platform, CSettings& settings, CBaseSheetModel& sheet,
               std::string programFolder);

private:
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  bool OnApply() override;
  void Pull();

  HINSTANCE _instance;
  IPlatform& _platform;
  CSettings& _settings;
  CBaseSheetModel& _sheet;
  std::string _programFolder;
};

} // namespace bw
