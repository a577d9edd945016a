#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <atomic>
#include <io.h>
#include <iostream>

namespace bw::win32 {
namespace {

std::atomic<int> gInterrupts{0};

BOOL WINAPI OnConsoleControl(DWORD type) noexcept {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
    return FALSE; // closing the console or logging off still ends the program
  ++gInterrupts;
  return TRUE;
}

} // namespace

bool CWin32Console::IsInteractive() { return _isatty(0) && _isatty(2); }

bool CWin32Console::ReadLine(std::string& line) {
  if (!std::getline(std::cin, line))
    return false;
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

void CWin32Console::CatchInterrupt() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool CWin32Console::TakeInterrupt() {
  int pending = gInterrupts.load();
  while (pending > 0 && !gInterrupts.compare_exchange_weak(pending, pending - 1)) {
  }
  return pending > 0;
}

} // namespace bw::win32
