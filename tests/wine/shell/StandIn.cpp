// A stand-in for another program's window, for the context menu's and the unload hook's Wine
// tests. It records what reaches it, one line each, in a log file:
//   "word 0x00590002 cb=0 ptr=null"        every WM_COPYDATA command word;
//   "selection NAME TYPE SIZE FIRSTBYTE"   the Selections values present when code 1 arrives;
//   "args ..."                             its command line;  "closed" on WM_CLOSE.
// Code 100 and WM_CLOSE end it.
//
//   bw_shell_standin LOG CLASS TITLE   the tray program's main window, say
//   bw_shell_standin [ANYTHING]        copied beside the tray program as its drive viewer: the
//                                      window "Blankwright Drive Viewer", logging to viewer.log
//                                      beside itself
#include "platform/win32/Win32.h"

#include <cstdio>
#include <string>

namespace {

std::FILE* gLog = nullptr;

void LogSelections() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\Tarnhollow\\Blankwright\\Selections", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
    std::fputs("selections missing\n", gLog);
    return;
  }
  for (DWORD index = 0;; ++index) {
    char name[1024];
    DWORD nameSize = sizeof(name);
    BYTE data[16];
    DWORD dataSize = sizeof(data);
    DWORD type = 0;
    if (::RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS)
      break;
    std::fprintf(gLog, "selection %s %lu %lu %u\n", name, type, dataSize,
                 dataSize ? data[0] : 999u);
  }
  ::RegCloseKey(key);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COPYDATA: {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    std::fprintf(gLog, "word 0x%08lx cb=%lu ptr=%s\n", static_cast<unsigned long>(data->dwData),
                 data->cbData, data->lpData ? "set" : "null");
    if (data->dwData == 1)
      LogSelections();
    std::fflush(gLog);
    if (data->dwData == 100)
      ::PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
  }
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

int main(int argc, char** argv) {
  std::string log, className = "BwViewerStandIn", title = "Blankwright Drive Viewer";
  if (argc == 4) {
    log = argv[1];
    className = argv[2];
    title = argv[3];
  } else {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    log = path;
    log = log.substr(0, log.rfind('\\') + 1) + "viewer.log";
  }
  gLog = std::fopen(log.c_str(), "a");
  if (!gLog)
    return 1;
  std::fprintf(gLog, "args %s\n", ::GetCommandLineA());
  std::fflush(gLog);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className.c_str();
  ::RegisterClassA(&windowClass);
  // The viewer's window is seen in the screenshots; the main window is hidden, as the tray
  // program's is.
  ::CreateWindowExA(0, className.c_str(), title.c_str(),
                    WS_OVERLAPPEDWINDOW | (argc == 4 ? 0 : WS_VISIBLE), 100, 100, 400, 200, nullptr,
                    nullptr, windowClass.hInstance, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  std::fclose(gLog);
  return 0;
}
