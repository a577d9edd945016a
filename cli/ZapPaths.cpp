#include "cli/ZapPaths.h"

#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace bw::cli {
namespace {

namespace fs = std::filesystem;

bool HostSelection(IDriveMap& map, std::string given, std::string& selection, std::string& error) {
  // "docs/" names the folder docs itself, not what a link called docs points at.
  while (given.size() > 1 && given.back() == '/')
    given.pop_back();
  std::error_code ec;
  fs::path path(given);
  if (path.is_relative()) {
    fs::path here = fs::current_path(ec);
    if (ec) {
      error = "the current folder cannot be read: " + ec.message();
      return false;
    }
    path = here / path;
  }
  // The folders on the way are resolved; the last name is kept as given.
  fs::path name = path.filename();
  fs::path resolved;
  if (name.empty() || name == "." || name == "..")
    resolved = fs::canonical(path, ec);
  else
    resolved = fs::canonical(path.parent_path(), ec) / name;
  if (ec) {
    error = given + ": " + ec.message();
    return false;
  }
  if (!fs::exists(fs::symlink_status(resolved, ec))) {
    error = given + ": no such file or folder";
    return false;
  }

  std::string reason;
  if (map.ToDrivePath(resolved.string(), selection, reason))
    return true;
  error = reason.empty() ? given + " is not on a mapped drive ('blankwright drive list' shows them)"
                         : given + ": " + reason;
  return false;
}

bool SystemSelection(IPlatform& platform, const std::string& given, std::string& selection,
                     std::string& error) {
  if (given.size() > 2 && given[0] == '\\' && given[1] == '\\') {
    selection = given; // a network path is already whole
    return true;
  }
  std::string currentText;
  FullPath current, full;
  uint32_t code = 0;
  bool haveCurrent = platform.Files().GetCurrentDirectory(currentText) &&
                     MakeFullPath(currentText, nullptr, current, code);
  if (!MakeFullPath(given, haveCurrent ? &current : nullptr, full, code)) {
    error = given + ": not a path this program can use (error " + std::to_string(code) + ")";
    return false;
  }
  selection = full.Text();
  return true;
}

// "D:\Documents\a.txt" or "D:" where D: is a mapped drive: a drive path, not a host path.
bool NamesMappedDrive(IPlatform& platform, const std::string& given) {
  return given.size() >= 2 && given[1] == ':' &&
         std::isalpha(static_cast<unsigned char>(given[0])) &&
         (given.size() == 2 || given[2] == '\\' || given[2] == '/') &&
         platform.Drives().GetDriveType(given[0]) != DriveType::NoRootDir;
}

bool DriveSelection(IPlatform& platform, const std::string& given, std::string& selection,
                    std::string& error) {
  if (!SystemSelection(platform, given, selection, error))
    return false;
  if (selection.size() > 3 &&
      platform.Files().GetFileAttributes(selection) == kInvalidFileAttributes) {
    error = given + (platform.Files().GetLastError() == kErrorFileNotFound ||
                             platform.Files().GetLastError() == kErrorPathNotFound
                         ? ": no such file or folder"
                         : ": cannot be reached (error " +
                               std::to_string(platform.Files().GetLastError()) + ")");
    return false;
  }
  return true;
}

} // namespace

bool ToSelection(IPlatform& platform, const std::string& given, std::string& selection,
                 std::string& error) {
  if (given.empty()) {
    error = "an empty path";
    return false;
  }
  IDriveMap* map = platform.DriveMap();
  if (!map)
    return SystemSelection(platform, given, selection, error);
  if (NamesMappedDrive(platform, given))
    return DriveSelection(platform, given, selection, error);
  return HostSelection(*map, given, selection, error);
}

} // namespace bw::cli
