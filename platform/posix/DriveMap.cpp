#include "platform/Types.h"
#include "platform/posix/MountTable.h"
#include "platform/posix/Posix.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::posix {

std::string StateFolder() {
  if (const char* home = std::getenv("BLANKWRIGHT_HOME"); home && *home)
    return home;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
    return std::string(state) + "/blankwright";
  const char* user = std::getenv("HOME");
  return std::string(user && *user ? user : "/tmp") + "/.local/state/blankwright";
}

bool MakeFolders(const std::string& folder) {
  std::string partial;
  std::stringstream parts(folder);
  std::string part;
  if (!folder.empty() && folder[0] == '/')
    partial = "/";
  while (std::getline(parts, part, '/')) {
    if (part.empty())
      continue;
    partial += part;
    if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
      return false;
    partial += '/';
  }
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error) {
  std::string temp = path + ".tmp." + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    error = "cannot write " + temp + ": " + std::strerror(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      error = "cannot write " + temp + ": " + std::strerror(n < 0 ? errno : ENOSPC);
      ::close(fd);
      ::unlink(temp.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    error = "cannot flush " + temp + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

uint32_t TranslateErrno(int error) {
  switch (error) {
  case 0:
    return kErrorSuccess;
  case ENOENT:
    return kErrorFileNotFound;
  case ENOTDIR:
    return kErrorPathNotFound;
  case EACCES:
  case EPERM:
  case EISDIR:
    return kErrorAccessDenied;
  case EBADF:
    return kErrorInvalidHandle;
  case ENOMEM:
    return kErrorNotEnoughMemory;
  case EROFS:
    return kErrorWriteProtect;
  case EBUSY:
  case ETXTBSY:
    return kErrorSharingViolation;
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
    return kErrorDiskFull;
  case EEXIST:
    return kErrorFileExists;
  case EINVAL:
    return kErrorInvalidParameter;
  case ENOTEMPTY:
    return kErrorDirNotEmpty;
  case ENAMETOOLONG:
    return kErrorFilenameExcedRange;
  case ENOTSUP:
    return kErrorNotSupported;
  case EIO:
  case ENXIO:
  case ENODEV:
  case ENOMEDIUM:
    return kErrorNotReady;
  default:
    return kErrorAccessDenied;
  }
}

namespace {

const char* TypeName(DriveType type) {
  return type == DriveType::Removable ? "removable" : "fixed";
}

bool ParseLine(const std::string& line, DriveMapEntry& entry) {
  // Split at every tab, keeping a trailing empty field (a drive without a raw source).
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos)
      break;
    start = tab + 1;
  }
  if (fields.size() != 4 || fields[0].size() != 1 ||
      !std::isalpha(static_cast<unsigned char>(fields[0][0])))
    return false;
  entry.Letter = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[0][0])));
  if (fields[1] == "fixed")
    entry.Type = DriveType::Fixed;
  else if (fields[1] == "removable")
    entry.Type = DriveType::Removable;
  else
    return false;
  entry.MountFolder = fields[2];
  entry.RawSource = fields[3];
  return !entry.MountFolder.empty();
}

} // namespace

std::string CDriveMapFile::Location() {
  return StateFolder() + "/drives";
}

bool CDriveMapFile::List(std::vector<DriveMapEntry>& entries) {
  entries.clear();
  struct stat st;
  if (::stat(Location().c_str(), &st) != 0)
    return errno == ENOENT; // no map yet: no drives
  std::ifstream in(Location());
  if (!in)
    return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    DriveMapEntry entry;
    // A damaged line is passed over; the others still name their drives.
    if (!ParseLine(line, entry))
      continue;
    auto same = [&](const DriveMapEntry& e) { return e.Letter == entry.Letter; };
    entries.erase(std::remove_if(entries.begin(), entries.end(), same), entries.end());
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(),
            [](const DriveMapEntry& a, const DriveMapEntry& b) { return a.Letter < b.Letter; });
  return true;
}

std::optional<DriveMapEntry> CDriveMapFile::Find(char letter) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  std::vector<DriveMapEntry> entries;
  List(entries);
  for (const DriveMapEntry& entry : entries)
    if (entry.Letter == letter)
      return entry;
  return std::nullopt;
}

bool CDriveMapFile::Save(const std::vector<DriveMapEntry>& entries, std::string& error) {
  if (!MakeFolders(StateFolder())) {
    error = "cannot create " + StateFolder();
    return false;
  }
  std::string text = "# Blankwright drive map: letter, type, mount folder, raw source\n";
  for (const DriveMapEntry& entry : entries)
    text += std::string(1, entry.Letter) + '\t' + TypeName(entry.Type) + '\t' + entry.MountFolder +
            '\t' + entry.RawSource + '\n';
  return WriteFileAtomically(Location(), text, error);
}

