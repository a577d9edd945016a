// The configuration sheet's state and rules: three pages, each opened when first shown, and
// on OK only the pages that were shown write into the settings record.
//
// The settings module keeps the configuration sheet, its pages, the Advanced Overwrites
// dialog and the drive list control as models: state and rules, no windows. The Win32 classes
// keep the system's names (CBaseSheet, CScheduleTab, CSecurityTab, CTempFilesTab,
// CAdvancedOverwritesDlg, CDriveListBox) and each holds its model, copies it into its controls
// and forwards its notifications; the command line drives the same models. The models are
// named after their windows with a Model suffix.
#pragma once

#include "settings/ScheduleTabModel.h"
#include "settings/SecurityTabModel.h"
#include "settings/TempFilesTabModel.h"

#include <array>

namespace bw {

class CSettings;
class IPlatform;

class CBaseSheetModel {
public:
  enum Page { kSchedulePage = 0, kGeneralPage = 1, kTempFilesPage = 2 };

  CScheduleTabModel Schedule;
  CSecurityTabModel General;
  CTempFilesTabModel TempFiles;

  /// A page is shown: the first time, it opens from the settings.
  void ShowPage(Page page, IPlatform& platform, const CSettings& settings);

  bool WasShown(Page page) const { return _shown[page]; }

  /// OK: every page that has been shown writes its values; the others write nothing.
  void Confirm(CSettings& settings);

private:
  std::array<bool, 3> _shown{};
};

} // namespace bw
