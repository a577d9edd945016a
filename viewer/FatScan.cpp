// The FAT scan: the first FAT is read a chunk at a time and every free cluster it lists is
// tested.
#include "platform/Bytes.h"
#include "platform/MessageBox.h"
#include "viewer/DriveScan.h"

#include <algorithm>

namespace bw {
namespace {

// Where cluster c's entry lies in the FAT, in bytes, and how many bytes hold it.
uint64_t EntryOffset(FileSystemType type, uint64_t c) {
  switch (type) {
  case FileSystemType::Fat12:
    return c * 3 / 2;
  case FileSystemType::Fat16:
    return c * 2;
  default:
    return c * 4;
  }
}

uint32_t EntryWidth(FileSystemType type) {
  return type == FileSystemType::Fat32 ? 4 : 2;
}

uint32_t EntryValue(FileSystemType type, const uint8_t* p, uint64_t c) {
  switch (type) {
  case FileSystemType::Fat12:
    return c & 1 ? Get16(p) >> 4 : Get16(p) & 0x0FFF;
  case FileSystemType::Fat16:
    return Get16(p);
  default:
    // The whole entry, reserved top bits included: only an all-zero entry is free.
    return Get32(p);
  }
}

} // namespace

bool CDriveScan::WalkFatChunk(const uint8_t* chunk, uint64_t chunkByte, uint32_t chunkBytes,
                              uint64_t& c, uint64_t lastCluster) {
  FileSystemType type = _volume.GetFileSystemType();
  uint32_t width = EntryWidth(type);
  // The offsets come from the volume's own sector size, so that a chunk of 8 sectors of 4096
  // bytes is walked as surely as one of 64 sectors of 512.
  auto inChunk = [&](uint64_t cluster) {
    uint64_t offset = EntryOffset(type, cluster);
    return offset >= chunkByte && offset - chunkByte + width <= chunkBytes;
  };
  auto isFree = [&](uint64_t cluster) {
    return EntryValue(type, chunk + (EntryOffset(type, cluster) - chunkByte), cluster) == 0;
  };
  uint64_t runEnd = 0; // the free clusters before this were read with the run's first
  for (; c <= lastCluster; ++c) {
    if (!inChunk(c))
      return true;
    if (c % 100 == 0) {
      SetText(StatisticText::ReadTo, c);
      _view.RefreshTexts();
    }
    if (isFree(c)) {
      if (c >= runEnd) {
        // The free clusters that follow in this chunk are read with this one.
        runEnd = c + 1;
        while (runEnd <= lastCluster && runEnd - c < _window.GetCapacity() && inChunk(runEnd) &&
               isFree(runEnd))
          ++runEnd;
      }
      ClusterTest test = TestCluster(c, runEnd);
      if (test == ClusterTest::ReadFailed)
        return false;
      if (test == ClusterTest::DeletedData)
        RecordHit(c);
    }
    _view.PumpMessage();
    if (_cancelled)
      return false;
  }
  return true;
}

ScanOutcome CDriveScan::RunFatScan() {
  if (!_opened || !_volume.IsFat())
    return ScanOutcome::NotRun;
  SetScanning(true);
  std::vector<uint8_t> fat;
  if (!TryResize(fat, kFatChunkBytes)) {
    _failureDetail = "out of memory";
    Message("Drive reading error.", kViewerTitle, kMbOk | kMbIconWarning);
    SetScanning(false);
    return ScanOutcome::NotRun;
  }
  _hits = 0;

  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint32_t chunkSectors = kFatChunkBytes / bytesPerSector;
  uint32_t fatSectors = _volume.GetSectorsPerFat();
  uint32_t fatStart = _volume.GetReservedSectors();
  uint64_t lastCluster = uint64_t{_volume.GetClusterCount()} + 1;
  uint64_t c = _firstCluster;
  uint32_t remaining = fatSectors;
  ScanOutcome outcome = ScanOutcome::Completed;
  // The walk stops once every cluster's entry has been seen; the rest of the FAT is not read.
  while (remaining > 0 && c <= lastCluster) {
    uint32_t count = std::min(remaining, chunkSectors);
    uint32_t chunkSector = fatSectors - remaining;
    if (!_volume.ReadSectors(fat.data(), uint64_t{fatStart} + chunkSector, count)) {
      _failureDetail = "FAT sectors " + std::to_string(fatStart + chunkSector) + " to " +
                       std::to_string(fatStart + chunkSector + count - 1) + " cannot be read";
      break;
    }
    if (!WalkFatChunk(fat.data(), uint64_t{chunkSector} * bytesPerSector, count * bytesPerSector, c,
                      lastCluster))
      break;
    remaining -= count;
    _view.PumpMessage();
    if (_cancelled)
      break;
  }
  std::optional<uint64_t> readTo = lastCluster;
  if (!_cancelled && c <= lastCluster) {
    if (_failureDetail.empty())
      _failureDetail = "the FAT ends before cluster " + std::to_string(c);
    // A chunk that could not be read (or a FAT that ends before its last cluster): the counts
    // so far are reported, and the read-to text says how far they go.
    Message("Drive reading error.", kViewerTitle, kMbOk | kMbIconWarning);
    outcome = ScanOutcome::Incomplete;
    readTo = c > _firstCluster ? std::optional<uint64_t>(c - 1) : std::nullopt;
  }
  FinishScan(outcome, readTo);
  return outcome;
}

} // namespace bw
