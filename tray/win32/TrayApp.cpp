// Blankwright Base.exe: one copy per session (a second start hands over to the running one),
// a splash picture, the hidden main window, and the message loop on a thread of the lowest
// priority, so that the long disk jobs it runs yield to the user's other programs.
#include "platform/Platform.h"
#include "platform/WindowCommands.h"
#include "platform/win32/Win32.h"
#include "tray/ProgramFolder.h"
#include "tray/RemoteCommand.h"
#include "tray/win32/MainFrame.h"
#include "tray/win32/Splash.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace bw;
  auto platform = CreateNativePlatform();
  // Held for the life of the process: the system releases it when the process ends.
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "TarnhollowBlankwright");
  if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    IWindowCommands& windows = platform->WindowCommands();
    WindowId running = windows.FindMainWindow(MainWindowClasses(2), kMainWindowTitle);
    if (running != kNoWindow) {
      windows.BringToFront(running);
      windows.SendCommand(running, MakeCommandWord(RemoteCommand::Configure));
      return 0;
    }
    // The running copy has no window (yet): this one starts fully.
  }

  ::InitCommonControls();
  CSplash splash;
  splash.Show(instance);
  CMainFrame frame(*platform, ProgramFolderFromCommandLine(::GetCommandLineA()));
  ::CoInitialize(nullptr);
  if (!frame.Create(instance))
    return 0;
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    splash.OnInput(message);
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (mutex)
    ::CloseHandle(mutex);
  return 0;
}
