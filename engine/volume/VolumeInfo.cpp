#include "engine/volume/VolumeInfo.h"

#include "platform/Bytes.h"
#include "platform/Platform.h"

#include <cctype>
#include <cstring>

namespace bw {
namespace {

// Sector 0 is read into a buffer that holds the largest sector size accepted, so that a 9x
// reader, which reads sectors of the device's own size, can never write past it.
constexpr uint32_t kMaxSectorSize = 4096;

// A FAT with no more clusters than this is FAT12, as every FAT driver decides it.
constexpr uint32_t kMaxFat12Clusters = 4084;
constexpr uint32_t kMaxFat16Clusters = 65524;

// An NTFS volume beyond 2^48 sectors would make cluster-to-sector products unsafe.
constexpr uint64_t kMaxNtfsSectors = 1ull << 48;

bool IsSectorSize(uint32_t bytes) {
  return bytes == 512 || bytes == 1024 || bytes == 2048 || bytes == 4096;
}

bool IsPowerOfTwo(uint32_t v) {
  return v != 0 && (v & (v - 1)) == 0;
}

// NTFS stores clusters of more than 128 sectors as a negative power of two.
uint32_t DecodeNtfsSectorsPerCluster(uint8_t field) {
  if (field <= 0x80)
    return IsPowerOfTwo(field) ? field : 0;
  uint32_t shift = 256u - field;
  return shift < 24 ? (1u << shift) : 0;
}

} // namespace

const char* FileSystemTypeName(FileSystemType type) {
  switch (type) {
  case FileSystemType::Ntfs:
    return "NTFS";
  case FileSystemType::Fat12:
    return "FAT12";
  case FileSystemType::Fat16:
    return "FAT16";
  case FileSystemType::Fat32:
    return "FAT32";
  default:
    return "Unknown";
  }
}

CVolumeInfo::CVolumeInfo(IPlatform& platform) : _platform(platform) {}

void CVolumeInfo::Clear() {
  _letter = 0;
  _type = FileSystemType::NotRead;
  _osFamily = 0;
  _firstDataSector = 0;
  _sectorsPerCluster = 0;
  _totalSectors = 0;
}

bool CVolumeInfo::Fail(std::string reason) {
  _failure = std::move(reason);
  _type = FileSystemType::NotRead;
  _firstDataSector = 0;
  _sectorsPerCluster = 0;
  _totalSectors = 0;
  return false;
}

bool CVolumeInfo::Open(char letter) {
  _bootSectorRead = false;
  if (!std::isalpha(static_cast<unsigned char>(letter))) {
    _failure = "not a drive letter";
    return false;
  }
  _letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  return Detect();
}

bool CVolumeInfo::ReadBootSector(uint8_t* buffer, uint32_t size) {
  std::memset(buffer, 0, size);
  if (bw::ReadSectors(_platform, _osFamily, _letter, 0, 1, 512, buffer))
    return true;
  // A volume with 4096-byte sectors refuses a 512-byte read through a volume handle.
  if (_osFamily == kOsFamilyNt)
    return bw::ReadSectors(_platform, _osFamily, _letter, 0, 1, kMaxSectorSize, buffer);
  if (_osFamily == kOsFamilyWin98) {
    // Some drives refuse the newer call; the record keeps the older reader from then on.
    _osFamily = kOsFamilyWin95;
    return bw::ReadSectors(_platform, _osFamily, _letter, 0, 1, 512, buffer);
  }
  return false;
}

bool CVolumeInfo::Detect() {
  _osFamily = DetermineOsFamily(_platform.System().GetVersion());
  _type = FileSystemType::NotRead;
  uint8_t sector[kMaxSectorSize];
  _bootSectorRead = ReadBootSector(sector, sizeof(sector));
  if (!_bootSectorRead)
    return Fail(std::string("sector 0 of drive ") + _letter + ": could not be read");

  // The OEM name compared as a zero-terminated string: "NTFS    " needs a zero at byte 11.
  if (std::memcmp(sector + 3, "NTFS    ", 8) == 0 && sector[11] == 0)
    return ClassifyNtfs(sector);
  return ClassifyFat(sector);
}

bool CVolumeInfo::ClassifyNtfs(const uint8_t* sector) {
  std::memcpy(_ntfsBoot, sector, sizeof(_ntfsBoot));
  uint32_t bytesPerSector = Get16(sector + 11);
  if (!IsSectorSize(bytesPerSector))
    return Fail("NTFS boot sector: bytes per sector " + std::to_string(bytesPerSector) +
                " is not 512, 1024, 2048 or 4096");
  uint32_t sectorsPerCluster = DecodeNtfsSectorsPerCluster(sector[13]);
  if (sectorsPerCluster == 0)
    return Fail("NTFS boot sector: sectors per cluster field " + std::to_string(sector[13]) +
                " is not a power of two");
  if (static_cast<uint64_t>(bytesPerSector) * sectorsPerCluster > kMaxBytesPerCluster)
    return Fail("NTFS boot sector: clusters of " +
                std::to_string(uint64_t{bytesPerSector} * sectorsPerCluster) +
                " bytes are larger than any volume this program handles");
  uint64_t total = Get64(sector + 40);
  uint32_t reserved = Get16(sector + 14);
  if (total > kMaxNtfsSectors)
    return Fail("NTFS boot sector: total sector count " + std::to_string(total) +
                " is out of range");
  if (total <= reserved || (total - reserved) / sectorsPerCluster == 0)
    return Fail("NTFS boot sector: the volume holds no whole cluster");
  _type = FileSystemType::Ntfs;
  _firstDataSector = 0;
  _sectorsPerCluster = sectorsPerCluster;
  _totalSectors = total;
  _failure.clear();
  return true;
}

bool CVolumeInfo::ClassifyFat(const uint8_t* sector) {
  std::memcpy(_fatBoot, sector, sizeof(_fatBoot));
  uint32_t bytesPerSector = Get16(sector + 11);
  uint32_t sectorsPerCluster = sector[13];
  uint32_t reserved = Get16(sector + 14);
  uint32_t fats = sector[16];
  uint32_t rootEntries = Get16(sector + 17);
  uint32_t total16 = Get16(sector + 19);
  uint32_t fatSize16 = Get16(sector + 22);
  uint32_t total32 = Get32(sector + 32);
  uint32_t fatSize32 = Get32(sector + 36);

  if (!IsSectorSize(bytesPerSector))
    return Fail("boot sector: bytes per sector " + std::to_string(bytesPerSector) +
                " is not 512, 1024, 2048 or 4096");
  if (!IsPowerOfTwo(sectorsPerCluster) || sectorsPerCluster > 128)
    return Fail("boot sector: sectors per cluster " + std::to_string(sectorsPerCluster) +
                " is not a power of two from 1 to 128");
  if (reserved == 0)
    return Fail("boot sector: no reserved sectors");
  if (fats == 0)
    return Fail("boot sector: number of FATs is 0");
  uint64_t totalSectors = total16 != 0 ? total16 : total32;
  if (totalSectors == 0)
    return Fail("boot sector: total sector count is 0");

  bool fat32 = fatSize16 == 0;
  uint64_t fatSize = fat32 ? fatSize32 : fatSize16;
  if (fatSize == 0)
    return Fail("boot sector: sectors per FAT is 0");
  uint64_t rootSectors = 0;
  if (!fat32) {
    if (rootEntries == 0)
      return Fail("boot sector: root entry count is 0 on a FAT12/16 volume");
    rootSectors = (uint64_t{rootEntries} * 32 + bytesPerSector - 1) / bytesPerSector;
  }
  uint64_t firstData = reserved + fats * fatSize + rootSectors;
  if (firstData >= totalSectors || firstData > 0xFFFFFFFFu)
    return Fail("boot sector: total sectors " + std::to_string(totalSectors) +
                " leave no data area after sector " + std::to_string(firstData));
  uint64_t clusters = (totalSectors - firstData) / sectorsPerCluster;
  if (clusters == 0)
    return Fail("boot sector: the data area holds no whole cluster");

  FileSystemType type;
  uint32_t entryBits;
  if (fat32) {
    type = FileSystemType::Fat32;
    entryBits = 32;
    if (clusters > 0x0FFFFFF5u)
      return Fail("boot sector: too many clusters for FAT32");
    uint32_t rootCluster = Get32(sector + 44);
    if (rootCluster < 2 || rootCluster > clusters + 1)
      return Fail("boot sector: root directory cluster " + std::to_string(rootCluster) +
                  " is outside the volume");
  } else if (clusters <= kMaxFat12Clusters) {
    type = FileSystemType::Fat12;
    entryBits = 12;
  } else if (clusters <= kMaxFat16Clusters) {
    type = FileSystemType::Fat16;
    entryBits = 16;
  } else {
    return Fail("boot sector: " + std::to_string(clusters) +
                " clusters are too many for a 16-bit FAT");
  }
  // Every cluster's entry must lie inside the FAT, or a chain walk would read past it.
  if (fatSize * bytesPerSector * 8 < (clusters + 2) * entryBits)
    return Fail("boot sector: the FAT is too small for " + std::to_string(clusters) + " clusters");

  _type = type;
  _firstDataSector = static_cast<uint32_t>(firstData);
  _sectorsPerCluster = sectorsPerCluster;
  _totalSectors = totalSectors;
  _failure.clear();
  return true;
}

bool CVolumeInfo::IsFat() const {
  return _type == FileSystemType::Fat12 || _type == FileSystemType::Fat16 ||
         _type == FileSystemType::Fat32;
}

uint32_t CVolumeInfo::GetBytesPerSector() const {
  if (_type == FileSystemType::Ntfs)
    return Get16(_ntfsBoot + 11);
  return IsFat() ? Get16(_fatBoot + 11) : 0;
}

uint32_t CVolumeInfo::GetSectorsPerCluster() const {
  return _sectorsPerCluster;
}

uint32_t CVolumeInfo::GetBytesPerCluster() const {
  return GetBytesPerSector() * GetSectorsPerCluster();
}

uint32_t CVolumeInfo::GetReservedSectors() const {
  if (_type == FileSystemType::Ntfs)
    return Get16(_ntfsBoot + 14);
  return IsFat() ? Get16(_fatBoot + 14) : 0;
}

uint32_t CVolumeInfo::GetNumberOfFats() const {
  return IsFat() ? _fatBoot[16] : 0;
}

uint32_t CVolumeInfo::GetRootEntryCount() const {
  return IsFat() ? Get16(_fatBoot + 17) : 0;
}

uint32_t CVolumeInfo::GetSectorsPerFat() const {
  if (_type == FileSystemType::Fat32)
    return Get32(_fatBoot + 36);
  return IsFat() ? Get16(_fatBoot + 22) : 0;
}

uint32_t CVolumeInfo::GetRootDirectoryCluster() const {
  return _type == FileSystemType::Fat32 ? Get32(_fatBoot + 44) : 0;
}

uint32_t CVolumeInfo::GetClusterCount() const {
  if (!IsFat())
    return 0;
  return static_cast<uint32_t>((_totalSectors - _firstDataSector) / _sectorsPerCluster);
}

uint64_t CVolumeInfo::GetNtfsClusterCount() const {
  if (_type != FileSystemType::Ntfs)
    return 0;
  return (_totalSectors - GetReservedSectors()) / _sectorsPerCluster;
}

uint64_t CVolumeInfo::GetFreeBytes() {
  return bw::GetFreeBytes(_platform, _letter, _osFamily);
}

bool CVolumeInfo::ReadSectors(void* buffer, uint64_t first, uint32_t count) {
  if (_type == FileSystemType::NotRead || count == 0 || first >= _totalSectors ||
      count > _totalSectors - first)
    return false;
  return bw::ReadSectors(_platform, _osFamily, _letter, first, count, GetBytesPerSector(), buffer);
}

bool CVolumeInfo::ReadClusters(void* buffer, uint64_t first, uint32_t count) {
  if (count == 0 || first > ~uint64_t{0} - count)
    return false;
  uint64_t last = first + count - 1;
  uint64_t sector;
  if (IsFat()) {
    if (first < 2 || last > uint64_t{GetClusterCount()} + 1)
      return false;
    sector = (first - 2) * _sectorsPerCluster + _firstDataSector;
  } else if (_type == FileSystemType::Ntfs) {
    if (last >= GetNtfsClusterCount())
      return false;
    sector = first * _sectorsPerCluster;
  } else {
    return false;
  }
  uint64_t sectors = uint64_t{count} * _sectorsPerCluster;
  if (sectors > 0xFFFFFFFFu)
    return false;
  return ReadSectors(buffer, sector, static_cast<uint32_t>(sectors));
}

uint64_t GetFreeBytes(IPlatform& platform, char letter, uint16_t osFamily) {
  constexpr uint64_t kFailed = ~uint64_t{0};
  if (osFamily == kOsFamilyWin98 || osFamily == kOsFamilyNt) {
    uint64_t freeBytes;
    return platform.Drives().GetDiskFreeSpaceEx(letter, freeBytes) ? freeBytes : kFailed;
  }
  DiskFreeSpace space;
  if (!platform.Drives().GetDiskFreeSpace(letter, space))
    return kFailed;
  return uint64_t{space.SectorsPerCluster} * space.BytesPerSector * space.NumberOfFreeClusters;
}

uint32_t GetSystemClusterSize(IPlatform& platform, char letter) {
  DiskFreeSpace space;
  if (!platform.Drives().GetDiskFreeSpace(letter, space))
    return 0;
  uint64_t size = uint64_t{space.SectorsPerCluster} * space.BytesPerSector;
  if (size == 0 || size % 512 != 0 || size > 0xFFFFFFFFu)
    return 512;
  return static_cast<uint32_t>(size);
}

bool ReadSectors(IPlatform& platform, uint16_t osFamily, char letter, uint64_t first,
                 uint32_t count, uint32_t sectorSize, void* buffer) {
  RawReader reader;
  switch (osFamily) {
  case kOsFamilyNt:
    reader = RawReader::NtVolume;
    break;
  case kOsFamilyWin98:
    reader = RawReader::Ioctl7305;
    break;
  case kOsFamilyWin95:
    reader = RawReader::Int25;
    break;
  default:
    return false;
  }
  return platform.Drives().ReadSectors(reader, letter, first, count, sectorSize, buffer);
}

} // namespace bw
