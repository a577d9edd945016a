#include "platform/win32/Process.h"
#include "platform/win32/Win32Platform.h"

namespace bw::win32 {
namespace {

HWND ToHandle(WindowId window) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

WindowId ToId(HWND window) {
  return static_cast<WindowId>(reinterpret_cast<uintptr_t>(window));
}

// A handle is only a number: the window it named may have ended with its program since the
// lookup. Nothing is sent to a handle that no longer names a window.
HWND LiveWindow(WindowId window) {
  HWND handle = ToHandle(window);
  return window != kNoWindow && ::IsWindow(handle) ? handle : nullptr;
}

} // namespace

WindowId CWin32WindowCommands::FindMainWindow(const std::vector<std::string>& classNames,
                                              const std::string& title) {
  for (const std::string& className : classNames)
    if (HWND window = ::FindWindowA(className.c_str(), title.c_str()))
      return ToId(window);
  return kNoWindow;
}

WindowId CWin32WindowCommands::FindWindowByTitle(const std::string& title) {
  return ToId(::FindWindowA(nullptr, title.c_str()));
}

bool CWin32WindowCommands::BringToFront(WindowId window) {
  HWND handle = LiveWindow(window);
  return handle != nullptr && ::SetForegroundWindow(handle) != FALSE;
}

bool CWin32WindowCommands::SendCommand(WindowId window, uint32_t commandWord) {
  HWND handle = LiveWindow(window);
  if (handle == nullptr)
    return false;
  COPYDATASTRUCT data{};
  data.dwData = commandWord;
  data.cbData = 0;
  data.lpData = nullptr;
  // The receiver's answer means nothing in this exchange.
  ::SendMessageA(handle, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  return true;
}

bool CWin32WindowCommands::SendClose(WindowId window, int64_t& result) {
  HWND handle = LiveWindow(window);
  if (handle == nullptr)
    return false;
  result = static_cast<int64_t>(::SendMessageA(handle, WM_CLOSE, 0, 0));
  return true;
}

bool CWin32WindowCommands::Start(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  ScopedKernelHandle process;
  return StartProcess(program, arguments, process);
}

void CWin32WindowCommands::Wait(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

} // namespace bw::win32
