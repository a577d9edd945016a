// Does with THBWshell.dll what Explorer does on a right-click: creates the registered class
// through COM, hands it the selection as a CF_HDROP data object, asks it for its menu items on
// a real popup menu and invokes a command. Prints what it saw, one fact a line.
//
//   bw_shell_host menu FLAGS PATH...    the items added: texts, ids and grey states
//   bw_shell_host invoke OFFSET PATH... InvokeCommand with the offset; prints its result
//   bw_shell_host verb PATH             InvokeCommand with a verb given by name
//   bw_shell_host lifetime PATH         DllCanUnloadNow while an object lives and after
//   bw_shell_host help                  GetCommandString into small and large buffers
//   bw_shell_host show SECONDS PATH...  the menu on screen with the submenu open
//   bw_shell_host texts TITLE           the texts of a window's controls, one a line
#include "platform/win32/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ole2.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

// {6F1D2A90-3C4B-11D2-9E5A-5B7C3D1E2F40}
constexpr CLSID kClassId = {
    0x6F1D2A90, 0x3C4B, 0x11D2, {0x9E, 0x5A, 0x5B, 0x7C, 0x3D, 0x1E, 0x2F, 0x40}};
constexpr UINT kFirstId = 100;

// A data object that offers only what Explorer's selection offers the extension: the paths
// as a CF_HDROP list of single-byte strings.
class CDropDataObject final : public IDataObject {
public:
  explicit CDropDataObject(std::vector<std::string> paths) : _paths(std::move(paths)) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject))
      return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++_refCount; }
  STDMETHODIMP_(ULONG) Release() noexcept override { return --_refCount; }

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    if (format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0)
      return DV_E_FORMATETC;
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : _paths)
      size += path.size() + 1;
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(global));
    drop->pFiles = sizeof(DROPFILES);
    char* next = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : _paths) {
      std::memcpy(next, path.c_str(), path.size() + 1);
      next += path.size() + 1;
    }
    ::GlobalUnlock(global);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override {
    return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

  ULONG References() const { return _refCount; }

private:
  ULONG _refCount = 1;
  std::vector<std::string> _paths;
};

// One extension object, created and initialised as Explorer does it.
struct CExtension {
  IShellExtInit* Init = nullptr;
  IContextMenu* Menu = nullptr;
  HRESULT InitResult = E_FAIL;

  bool Create(CDropDataObject& data) {
    HRESULT created = ::CoCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                         reinterpret_cast<void**>(&Init));
    if (FAILED(created)) {
      std::printf("CoCreateInstance failed 0x%08lx\n", static_cast<unsigned long>(created));
      return false;
    }
    InitResult = Init->Initialize(nullptr, &data, nullptr);
    return SUCCEEDED(Init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&Menu)));
  }
  ~CExtension() {
    if (Menu)
      Menu->Release();
    if (Init)
      Init->Release();
  }
};

void PrintMenu(HMENU menu, const char* prefix) {
  int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    ::GetMenuItemInfoA(menu, i, TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      std::printf("%s%d separator\n", prefix, i);
      continue;
    }
    std::printf("%s%d \"%s\" id=%d %s%s\n", prefix, i, text,
                info.hSubMenu ? -1 : static_cast<int>(info.wID),
                (info.fState & MFS_GRAYED) ? "grey" : "enabled", info.hSubMenu ? " submenu" : "");
    if (info.hSubMenu)
      PrintMenu(info.hSubMenu, "  sub ");
  }
}

std::vector<std::string> Paths(int argc, char** argv, int first) {
  return {argv + first, argv + argc};
}

HMODULE ShellModule() {
  return ::GetModuleHandleA("THBWshell.dll");
}

int Menu(UINT flags, std::vector<std::string> paths) {
  CDropDataObject data(std::move(paths));
  CExtension extension;
  if (!extension.Create(data))
    return 1;
  std::printf("initialize 0x%08lx\n", static_cast<unsigned long>(extension.InitResult));
  HMENU menu = ::CreatePopupMenu();
  // Explorer's own items are there already; the group goes in front of them.
  ::InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, 1, "&Open");
  HRESULT result = extension.Menu->QueryContextMenu(menu, 1, kFirstId, kFirstId + 99, flags);
  std::printf("ids used %d\n", static_cast<int>(HRESULT_CODE(result)));
  PrintMenu(menu, "");
  ::DestroyMenu(menu);
  return 0;
}

int Invoke(const char* verb, std::vector<std::string> paths) {
  CDropDataObject data(std::move(paths));
  CExtension extension;
  if (!extension.Create(data))
    return 1;
  HMENU menu = ::CreatePopupMenu();
  extension.Menu->QueryContextMenu(menu, 0, kFirstId, kFirstId + 99, CMF_NORMAL);
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.hwnd = nullptr;
  info.lpVerb = verb;
  info.nShow = SW_SHOWNORMAL;
  HRESULT result = extension.Menu->InvokeCommand(&info);
  std::printf("invoke 0x%08lx\n", static_cast<unsigned long>(result));
  ::DestroyMenu(menu);
  return 0;
}

