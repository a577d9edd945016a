// Clean Selected Drive: the viewer asks the tray program to clean the chosen drive, and starts
// the tray program first when it is not running.
#pragma once

#include <string>

namespace bw {

class IWindowCommands;

/// The tray program, started from the viewer's own folder when its window is missing.
constexpr const char* kTrayProgramFile = "Blankwright Base.exe";

/// How a clean-drive request ended.
enum class CleanRequestResult {
  NoDrive,    ///< no drive was chosen: nothing was looked for or sent
  Sent,       ///< the tray program's window took the command word
  NotRunning, ///< no window, even after starting the tray program and waiting for it
};

/// Finds the tray program's main window (its three class names in order, title "Blankwright");
/// when there is none, starts programFolder + "Blankwright Base.exe" without waiting for it
/// and, if it started, waits 4000 ms and looks again. A window found is brought to the front
/// and sent the clean-drive word for the first character of selectedEntry, upper-cased.
CleanRequestResult RequestDriveCleaning(IWindowCommands& windows, const std::string& programFolder,
                                        const std::string& selectedEntry);

} // namespace bw
