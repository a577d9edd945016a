// Drives Blankwright Base.exe from outside, as the other programs and a user do: finds its
// window, sends it command words and menu commands, waits for windows to come and go.
//
//   bw_base_driver wait-window TITLE [CLASS] SECONDS   exit 0 once such a window exists
//   bw_base_driver wait-gone TITLE SECONDS             exit 0 once no window has that title
//   bw_base_driver send CODE [LETTER]                  a command word to the main window
//   bw_base_driver menu ID                             a tray menu command to the main window
//   bw_base_driver close TITLE                         WM_CLOSE to the window with that title
//   bw_base_driver text TITLE ID                       prints the text of control ID in TITLE
//   bw_base_driver click TITLE ID                      clicks button ID of TITLE (posted)
//   bw_base_driver char TITLE CODE                     posts WM_CHAR CODE to TITLE
//   bw_base_driver key TITLE VK                        posts a key press VK to TITLE
//   bw_base_driver enabled TITLE ID                    exit 0 when control ID of TITLE is enabled
//   bw_base_driver rows TITLE ID                       prints the rows of list view ID in
//                                                      TITLE, one a line: image, tab, text
//   bw_base_driver post MESSAGE WPARAM LPARAM          posts a message to the main window
//   bw_base_driver query-end-session                   asks the main window whether the user
//                                                      may log off; prints its answer
//   bw_base_driver set-text TITLE ID TEXT              sets the text of control ID in TITLE
//   bw_base_driver leave TITLE ID                      tells control ID's dialog that the focus
//                                                      left it (EN_KILLFOCUS)
//   bw_base_driver press TITLE ID                      a click on control ID (BM_CLICK, posted)
//   bw_base_driver checked|enabled TITLE ID            prints 1 or 0; exit 0 only for 1
//   bw_base_driver page TITLE INDEX                    shows page INDEX of the property sheet
//   bw_base_driver spin TITLE ID up|down               a mouse click on an arrow of spin ID
//   bw_base_driver bootfile PROGRAM ID OUTPUT          writes a "BOOTFILE" resource of PROGRAM
//   bw_base_driver link-target LINK                    prints the path a shell link points at;
//                                                      exit 0 when that path exists
//   bw_base_driver release TITLE ID                    the left mouse button released over
//                                                      control ID (a list box's current line)
//   bw_base_driver hold-lock SECONDS                   takes the machine's job lock, as another
//                                                      program's cleaning does, prints "held"
//                                                      and keeps it SECONDS (or until killed)
// Controls are found among all the window's descendants, the visible ones first, so that the
// controls of a property sheet's page in view are taken before those of hidden pages.
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/WindowCommands.h"
#include "platform/win32/Win32.h"
#include "tray/RemoteCommand.h"

#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <objidl.h>
#include <shlobj.h>
#include <string>

using namespace bw;