int Lifetime(std::vector<std::string> paths) {
  CDropDataObject data(std::move(paths));
  using CanUnload = HRESULT(WINAPI*)();
  {
    CExtension extension;
    if (!extension.Create(data))
      return 1;
    auto canUnload = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(::GetProcAddress(ShellModule(), "DllCanUnloadNow")));
    if (!canUnload)
      return 1;
    std::printf("while alive 0x%08lx\n", static_cast<unsigned long>(canUnload()));
    std::printf("data object held %lu\n", extension.InitResult == S_OK ? data.References() : 0);
  }
  auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(::GetProcAddress(ShellModule(), "DllCanUnloadNow")));
  std::printf("after release 0x%08lx\n", static_cast<unsigned long>(canUnload()));
  std::printf("data object held after release %lu\n", data.References());
  return 0;
}

int Help() {
  CDropDataObject data({"C:\\"});
  CExtension extension;
  if (!extension.Create(data))
    return 1;
  for (UINT offset = 0; offset <= 4; ++offset) {
    char narrow[64];
    std::memset(narrow, '#', sizeof(narrow));
    HRESULT a = extension.Menu->GetCommandString(offset, GCS_HELPTEXTA, nullptr, narrow, 8);
    wchar_t wide[64];
    std::wmemset(wide, L'#', 64);
    HRESULT w = extension.Menu->GetCommandString(offset, GCS_HELPTEXTW, nullptr,
                                                 reinterpret_cast<char*>(wide), 64);
    char wideText[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, wideText, sizeof(wideText), nullptr, nullptr);
    std::printf("help %u A=0x%08lx \"%s\" next=%c W=0x%08lx \"%s\"\n", offset,
                static_cast<unsigned long>(a), a == S_OK ? narrow : "", narrow[8],
                static_cast<unsigned long>(w), w == S_OK ? wideText : "");
  }
  return 0;
}

// Opens the submenu once the menu is up: the keys a user would press.
DWORD WINAPI PressKeys(void*) {
  ::Sleep(700);
  for (WORD key : {VK_DOWN, VK_RIGHT}) {
    ::keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    ::keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    ::Sleep(200);
  }
  return 0;
}

void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
  ::EndMenu();
}

int Show(int seconds, std::vector<std::string> paths) {
  CDropDataObject data(std::move(paths));
  CExtension extension;
  if (!extension.Create(data))
    return 1;
  HWND owner = ::CreateWindowExA(0, "STATIC", "Blankwright shell host", WS_POPUP | WS_VISIBLE, 0, 0,
                                 1, 1, nullptr, nullptr, nullptr, nullptr);
  HMENU menu = ::CreatePopupMenu();
  ::InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, 1, "&Open");
  ::InsertMenuA(menu, 1, MF_BYPOSITION | MF_STRING, 2, "Cu&t");
  ::InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING, 3, "&Copy");
  ::InsertMenuA(menu, 3, MF_BYPOSITION | MF_STRING, 4, "P&roperties");
  extension.Menu->QueryContextMenu(menu, 0, kFirstId, kFirstId + 99, CMF_NORMAL);
  ::SetForegroundWindow(owner);
  ::CloseHandle(::CreateThread(nullptr, 0, PressKeys, nullptr, 0, nullptr));
  // The timer ends the menu's loop without a choice.
  ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, EndMenuTimer);
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, 200, 150, 0, owner, nullptr);
  ::DestroyMenu(menu);
  ::DestroyWindow(owner);
  return 0;
}

BOOL CALLBACK PrintText(HWND control, LPARAM) {
  wchar_t text[256] = {};
  ::GetWindowTextW(control, text, 256);
  char narrow[512] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
  std::printf("%s\n", narrow);
  return TRUE;
}

int Texts(const char* title) {
  HWND window = ::FindWindowA(nullptr, title);
  if (window == nullptr)
    return 1;
  ::EnumChildWindows(window, PrintText, 0);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: bw_shell_host menu|invoke|verb|lifetime|help|show|texts ...\n", stderr);
    return 2;
  }
  ::CoInitialize(nullptr);
  std::string command = argv[1];
  int status = 2;
  if (command == "menu" && argc >= 3)
    status = Menu(static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)), Paths(argc, argv, 3));
  else if (command == "invoke" && argc >= 3)
    status = Invoke(MAKEINTRESOURCEA(std::atoi(argv[2])), Paths(argc, argv, 3));
  else if (command == "verb")
    status = Invoke("open", Paths(argc, argv, 2));
  else if (command == "lifetime")
    status = Lifetime(Paths(argc, argv, 2));
  else if (command == "help")
    status = Help();
  else if (command == "texts" && argc == 3)
    status = Texts(argv[2]);
  else if (command == "show" && argc >= 4)
    status = Show(std::atoi(argv[2]), Paths(argc, argv, 3));
  std::fflush(stdout);
  ::CoUninitialize();
  return status;
}
