// Windows attribute bits on Linux file systems. Read-only comes from the write permission bits;
// hidden, system and archive live where the file system keeps them: in the FAT attribute byte
// of the kernel's vfat driver (FAT_IOCTL_GET/SET_ATTRIBUTES) and in the NTFS attribute word that
// ntfs-3g shows as the "system.ntfs_attrib_be" extended attribute. Elsewhere they are reported
// clear and setting them does nothing.
#pragma once

#include "platform/posix/HostEntry.h"

#include <cstdint>
#include <string>

namespace bw::posix {

enum class AttributeStore {
  ModeBits,  ///< only read-only, from the write permission bits
  FatIoctl,  ///< the FAT attribute byte (kernel vfat)
  NtfsXattr, ///< the NTFS attribute word (ntfs-3g)
};

/// Which store the file system holding the folder dirFd keeps its attributes in.
AttributeStore AttributeStoreOf(int dirFd);

/// The attribute bits of name in dirFd, described by info (kFileAttributeNormal when no other
/// bit is set). A symbolic link is reported as a reparse point, with the directory bit when it
/// points at a folder.
uint32_t ReadAttributes(int dirFd, const std::string& name, const EntryInfo& info,
                        AttributeStore store);

/// Sets the settable bits of attributes on name in dirFd (a regular file or a folder; name ""
/// is dirFd itself). Bits the store cannot hold are dropped; a symbolic link is left as it is.
/// False with errno set when the store refused.
bool WriteAttributes(int dirFd, const std::string& name, const EntryInfo& info,
                     AttributeStore store, uint32_t attributes);

} // namespace bw::posix
