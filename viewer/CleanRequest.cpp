#include "viewer/CleanRequest.h"

#include "platform/WindowCommands.h"
#include "tray/RemoteCommand.h"
#include "viewer/ViewerRules.h"

namespace bw {

CleanRequestResult RequestDriveCleaning(IWindowCommands& windows, const std::string& programFolder,
                                        const std::string& selectedEntry) {
  if (selectedEntry.empty())
    return CleanRequestResult::NoDrive;
  char letter = ScanDriveLetter(selectedEntry);
  WindowId tray = windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle);
  if (tray == kNoWindow && windows.Start(programFolder + kTrayProgramFile, {})) {
    windows.Wait(kStartWaitMilliseconds);
    tray = windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle);
  }
  if (tray == kNoWindow)
    return CleanRequestResult::NotRunning;
  windows.BringToFront(tray);
  // The tray program's answer means nothing here; but a window that ended since it was found
  // took nothing, and that is no request sent.
  return windows.SendCommand(tray, CleanDriveCommandWord(letter)) ? CleanRequestResult::Sent
                                                                  : CleanRequestResult::NotRunning;
}

} // namespace bw
