#include "platform/memory/MemoryPlatform.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace bw::memory {
namespace {

char Upper(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

} // namespace

uint32_t CMemoryDrives::GetLogicalDrives() {
  uint32_t mask = 0;
  for (const auto& [letter, drive] : Drives)
    if (letter >= 'A' && letter <= 'Z')
      mask |= 1u << (letter - 'A');
  return mask;
}

DriveType CMemoryDrives::GetDriveType(char letter) {
  auto it = Drives.find(Upper(letter));
  return it == Drives.end() ? DriveType::NoRootDir : it->second.Type;
}

bool CMemoryDrives::GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) {
  auto it = Drives.find(Upper(letter));
  if (it != Drives.end() && it->second.FreeSpaceFails)
    return false;
  if (it != Drives.end() && it->second.FreeBytes) {
    freeBytes = *it->second.FreeBytes;
    return true;
  }
  const MemoryVolume* volume = Files ? Files->Volume(letter) : nullptr;
  if (!volume || !volume->Ready)
    return false;
  freeBytes = volume->FreeBytes;
  return true;
}

bool CMemoryDrives::GetDiskFreeSpace(char letter, DiskFreeSpace& space) {
  auto it = Drives.find(Upper(letter));
  if (it != Drives.end() && it->second.FreeSpaceFails)
    return false;
  if (it != Drives.end() && it->second.FreeSpace) {
    space = *it->second.FreeSpace;
    return true;
  }
  const MemoryVolume* volume = Files ? Files->Volume(letter) : nullptr;
  if (!volume || !volume->Ready || volume->ClusterSize == 0)
    return false;
  const uint32_t cluster = volume->ClusterSize;
  auto clamp = [](uint64_t v) { return static_cast<uint32_t>(std::min<uint64_t>(v, 0xFFFFFFFFu)); };
  if (cluster % 512 == 0) {
    space.BytesPerSector = 512;
    space.SectorsPerCluster = cluster / 512;
  } else {
    space.BytesPerSector = cluster;
    space.SectorsPerCluster = 1;
  }
  space.NumberOfFreeClusters = clamp(volume->FreeBytes / cluster);
  space.TotalNumberOfClusters = clamp((volume->FreeBytes + volume->UsedBytes) / cluster);
  return true;
}

bool CMemoryDrives::ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                                uint32_t sectorSize, void* buffer) {
  ReadCalls.push_back({reader, first, count, sectorSize});
  auto it = Drives.find(Upper(letter));
  if (it == Drives.end() || it->second.FailingReaders.count(reader) || count == 0 ||
      sectorSize == 0)
    return false;
  MemoryDrive& drive = it->second;
  uint64_t bytes = uint64_t{count} * sectorSize;
  if (first > drive.Image.size() / sectorSize || bytes > drive.Image.size() - first * sectorSize)
    return false;
  ++drive.Reads;
  std::memcpy(buffer, drive.Image.data() + first * sectorSize, bytes);
  return true;
}

bool CMemoryDrives::CheckMounted(char letter, std::string& reason) {
  letter = Upper(letter);
  MountChecks += letter;
  if (OnCheckMounted)
    OnCheckMounted(letter);
  auto it = Drives.find(letter);
  if (it == Drives.end() || !it->second.NotMounted)
    return true;
  reason = *it->second.NotMounted;
  return false;
}

} // namespace bw::memory
