// Drives Blankwright Drive Viewer.exe from outside, as a user does: reads its controls, clicks
// its buttons, picks list entries and answers its message boxes. Every command works on the
// top-level window with the given title and prints what it reads on standard output.
//
//   bw_viewer_driver wait-window TITLE SECONDS        exit 0 once such a window exists
//   bw_viewer_driver wait-gone TITLE SECONDS          exit 0 once none has that title
//   bw_viewer_driver wait-enabled TITLE ID SECONDS    exit 0 once control ID is enabled
//   bw_viewer_driver enabled TITLE ID                 exit 0 when control ID is enabled
//   bw_viewer_driver text TITLE ID                    the control's text (0xFFFF: a box's text)
//   bw_viewer_driver items TITLE ID                   a combo box's entries, one a line, and
//                                                     "selected N" (-1 for none) last
//   bw_viewer_driver lines TITLE ID                   a list box's lines
//   bw_viewer_driver click TITLE ID                   clicks a button (posted: never waits)
//   bw_viewer_driver pick TITLE ID INDEX              selects a combo box entry as a user does
//   bw_viewer_driver close TITLE 0                    WM_CLOSE to the window (posted)
//   bw_viewer_driver syscommand TITLE ID              a system menu command (posted)
#include "platform/win32/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND Find(const char* title) {
  return ::FindWindowA(nullptr, title);
}

bool WaitFor(const char* title, int seconds, bool gone) {
  for (int tenths = 0; tenths <= seconds * 10; ++tenths) {
    if ((Find(title) == nullptr) == gone)
      return true;
    ::Sleep(100);
  }
  std::fprintf(stderr, "bw_viewer_driver: window \"%s\" %s after %d s\n", title,
               gone ? "still there" : "not there", seconds);
  return false;
}

// Wide messages, converted here: Wine carries a list's text across processes correctly only
// in its wide form.
std::string Narrow(const std::wstring& wide) {
  int size = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

std::string Text(HWND window) {
  wchar_t text[1024] = L"";
  ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

std::string ItemText(HWND control, UINT lengthMessage, UINT textMessage, int index) {
  LRESULT length = ::SendMessageW(control, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length < 0)
    return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = ::SendMessageW(control, textMessage, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Narrow(text);
}

int Usage() {
  std::fputs("usage: bw_viewer_driver wait-window|wait-gone TITLE SECONDS | wait-enabled TITLE ID "
             "SECONDS | enabled|text|items|lines|click TITLE ID | pick TITLE ID INDEX | close "
             "TITLE 0 | syscommand TITLE ID\n",
             stderr);
  return 2;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 4)
    return Usage();
  std::string command = argv[1];
  const char* title = argv[2];
  if (command == "wait-window" || command == "wait-gone")
    return WaitFor(title, std::atoi(argv[3]), command == "wait-gone") ? 0 : 1;

  HWND window = Find(title);
  if (!window) {
    std::fprintf(stderr, "bw_viewer_driver: no window \"%s\"\n", title);
    return 1;
  }
  if (command == "close")
    return ::PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == "syscommand")
    return ::PostMessageA(window, WM_SYSCOMMAND, std::strtoul(argv[3], nullptr, 0), 0) ? 0 : 1;
  int id = static_cast<int>(std::strtol(argv[3], nullptr, 0));
  HWND control = ::GetDlgItem(window, id);
  if (!control) {
    std::fprintf(stderr, "bw_viewer_driver: \"%s\" has no control %d\n", title, id);
    return 1;
  }
  if (command == "wait-enabled" && argc == 5) {
    int seconds = std::atoi(argv[4]);
    for (int tenths = 0; tenths <= seconds * 10; ++tenths) {
      if (::IsWindowEnabled(control))
        return 0;
      ::Sleep(100);
    }
    std::fprintf(stderr, "bw_viewer_driver: control %d still disabled after %d s\n", id, seconds);
    return 1;
  }
  if (command == "enabled")
    return ::IsWindowEnabled(control) ? 0 : 1;
  if (command == "text") {
    std::printf("%s\n", Text(control).c_str());
    return 0;
  }
  if (command == "items") {
    auto count = static_cast<int>(::SendMessageA(control, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
      std::printf("%s\n", ItemText(control, CB_GETLBTEXTLEN, CB_GETLBTEXT, i).c_str());
    std::printf("selected %d\n", static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0)));
    return 0;
  }
  if (command == "lines") {
    auto count = static_cast<int>(::SendMessageA(control, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
      std::printf("%s\n", ItemText(control, LB_GETTEXTLEN, LB_GETTEXT, i).c_str());
    return 0;
  }
  if (command == "click")
    return ::PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  if (command == "pick" && argc == 5) {
    int index = std::atoi(argv[4]);
    if (::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
      return 1;
    // A program's own CB_SETCURSEL does not notify; a user's choice does.
    return ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(control))
               ? 0
               : 1;
  }
  return Usage();
}
