// The NTFS scan: the volume's allocation bitmap is asked for in pieces of 32768 clusters and
// every free cluster it shows is tested.
#include "engine/volume/NtfsBitmap.h"
#include "platform/Bytes.h"
#include "platform/Platform.h"
#include "viewer/DriveScan.h"

#include <algorithm>
#include <cstdio>

namespace bw {

uint32_t CDriveScan::QueryBitmap(IVolumeBitmapHandle*& source, IVolumeBitmapHandle& ownReader,
                                 uint64_t start, uint8_t* buffer) {
  uint32_t status = source->GetBitmap(start, buffer);
  if (status == kStatusPending)
    status = source->WaitForBitmap();
  // A system without the query (Linux; Wine answers so too) leaves it to our own reader of the
  // $Bitmap file, for this piece and all that follow.
  if (status == kStatusNotSupported && source != &ownReader) {
    source = &ownReader;
    status = source->GetBitmap(start, buffer);
  }
  return status;
}

bool CDriveScan::WalkBitmapPiece(const uint8_t* bits, uint64_t pieceStart, uint64_t first,
                                 uint32_t count, uint64_t& next) {
  auto isFree = [bits](uint32_t i) { return !(bits[i / 8] & (1u << (i % 8))); };
  uint32_t runEnd = 0; // the free clusters before this were read with the run's first
  for (uint32_t i = static_cast<uint32_t>(first - pieceStart); i < count; ++i) {
    if (bits[i / 8] == 0xFF && i % 8 == 0) {
      i += 7; // eight clusters in use
      continue;
    }
    if (!isFree(i))
      continue;
    uint64_t cluster = pieceStart + i;
    if (cluster % 100 == 0) {
      SetText(StatisticText::ReadTo, cluster);
      _view.RefreshTexts();
      _view.PumpMessage();
      if (_cancelled)
        return false;
    }
    if (i >= runEnd) {
      // The free clusters that follow in this piece are read with this one.
      runEnd = i + 1;
      while (runEnd < count && runEnd - i < _window.GetCapacity() && isFree(runEnd))
        ++runEnd;
    }
    ClusterTest test = TestCluster(cluster, pieceStart + runEnd);
    if (test == ClusterTest::ReadFailed)
      return false;
    if (test == ClusterTest::DeletedData)
      RecordHit(cluster);
  }
  next = pieceStart + count;
  return true;
}

ScanOutcome CDriveScan::RunNtfsScan() {
  if (!_opened || _volume.GetFileSystemType() != FileSystemType::Ntfs)
    return ScanOutcome::NotRun;
  IVolumeBitmap& bitmap = _platform.VolumeBitmap();
  if (!bitmap.FindEntryPoint())
    return ScanOutcome::NotRun;

  SetScanning(true);
  std::unique_ptr<IVolumeBitmapHandle> handle = bitmap.OpenVolume(_letter);
  CNtfsBitmapFile ownReader(_volume);
  IVolumeBitmapHandle* source = handle.get();
  _hits = 0;
  uint64_t total = _volume.GetNtfsClusterCount();
  uint64_t start = _firstCluster;
  bool failed = false;
  std::vector<uint8_t> buffer;
  if (!source) {
    failed = true;
    _failureDetail = "the volume cannot be opened";
  } else if (!TryResize(buffer, kVolumeBitmapBufferSize)) {
    failed = true;
    _failureDetail = "out of memory";
  }
  while (!failed) {
    uint32_t status = QueryBitmap(source, ownReader, start, buffer.data());
    if (status != kStatusSuccess && status != kStatusBufferOverflow) {
      failed = true;
      char text[80];
      std::snprintf(text, sizeof(text), "the allocation bitmap from cluster %llu: status 0x%08X",
                    static_cast<unsigned long long>(start), status);
      _failureDetail = text;
      if (source == &ownReader)
        _failureDetail += " (" + ownReader.GetFailureReason() + ")";
      break;
    }
    // The answer must cover the cluster asked for, stay inside the volume and move on;
    // anything else would test clusters twice, skip some, or loop for ever.
    uint64_t pieceStart = Get64(buffer.data());
    uint64_t bitCount = Get64(buffer.data() + 8);
    uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(bitCount, kVolumeBitmapBits));
    if (pieceStart > start || bitCount > total || pieceStart > total - bitCount ||
        start - pieceStart >= count) {
      failed = true;
      _failureDetail = "the allocation bitmap answer for cluster " + std::to_string(start) +
                       " starts at " + std::to_string(pieceStart) + " with " +
                       std::to_string(bitCount) + " clusters on a volume of " +
                       std::to_string(total);
      break;
    }
    uint64_t next;
    if (!WalkBitmapPiece(buffer.data() + kVolumeBitmapHeaderSize, pieceStart, start, count, next))
      break;
    if (status != kStatusBufferOverflow || next >= pieceStart + bitCount)
      break;
    start = next;
    if (_cancelled)
      break;
  }
  handle.reset();

  ScanOutcome outcome = ScanOutcome::Completed;
  std::optional<uint64_t> readTo = total;
  if (failed && !_cancelled) {
    // A volume that would not open or a bitmap answer that failed or did not hold together:
    // the counts so far are reported, as when a FAT chunk cannot be read.
    Message("Drive reading error.", kViewerTitle, kMbOk | kMbIconWarning);
    outcome = ScanOutcome::Incomplete;
    readTo = start > _firstCluster ? std::optional<uint64_t>(start - 1) : std::nullopt;
  }
  FinishScan(outcome, readTo);
  return outcome;
}

} // namespace bw
