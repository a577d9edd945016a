#include "engine/volume/FatDirectory.h"

#include "platform/Bytes.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <algorithm>

namespace bw {
namespace {

constexpr uint8_t kEntryEnd = 0x00;
constexpr uint8_t kEntryDeleted = 0xE5;
constexpr uint8_t kAttributeLongName = 0x0F;
constexpr uint8_t kAttributeDirectory = 0x10;

// Where the thirteen characters of a long-name entry lie.
constexpr size_t kLongNameOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

bool IsLongNameEntry(const uint8_t* entry) {
  return (entry[11] & 0x3F) == kAttributeLongName;
}

uint32_t FirstCluster(const uint8_t* entry, FileSystemType type) {
  uint32_t cluster = Get16(entry + 26);
  if (type == FileSystemType::Fat32)
    cluster |= static_cast<uint32_t>(Get16(entry + 20)) << 16;
  return cluster;
}

} // namespace

std::string ShortEntryName(const uint8_t* entry) {
  std::string name;
  for (size_t i = 0; i < 8; ++i) {
    char c = static_cast<char>(entry[i]);
    if (i == 0 && entry[0] == 0x05) // a name that really starts with 0xE5
      c = static_cast<char>(0xE5);
    if (c != ' ')
      name += c;
  }
  bool dot = false;
  for (size_t i = 8; i < 11; ++i) {
    if (entry[i] == ' ')
      continue;
    if (!dot) {
      name += '.';
      dot = true;
    }
    name += static_cast<char>(entry[i]);
  }
  return name;
}

uint32_t FindDirectoryEntry(const uint8_t* data, size_t length, const std::string& name,
                            FileSystemType type) {
  size_t offset = 0;
  while (offset + kDirectoryEntrySize <= length) {
    const uint8_t* entry = data + offset;
    if (entry[0] == kEntryEnd)
      return 0;
    if (entry[0] == kEntryDeleted) {
      offset += kDirectoryEntrySize;
      continue;
    }
    if (IsLongNameEntry(entry)) {
      // The parts come last first, each in front of what is collected so far.
      std::string longName;
      while (offset + kDirectoryEntrySize <= length && IsLongNameEntry(data + offset) &&
             data[offset] != kEntryEnd && data[offset] != kEntryDeleted) {
        std::string part;
        for (size_t at : kLongNameOffsets) {
          uint8_t low = data[offset + at];
          if (low != 0x00 && low != 0xFF)
            part += static_cast<char>(low);
        }
        longName = part + longName;
        offset += kDirectoryEntrySize;
      }
      if (offset + kDirectoryEntrySize > length)
        return 0; // the run reached the end of the data: no short entry follows
      const uint8_t* shortEntry = data + offset;
      if (shortEntry[0] == kEntryEnd)
        return 0;
      if (shortEntry[0] == kEntryDeleted || IsLongNameEntry(shortEntry) ||
          !(shortEntry[11] & kAttributeDirectory))
        continue; // go on with the walk from the entry reached
      if (SameName(longName, name))
        return FirstCluster(shortEntry, type);
      // A folder may be asked for by its 8.3 name although it has a long one.
      if (SameName(ShortEntryName(shortEntry), name))
        return FirstCluster(shortEntry, type);
      offset += kDirectoryEntrySize;
      continue;
    }
    if ((entry[11] & kAttributeDirectory) && SameName(ShortEntryName(entry), name))
      return FirstCluster(entry, type);
    offset += kDirectoryEntrySize;
  }
  return 0;
}

bool CFatDirectoryReader::Fail(std::string reason) {
  _failure = std::move(reason);
  _chainTooLong = false;
  return false;
}

bool CFatDirectoryReader::ReadFatSectors(uint64_t fatSector, uint32_t count) {
  if (_cachedSector == fatSector && _cachedCount >= count)
    return true;
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  if (!TryResize(_fatSectors, size_t{2} * bytesPerSector))
    return Fail("out of memory");
  _cachedSector = ~uint64_t{0};
  if (!_volume.ReadSectors(_fatSectors.data(), _volume.GetReservedSectors() + fatSector, count))
    return Fail("FAT sector " + std::to_string(fatSector) + " could not be read");
  _cachedSector = fatSector;
  _cachedCount = count;
  return true;
}

bool CFatDirectoryReader::ReadFatEntry(uint32_t cluster, uint32_t& value) {
  FileSystemType type = _volume.GetFileSystemType();
  if (!_volume.IsFat())
    return Fail("not a FAT volume");
  if (cluster < 2 || cluster > _volume.GetClusterCount() + 1)
    return Fail("cluster " + std::to_string(cluster) + " is outside the volume");
  uint64_t offset;
  switch (type) {
  case FileSystemType::Fat12:
    offset = uint64_t{cluster} * 3 / 2;
    break;
  case FileSystemType::Fat16:
    offset = uint64_t{cluster} * 2;
    break;
  default:
    offset = uint64_t{cluster} * 4;
    break;
  }
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint64_t sector = offset / bytesPerSector;
  size_t within = static_cast<size_t>(offset % bytesPerSector);
  // A FAT12 entry may straddle two FAT sectors; its second byte comes from the next one.
  uint32_t count = (type == FileSystemType::Fat12 && within == bytesPerSector - 1) ? 2 : 1;
  if (!ReadFatSectors(sector, count))
    return false;
  const uint8_t* p = _fatSectors.data() + within;
  switch (type) {
  case FileSystemType::Fat12: {
    uint16_t word = Get16(p);
    value = (cluster & 1) ? (word >> 4) : (word & 0x0FFF);
    break;
  }
  case FileSystemType::Fat16:
    value = Get16(p);
    break;
  default:
    value = Get32(p);
    break;
  }
  return true;
}

bool CFatDirectoryReader::IsEndOfChain(uint32_t value) const {
  switch (_volume.GetFileSystemType()) {
  case FileSystemType::Fat12:
    return value >= 0xFF8;
  case FileSystemType::Fat16:
    return value >= 0xFFF8;
  default:
    return (value & 0x0FFFFFFF) >= 0x0FFFFFF8;
  }
}

bool CFatDirectoryReader::ReadClusterChain(uint32_t firstCluster, std::vector<uint8_t>& data,
                                           std::vector<uint32_t>* chainOut) {
  uint32_t lastCluster = _volume.GetClusterCount() + 1;
  if (!_volume.IsFat())
    return Fail("not a FAT volume");
  if (firstCluster < 2 || firstCluster > lastCluster)
    return Fail("first cluster " + std::to_string(firstCluster) + " is outside the volume");

  std::vector<uint32_t> chain{firstCluster};
  for (;;) {
    uint32_t value;
    if (!ReadFatEntry(chain.back(), value))
      return false;
    if (IsEndOfChain(value))
      break;
    if (chain.size() >= kMaxDirectoryChain) {
      Fail("cluster chain > 80");
      _chainTooLong = true;
      return false;
    }
    if (_volume.GetFileSystemType() == FileSystemType::Fat32)
      value &= 0x0FFFFFFF;
    if (value < 2 || value > lastCluster)
      return Fail("cluster chain breaks at cluster " + std::to_string(chain.back()) +
                  ": next cluster " + std::to_string(value) + " is outside the volume");
    if (std::find(chain.begin(), chain.end(), value) != chain.end())
      return Fail("cluster chain loops back to cluster " + std::to_string(value));
    chain.push_back(value);
  }

  size_t clusterBytes = _volume.GetBytesPerCluster();
  if (!TryResize(data, chain.size() * clusterBytes))
    return Fail("out of memory");
  for (size_t i = 0; i < chain.size(); ++i)
    if (!_volume.ReadCluster(data.data() + i * clusterBytes, chain[i]))
      return Fail("cluster " + std::to_string(chain[i]) + " could not be read");
  if (chainOut)
    *chainOut = std::move(chain);
  return true;
}

bool CFatDirectoryReader::ReadRootDirectory(std::vector<uint8_t>& data) {
  switch (_volume.GetFileSystemType()) {
  case FileSystemType::Fat12:
  case FileSystemType::Fat16: {
    uint32_t bytesPerSector = _volume.GetBytesPerSector();
    size_t length = size_t{_volume.GetRootEntryCount()} * kDirectoryEntrySize;
    uint32_t sectors = static_cast<uint32_t>((length + bytesPerSector - 1) / bytesPerSector);
    uint64_t first = uint64_t{_volume.GetReservedSectors()} +
                     uint64_t{_volume.GetNumberOfFats()} * _volume.GetSectorsPerFat();
    if (!TryResize(data, size_t{sectors} * bytesPerSector))
      return Fail("out of memory");
    if (!_volume.ReadSectors(data.data(), first, sectors))
      return Fail("the root directory could not be read");
    data.resize(length);
    return true;
  }
  case FileSystemType::Fat32:
    return ReadClusterChain(_volume.GetRootDirectoryCluster(), data);
  default:
    return Fail("not a FAT volume");
  }
}

bool CFatDirectoryReader::LocateDirectory(const std::string& path, const std::vector<uint8_t>& root,
                                          std::vector<uint8_t>& data) {
  if (path.size() < 3)
    return Fail("not a folder path: " + path);
  std::vector<uint8_t> current = root;
  size_t start = 3;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos)
      end = path.size();
    std::string name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty())
      continue;
    uint32_t cluster =
        FindDirectoryEntry(current.data(), current.size(), name, _volume.GetFileSystemType());
    if (cluster == 0)
      return Fail("folder " + name + " not found in " + path);
    std::vector<uint8_t> next;
    if (!ReadClusterChain(cluster, next))
      return false;
    current.swap(next);
  }
  data.swap(current);
  return true;
}

} // namespace bw
