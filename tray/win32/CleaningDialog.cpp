#include "tray/win32/CleaningDialog.h"

#include "engine/CleaningDialogRes.h"
#include "tray/win32/BaseRes.h"
#include "tray/win32/CleaningReportDialog.h"
#include "ui/Controls.h"
#include "ui/MessagePump.h"

namespace bw {
namespace {

constexpr UINT kRunJob = WM_USER + 7;

} // namespace

CCleaningDialog::CCleaningDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                                 CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                                 bool logOffCleaning)
    : _instance(instance), _platform(platform), _mode(mode),
      _driveListText(std::move(driveListText)),
      _job(platform, settings, *this, wipeMarker, mode, _driveListText, logOffCleaning) {}

INT_PTR CCleaningDialog::Run(HWND parent) {
  return DoModal(_instance, IDD_CLEANING, parent);
}

bool CCleaningDialog::OnInit() {
  ui::CAnimate(Item(IDC_CLEANING_ANIMATION)).Open(_instance, IDA_CLEANING);
  SetProcessText("");
  ui::CProgressBar progress(Item(IDC_CLEANING_PROGRESS));
  progress.SetRange(0, 100);
  progress.SetPos(0);
  SetDriveListText(_driveListText);
  BringToFront();
  ShowShutdownIcon(_mode == JobMode::Shutdown);
  return true;
}

INT_PTR CCleaningDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SHOWWINDOW:
    Post(kRunJob);
    return FALSE;
  case kRunJob:
    // Every showing posts the request; the job runs once, not again inside itself when the
    // window is hidden and shown while it works.
    if (!_started) {
      _started = true;
      _job.Run();
    }
    return TRUE;
  default:
    return CDialog::OnMessage(message, wParam, lParam);
  }
}

bool CCleaningDialog::OnCommand(int notifyCode, int id, HWND control) {
  if (id == IDC_CLEANING_CANCEL && notifyCode == BN_CLICKED) {
    _job.OnCancel();
    return true;
  }
  // Enter through the dialog manager: Cancel is the only button.
  if (id == IDOK) {
    _job.OnCancel();
    return true;
  }
  return CDialog::OnCommand(notifyCode, id, control);
}

COLORREF CCleaningDialog::TextColour(int controlId) const {
  return controlId == IDC_DRIVES ? RGB(128, 0, 0) : CLR_INVALID;
}

void CCleaningDialog::SetProgress(int percent) {
  ui::CProgressBar(Item(IDC_CLEANING_PROGRESS)).SetPos(percent);
}

void CCleaningDialog::StartAnimation() {
  ui::CAnimate(Item(IDC_CLEANING_ANIMATION)).Play();
}

void CCleaningDialog::StopAnimation() {
  ui::CAnimate(Item(IDC_CLEANING_ANIMATION)).Stop();
}

void CCleaningDialog::EnableCancel(bool enabled) {
  Item(IDC_CLEANING_CANCEL).Enable(enabled);
}

void CCleaningDialog::PumpMessage() {
  ui::PumpOneMessage(&_job);
}

int CCleaningDialog::MessageBox(const std::string& text, const std::string& caption,
                                uint32_t style) {
  return ::MessageBoxA(Handle(), text.c_str(), caption.c_str(), style);
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
