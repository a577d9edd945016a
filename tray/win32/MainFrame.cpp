#include "tray/win32/MainFrame.h"

#include "engine/CleaningDialogRes.h"
#include "engine/LeftoverCleanup.h"
#include "engine/OverwritePasses.h"
#include "settings/Schedule.h"
#include "settings/win32/BaseSheet.h"
#include "tray/RemoteCommand.h"
#include "tray/ScheduleTimer.h"
#include "tray/Selections.h"
#include "tray/ShutdownContinuation.h"
#include "tray/win32/BaseRes.h"
#include "tray/win32/CleaningDialog.h"
#include "tray/win32/CloseAllProgramsDialog.h"
#include "tray/win32/ScheduledCleaningDialog.h"
#include "tray/win32/ShutdownDialog.h"
#include "tray/win32/ShutdownSystem.h"
#include "tray/win32/ZapProgressDialog.h"
#include "tray/win32/ZapWarningDialog.h"
#include "ui/AboutBox.h"
#include "zap/ZapProgressRes.h"

namespace bw {
namespace {

constexpr UINT kTrayNotify = WM_USER + 1;
constexpr UINT kRemoteCommand = WM_USER + 2;
constexpr UINT kConfirmCleaning = WM_USER + 4;
constexpr UINT kRunCleaningJob = WM_USER + 6;
constexpr UINT_PTR kScheduleTimerId = 1;
constexpr UINT_PTR kWarningWatchTimerId = 2;
constexpr UINT kWarningWatchInterval = 1000;
constexpr const char* kViewerProgram = "Blankwright Drive Viewer.exe";

// A box owned by the frame, for the start-up clean-up's questions.
class CFrameBox final : public IMessageBox {
public:
  explicit CFrameBox(HWND owner) : _owner(owner) {}
  int Show(const std::string& text, const std::string& caption, uint32_t style) override {
    return ::MessageBoxA(_owner, text.c_str(), caption.c_str(), style);
  }

private:
  HWND _owner;
};

} // namespace

CMainFrame::CMainFrame(IPlatform& platform, std::string programFolder)
    : _platform(platform), _programFolder(std::move(programFolder)) {}

bool CMainFrame::Create(HINSTANCE instance) {
  _instance = instance;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY));
  windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
  windowClass.lpszClassName = kMainFrameClass;
  if (!::RegisterClassA(&windowClass))
    return false;
  // The rectangle (100, 100)-(200, 200) and the style are the window's identity as it has
  // always been made; it is never shown.
  return ::CreateWindowExA(0, kMainFrameClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW, 100, 100, 100,
                           100, nullptr, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK CMainFrame::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
  CMainFrame* frame = nullptr;
  if (message == WM_NCCREATE) {
    frame = static_cast<CMainFrame*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    frame->_window = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
  } else {
    frame = reinterpret_cast<CMainFrame*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  if (!frame)
    return ::DefWindowProcA(window, message, wParam, lParam);
  return frame->OnMessage(message, wParam, lParam);
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CREATE:
    OnCreate();
    return 0;
  case WM_DESTROY:
    TrayIcon(NIM_DELETE);
    if (_scheduleTimer)
      ::KillTimer(_window, kScheduleTimerId);
    // The process ends here, at once: nothing of it is to outlive the window others find.
    ::ExitProcess(0);
  case WM_CLOSE:
    // The shut-down path and a removal program close this window on their way: no box, which
    // would hold up an unattended shut-down.
    ::DestroyWindow(_window);
    return 0;
  case WM_COMMAND:
    OnCommand(LOWORD(wParam));
    return 0;
  case WM_MEASUREITEM:
    if (_menu.MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
      return TRUE;
    break;
  case WM_DRAWITEM:
    if (_menu.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
      return TRUE;
    break;
  case kTrayNotify:
    OnTrayNotify(wParam, lParam);
    return 0;
  case WM_COPYDATA: {
    // Queue the command so that its sender is released before a long job starts.
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data)
      ::PostMessageA(_window, kRemoteCommand, 0, static_cast<LPARAM>(data->dwData));
    return TRUE;
  }
  case kRemoteCommand:
    OnRemoteCommand(static_cast<uint32_t>(lParam));
    return 0;
  case kConfirmCleaning:
    ConfirmCleaning();
    return 0;
  case kRunCleaningJob:
    RunCleaningJob();
    return 0;
  case WM_TIMER:
    if (wParam == kScheduleTimerId)
      OnScheduleTick();
    else if (wParam == kWarningWatchTimerId)
      OnWarningWatchTick();
    return 0;
  case WM_TIMECHANGE:
    ArmScheduleTimer(false);
    return 0;
  case WM_QUERYENDSESSION:
    return OnQueryEndSession() ? TRUE : FALSE;
  default:
    break;
  }
  return ::DefWindowProcA(_window, message, wParam, lParam);
}

void CMainFrame::OnCreate() {
  _icon = ::LoadIconA(_instance, MAKEINTRESOURCEA(IDI_TRAY));
  _menu.Load(_instance, IDR_MAINFRAME);
  TrayIcon(NIM_ADD);
  _settings.Load(_platform);
  ArmScheduleTimer(false);
  // Another program's job running now owns the leftovers it is making: they are left to it.
  CFrameBox box(_window);
  if (TakeJobLock(JobRequester::Unattended))
    CleanUpLeftovers(_platform, _settings, box);
  _jobLock.reset();
}

bool CMainFrame::TakeJobLock(JobRequester requester) {
  CFrameBox box(_window);
  return TakeTrayJobLock(_platform.System(), box, requester, _jobLock);
}

bool CMainFrame::TrayIcon(DWORD action) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = _window;
  data.uID = kTrayIconId;
  if (action == NIM_ADD) {
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayNotify;
    data.hIcon = _icon;
    lstrcpynA(data.szTip, "Blankwright Configuration", sizeof(data.szTip));
  }
  return ::Shell_NotifyIconA(action, &data) != FALSE;
}

