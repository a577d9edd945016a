// CScheduleTab: the Cleaning Schedule page. Its rules (enabling, spins, focus-leave corrections,
// Clean Selected Drives) are CScheduleTabModel's; the page copies the model into its 49 weekday
// controls and back, and forwards clicks, spins and focus changes.
#pragma once

#include "settings/BaseSheetModel.h"
#include "ui/DriveListBox.h"
#include "ui/PropertySheet.h"

namespace bw {

class CSettings;
class IPlatform;

class CScheduleTab final : public ui::CPropertyPage {
public:
  CScheduleTab(HINSTANCE instance, IPlatform& platform, CSettings& settings, CBaseSheetModel& sheet,
               ui::CPropertySheet& window);
  bool CleanNow() const { return _sheet.Schedule.CleanNow; }

private:
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  bool OnApply() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void Push();
  void Pull();
  void CleanSelectedDrives();

  IPlatform& _platform;
  CSettings& _settings;
  CBaseSheetModel& _sheet;
  ui::CPropertySheet& _window;
  ui::CDriveListBox _drives;
};

} // namespace bw
