// The host's mount table, read to tell whether a drive's mount folder really holds its volume.
//
// A folder whose volume is not mounted (never mounted, unmounted since, a stick pulled) is an
// ordinary folder of whatever file system holds it, usually the system disk: a wipe there would
// fill that disk instead. So before a job touches a drive, its folder must be a mount point and
// the mount's source must be the drive's raw source: the same block device, the image file a
// loop device is backed by, or the image file a FUSE file system (ntfs-3g) was given.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace bw::posix {

/// One line of /proc/self/mountinfo.
struct MountRecord {
  uint32_t Major = 0; ///< the device number files on the mount report
  uint32_t Minor = 0;
  std::string MountPoint; ///< unescaped
  std::string Type;       ///< "vfat", "fuseblk", "tmpfs"
  std::string Source;     ///< unescaped; a path for device- or file-backed mounts
};

/// Parses one line of mountinfo; false for a line of another form.
bool ParseMountLine(const std::string& line, MountRecord& record);

/// The mounts of this process, in mount order; false when the table cannot be read.
bool ReadMountTable(std::vector<MountRecord>& mounts);

/// The mount whose mount point is folder (canonical); the last one mounted there wins, as it
/// hides the others. Null when folder is not a mount point.
const MountRecord* FindMount(const std::vector<MountRecord>& mounts, const std::string& folder);

/// True when mount reads its data from rawSource: the same file or device, a loop device
/// backed by that file, or a block device of that number. A mount whose source is no path
/// (tmpfs and its kind) has no raw source to compare and is accepted as it is.
bool MountUsesSource(const MountRecord& mount, const std::string& rawSource);

/// The raw source a mount reads from, for mapping a drive to it: the source device or image,
/// or a loop device's backing file when the device itself cannot be read and the file starts
/// at offset 0. False when the mount has no such source.
bool MountRawSource(const MountRecord& mount, std::string& rawSource);

/// Checks that folder is a mount point of rawSource (empty: of anything). On success device
/// receives the device number files on the mount report; on failure reason a one-line reason
/// that names the folder.
bool CheckMountFolder(const std::string& folder, const std::string& rawSource, dev_t& device,
                      std::string& reason);

} // namespace bw::posix
