// Raw FAT directory access: cluster chains, subfolder lookup by name, and folder paths walked
// from the root. Reads only.
//
// The data of a folder is the clusters of its chain in chain order; the caller owns it. Every
// FAT entry and directory field is untrusted: chains that leave the volume, loop or run past
// the limit fail cleanly, and lookups never read past the data they are given.
#pragma once

#include "engine/volume/VolumeInfo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {

/// The longest folder chain read; a longer one is reported and the folder skipped.
constexpr size_t kMaxDirectoryChain = 80;
constexpr size_t kDirectoryEntrySize = 32;

class CFatDirectoryReader {
public:
  explicit CFatDirectoryReader(CVolumeInfo& volume) : _volume(volume) {}

  /// The FAT entry of cluster (2 .. cluster count + 1); false when it cannot be read.
  bool ReadFatEntry(uint32_t cluster, uint32_t& value);

  /// True when value ends a chain on this volume's FAT type.
  bool IsEndOfChain(uint32_t value) const;

  /// Follows the chain from firstCluster and reads its clusters into data. A chain of more than
  /// 80 clusters fails with "cluster chain > 80" (IsChainTooLong); a chain that leaves the volume,
  /// loops or cannot be read fails with a reason. chain, when given, receives the cluster numbers.
  bool ReadClusterChain(uint32_t firstCluster, std::vector<uint8_t>& data,
                        std::vector<uint32_t>* chain = nullptr);

  /// The root directory's data: the fixed root region on FAT12/16, the root chain on FAT32.
  bool ReadRootDirectory(std::vector<uint8_t>& data);

  /// The data of folder path ("X:\a\b"), found name by name from root, the root's data.
  bool LocateDirectory(const std::string& path, const std::vector<uint8_t>& root,
                       std::vector<uint8_t>& data);

  const std::string& GetFailureReason() const { return _failure; }
  /// True when the last failure was a chain longer than kMaxDirectoryChain clusters, the one
  /// failure the user is told of ("cluster chain > 80"); the others skip the folder quietly.
  bool IsChainTooLong() const { return _chainTooLong; }

private:
  bool Fail(std::string reason);
  bool ReadFatSectors(uint64_t fatSector, uint32_t count);

  CVolumeInfo& _volume;
  std::vector<uint8_t> _fatSectors; // the FAT sectors read last, to spare rereading them
  uint64_t _cachedSector = ~uint64_t{0};
  uint32_t _cachedCount = 0;
  std::string _failure;
  bool _chainTooLong = false;
};

/// The first cluster of the subfolder called name (long or 8.3 name, any letter case) in the
/// directory data, or 0 when there is none. The high 16 bits are used on FAT32 only.
uint32_t FindDirectoryEntry(const uint8_t* data, size_t length, const std::string& name,
                            FileSystemType type);

/// The 8.3 name of a short entry as the directory shows it: blanks left out, a dot before the
/// extension.
std::string ShortEntryName(const uint8_t* entry);

} // namespace bw
