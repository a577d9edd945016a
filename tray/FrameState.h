// What the tray program's hidden main window is doing, and the rules by which it takes on work.
// Every job runs as a modal window opened from one of the frame's handlers, one at a time; the
// busy state is the only guard, since the jobs pump messages and the handlers run re-entrantly
// inside them. The window binds these rules to its messages; it decides nothing itself.
#pragma once

#include "engine/CleaningJob.h"
#include "engine/WipeMarker.h"

#include <cstdint>
#include <string>

namespace bw {

class ISystem;

/// The frame's busy state; the numbers are the ones the system has always used.
enum class BusyState : uint8_t {
  Idle = 0,
  About = 1,
  Configuration = 2,
  Zapping = 3,
  Cleaning = 4, ///< requested (confirmation, countdown) or running
  Shutdown = 5, ///< the System Shutdown dialog is open
};

/// What the frame does with a command word that reached it.
enum class RemoteAction {
  EndProgram,         ///< code 100: destroy the window, whatever runs
  BringDialogToFront, ///< busy: the command is dropped
  Zap,                ///< code 1: read the Selections, warn, zap
  ConfirmCleaning,    ///< code 2: post the Close All Programs confirmation for TargetDriveText
  Configure,          ///< code 4: add the tray icon again, open the sheet
  StartViewer,        ///< code 3: start the drive viewer for one drive
  Ignore,             ///< any other code
};

/// The mouse messages of the tray icon's notification (WM_*).
constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmLButtonDblClk = 0x0203;
constexpr uint32_t kWmRButtonDown = 0x0204;
/// The id of the tray icon (its icon resource).
constexpr uint32_t kTrayIconId = 139;

/// What a click on the tray icon does.
enum class TrayAction { Ignore, BringDialogToFront, ShowMenu, OpenConfiguration };

/// What the low-disk-space warning watch (timer 2) does at a tick.
enum class WarningWatchStep {
  Stop,          ///< kill the timer (and clear the marker when it was set)
  CloseWarnings, ///< close the system's warning and answer its "Wait" prompt
};

/// The last free-space wipe's notice lasts this long; the system's warning comes within it.
constexpr int64_t kWarningWatchSeconds = 20;

/// The watch at a tick: stop when no wipe happened, or 20 s or more after it.
WarningWatchStep WarningWatch(bool markerSet, int64_t secondsSinceWipe);
/// The same at the system's local time now, for the marker a wipe left.
WarningWatchStep WarningWatch(ISystem& system, const CWipeMarker& marker);

/// The frame's state: busy, the next or running job's mode and drives, the shut-down pending
/// flag. Each operation is one step of a frame handler; a true result tells the handler to go
/// on to the next step (post the message, open the dialog).
class CFrameState {
public:
  BusyState Busy() const { return _busy; }
  /// The running or next job's mode; 0 (none) between jobs.
  int Mode() const { return _mode; }
  const std::string& TargetDriveText() const { return _target; }
  bool ShutdownPending() const { return _shutdownPending; }

  /// A click on the tray icon: while busy, the open window comes to the front.
  TrayAction TrayClick(uint32_t iconId, uint32_t mouseMessage) const;

  /// A command word from another program. Busy states and the target change as the command
  /// starts; letter gets the drive of codes 2 and 3.
  RemoteAction Dispatch(uint32_t word, char& letter);

  void OpenAbout() { _busy = BusyState::About; }
  void AboutClosed() { _busy = BusyState::Idle; }

  void OpenConfiguration() { _busy = BusyState::Configuration; }
  /// The sheet closed. With its clean-now flag and drives to clean, a cleaning is requested
  /// (true: post the confirmation); otherwise the frame is idle again (false: re-arm the
  /// schedule).
  bool ConfigurationClosed(bool cleanNow, const std::string& selectedDrives);

  void ZapEnded() { _busy = BusyState::Idle; }

  void OpenShutdown() { _busy = BusyState::Shutdown; }
  /// The System Shutdown dialog closed: with OK and drives selected, the shut-down cleaning
  /// (mode 3) is queued (true: post the job).
  bool ShutdownClosed(bool ok, const std::string& selectedDrives);

  /// The Close All Programs confirmation closed: OK makes an interactive job (true: post the
  /// job), Cancel ends the request.
  bool ConfirmationClosed(bool ok);

  /// A schedule check found a cleaning due: only when idle and with drives to clean does the
  /// countdown open (true).
  bool ScheduledCleaningDue(const std::string& selectedDrives);
  /// The countdown closed: OK makes a scheduled job (true: post the job).
  bool CountdownClosed(bool ok);

  /// The job has ended: the frame is idle, no mode.
  void JobEnded();

  /// A log-off notice with CleanAtLogout as given: true when a log-off cleaning is to be
  /// offered for the selected drives (not while a shut-down cleaning is pending, not without
  /// drives). The handler then asks, and calls LogoffConfirmed or LogoffDeclined.
  bool LogoffCleaningWanted(bool cleanAtLogout, const std::string& selectedDrives);
  void LogoffConfirmed() { _mode = static_cast<int>(JobMode::Logoff); }
  void LogoffDeclined() { _busy = BusyState::Idle; }
  /// The end of every log-off notice.
  void LogoffNoticeEnded() { _shutdownPending = false; }

private:
  BusyState _busy = BusyState::Idle;
  int _mode = 0;
  std::string _target;
  bool _shutdownPending = false;
};

} // namespace bw
