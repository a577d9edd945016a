#include "tray/win32/CleaningDialog.h"

#include "engine/CleaningDialogRes.h"
#include "tray/win32/BaseRes.h"
#include "tray/win32/CleaningReportDialog.h"
#include "ui/Controls.h"

namespace bw {
namespace {

constexpr UINT kRunJob = WM_USER + 7;

} // namespace

CCleaningDialog::CCleaningDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                                 CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                                 bool logOffCleaning)
    : CJobDialog({IDC_CLEANING_PROGRESS, IDC_CLEANING_ANIMATION, IDC_CLEANING_CANCEL, kRunJob}),
      _instance(instance), _platform(platform), _mode(mode),
      _driveListText(std::move(driveListText)),
      _job(platform, settings, *this, wipeMarker, mode, _driveListText, logOffCleaning) {}

INT_PTR CCleaningDialog::Run(HWND parent) {
  return DoModal(_instance, IDD_CLEANING, parent);
}

bool CCleaningDialog::OnInit() {
  InitControls(_instance, IDA_CLEANING);
  SetProcessText("");
  SetDriveListText(_driveListText);
  BringToFront();
  ShowShutdownIcon(_mode == JobMode::Shutdown);
  return true;
}

COLORREF CCleaningDialog::TextColour(int controlId) const {
  return controlId == IDC_DRIVES ? RGB(128, 0, 0) : CLR_INVALID;
}

void CCleaningDialog::SetDriveListText(const std::string& text) {
  Item(IDC_DRIVES).SetText(text);
}

void CCleaningDialog::SetProcessText(const std::string& text) {
  Item(IDC_CLEANING_PROCESS).SetText(text);
}

void CCleaningDialog::SetDetailText(const std::string& text) {
  Item(IDC_CLEANING_DETAIL).SetText(text);
}

void CCleaningDialog::ShowShutdownIcon(bool visible) {
  Item(IDC_SHUTDOWN_ICON).Show(visible ? SW_SHOW : SW_HIDE);
}

int CCleaningDialog::DetailWidth() {
  RECT box = {};
  ::GetClientRect(Item(IDC_CLEANING_DETAIL), &box);
  return box.right - box.left;
}

int CCleaningDialog::MeasureDetailText(const std::string& text) {
  ui::CWindow detail = Item(IDC_CLEANING_DETAIL);
  HDC context = ::GetDC(detail);
  HGDIOBJ old = ::SelectObject(context, reinterpret_cast<HFONT>(detail.Send(WM_GETFONT)));
  SIZE size = {};
  ::GetTextExtentPoint32A(context, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(context, old);
  ::ReleaseDC(detail, context);
  return size.cx;
}

void CCleaningDialog::ShowCompleteReport(const std::string& cleaned) {
  CCleaningReportDialog(_platform.Desktop(), cleaned).Run(_instance, Handle());
}

void CCleaningDialog::ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) {
  CCleaningReportDialog(_platform.Desktop(), cleaned, notCleaned).Run(_instance, Handle());
}

} // namespace bw
