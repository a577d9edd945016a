// blankwright drive add|list|remove — the letters of the Linux drive map.
#include "cli/Commands.h"
#include "platform/Platform.h"

#include <cstdio>
#include <filesystem>

namespace bw::cli {
namespace {

namespace fs = std::filesystem;

int NoDriveMap() {
  PrintError("this system has drive letters of its own; there is no drive map to change");
  return kExitFailure;
}

int Add(IDriveMap& map, const Arguments& arguments) {
  DriveMapEntry entry;
  if (arguments.size() < 2 || !ParseDriveLetter(arguments[1], entry.Letter)) {
    PrintError("usage: blankwright drive add X: --mount DIR [--source FILE_OR_DEVICE] "
               "[--removable]");
    return kExitFailure;
  }
  for (size_t i = 2; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if ((a == "--mount" || a == "--source") && i + 1 < arguments.size()) {
      (a == "--mount" ? entry.MountFolder : entry.RawSource) = arguments[++i];
    } else if (a == "--removable") {
      entry.Type = DriveType::Removable;
    } else if (a == "--fixed") {
      entry.Type = DriveType::Fixed;
    } else {
      PrintError("drive add: unknown argument " + a);
      return kExitFailure;
    }
  }
  if (entry.MountFolder.empty()) {
    PrintError("drive add: --mount DIR is needed");
    return kExitFailure;
  }
  std::error_code ec;
  if (!fs::is_directory(entry.MountFolder, ec)) {
    PrintError("drive add: " + entry.MountFolder + " is not a folder");
    return kExitFailure;
  }
  // A user knows where a volume is mounted, rarely its device: the mount table knows.
  std::string reason;
  if (entry.RawSource.empty() && !map.FindMountSource(entry.MountFolder, entry.RawSource, reason)) {
    PrintError("drive add: " + reason);
    return kExitFailure;
  }
  if (!fs::exists(entry.RawSource, ec) || fs::is_directory(entry.RawSource, ec)) {
    PrintError("drive add: " + entry.RawSource + " is not a block device or image file");
    return kExitFailure;
  }
  // Stored absolute, so that the map means the same from any working folder.
  entry.MountFolder = fs::absolute(entry.MountFolder, ec).lexically_normal().string();
  entry.RawSource = fs::absolute(entry.RawSource, ec).lexically_normal().string();
  if (entry.MountFolder.size() > 1 && entry.MountFolder.back() == '/')
    entry.MountFolder.pop_back();
  std::string error;
  if (!map.Add(entry, error)) {
    PrintError("drive add: " + error);
    return kExitFailure;
  }
  if (!map.CheckMount(entry, reason))
    std::fprintf(stderr, "note: %s; jobs on %c: are refused until its volume is mounted there\n",
                 reason.c_str(), entry.Letter);
  return kExitOk;
}

int List(IDriveMap& map) {
  std::vector<DriveMapEntry> entries;
  if (!map.List(entries)) {
    PrintError("cannot read the drive map " + map.Location());
    return kExitFailure;
  }
  for (const DriveMapEntry& e : entries)
    std::printf("%c:\t%s\t%s\t%s\n", e.Letter,
                e.Type == DriveType::Removable ? "removable" : "fixed", e.MountFolder.c_str(),
                e.RawSource.c_str());
  return kExitOk;
}

int Remove(IDriveMap& map, const Arguments& arguments) {
  char letter;
  if (arguments.size() != 2 || !ParseDriveLetter(arguments[1], letter)) {
    PrintError("usage: blankwright drive remove X:");
    return kExitFailure;
  }
  std::string error;
  if (!map.Remove(letter, error)) {
    PrintError("drive remove: " + error);
    return kExitFailure;
  }
  return kExitOk;
}

int RunDrive(IPlatform& platform, const Arguments& arguments) {
  if (arguments.empty()) {
    PrintError("usage: blankwright drive add|list|remove ...");
    return kExitFailure;
  }
  IDriveMap* map = platform.DriveMap();
  if (!map)
    return NoDriveMap();
  if (arguments[0] == "add")
    return Add(*map, arguments);
  if (arguments[0] == "list" && arguments.size() == 1)
    return List(*map);
  if (arguments[0] == "remove")
    return Remove(*map, arguments);
  PrintError("usage: blankwright drive add|list|remove ...");
  return kExitFailure;
}

} // namespace

const Command kDriveCommand = {
    "drive",
    "map drive letters to mounted volumes (Linux)",
    "usage: blankwright drive add X: --mount DIR [--source FILE_OR_DEVICE] [--removable]\n"
    "       blankwright drive list\n"
    "       blankwright drive remove X:\n"
    "\n"
    "Linux has no drive letters, so Blankwright keeps a drive map: each letter names a\n"
    "mounted volume (DIR, where its files are reached), its raw source (the block device or\n"
    "image file its sectors are read from) and its type, fixed unless --removable is given.\n"
    "Without --source, DIR must be a mount point and its source (a block device, the image\n"
    "behind a loop device, or the image an ntfs-3g mount reads) is taken from the mount\n"
    "table. Jobs on a drive whose folder is not then a mount point of its source are refused.\n"
    "The map is kept in the folder named by BLANKWRIGHT_HOME (default\n"
    "~/.local/state/blankwright). On Windows the real drives are used and the map does not\n"
    "exist.\n",
    RunDrive,
};

} // namespace bw::cli
