// Stands in for "Blankwright Drive Viewer.exe" beside the tray program: it records the command
// line it was started with in "viewer.log" beside itself, shows a window titled "Blankwright
// Drive Viewer", and records "closed" when asked to close.
#include "platform/win32/Win32.h"

#include <cstdio>
#include <string>

namespace {

std::FILE* gLog = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CLOSE:
    std::fputs("closed\n", gLog);
    std::fflush(gLog);
    ::DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    ::PostQuitMessage(0);
    return 0;
  default:
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

} // namespace

int main() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string log = path;
  log = log.substr(0, log.rfind('\\') + 1) + "viewer.log";
  gLog = std::fopen(log.c_str(), "a");
  if (!gLog)
    return 1;
  std::fprintf(gLog, "args %s\n", ::GetCommandLineA());
  std::fflush(gLog);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "BwViewerStandIn";
  ::RegisterClassA(&windowClass);
  ::CreateWindowExA(0, windowClass.lpszClassName, "Blankwright Drive Viewer",
                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 200, nullptr, nullptr,
                    windowClass.hInstance, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0)
    ::DispatchMessageA(&message);
  std::fclose(gLog);
  return 0;
}
