#include "shell/UnloadHook.h"

#include "platform/WindowCommands.h"
#include "tray/RemoteCommand.h"

namespace bw {

int32_t ShutDownPrograms(IWindowCommands& windows) {
  WindowId main = windows.FindMainWindow(MainWindowClasses(2), kMainWindowTitle);
  if (main != kNoWindow)
    windows.SendCommand(main, MakeCommandWord(RemoteCommand::Exit));
  WindowId viewer = windows.FindWindowByTitle(kViewerWindowTitle);
  int64_t answer = 0;
  if (viewer == kNoWindow || !windows.SendClose(viewer, answer))
    return 0;
  return static_cast<int32_t>(answer);
}

} // namespace bw