void CMainFrame::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
  switch (_state.TrayClick(static_cast<uint32_t>(iconId), static_cast<uint32_t>(mouseMessage))) {
  case TrayAction::BringDialogToFront:
    BringCurrentDialogToFront();
    break;
  case TrayAction::ShowMenu: {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(_window);
    ::TrackPopupMenu(_menu.Popup(), 0, cursor.x, cursor.y, 0, _window, nullptr);
    break;
  }
  case TrayAction::OpenConfiguration:
    OnCommand(ID_CONFIGURATION);
    break;
  case TrayAction::Ignore:
    break;
  }
}

void CMainFrame::OnCommand(int id) {
  switch (id) {
  case ID_APP_ABOUT:
    ShowAbout();
    break;
  case ID_SCAN_DRIVES:
    StartViewer({});
    break;
  case ID_HELP_INDEX:
    ::WinHelpA(_window, (_programFolder + "Blankwright Base.hlp").c_str(), HELP_CONTEXT,
               0x10000 + ID_HELP_INDEX);
    break;
  case ID_APP_EXIT:
    ::DestroyWindow(_window);
    break;
  case ID_CONFIGURATION:
    OpenConfiguration();
    break;
  case ID_SHUTDOWN:
    OpenShutdown();
    break;
  default:
    break;
  }
}

INT_PTR CMainFrame::RunAsCurrent(ui::CDialog& dialog, int id) {
  ui::CWindow* outer = _currentDialog;
  _currentDialog = &dialog;
  INT_PTR result = dialog.DoModal(_instance, id, nullptr);
  _currentDialog = outer;
  return result;
}

void CMainFrame::OpenConfiguration() {
  _state.OpenConfiguration();
  bool cleanNow = false;
  {
    CBaseSheet sheet(_instance, _platform, _settings, _programFolder);
    ui::CWindow* outer = _currentDialog;
    _currentDialog = &sheet;
    if (sheet.Run())
      _settings.Save(_platform);
    _currentDialog = outer;
    cleanNow = sheet.CleanNow();
  }
  if (_state.ConfigurationClosed(cleanNow, _settings.SelectedDrivesText()))
    ::PostMessageA(_window, kConfirmCleaning, 0, 0);
  else
    ArmScheduleTimer(false);
}

