#include "platform/posix/FileAttributes.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>

namespace bw::posix {
namespace {

constexpr const char* kNtfsAttributeName = "system.ntfs_attrib_be";
constexpr unsigned long kFuseMagic = 0x65735546;  // ntfs-3g and every other FUSE file system
constexpr unsigned long kNtfs3Magic = 0x7366746e; // the kernel's ntfs3 driver, same attribute

constexpr uint32_t kFatBits =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;

constexpr uint32_t kNtfsReported =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive |
    kFileAttributeTemporary | kFileAttributeSparseFile | kFileAttributeReparsePoint |
    kFileAttributeCompressed | kFileAttributeOffline | kFileAttributeNotContentIndexed |
    kFileAttributeEncrypted;

// Opens an entry only to reach its attribute store; never a device, a pipe or a link.
CFd OpenForAttributes(int dirFd, const std::string& name, const EntryInfo& info) {
  if (!S_ISREG(info.Mode) && !S_ISDIR(info.Mode))
    return CFd();
  return CFd(::openat(dirFd, name.empty() ? "." : name.c_str(),
                      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

// ntfs-3g's attribute word is reached by path through the folder's descriptor, so that nothing
// has to be opened: it shows some entries (empty system files, the Interix convention for
// FIFOs) as special files that must not be opened as files.
std::string NtfsPath(int dirFd, const std::string& name) {
  return "/proc/self/fd/" + std::to_string(dirFd) + "/" + (name.empty() ? "." : name);
}

bool ReadNtfsWord(int dirFd, const std::string& name, uint32_t& word) {
  uint8_t bytes[4];
  if (::lgetxattr(NtfsPath(dirFd, name).c_str(), kNtfsAttributeName, bytes, sizeof(bytes)) !=
      sizeof(bytes))
    return false;
  word = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         bytes[3];
  return true;
}

bool WriteNtfsWord(int dirFd, const std::string& name, uint32_t word) {
  uint8_t bytes[4] = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                      static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
  return ::lsetxattr(NtfsPath(dirFd, name).c_str(), kNtfsAttributeName, bytes, sizeof(bytes), 0) ==
         0;
}

// Read-only as permission bits: no write bit at all. Clearing it gives the owner write access,
// which is what a Windows user would expect of a file that is no longer read-only.
bool WriteModeBits(int dirFd, const std::string& name, const EntryInfo& info, bool readOnly) {
  if (!S_ISREG(info.Mode) || name.empty())
    return true;
  mode_t mode = info.Mode & 07777;
  bool isReadOnly = (mode & 0222) == 0;
  if (readOnly == isReadOnly)
    return true;
  mode = readOnly ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
  return ::fchmodat(dirFd, name.c_str(), mode, 0) == 0;
}

} // namespace

AttributeStore AttributeStoreOf(int dirFd) {
  struct statfs fs;
  if (::fstatfs(dirFd, &fs) != 0)
    return AttributeStore::ModeBits;
  auto type = static_cast<unsigned long>(fs.f_type);
  if (type == MSDOS_SUPER_MAGIC)
    return AttributeStore::FatIoctl;
  uint32_t word;
  if ((type == kFuseMagic || type == kNtfs3Magic) && ReadNtfsWord(dirFd, "", word))
    return AttributeStore::NtfsXattr;
  return AttributeStore::ModeBits;
}

uint32_t ReadAttributes(int dirFd, const std::string& name, const EntryInfo& info,
                        AttributeStore store) {
  if (S_ISLNK(info.Mode))
    return kFileAttributeReparsePoint | (info.LinkToFolder ? kFileAttributeDirectory : 0);
  bool folder = S_ISDIR(info.Mode);
  uint32_t attributes = folder ? kFileAttributeDirectory : 0;
  if (!folder && (info.Mode & 0222) == 0)
    attributes |= kFileAttributeReadOnly;
  uint32_t kept = 0;
  if (store == AttributeStore::FatIoctl) {
    CFd fd = OpenForAttributes(dirFd, name, info);
    if (fd.Valid() && ::ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &kept) == 0)
      attributes |= kept & kFatBits;
  } else if (store == AttributeStore::NtfsXattr && ReadNtfsWord(dirFd, name, kept)) {
    attributes |= kept & kNtfsReported;
  }
  return attributes == 0 ? kFileAttributeNormal : attributes;
}

bool WriteAttributes(int dirFd, const std::string& name, const EntryInfo& info,
                     AttributeStore store, uint32_t attributes) {
  if (S_ISLNK(info.Mode))
    return true;
  const uint32_t wanted = attributes & kSettableFileAttributes;
  const bool readOnly = (wanted & kFileAttributeReadOnly) != 0;
  if (store == AttributeStore::ModeBits)
    return WriteModeBits(dirFd, name, info, readOnly);
  // The FAT root directory has no attribute byte of its own.
  if (store == AttributeStore::FatIoctl && name.empty())
    return true;
  if (store == AttributeStore::FatIoctl) {
    CFd fd = OpenForAttributes(dirFd, name, info);
    if (!fd.Valid())
      return false;
    uint32_t current = 0;
    if (::ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &current) != 0)
      return false;
    uint32_t updated = (current & ~kFatBits) | (wanted & kFatBits);
    return updated == current || ::ioctl(fd.Get(), FAT_IOCTL_SET_ATTRIBUTES, &updated) == 0;
  }
  uint32_t current = 0;
  if (!ReadNtfsWord(dirFd, name, current))
    return false;
  uint32_t updated = (current & ~kSettableFileAttributes) | wanted;
  // ntfs-3g takes an empty file with the system bit for an Interix FIFO, and the file's open
  // handles fail from then on: an empty file does not get the bit here.
  if (S_ISREG(info.Mode) && info.Size == 0)
    updated &= ~kFileAttributeSystem;
  if (updated == 0)
    updated = kFileAttributeNormal;
  if (updated != current && !WriteNtfsWord(dirFd, name, updated))
    return false;
  // Mounted with permissions, ntfs-3g also keeps write bits; keep them in step where it lets us.
  int saved = errno;
  WriteModeBits(dirFd, name, info, readOnly);
  errno = saved;
  return true;
}

} // namespace bw::posix