namespace {

struct ControlSearch {
  int Id;
  HWND Visible = nullptr;
  HWND Hidden = nullptr;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ControlSearch*>(data);
  if (::GetDlgCtrlID(window) == search->Id) {
    HWND& slot = ::IsWindowVisible(window) ? search->Visible : search->Hidden;
    if (!slot)
      slot = window;
  }
  return TRUE;
}

HWND FindControl(HWND top, int id) {
  ControlSearch search{id};
  ::EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.Visible ? search.Visible : search.Hidden;
}

WindowId Find(IWindowCommands& windows, const std::string& title, const char* className) {
  if (className)
    return windows.FindMainWindow({className}, title);
  return windows.FindWindowByTitle(title);
}

int Usage() {
  std::fputs("usage: bw_base_driver wait-window TITLE [CLASS] SECONDS | wait-gone TITLE SECONDS"
             " | send CODE [LETTER] | menu ID | close TITLE | text TITLE ID | click TITLE ID"
             " | char TITLE CODE | post MESSAGE WPARAM LPARAM | query-end-session"
             " | set-text TITLE ID TEXT | leave TITLE ID | press TITLE ID | checked TITLE ID"
             " | enabled TITLE ID | page TITLE INDEX | spin TITLE ID up|down | release TITLE ID"
             " | key TITLE VK | rows TITLE ID | hold-lock SECONDS\n",
             stderr);
  return 2;
}

// The rows of a list view in another process: its messages carry pointers, which are not
// carried across processes, so the item and its text buffer live in the owner's memory.
int PrintRows(HWND list) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  HANDLE process =
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process)
    return 1;
  constexpr size_t kTextSize = 1024;
  void* remote =
      ::VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT, PAGE_READWRITE);
  int status = remote ? 0 : 1;
  const auto count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; remote && row < count; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = static_cast<char*>(remote) + sizeof(LVITEMA);
    item.cchTextMax = kTextSize;
    char text[kTextSize] = {};
    SIZE_T done = 0;
    if (!::WriteProcessMemory(process, remote, &item, sizeof item, &done) ||
        !::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote)) ||
        !::ReadProcessMemory(process, remote, &item, sizeof item, &done) ||
        !::ReadProcessMemory(process, item.pszText, text, kTextSize - 1, &done)) {
      status = 1;
      break;
    }
    std::printf("%d\t%s\n", item.iImage, text);
  }
  if (remote)
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  ::CloseHandle(process);
  return status;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3 && !(argc == 2 && std::string(argv[1]) == "query-end-session"))
    return Usage();
  auto platform = CreateNativePlatform();
  IWindowCommands& windows = platform->WindowCommands();
  std::string command = argv[1];
  if (command == "wait-window" || command == "wait-gone") {
    bool gone = command == "wait-gone";
    const char* className = (!gone && argc == 5) ? argv[3] : nullptr;
    int seconds = std::atoi(argv[argc - 1]);
    for (int tenths = 0; tenths <= seconds * 10; ++tenths) {
      if ((Find(windows, argv[2], className) == kNoWindow) == gone)
        return 0;
      ::Sleep(100);
    }
    std::fprintf(stderr, "bw_base_driver: window \"%s\" %s after %d s\n", argv[2],
                 gone ? "still there" : "not there", seconds);
    return 1;
  }
  if (command == "link-target") {
    ::CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t name[MAX_PATH] = {};
    char target[MAX_PATH] = {};
    bool ok = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              ::MultiByteToWideChar(CP_ACP, 0, argv[2], -1, name, MAX_PATH) > 0 &&
              SUCCEEDED(file->Load(name, STGM_READ)) &&
              SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0));
    if (file)
      file->Release();
    if (link)
      link->Release();
    if (ok)
      std::printf("%s\n", target);
    // A link to nothing is no link: the target must exist.
    return ok && ::GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES ? 0 : 1;
  }
  if (command == "bootfile" && argc == 5) {
    HMODULE program = ::LoadLibraryExA(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = program
                      ? ::FindResourceA(program, MAKEINTRESOURCEA(std::atoi(argv[3])), "BOOTFILE")
                      : nullptr;
    HGLOBAL loaded = found ? ::LoadResource(program, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    FILE* out = bytes ? std::fopen(argv[4], "wb") : nullptr;
    bool ok = out && std::fwrite(bytes, 1, ::SizeofResource(program, found), out) ==
                         ::SizeofResource(program, found);
    if (out)
      ok = std::fclose(out) == 0 && ok;
    return ok ? 0 : 1;
  }
  if (command == "hold-lock") {
    std::unique_ptr<CJobLock> lock;
    if (platform->System().TryLockJob(lock) != JobLockResult::Taken) {
      std::fputs("bw_base_driver: the job lock is not free\n", stderr);
      return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
    return 0;
  }
  WindowId main = windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle);
  if (command == "send" || command == "menu") {
    if (main == kNoWindow) {
      std::fputs("bw_base_driver: no main window\n", stderr);
      return 1;
    }
    int number = std::atoi(argv[2]);
    if (command == "menu")
      return ::PostMessageA(reinterpret_cast<HWND>(main), WM_COMMAND, number, 0) ? 0 : 1;
    uint32_t word = static_cast<uint32_t>(number);
    if (argc > 3)
      word |= uint32_t{static_cast<uint8_t>(argv[3][0])} << 16;
    return windows.SendCommand(main, word) ? 0 : 1;
  }
  if (command == "post" && argc == 5) {
    return ::PostMessageA(reinterpret_cast<HWND>(main), std::strtoul(argv[2], nullptr, 0),
                          std::strtoul(argv[3], nullptr, 0),
                          static_cast<LPARAM>(std::strtoul(argv[4], nullptr, 0)))
               ? 0
               : 1;
  }
  if (command == "query-end-session") {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(reinterpret_cast<HWND>(main), WM_QUERYENDSESSION, 0,
                               ENDSESSION_LOGOFF, SMTO_NORMAL, 600000, &answer))
      return 1;
    std::printf("%s\n", answer ? "TRUE" : "FALSE");
    return 0;
  }
  HWND dialog = argc > 2 ? reinterpret_cast<HWND>(windows.FindWindowByTitle(argv[2])) : nullptr;
  if (command == "page" && argc == 4 && dialog)
    return ::PostMessageA(dialog, PSM_SETCURSEL, std::strtoul(argv[3], nullptr, 0), 0) ? 0 : 1;
  if ((command == "text" || command == "click" || command == "char" || command == "leave" ||
       command == "press" || command == "checked" || command == "enabled" ||
       command == "set-text" || command == "spin" || command == "release" || command == "key" ||
       command == "rows") &&
      argc >= 4) {
    if (!dialog) {
      std::fprintf(stderr, "bw_base_driver: no window \"%s\"\n", argv[2]);
      return 1;
    }
    int number = std::atoi(argv[3]);
    if (command == "char")
      return ::PostMessageA(dialog, WM_CHAR, static_cast<WPARAM>(number), 0) ? 0 : 1;
    // The dialog manager takes a key from the dialog's own queue, as from its focused control.
    if (command == "key")
      return ::PostMessageA(dialog, WM_KEYDOWN, static_cast<WPARAM>(number), 1) &&
                     ::PostMessageA(dialog, WM_KEYUP, static_cast<WPARAM>(number), 0xC0000001)
                 ? 0
                 : 1;
    HWND control = FindControl(dialog, number);
    if (!control) {
      std::fprintf(stderr, "bw_base_driver: \"%s\" has no control %d\n", argv[2], number);
      return 1;
    }
    if (command == "rows")
      return PrintRows(control);
    HWND parent = ::GetParent(control);
    if (command == "click")
      return ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(number, BN_CLICKED),
                            reinterpret_cast<LPARAM>(control))
                 ? 0
                 : 1;
    if (command == "leave")
      return ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(number, EN_KILLFOCUS),
                            reinterpret_cast<LPARAM>(control))
                 ? 0
                 : 1;
    if (command == "press")
      return ::PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    if (command == "spin" && argc == 5) {
      RECT box = {};
      ::GetClientRect(control, &box);
      bool up = std::string(argv[4]) == "up";
      LPARAM at = MAKELPARAM(box.right / 2, up ? box.bottom / 4 : box.bottom * 3 / 4);
      return ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
                     ::PostMessageA(control, WM_LBUTTONUP, 0, at)
                 ? 0
                 : 1;
    }
    // Another program's controls are read and written by message: GetWindowTextA and
    // SetWindowTextA reach only the title the system keeps, which an edit does not update.
    if (command == "release")
      return ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4)) ? 0 : 1;
    if (command == "set-text")
      return argc == 5 && ::SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]))
                 ? 0
                 : 1;
    if (command == "checked" || command == "enabled") {
      bool yes = command == "checked" ? ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED
                                      : ::IsWindowEnabled(control) != FALSE;
      // Printed, and as the exit status too: 0 when checked or enabled.
      std::printf("%d\n", yes ? 1 : 0);
      return yes ? 0 : 1;
    }
    char text[1024] = {};
    ::SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", text);
    return 0;
  }
  if (command == "close") {
    WindowId window = windows.FindWindowByTitle(argv[2]);
    int64_t result = 0;
    return window != kNoWindow && windows.SendClose(window, result) ? 0 : 1;
  }
  return Usage();
}
