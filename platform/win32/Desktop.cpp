#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

namespace bw::win32 {

bool CWin32Desktop::CloseLowSpaceWarning() {
  static const char* const kNoticeTitles[] = {"Disk Full", "Hard Disk is Full",
                                              "Hard Disk is Low on Space"};
  for (const char* title : kNoticeTitles) {
    if (HWND notice = ::FindWindowA(nullptr, title)) {
      ::PostMessageA(notice, WM_CLOSE, 0, 0);
      return true;
    }
  }
  return false;
}

void CWin32Desktop::PressWaitButton(bool logOffCleaning) {
  // The system's prompt about a program that does not respond takes the program's title and
  // offers a Wait button; it appears while a log-off cleaning keeps the main window busy. The
  // hidden main window has the same title, so every window of that title is tried, not only the
  // first one FindWindowA would give.
  if (!logOffCleaning)
    return;
  for (HWND top = ::FindWindowExA(nullptr, nullptr, nullptr, "Blankwright"); top != nullptr;
       top = ::FindWindowExA(nullptr, top, nullptr, "Blankwright")) {
    HWND button = ::FindWindowExA(top, nullptr, nullptr, "&Wait");
    if (button == nullptr)
      continue;
    if (int id = ::GetDlgCtrlID(button); id != 0)
      ::PostMessageA(top, WM_COMMAND, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(button));
    return;
  }
}

int CWin32MessageBox::Show(const std::string& text, const std::string& caption, uint32_t style) {
  return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

} // namespace bw::win32
