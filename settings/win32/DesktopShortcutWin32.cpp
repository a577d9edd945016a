#include "platform/win32/Win32.h"
#include "settings/DesktopShortcut.h"
#include "settings/win32/DesktopShortcut.h"

#include <objidl.h>
#include <shlobj.h>

namespace bw {
namespace {

// Writes the link; false when any step failed. The link object and its file interface are
// released on every path.
bool SaveLink(const ShortcutPaths& paths) {
  IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
    return false;
  IPersistFile* file = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    link->Release();
    return false;
  }
  wchar_t name[MAX_PATH] = {};
  bool ok = SUCCEEDED(link->SetPath(paths.Target.c_str())) &&
            SUCCEEDED(link->SetDescription("Blankwright File Zap")) &&
            ::MultiByteToWideChar(CP_ACP, 0, paths.LinkFile.c_str(), -1, name, MAX_PATH) > 0 &&
            SUCCEEDED(file->Save(name, TRUE));
  file->Release();
  link->Release();
  return ok;
}

} // namespace

void CreateDesktopShortcut(IPlatform& platform, const std::string& programFolder) {
  ShortcutPaths paths;
  if (DesktopShortcutPaths(platform, programFolder, paths) && SaveLink(paths))
    ::MessageBoxA(nullptr, "A shortcut was successfully created on you desktop.", "Shortcut",
                  MB_OK | MB_ICONINFORMATION);
  else
    ::MessageBoxA(nullptr, "Could not create shortcut.", "Shortcut Error", MB_OK | MB_ICONERROR);
}

} // namespace bw
