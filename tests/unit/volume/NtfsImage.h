// Builds small NTFS volumes in memory: a boot sector, MFT record 6 ($Bitmap) with its data runs,
// and the bitmap itself. Only what the allocation-bitmap reader looks at is written.
#pragma once

#include <cstdint>
#include <vector>

namespace bw::test {

struct NtfsGeometry {
  uint32_t BytesPerSector = 512;
  uint32_t SectorsPerCluster = 8;
  uint64_t Clusters = 4096;
  uint64_t MftCluster = 4;
  int8_t ClustersPerRecord = -10; ///< 1024-byte records
  bool Fragmented = false;        ///< the bitmap in two runs, the second before the first
};

class CNtfsImage {
public:
  explicit CNtfsImage(const NtfsGeometry& geometry);

  std::vector<uint8_t> Bytes;
  NtfsGeometry Geometry;

  uint32_t BytesPerCluster() const { return Geometry.BytesPerSector * Geometry.SectorsPerCluster; }
  uint32_t RecordSize() const;
  uint8_t* Cluster(uint64_t cluster);

  /// Marks cluster in use or free in the bitmap.
  void SetInUse(uint64_t cluster, bool inUse);
  bool IsInUse(uint64_t cluster) const;
  /// The clusters the bitmap file occupies, in file order.
  const std::vector<uint64_t>& BitmapClusters() const { return _bitmapClusters; }

  /// Record 6 as it lies on the volume (fix-ups applied for the disk).
  uint8_t* Record();
  /// Undoes the disk fix-ups of record 6 so that a test can edit it, and redoes them after.
  void OpenRecord();
  void CloseRecord();
  /// Offset of the $DATA attribute in record 6, and of its data runs.
  uint32_t DataAttributeOffset() const { return _dataAttribute; }
  uint32_t RunsOffset() const { return _dataAttribute + 64; }

private:
  uint8_t* BitmapByte(uint64_t index);
  void WriteBootSector();
  void WriteRecord();

  std::vector<uint64_t> _bitmapClusters;
  uint32_t _dataAttribute = 0;
};

} // namespace bw::test
