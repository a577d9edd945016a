#include "settings/win32/SecurityTab.h"

#include "settings/win32/AdvancedOverwritesDlg.h"
#include "settings/win32/DesktopShortcut.h"
#include "settings/win32/SheetRes.h"
#include "ui/Controls.h"

namespace bw {

CSecurityTab::CSecurityTab(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                           CBaseSheetModel& sheet, std::string programFolder)
    : CPropertyPage(IDD_SECURITY_TAB), _instance(instance), _platform(platform),
      _settings(settings), _sheet(sheet), _programFolder(std::move(programFolder)) {}

bool CSecurityTab::OnInit() {
  _sheet.ShowPage(CBaseSheetModel::kGeneralPage, _platform, _settings);
  const CSecurityTabModel& model = _sheet.General;
  ui::CCheckBox(Item(IDC_CLEAN_FILE_NAMES)).SetCheck(model.CleanFileNames);
  ui::CCheckBox(Item(IDC_START_WITH_WINDOWS)).SetCheck(model.StartWithWindows);
  ui::CCheckBox(Item(IDC_VERIFY_AFTER_CLEANING)).SetCheck(model.VerifyAfterCleaning);
  ui::CButton(Item(IDC_SLACK_QUICK)).SetCheck(model.SlackRadio == 0);
  ui::CButton(Item(IDC_SLACK_STANDARD)).SetCheck(model.SlackRadio == 1);
  Item(IDC_OVERWRITES_TEXT).SetText(model.OverwriteText());
  return true;
}

void CSecurityTab::Pull() {
  CSecurityTabModel& model = _sheet.General;
  model.CleanFileNames = ui::CCheckBox(Item(IDC_CLEAN_FILE_NAMES)).IsChecked();
  model.StartWithWindows = ui::CCheckBox(Item(IDC_START_WITH_WINDOWS)).IsChecked();
  model.VerifyAfterCleaning = ui::CCheckBox(Item(IDC_VERIFY_AFTER_CLEANING)).IsChecked();
  if (ui::CButton(Item(IDC_SLACK_QUICK)).IsChecked())
    model.SlackRadio = 0;
  else if (ui::CButton(Item(IDC_SLACK_STANDARD)).IsChecked())
    model.SlackRadio = 1;
  else
    model.SlackRadio = -1;
}

bool CSecurityTab::OnCommand(int notifyCode, int id, HWND /*control*/) {
  if (notifyCode != BN_CLICKED)
    return false;
  switch (id) {
  case IDC_ADVANCED:
    CAdvancedOverwritesDlg(_settings).DoModal(_instance, IDD_ADVANCED_OVERWRITES, Handle());
    _sheet.General.RefreshOverwriteText(_settings);
    Item(IDC_OVERWRITES_TEXT).SetText(_sheet.General.OverwriteText());
    return true;
  case IDC_CREATE_SHORTCUT:
    CreateDesktopShortcut(_platform, _programFolder);
    return true;
  default:
    return false;
  }
}

bool CSecurityTab::OnApply() {
  Pull();
  _sheet.General.Confirm(_settings);
  return true;
}

} // namespace bw
