// Stands in for Blankwright Base.exe where a test needs to see what the tray program receives:
// a window of the tray program's class and title that writes "started" and then every command
// word it is sent ("0x%08X") to standin.log beside its own program file, and ends on code 100.
#include "platform/win32/Win32.h"

#include <cstdio>
#include <string>

namespace {

std::string g_log;

void Record(const char* line) {
  if (FILE* file = std::fopen(g_log.c_str(), "a")) {
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    char line[32];
    std::snprintf(line, sizeof(line), "0x%08X", static_cast<unsigned>(data->dwData));
    Record(line);
    if ((data->dwData & 0xFF) == 100)
      ::PostQuitMessage(0);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  g_log = folder.substr(0, folder.rfind('\\') + 1) + "standin.log";
  Record("started");

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "AfxFrameOrView42s";
  if (!::RegisterClassA(&windowClass))
    return 1;
  // Hidden, as the tray program's main window is.
  if (!::CreateWindowA("AfxFrameOrView42s", "Blankwright", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                       nullptr, nullptr, instance, nullptr))
    return 1;
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}
