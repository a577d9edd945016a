#include "tray/FrameState.h"

#include "platform/System.h"
#include "tray/RemoteCommand.h"

#include <cstdio>

namespace bw {

WarningWatchStep WarningWatch(bool markerSet, int64_t secondsSinceWipe) {
  if (!markerSet || secondsSinceWipe >= kWarningWatchSeconds)
    return WarningWatchStep::Stop;
  return WarningWatchStep::CloseWarnings;
}

WarningWatchStep WarningWatch(ISystem& system, const CWipeMarker& marker) {
  if (!marker.Flag)
    return WarningWatchStep::Stop;
  FileTime then = 0;
  FileTime now = 0;
  // A time that cannot be read counts as long ago: the watch must not run for ever.
  if (!system.LocalTimeToFileTime(marker.Time, then) ||
      !system.LocalTimeToFileTime(system.GetLocalTime(), now))
    return WarningWatchStep::Stop;
  constexpr int64_t kTicksPerSecond = 10000000;
  return WarningWatch(true,
                      (static_cast<int64_t>(now) - static_cast<int64_t>(then)) / kTicksPerSecond);
}

TrayAction CFrameState::TrayClick(uint32_t iconId, uint32_t mouseMessage) const {
  if (iconId != kTrayIconId)
    return TrayAction::Ignore;
  bool press = mouseMessage == kWmLButtonDown || mouseMessage == kWmRButtonDown;
  if (!press && mouseMessage != kWmLButtonDblClk)
    return TrayAction::Ignore;
  if (_busy != BusyState::Idle)
    return TrayAction::BringDialogToFront;
  return press ? TrayAction::ShowMenu : TrayAction::OpenConfiguration;
}

RemoteAction CFrameState::Dispatch(uint32_t word, char& letter) {
  uint8_t code = CommandCode(word);
  letter = CommandLetter(word);
  // Ending the program is the one command a busy frame still takes: the unload hook sends it
  // before files are replaced, whatever the program is doing.
  if (code == static_cast<uint8_t>(RemoteCommand::Exit))
    return RemoteAction::EndProgram;
  if (_busy != BusyState::Idle)
    return RemoteAction::BringDialogToFront;
  switch (code) {
  case static_cast<uint8_t>(RemoteCommand::Zap):
    _busy = BusyState::Zapping;
    return RemoteAction::Zap;
  case static_cast<uint8_t>(RemoteCommand::CleanDrive): {
    char text[3];
    std::snprintf(text, sizeof(text), "%c:", letter);
    _busy = BusyState::Cleaning;
    _target = text;
    return RemoteAction::ConfirmCleaning;
  }
  case static_cast<uint8_t>(RemoteCommand::Configure):
    _busy = BusyState::Configuration;
    return RemoteAction::Configure;
  case static_cast<uint8_t>(RemoteCommand::ScanDrive):
    return RemoteAction::StartViewer;
  default:
    return RemoteAction::Ignore;
  }
}

bool CFrameState::ConfigurationClosed(bool cleanNow, const std::string& selectedDrives) {
  _busy = BusyState::Idle;
  if (!cleanNow)
    return false;
  // The sheet saved the drives with its clean-now button; the confirmation names them all.
  _busy = BusyState::Cleaning;
  _target = selectedDrives;
  return true;
}

bool CFrameState::ShutdownClosed(bool ok, const std::string& selectedDrives) {
  if (!ok) {
    _busy = BusyState::Idle;
    return false;
  }
  _target = selectedDrives;
  if (_target.empty()) {
    _busy = BusyState::Idle;
    return false;
  }
  _busy = BusyState::Cleaning;
  _mode = static_cast<int>(JobMode::Shutdown);
  _shutdownPending = true;
  return true;
}

bool CFrameState::ConfirmationClosed(bool ok) {
  if (!ok) {
    _busy = BusyState::Idle;
    return false;
  }
  _mode = static_cast<int>(JobMode::Interactive);
  return true;
}

bool CFrameState::ScheduledCleaningDue(const std::string& selectedDrives) {
  if (_busy != BusyState::Idle || selectedDrives.empty())
    return false;
  _target = selectedDrives;
  _busy = BusyState::Cleaning;
  return true;
}

bool CFrameState::CountdownClosed(bool ok) {
  if (!ok) {
    _busy = BusyState::Idle;
    return false;
  }
  _mode = static_cast<int>(JobMode::Scheduled);
  return true;
}

void CFrameState::JobEnded() {
  _busy = BusyState::Idle;
  _mode = 0;
}

bool CFrameState::LogoffCleaningWanted(bool cleanAtLogout, const std::string& selectedDrives) {
  if (!cleanAtLogout || _shutdownPending)
    return false;
  _target = selectedDrives;
  return !_target.empty();
}

} // namespace bw
