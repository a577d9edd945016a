// The tray program's one top-level window: never shown, met by the user as the tray icon, and
// the single dispatcher of work. Its decisions are the tested rules of CFrameState and the
// schedule timer; this class binds them to messages.
#pragma once

#include "engine/WipeMarker.h"
#include "platform/Platform.h"
#include "platform/win32/Win32.h"
#include "settings/Settings.h"
#include "tray/FrameState.h"
#include "tray/TrayJobLock.h"
#include "ui/Dialog.h"
#include "ui/ToolbarMenu.h"
#include "ui/Window.h"

#include <memory>
#include <string>

namespace bw {

/// The class and title by which the other programs find this window.
inline constexpr const char* kMainFrameClass = "AfxFrameOrView42s";

class CMainFrame {
public:
  CMainFrame(IPlatform& platform, std::string programFolder);
  /// Makes the hidden window; false when that failed (start-up then ends).
  bool Create(HINSTANCE instance);
  HWND Handle() const { return _window; }

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  bool TrayIcon(DWORD action);
  void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
  void OnCommand(int id);
  void OnRemoteCommand(uint32_t word);
  void OpenConfiguration();
  void OpenShutdown();
  void ConfirmCleaning();
  void RunCleaningJob();
  /// Code 1: the Selections key's paths, the File Destruction Warning and, on Yes, the zap.
  void RunZap();
  bool OnQueryEndSession();
  void ArmScheduleTimer(bool afterJob);
  void OnScheduleTick();
  void OnWarningWatchTick();
  /// Runs dialog modally from resource id as the activity in progress, so that clicks and
  /// commands while it is open bring it to the front.
  INT_PTR RunAsCurrent(ui::CDialog& dialog, int id);
  void StartViewer(const std::vector<std::string>& arguments);
  void ShowAbout();
  void BringCurrentDialogToFront();
  int MessageBox(const char* text, const char* caption, UINT style);
  /// The machine's job lock for a job of this program, into _jobLock; false (after telling a
  /// user who asked) while another process's job holds it.
  bool TakeJobLock(JobRequester requester);

  IPlatform& _platform;
  std::string _programFolder;
  HINSTANCE _instance = nullptr;
  HWND _window = nullptr;
  HICON _icon = nullptr;
  ui::CWindow* _currentDialog = nullptr; ///< the modal window of the activity in progress
  UINT_PTR _scheduleTimer = 0;
  CFrameState _state;
  CSettings _settings;
  CWipeMarker _wipeMarker;      ///< set by a free-space wipe: watch for the system's notices
  bool _logOffCleaning = false; ///< a log-off cleaning runs: answer the "not responding" prompt
  ui::CToolbarMenu _menu;
  /// Held from a cleaning's confirmation or countdown (or a zap's warning) to the job's end, so
  /// that no other program's job runs meanwhile; empty between jobs.
  std::unique_ptr<CJobLock> _jobLock;
};

} // namespace bw
