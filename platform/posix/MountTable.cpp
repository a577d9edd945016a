#include "platform/posix/MountTable.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace bw::posix {
namespace {

// mountinfo writes space, tab, newline and backslash in names as \ooo.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' &&
        text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7') {
      out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                               (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

} // namespace

bool ParseMountLine(const std::string& line, MountRecord& record) {
  // id parent major:minor root mountpoint options [optional fields...] - type source options
  std::istringstream in(line);
  std::string id, parent, numbers, root, mountPoint, field;
  if (!(in >> id >> parent >> numbers >> root >> mountPoint))
    return false;
  while (in >> field && field != "-") {
  }
  std::string type, source;
  if (field != "-" || !(in >> type >> source))
    return false;
  size_t colon = numbers.find(':');
  if (colon == std::string::npos)
    return false;
  record.Major = static_cast<uint32_t>(std::strtoul(numbers.c_str(), nullptr, 10));
  record.Minor = static_cast<uint32_t>(std::strtoul(numbers.c_str() + colon + 1, nullptr, 10));
  record.MountPoint = Unescape(mountPoint);
  record.Type = type;
  record.Source = Unescape(source);
  return true;
}

namespace {

std::string Canonical(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved)
    return path;
  std::string text = resolved;
  std::free(resolved);
  return text;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file a loop device of this number reads, as the kernel records it; empty for any other
// device.
std::string LoopBackingFile(uint32_t major, uint32_t minor, uint64_t* offset = nullptr) {
  std::string base =
      "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor) + "/loop/";
  std::ifstream in(base + "backing_file");
  std::string file;
  if (!std::getline(in, file))
    return {};
  if (offset) {
    std::ifstream at(base + "offset");
    if (!(at >> *offset))
      *offset = 0;
  }
  return file;
}

} // namespace

bool ReadMountTable(std::vector<MountRecord>& mounts) {
  mounts.clear();
  std::ifstream in("/proc/self/mountinfo");
  if (!in)
    return false;
  std::string line;
  while (std::getline(in, line)) {
    MountRecord record;
    if (ParseMountLine(line, record))
      mounts.push_back(record);
  }
  return true;
}

const MountRecord* FindMount(const std::vector<MountRecord>& mounts, const std::string& folder) {
  const MountRecord* found = nullptr;
  for (const MountRecord& mount : mounts)
    if (mount.MountPoint == folder)
      found = &mount;
  return found;
}

bool MountUsesSource(const MountRecord& mount, const std::string& rawSource) {
  if (mount.Source.empty() || mount.Source[0] != '/')
    return true;
  struct stat raw, source;
  if (::stat(rawSource.c_str(), &raw) != 0)
    return false;
  if (::stat(mount.Source.c_str(), &source) == 0) {
    if (SameFile(raw, source))
      return true;
    if (S_ISBLK(raw.st_mode) && S_ISBLK(source.st_mode) && raw.st_rdev == source.st_rdev)
      return true;
  }
  // A block device mount reports the device's number on its files.
  if (S_ISBLK(raw.st_mode) && major(raw.st_rdev) == mount.Major &&
      minor(raw.st_rdev) == mount.Minor)
    return true;
  // An image mounted through a loop device: the device's backing file.
  std::string backing = LoopBackingFile(mount.Major, mount.Minor);
  struct stat file;
  return !backing.empty() && ::stat(backing.c_str(), &file) == 0 && SameFile(raw, file);
}

bool MountRawSource(const MountRecord& mount, std::string& rawSource) {
  if (mount.Source.empty() || mount.Source[0] != '/')
    return false;
  struct stat source;
  if (::stat(mount.Source.c_str(), &source) != 0 || S_ISDIR(source.st_mode))
    return false;
  rawSource = mount.Source;
  // A loop device is usually readable by root only; the image behind it by its owner.
  uint64_t offset = 0;
  std::string backing = LoopBackingFile(mount.Major, mount.Minor, &offset);
  if (!backing.empty() && offset == 0 && ::access(mount.Source.c_str(), R_OK) != 0 &&
      ::access(backing.c_str(), R_OK) == 0)
    rawSource = backing;
  return true;
}

bool CheckMountFolder(const std::string& folder, const std::string& rawSource, dev_t& device,
                      std::string& reason) {
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    reason = folder + " is not a folder";
    return false;
  }
  std::vector<MountRecord> mounts;
  if (!ReadMountTable(mounts)) {
    reason = "the mount table cannot be read to check " + folder;
    return false;
  }
  const MountRecord* mount = FindMount(mounts, Canonical(folder));
  if (!mount) {
    reason = folder + " is not a mount point: its volume is not mounted";
    return false;
  }
  if (!rawSource.empty() && !MountUsesSource(*mount, rawSource)) {
    reason = folder + " holds " + mount->Source + ", not " + rawSource;
    return false;
  }
  device = st.st_dev;
  return true;
}

} // namespace bw::posix