bool CDriveMapFile::Add(const DriveMapEntry& added, std::string& error) {
  DriveMapEntry entry = added;
  if (!std::isalpha(static_cast<unsigned char>(entry.Letter))) {
    error = "not a drive letter";
    return false;
  }
  entry.Letter = static_cast<char>(std::toupper(static_cast<unsigned char>(entry.Letter)));
  for (const std::string* field : {&entry.MountFolder, &entry.RawSource})
    if (field->find_first_of("\t\n") != std::string::npos) {
      error = "paths with tabs or line breaks cannot be mapped";
      return false;
    }
  std::vector<DriveMapEntry> entries;
  if (!List(entries)) {
    error = "cannot read " + Location();
    return false;
  }
  auto same = [&](const DriveMapEntry& e) { return e.Letter == entry.Letter; };
  entries.erase(std::remove_if(entries.begin(), entries.end(), same), entries.end());
  entries.push_back(entry);
  std::sort(entries.begin(), entries.end(),
            [](const DriveMapEntry& a, const DriveMapEntry& b) { return a.Letter < b.Letter; });
  return Save(entries, error);
}

bool CDriveMapFile::Remove(char letter, std::string& error) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  std::vector<DriveMapEntry> entries;
  if (!List(entries)) {
    error = "cannot read " + Location();
    return false;
  }
  auto same = [&](const DriveMapEntry& e) { return e.Letter == letter; };
  auto end = std::remove_if(entries.begin(), entries.end(), same);
  if (end == entries.end()) {
    error = std::string("drive ") + letter + ": is not mapped";
    return false;
  }
  entries.erase(end, entries.end());
  return Save(entries, error);
}

bool CDriveMapFile::FindMountSource(const std::string& folder, std::string& source,
                                    std::string& reason) {
  dev_t device;
  if (!CheckMountFolder(folder, "", device, reason))
    return false;
  std::vector<MountRecord> mounts;
  char* canonical = ::realpath(folder.c_str(), nullptr);
  std::string path = canonical ? canonical : folder;
  std::free(canonical);
  const MountRecord* mount = ReadMountTable(mounts) ? FindMount(mounts, path) : nullptr;
  if (!mount || !MountRawSource(*mount, source)) {
    reason = folder + " is a mount point of " + (mount ? mount->Source : std::string("?")) +
             ", which reads from no device or image file; give --source";
    return false;
  }
  return true;
}

bool CDriveMapFile::CheckMount(const DriveMapEntry& entry, std::string& reason) {
  dev_t device;
  return CheckMountFolder(entry.MountFolder, entry.RawSource, device, reason);
}

bool HostPathOnDrive(const std::vector<DriveMapEntry>& drives, const std::string& hostPath,
                     FullPath& path, std::string& reason) {
  reason.clear();
  const DriveMapEntry* best = nullptr;
  size_t bestLength = 0;
  for (const DriveMapEntry& drive : drives) {
    char* mount = ::realpath(drive.MountFolder.c_str(), nullptr);
    if (!mount)
      continue;
    std::string prefix = mount;
    std::free(mount);
    if (prefix.back() != '/')
      prefix += '/';
    if ((hostPath + '/').compare(0, prefix.size(), prefix) != 0 || prefix.size() <= bestLength)
      continue;
    best = &drive;
    bestLength = prefix.size();
  }
  if (!best)
    return false;
  FullPath found;
  found.Drive = best->Letter;
  std::stringstream rest(bestLength <= hostPath.size() ? hostPath.substr(bestLength) : "");
  std::string name;
  while (std::getline(rest, name, '/')) {
    if (name.empty() || name == ".")
      continue;
    // A separator, a drive colon or a wildcard would mean something else on a drive path.
    if (name.find_first_of("\\:*?") != std::string::npos) {
      reason = "the name \"" + name + "\" cannot be written on a drive path";
      return false;
    }
    found.Names.push_back(name);
  }
  path = found;
  return true;
}

bool CDriveMapFile::ToDrivePath(const std::string& hostPath, std::string& drivePath,
                                std::string& reason) {
  std::vector<DriveMapEntry> drives;
  FullPath path;
  if (!List(drives) || !HostPathOnDrive(drives, hostPath, path, reason))
    return false;
  drivePath = path.Text();
  return true;
}

} // namespace bw::posix
