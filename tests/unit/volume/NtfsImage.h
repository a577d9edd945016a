// Builds small NTFS volumes in memory: a boot sector, MFT record 6 ($Bitmap) with its data runs,
// and the bitmap itself; on request also record 0 ($MFT) and a folder's record. Only what the
// allocation-bitmap and MFT readers look at is written.
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
  uint32_t MftRecords = 16;       ///< the records $MFT's first clusters hold
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
  /// Writes record 0 ($MFT): $DATA over the MftRecords records and a resident $BITMAP in which
  /// the records below recordsInUse are in use.
  void WriteMftRecord(uint32_t recordsInUse);
  /// Writes a folder's record: with indexClusters > 0 its "$I30" index allocation lies in
  /// that many clusters from indexCluster; with 0 the index is all inside the record.
  void WriteFolderRecord(uint32_t number, uint64_t indexCluster, uint64_t indexClusters);
  uint8_t* RecordAt(uint32_t number);

  /// Offset of the $DATA attribute in record 6, and of its data runs.
  uint32_t DataAttributeOffset() const { return _dataAttribute; }
  uint32_t RunsOffset() const { return _dataAttribute + 64; }

private:
  uint8_t* BitmapByte(uint64_t index);
  void WriteBootSector();
  void WriteRecord();
  /// Header of a record in use; returns where its first attribute goes.
  uint32_t BeginRecord(uint8_t* r, uint32_t number, uint16_t flags);
  /// End marker, bytes in use and the disk fix-ups.
  void EndRecord(uint8_t* r, uint32_t at);
  /// A non-resident attribute of one run; returns its length.
  uint32_t PutNonResident(uint8_t* a, uint32_t type, const char* name, uint64_t cluster,
                          uint64_t clusters, uint64_t dataSize);
  void ApplyFixups(uint8_t* r);

  std::vector<uint64_t> _bitmapClusters;
  uint32_t _dataAttribute = 0;
};

} // namespace bw::test
