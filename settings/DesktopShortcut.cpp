#include "settings/DesktopShortcut.h"

#include "platform/Platform.h"

#include <algorithm>

namespace bw {
namespace {

constexpr const char* kZapProgram = "Blankwright File Zap.exe";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr size_t kMaxPath = 260;

} // namespace

bool DesktopShortcutPaths(IPlatform& platform, const std::string& programFolder,
                          ShortcutPaths& paths) {
  FindData found;
  if (!platform.Files().FindFirstFile(programFolder + kZapProgram, found))
    return false;
  // The folder part before the last backslash, in its short form where the file system has one.
  std::string folder = programFolder;
  if (!folder.empty() && folder.back() == '\\')
    folder.pop_back();
  std::string shortFolder;
  if (!platform.Files().GetShortPathName(folder, shortFolder))
    shortFolder = folder;
  paths.Target = shortFolder + "\\" + (found.ShortName.empty() ? found.Name : found.ShortName);

  auto key = platform.Registry().OpenKey(RegistryRoot::CurrentUser, kShellFolders);
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (!key || !key->QueryValue("Desktop", type, data, kMaxPath) || type != kRegSz)
    return false;
  std::string desktop(data.begin(), std::find(data.begin(), data.end(), uint8_t{0}));
  if (desktop.empty() || desktop.size() >= kMaxPath)
    return false;
  paths.LinkFile = desktop + "\\Blankwright File Zap.lnk";
  return true;
}

} // namespace bw
