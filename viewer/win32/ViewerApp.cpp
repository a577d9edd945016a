// Blankwright Drive Viewer.exe: one window, run modally; the program ends when it closes.
#include "platform/Platform.h"
#include "platform/win32/Win32.h"
#include "viewer/ViewerRules.h"
#include "viewer/win32/ViewerDialog.h"

#include <commctrl.h>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace bw;
  ::InitCommonControls();
  auto platform = CreateNativePlatform();
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i)
    arguments.emplace_back(__argv[i]);
  // The folder comes from the program's own path alone: an argument never holds it.
  std::string folder = __argc > 0 ? ViewerProgramFolder(__argv[0]) : std::string();
  CViewerDialog viewer(*platform, instance, CommandLineDrive(arguments), folder);
  viewer.Run();
  return 0;
}
