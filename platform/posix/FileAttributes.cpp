#include "platform/posix/FileAttributes.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
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

bool ReadNtfsWord(int fd, uint32_t& word) {
  uint8_t bytes[4];
  if (::fgetxattr(fd, kNtfsAttributeName, bytes, sizeof(bytes)) != sizeof(bytes))
    return false;
  word = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         bytes[3];
  return true;
}

bool WriteNtfsWord(int fd, uint32_t word) {
  uint8_t bytes[4] = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                      static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
  return ::fsetxattr(fd, kNtfsAttributeName, bytes, sizeof(bytes), 0) == 0;
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
  if (type == kFuseMagic || type == kNtfs3Magic) {
    CFd folder(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    uint32_t word;
    if (folder.Valid() && ReadNtfsWord(folder.Get(), word))
      return AttributeStore::NtfsXattr;
  }
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
  if (store != AttributeStore::ModeBits) {
    CFd fd = OpenForAttributes(dirFd, name, info);
    if (fd.Valid()) {
      uint32_t kept = 0;
      if (store == AttributeStore::FatIoctl &&
          ::ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &kept) == 0)
        attributes |= kept & kFatBits;
      else if (store == AttributeStore::NtfsXattr && ReadNtfsWord(fd.Get(), kept))
        attributes |= kept & kNtfsReported;
    }
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
  CFd fd = OpenForAttributes(dirFd, name, info);
  if (!fd.Valid())
    return false;
  if (store == AttributeStore::FatIoctl) {
    uint32_t current = 0;
    if (::ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &current) != 0)
      return false;
    uint32_t updated = (current & ~kFatBits) | (wanted & kFatBits);
    return updated == current || ::ioctl(fd.Get(), FAT_IOCTL_SET_ATTRIBUTES, &updated) == 0;
  }
  uint32_t current = 0;
  if (!ReadNtfsWord(fd.Get(), current))
    return false;
  uint32_t updated = (current & ~kSettableFileAttributes) | wanted;
  if (updated == 0)
    updated = kFileAttributeNormal;
  if (updated != current && !WriteNtfsWord(fd.Get(), updated))
    return false;
  // Mounted with permissions, ntfs-3g also keeps write bits; keep them in step where it lets us.
  int saved = errno;
  WriteModeBits(dirFd, name, info, readOnly);
  errno = saved;
  return true;
}

} // namespace bw::posix