void CMainFrame::OpenShutdown() {
  _state.OpenShutdown();
  CShutdownDialog dialog(_instance, _platform, _settings);
  bool ok = RunAsCurrent(dialog, IDD_SHUTDOWN) == IDOK;
  if (ok)
    _settings.Save(_platform);
  if (_state.ShutdownClosed(ok, _settings.SelectedDrivesText()))
    ::PostMessageA(_window, kRunCleaningJob, 0, 0);
}

void CMainFrame::ConfirmCleaning() {
  // Asked before the confirmation, so that nobody closes their programs for nothing.
  if (!TakeJobLock(JobRequester::User)) {
    _state.ConfirmationClosed(false);
    return;
  }
  CCloseAllProgramsDialog dialog(_state.TargetDriveText());
  if (_state.ConfirmationClosed(RunAsCurrent(dialog, IDD_CLOSE_PROGRAMS) == IDOK))
    ::PostMessageA(_window, kRunCleaningJob, 0, 0);
  else
    _jobLock.reset();
}

void CMainFrame::RunCleaningJob() {
  // The confirmation or the countdown took the lock already; a shut-down cleaning takes it now.
  if (!_jobLock && !TakeJobLock(RequesterOf(static_cast<JobMode>(_state.Mode())))) {
    _state.JobEnded();
    return;
  }
  if (_scheduleTimer) {
    ::KillTimer(_window, kScheduleTimerId);
    _scheduleTimer = 0;
  }
  {
    CCleaningDialog dialog(_instance, _platform, _settings, _wipeMarker,
                           static_cast<JobMode>(_state.Mode()), _state.TargetDriveText(),
                           _logOffCleaning);
    _currentDialog = &dialog;
    dialog.Run();
    _currentDialog = nullptr;
    _settings.Save(_platform);
    // A shut-down cleaning that cleaned its last drive goes on to shut the system down.
    if (_state.Mode() == static_cast<int>(JobMode::Shutdown) &&
        dialog.GetDriveStatus() == DriveStatus::Ok) {
      CShutdownSystem system(_instance);
      CFrameBox box(_window);
      ContinueShutdown(_platform, _settings, system, box, "Blankwright Base");
    }
  }
  _jobLock.reset();
  if (_wipeMarker.Flag)
    ::SetTimer(_window, kWarningWatchTimerId, kWarningWatchInterval, nullptr);
  _state.JobEnded();
  ArmScheduleTimer(true);
}

void CMainFrame::RunZap() {
  std::vector<std::string> selections;
  CFrameBox box(_window);
  // The selections are read (and so removed) even when the zap cannot run, so that none is
  // left for a later zap.
  if (ReadSelections(_platform.Registry(), box, selections) && TakeJobLock(JobRequester::User)) {
    CZapWarningDialog warning(_instance, selections, PassCount(_settings.OverwriteCount));
    if (CZapWarningModel::GoesAhead(RunAsCurrent(warning, kZapWarningDialog))) {
      CZapProgressDialog progress(_instance, _platform, _settings, std::move(selections));
      RunAsCurrent(progress, IDD_ZAP_PROGRESS);
    }
  }
  _jobLock.reset();
  _state.ZapEnded();
}

bool CMainFrame::OnQueryEndSession() {
  // A log-off notice can come while a job of this program runs; the lock it holds is this
  // thread's own and does not keep the log-off cleaning out, as it never did.
  std::unique_ptr<CJobLock> lock;
  CFrameBox box(_window);
  if (_state.LogoffCleaningWanted(_settings.CleanAtLogout != 0, _settings.SelectedDrivesText()) &&
      TakeTrayJobLock(_platform.System(), box, RequesterOf(JobMode::Logoff), lock)) {
    CCloseAllProgramsDialog confirmation(_state.TargetDriveText());
    if (RunAsCurrent(confirmation, IDD_CLOSE_PROGRAMS) == IDOK) {
      _state.LogoffConfirmed();
      _logOffCleaning = true;
      CCleaningDialog dialog(_instance, _platform, _settings, _wipeMarker, JobMode::Logoff,
                             _state.TargetDriveText(), true);
      ui::CWindow* outer = _currentDialog;
      _currentDialog = &dialog;
      dialog.Run();
      _currentDialog = outer;
      _settings.Save(_platform);
      _platform.Desktop().PressWaitButton(true);
      _logOffCleaning = false;
    } else {
      _state.LogoffDeclined();
    }
  }
  // The log-off goes on, whatever happened here.
  _state.LogoffNoticeEnded();
  return true;
}

