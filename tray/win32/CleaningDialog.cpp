#include "tray/win32/CleaningDialog.h"

#include "engine/CleaningDialogRes.h"
#include "settings/Settings.h"
#include "tray/win32/BaseRes.h"
#include "tray/win32/CleaningReportDialog.h"
#include "ui/Controls.h"
#include "viewer/CleanCheck.h"
#include "viewer/UpdatePacing.h"

namespace bw {
namespace {

constexpr UINT kRunJob = WM_USER + 7;

} // namespace

// The check after the job, in the job's dialog: its phase line and bar show how far the check
// has read, and Cancel and the close box stop the check (the cleaning is over by then).
class CCleaningDialog::CVerification final : public IJobControl, public ICleanCheckProgress {
public:
  explicit CVerification(CCleaningDialog& dialog) : _dialog(dialog) {}

  void OnCancel() override {
    if (_dialog.MessageBox("Are you sure you want to stop verifying?", "Abort",
                           MB_YESNO | MB_ICONQUESTION) == IDYES)
      _stopped = true;
  }
  void OnClose() override { _stopped = true; }
  bool IsRunning() const override { return !_stopped; }

  void CheckingDrive(char letter) override {
    _dialog.SetProcessText(std::string("Verifying drive ") + letter + ":");
    _dialog.SetDetailText("");
  }
  void SetProgress(int percent) override { _dialog.SetProgress(percent); }
  bool PumpMessage() override {
    // The scan offers a message after every cluster; the queue is looked at once a tick.
    if (_pacing.Due(::GetTickCount()))
      _dialog.PumpMessage();
    return _stopped;
  }

private:
  CCleaningDialog& _dialog;
  CUpdatePacing _pacing{kScanPumpMilliseconds};
  bool _stopped = false;
};

CCleaningDialog::CCleaningDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                                 CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                                 bool logOffCleaning)
    : CJobDialog({IDC_CLEANING_PROGRESS, IDC_CLEANING_ANIMATION, IDC_CLEANING_CANCEL, kRunJob}),
      _instance(instance), _platform(platform), _settings(settings), _mode(mode),
      _driveListText(std::move(driveListText)),
      _job(platform, settings, *this, wipeMarker, mode, _driveListText, logOffCleaning) {}

INT_PTR CCleaningDialog::Run(HWND parent) {
  return DoModal(_instance, IDD_CLEANING, parent);
}

IJobControl& CCleaningDialog::Job() {
  if (_verification)
    return *_verification;
  return _job;
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

std::string CCleaningDialog::Verify(const std::string& cleaned) {
  if (_settings.VerifyAfterCleaning == 0)
    return {};
  CVerification verification(*this);
  _verification = &verification;
  EnableCancel(true);
  StartAnimation();
  std::vector<CleanCheckDrive> drives =
      CheckCleanDrives(_platform, cleaned, LastPassByte(_settings.OverwriteCount), verification);
  StopAnimation();
  EnableCancel(false);
  _verification = nullptr;
  SetProcessText("");
  return CleanCheckReportText(drives, _settings.CleanFileNames != 0);
}

void CCleaningDialog::ShowCompleteReport(const std::string& cleaned) {
  std::string verified = Verify(cleaned);
  CCleaningReportDialog(_platform.Desktop(), cleaned, {}, verified).Run(_instance, Handle());
}

void CCleaningDialog::ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) {
  std::string verified = Verify(cleaned);
  CCleaningReportDialog(_platform.Desktop(), cleaned, notCleaned, verified)
      .Run(_instance, Handle());
}

} // namespace bw
