// Drives: which letters exist, what kind they are, how much space they have, and raw sector
// reads that bypass the file system.
//
// Letters are 'A'..'Z' (callers pass upper case). Every call returns false (or the "unknown"
// value) on failure and never throws.
#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <string>

namespace bw {

/// The three sector readers, numbered after the OS family that uses each one.
enum class RawReader : uint16_t {
  Int25 = 1,     ///< VWIN32 absolute disk read (control code 2), Windows 95 family
  Ioctl7305 = 2, ///< VWIN32 INT 21h function 7305h (control code 6), Windows 98 family
  NtVolume = 3,  ///< a \\.\X: volume handle, NT family; the only reader outside Windows 9x
};

/// What GetDiskFreeSpaceA reports for a drive root.
struct DiskFreeSpace {
  uint32_t SectorsPerCluster = 0;
  uint32_t BytesPerSector = 0;
  uint32_t NumberOfFreeClusters = 0;
  uint32_t TotalNumberOfClusters = 0;
};

class IDrives {
public:
  virtual ~IDrives() = default;

  /// The logical-drive mask: bit 0 is A:, bit 25 is Z:.
  virtual uint32_t GetLogicalDrives() = 0;

  /// The type of the drive's root "X:\"; NoRootDir for a letter that names no drive.
  virtual DriveType GetDriveType(char letter) = 0;

  /// Free bytes available to the caller (GetDiskFreeSpaceExA). False when the query is not
  /// available or fails; freeBytes is defined only on success.
  virtual bool GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) = 0;

  /// The drive geometry the system reports (GetDiskFreeSpaceA); defined only on success.
  virtual bool GetDiskFreeSpace(char letter, DiskFreeSpace& space) = 0;

  /// Reads count whole sectors of sectorSize bytes, starting at sector first of the volume, into
  /// buffer (which must hold count * sectorSize bytes). A reader the platform does not have, a
  /// read past the end of the volume and a short read all fail; nothing is retried.
  virtual bool ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                           uint32_t sectorSize, void* buffer) = 0;

  /// Whether the volume behind letter is really there to be read and written. Where letters
  /// are mapped by hand to mount folders, the folder must be a mount point of the drive's raw
  /// source, or the files would land on whatever file system holds the bare folder. False with
  /// a one-line reason otherwise. Where letters are the system's own, always true.
  virtual bool CheckMounted(char letter, std::string& reason) = 0;
};

} // namespace bw
