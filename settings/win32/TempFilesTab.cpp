#include "settings/win32/TempFilesTab.h"

#include "ui/Controls.h"

namespace bw {

CTempFilesTab::CTempFilesTab(IPlatform& platform, CSettings& settings, CBaseSheetModel& sheet)
    : CPropertyPage(IDD_TEMP_FILES_TAB), _platform(platform), _settings(settings), _sheet(sheet) {}

bool CTempFilesTab::OnInit() {
  _sheet.ShowPage(CBaseSheetModel::kTempFilesPage, _platform, _settings);
  const CTempFilesTabModel& model = _sheet.TempFiles;
  ui::CCheckBox(Item(IDC_EMPTY_RECYCLE_BIN)).SetCheck(model.EmptyRecycleBin);
  ui::CCheckBox(Item(IDC_EMPTY_TEMP_FOLDER)).SetCheck(model.EmptyTempFolder);
  ui::CCheckBox(Item(IDC_EMPTY_SPOOL_FOLDER)).SetCheck(model.EmptySpoolFolder);
  Item(IDC_TEMP_FOLDER).SetText(model.TempFolder);
  Item(IDC_SPOOL_FOLDER).SetText(model.SpoolFolder);
  Enable();
  return true;
}

void CTempFilesTab::Pull() {
  CTempFilesTabModel& model = _sheet.TempFiles;
  model.EmptyRecycleBin = ui::CCheckBox(Item(IDC_EMPTY_RECYCLE_BIN)).IsChecked();
  model.EmptyTempFolder = ui::CCheckBox(Item(IDC_EMPTY_TEMP_FOLDER)).IsChecked();
  model.EmptySpoolFolder = ui::CCheckBox(Item(IDC_EMPTY_SPOOL_FOLDER)).IsChecked();
  model.TempFolder = Item(IDC_TEMP_FOLDER).Text();
  model.SpoolFolder = Item(IDC_SPOOL_FOLDER).Text();
}

void CTempFilesTab::Enable() {
  Item(IDC_TEMP_FOLDER).Enable(_sheet.TempFiles.TempFolderEnabled());
  Item(IDC_SPOOL_FOLDER).Enable(_sheet.TempFiles.SpoolFolderEnabled());
}

bool CTempFilesTab::OnCommand(int notifyCode, int id, HWND /*control*/) {
  if (notifyCode != BN_CLICKED || (id != IDC_EMPTY_TEMP_FOLDER && id != IDC_EMPTY_SPOOL_FOLDER))
    return false;
  Pull();
  Enable();
  return true;
}

bool CTempFilesTab::OnApply() {
  Pull();
  _sheet.TempFiles.Confirm(_settings);
  return true;
}

} // namespace bw