void CMainFrame::OnRemoteCommand(uint32_t word) {
  char letter = 0;
  switch (_state.Dispatch(word, letter)) {
  case RemoteAction::EndProgram:
    ::DestroyWindow(_window);
    break;
  case RemoteAction::BringDialogToFront:
    BringCurrentDialogToFront();
    break;
  case RemoteAction::StartViewer:
    StartViewer({std::string(1, letter)});
    break;
  case RemoteAction::Configure:
    TrayIcon(NIM_ADD);
    OpenConfiguration();
    break;
  case RemoteAction::Zap:
    RunZap();
    break;
  case RemoteAction::ConfirmCleaning:
    ::PostMessageA(_window, kConfirmCleaning, 0, 0);
    break;
  case RemoteAction::Ignore:
    break;
  }
}

void CMainFrame::ArmScheduleTimer(bool afterJob) {
  if (_scheduleTimer)
    ::KillTimer(_window, kScheduleTimerId);
  LocalTime now = _platform.System().GetLocalTime();
  _scheduleTimer = ::SetTimer(_window, kScheduleTimerId,
                              ScheduleTimerInterval(now.Minute, now.Second, afterJob), nullptr);
}

void CMainFrame::OnScheduleTick() {
  LocalTime now = _platform.System().GetLocalTime();
  _scheduleTimer =
      ::SetTimer(_window, kScheduleTimerId, ScheduleTickInterval(now.Minute, now.Second), nullptr);
  if (_state.Busy() != BusyState::Idle || !ScheduledCleaningDue(_settings, now))
    return;
  if (!_state.ScheduledCleaningDue(_settings.SelectedDrivesText()))
    return;
  if (!TakeJobLock(JobRequester::Unattended)) {
    _state.CountdownClosed(false);
    return;
  }
  CScheduledCleaningDialog countdown(_state.TargetDriveText());
  if (_state.CountdownClosed(RunAsCurrent(countdown, IDD_SCHEDULED_CLEANING) == IDOK))
    ::PostMessageA(_window, kRunCleaningJob, 0, 0);
  else
    _jobLock.reset();
}

void CMainFrame::OnWarningWatchTick() {
  if (WarningWatch(_platform.System(), _wipeMarker) == WarningWatchStep::Stop) {
    _wipeMarker.Flag = false;
    ::KillTimer(_window, kWarningWatchTimerId);
    return;
  }
  _platform.Desktop().CloseLowSpaceWarning();
  _platform.Desktop().PressWaitButton(_logOffCleaning);
}

void CMainFrame::StartViewer(const std::vector<std::string>& arguments) {
  if (!_platform.WindowCommands().Start(_programFolder + kViewerProgram, arguments))
    MessageBox("Unable to locate file Blankwright Drive Viewer.exe.  Reinstall Blankwright.",
               "File not Found", MB_OK | MB_ICONERROR);
}

void CMainFrame::ShowAbout() {
  _state.OpenAbout();
  ui::CAboutBox about("Blankwright");
  RunAsCurrent(about, IDD_ABOUTBOX);
  _state.AboutClosed();
}

void CMainFrame::BringCurrentDialogToFront() {
  if (_currentDialog && _currentDialog->IsValid())
    _currentDialog->BringToFront();
}

int CMainFrame::MessageBox(const char* text, const char* caption, UINT style) {
  return ::MessageBoxA(_window, text, caption, style);
}

} // namespace bw
