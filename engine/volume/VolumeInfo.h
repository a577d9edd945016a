// CVolumeInfo: one drive's file system and geometry, read from its boot sector.
//
// Every boot-sector field is untrusted: detection range-checks each one and refuses the volume,
// with a reason, rather than hand out a geometry that would send a later read outside the
// volume or past a buffer.
#pragma once

#include "engine/volume/OsFamily.h"

#include <cstdint>
#include <string>

namespace bw {

class IPlatform;

enum class FileSystemType : uint8_t {
  NotRead = 0,
  Ntfs = 1,
  Fat12 = 12,
  Fat16 = 16,
  Fat32 = 32,
};

/// "FAT12", "FAT16", "FAT32", "NTFS" or "Unknown".
const char* FileSystemTypeName(FileSystemType type);

/// The largest cluster any reader here accepts; bigger ones are refused at detection.
constexpr uint32_t kMaxBytesPerCluster = 2u * 1024 * 1024;

class CVolumeInfo {
public:
  explicit CVolumeInfo(IPlatform& platform);

  /// Sets letter, type, family and first data sector to 0.
  void Clear();

  /// False when letter is not alphabetic; else stores it upper-cased and runs detection.
  bool Open(char letter);

  /// Reads sector 0 and classifies it. True when it was read and every field used is sound;
  /// otherwise GetFailureReason says why.
  bool Detect();

  char GetDriveLetter() const { return _letter; }
  FileSystemType GetFileSystemType() const { return _type; }
  bool IsFat() const;
  uint16_t GetOsFamily() const { return _osFamily; }

  uint32_t GetBytesPerSector() const;
  uint32_t GetSectorsPerCluster() const;
  uint32_t GetBytesPerCluster() const;
  uint32_t GetReservedSectors() const;
  uint32_t GetNumberOfFats() const;
  uint32_t GetRootEntryCount() const;
  /// The 16-bit field on FAT12/16, the 32-bit field on FAT32, 0 on NTFS.
  uint32_t GetSectorsPerFat() const;
  uint32_t GetRootDirectoryCluster() const;
  uint32_t GetFirstDataSector() const { return _firstDataSector; }

  /// FAT: (total sectors - first data sector) / sectors per cluster; 0 on NTFS.
  uint32_t GetClusterCount() const;
  /// NTFS: (total sectors - reserved sectors) / sectors per cluster; 0 on FAT.
  uint64_t GetNtfsClusterCount() const;

  /// Free bytes of the drive, or all ones when the query fails.
  uint64_t GetFreeBytes();

  /// Reads count sectors (of this volume's size) from sector first into buffer, which must
  /// hold count * GetBytesPerSector() bytes. Fails for sectors outside the volume.
  bool ReadSectors(void* buffer, uint64_t first, uint32_t count);

  /// Reads one cluster into buffer (GetBytesPerCluster() bytes). FAT clusters are numbered
  /// from 2, NTFS clusters from 0; numbers outside the volume fail without reading.
  bool ReadCluster(void* buffer, uint64_t cluster) { return ReadClusters(buffer, cluster, 1); }

  /// Reads count clusters that lie one after the other, from cluster first, in one read into
  /// buffer (count * GetBytesPerCluster() bytes). Fails without reading when any of them lies
  /// outside the volume.
  bool ReadClusters(void* buffer, uint64_t first, uint32_t count);

  /// True when the last Detect read sector 0, whether or not it then accepted the volume.
  bool WasBootSectorRead() const { return _bootSectorRead; }

  /// Why the last Open or Detect failed, as one line.
  const std::string& GetFailureReason() const { return _failure; }

private:
  bool Fail(std::string reason);
  bool ReadBootSector(uint8_t* buffer, uint32_t size);
  bool ClassifyFat(const uint8_t* sector);
  bool ClassifyNtfs(const uint8_t* sector);

  IPlatform& _platform;
  uint8_t _fatBoot[54] = {};
  uint8_t _ntfsBoot[84] = {};
  char _letter = 0;
  FileSystemType _type = FileSystemType::NotRead;
  uint16_t _osFamily = 0;
  uint32_t _firstDataSector = 0;
  bool _bootSectorRead = false;
  // Derived at detection, after validation.
  uint32_t _sectorsPerCluster = 0;
  uint64_t _totalSectors = 0;
  std::string _failure;
};

/// Free bytes available to the caller on drive letter, read the way OS family reads them; all
/// ones on failure.
uint64_t GetFreeBytes(IPlatform& platform, char letter, uint16_t osFamily);

/// Bytes per cluster as the system reports them for the drive root; 512 when that is not a
/// multiple of 512; 0 when the query fails.
uint32_t GetSystemClusterSize(IPlatform& platform, char letter);

/// Reads count sectors of sectorSize bytes through the reader of osFamily; any other family
/// fails without reading.
bool ReadSectors(IPlatform& platform, uint16_t osFamily, char letter, uint64_t first,
                 uint32_t count, uint32_t sectorSize, void* buffer);

} // namespace bw
