#include "engine/volume/DeletedNames.h"

#include "engine/volume/FatDirectory.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/Bytes.h"

#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace bw {
namespace {

constexpr uint8_t kEntryEnd = 0x00;
constexpr uint8_t kEntryDeleted = 0xE5;
constexpr uint8_t kAttributeLongName = 0x0F;
constexpr uint8_t kAttributeDirectory = 0x10;
constexpr uint8_t kAttributeVolumeLabel = 0x08;
constexpr int kMaxDepth = 64;

bool IsLongName(const uint8_t* entry) {
  return (entry[11] & 0x3F) == kAttributeLongName;
}

bool HasName(const uint8_t* entry, const char* name, size_t from, size_t count) {
  return std::memcmp(entry + from, name + from, count) == 0;
}

} // namespace

bool IsOwnDeletedEntry(const uint8_t* entry) {
  if (entry[0] != kEntryDeleted || IsLongName(entry))
    return false;
  // The 8.3 form keeps the extension in bytes 8 to 10; the first byte is the deletion mark.
  if (HasName(entry, "        ~BW", 8, 3))
    return true;
  // "BlankwrightTMP1.gf" is stored as BLANKW~1.GF (or ~2 ...): its long name goes with it.
  return HasName(entry, "BLANKW  GF ", 1, 5) && HasName(entry, "BLANKW  GF ", 8, 3);
}

uint64_t CountDeletedNames(const uint8_t* data, size_t length) {
  uint64_t names = 0;
  size_t pendingLong = 0; // deleted long-name entries waiting for their short entry
  for (size_t at = 0; at + kDirectoryEntrySize <= length; at += kDirectoryEntrySize) {
    const uint8_t* entry = data + at;
    if (entry[0] == kEntryEnd)
      break;
    if (entry[0] != kEntryDeleted) {
      names += pendingLong; // long names with no deleted short entry of ours after them
      pendingLong = 0;
      continue;
    }
    if (IsLongName(entry)) {
      ++pendingLong;
      continue;
    }
    if (IsOwnDeletedEntry(entry)) {
      pendingLong = 0;
      continue;
    }
    names += pendingLong + 1;
    pendingLong = 0;
  }
  return names + pendingLong;
}

bool CountVolumeDeletedNames(CVolumeInfo& volume, DeletedNameCount& count) {
  count = {};
  FileSystemType type = volume.GetFileSystemType();
  if (type != FileSystemType::Fat12 && type != FileSystemType::Fat16 &&
      type != FileSystemType::Fat32)
    return false;
  CFatDirectoryReader reader(volume);
  std::vector<uint8_t> root;
  if (!reader.ReadRootDirectory(root))
    return false;

  // Folders still to read, with their depth; a first cluster seen before is never read again,
  // so that a damaged directory that points back up cannot hold the walk.
  std::vector<std::pair<uint32_t, int>> pending;
  std::set<uint32_t> seen;
  auto take = [&](const std::vector<uint8_t>& data, int depth) {
    ++count.FoldersRead;
    count.Names += CountDeletedNames(data.data(), data.size());
    for (size_t at = 0; at + kDirectoryEntrySize <= data.size(); at += kDirectoryEntrySize) {
      const uint8_t* entry = data.data() + at;
      if (entry[0] == kEntryEnd)
        break;
      if (entry[0] == kEntryDeleted || entry[0] == '.' || IsLongName(entry) ||
          !(entry[11] & kAttributeDirectory) || (entry[11] & kAttributeVolumeLabel))
        continue;
      uint32_t first = Get16(entry + 26);
      if (type == FileSystemType::Fat32)
        first |= static_cast<uint32_t>(Get16(entry + 20)) << 16;
      if (first < 2 || !seen.insert(first).second)
        continue;
      if (depth + 1 > kMaxDepth)
        ++count.FoldersSkipped;
      else
        pending.emplace_back(first, depth + 1);
    }
  };
  take(root, 0);
  std::vector<uint8_t> data;
  while (!pending.empty()) {
    auto [first, depth] = pending.back();
    pending.pop_back();
    if (!reader.ReadClusterChain(first, data)) {
      ++count.FoldersSkipped;
      continue;
    }
    take(data, depth);
  }
  return true;
}

} // namespace bw
