// CBaseSheet: "Blankwright Configuration", the three pages on one modal sheet with OK and Cancel.
// Each page opens from the settings record when first shown, and on OK only the pages that were
// shown write into it; the caller saves the record.
#pragma once

#include "settings/BaseSheetModel.h"
#include "settings/win32/ScheduleTab.h"
#include "settings/win32/SecurityTab.h"
#include "settings/win32/TempFilesTab.h"
#include "ui/PropertySheet.h"

#include <string>

namespace bw {

class CSettings;
class IPlatform;

class CBaseSheet final : public ui::CPropertySheet {
public:
  CBaseSheet(HINSTANCE instance, IPlatform& platform, CSettings& settings,
             const std::string& programFolder);
  /// Runs the sheet; true after OK (also through Clean Selected Drives), false after Cancel.
  bool Run(HWND parent = nullptr);
  /// Set when the sheet was closed through the schedule page's Clean Selected Drives.
  bool CleanNow() const { return _schedule.CleanNow(); }

private:
  HINSTANCE _instance;
  CBaseSheetModel _model;
  CScheduleTab _schedule;
  CSecurityTab _general;
  CTempFilesTab _tempFiles;
};

} // namespace bw
