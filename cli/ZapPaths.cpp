#include "cli/ZapPaths.h"

#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <filesystem>
#include <iterator>
#include <system_error>
#include <vector>

namespace bw::cli {
namespace {

namespace fs = std::filesystem;

// Characters a name on a drive path cannot hold without meaning something else there: a
// separator, a drive colon, wildcards.
bool NameFitsDrivePath(const std::string& name) {
  return name.find_first_of("\\:*?") == std::string::npos;
}

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

  std::vector<DriveMapEntry> drives;
  if (!map.List(drives)) {
    error = "the drive map " + map.Location() + " cannot be read";
    return false;
  }
  const DriveMapEntry* best = nullptr;
  fs::path bestRelative;
  size_t bestDepth = 0;
  for (const DriveMapEntry& drive : drives) {
    fs::path mount = fs::canonical(drive.MountFolder, ec);
    if (ec)
      continue;
    fs::path relative = resolved.lexically_relative(mount);
    if (relative.empty() || *relative.begin() == "..")
      continue;
    size_t depth = std::distance(mount.begin(), mount.end());
    if (!best || depth > bestDepth) {
      best = &drive;
      bestRelative = relative;
      bestDepth = depth;
    }
  }
  if (!best) {
    error = given + " is not on a mapped drive ('blankwright drive list' shows them)";
    return false;
  }
  selection = std::string{best->Letter, ':', '\\'};
  bool first = true;
  for (const fs::path& part : bestRelative) {
    std::string text = part.string();
    if (text == ".")
      continue;
    if (!NameFitsDrivePath(text)) {
      error = given + ": the name \"" + text + "\" cannot be written on a drive path";
      return false;
    }
    selection += (first ? "" : "\\") + text;
    first = false;
  }
  return true;
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

} // namespace

bool ToSelection(IPlatform& platform, const std::string& given, std::string& selection,
                 std::string& error) {
  if (given.empty()) {
    error = "an empty path";
    return false;
  }
  if (IDriveMap* map = platform.DriveMap())
    return HostSelection(*map, given, selection, error);
  return SystemSelection(platform, given, selection, error);
}

} // namespace bw::cli
