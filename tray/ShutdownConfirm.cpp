#include "tray/ShutdownConfirm.h"

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "settings/DriveListModel.h"
#include "settings/Settings.h"

#include <cctype>

namespace bw {
namespace {

bool FileExists(IPlatform& platform, const std::string& pattern) {
  FindData data;
  return platform.Files().FindFirstFile(pattern, data) != nullptr;
}

// The 9x swap file: found, asked for when missing, its drive in the list, its short form
// checked against the boot-time cleaner's limit. False when the dialog is to stay open.
bool ChooseSwapFile(IPlatform& platform, CDriveListModel& drives, IShutdownPrompts& prompts,
                    std::string& path) {
  if (path.empty()) {
    std::string windows;
    path = platform.System().GetWindowsDirectory(windows) ? windows + "\\win386.swp"
                                                          : "c:\\windows\\win386.swp";
  }
  if (!FileExists(platform, path))
    path = prompts.AskSwapFilePath(path).value_or("");
  if (path.empty())
    return false;

  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  if (!drives.IsDriveChecked(letter)) {
    std::string text = "You have selected to clean the swap file on shut down,\r\nbut you have "
                       "not selected its drive for cleaning.\r\nIf you continue, drive ";
    text += letter;
    text += ": will be added to your drive list selection.";
    if (prompts.MessageBox(text, "Selection Error", kMbOkCancel | kMbIconError) != kIdOk)
      return false;
    // A drive that is listed keeps its record and gets its mark; a new record behind an
    // existing one would be shadowed by it and the drive would stay unmarked.
    if (!drives.SetChecked(letter, true)) {
      std::string list = drives.StoreToDriveList();
      list += letter;
      list += "1--------";
      drives.LoadFromDriveList(platform.Drives(), list);
    }
    prompts.DriveListChanged();
  }

  std::string shortPath;
  if (!platform.Files().GetShortPathName(path, shortPath))
    shortPath = path;
  if (shortPath.size() > kMaxSwapFilePath) {
    prompts.MessageBox("Because of certain Windows limitations, the full length of the swap file "
                       "path must be 47 characters or less.  The swap file will not be cleaned.",
                       "Swap File Path Error", kMbOk | kMbIconError);
    // Only a warning: the shut-down itself checks the length and then leaves the swap file.
  }
  path = shortPath;
  return true;
}

} // namespace

bool ConfirmShutdown(IPlatform& platform, CSettings& settings, CDriveListModel& drives,
                     bool cleanSwapFile, IShutdownPrompts& prompts) {
  if (drives.CheckedCount() == 0) {
    prompts.MessageBox("No drives are currently selected for cleaning", "No Drives Selected",
                       kMbOk | kMbIconError);
    return false;
  }
  if (cleanSwapFile && platform.System().GetVersion().PlatformId != kPlatformWin32Nt) {
    std::string path = settings.SwapFilePath;
    if (!ChooseSwapFile(platform, drives, prompts, path))
      return false;
    settings.SwapFilePath = path;
  }
  settings.DriveList = drives.StoreToDriveList();
  settings.CleanSwapFile = cleanSwapFile ? 1 : 0;
  return prompts.MessageBox(
             "Reminder: you should shut down all applications now if you have not done so "
             "already.",
             "System Shut-Down", kMbOkCancel | kMbIconInformation) == kIdOk;
}

} // namespace bw
