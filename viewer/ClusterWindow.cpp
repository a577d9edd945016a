#include "viewer/ClusterWindow.h"

#include "engine/volume/VolumeInfo.h"

#include <algorithm>
#include <new>

namespace bw {
namespace {

// Aligned to any sector size, so that a platform reading past its cache can read into it as
// it is.
constexpr std::align_val_t kWindowAlignment{4096};

} // namespace

uint32_t ClusterReadSpan(uint64_t first, uint64_t runEnd, uint64_t lastCluster,
                         uint32_t windowClusters) {
  if (first > lastCluster || runEnd <= first || windowClusters == 0)
    return 0;
  uint64_t count = std::min<uint64_t>(runEnd - first, windowClusters);
  if (count - 1 > lastCluster - first)
    count = lastCluster - first + 1;
  return static_cast<uint32_t>(count);
}

void CClusterWindow::CAlignedDelete::operator()(uint8_t* p) const {
  ::operator delete[](p, kWindowAlignment);
}

bool CClusterWindow::Allocate() {
  uint32_t clusterBytes = _volume.GetBytesPerCluster();
  if (clusterBytes == 0)
    return false;
  uint32_t capacity = std::max<uint32_t>(1, kScanWindowBytes / clusterBytes);
  if (!_data || clusterBytes != _clusterBytes || capacity != _capacity) {
    _data.reset(static_cast<uint8_t*>(
        ::operator new[](size_t{capacity} * clusterBytes, kWindowAlignment, std::nothrow)));
    if (!_data) {
      _capacity = 0;
      return false;
    }
  }
  _clusterBytes = clusterBytes;
  _lastCluster = _volume.IsFat() ? uint64_t{_volume.GetClusterCount()} + 1
                                 : std::max<uint64_t>(_volume.GetNtfsClusterCount(), 1) - 1;
  _capacity = capacity;
  _count = 0;
  _singleEnd = 0;
  _reads = 0;
  return true;
}

const uint8_t* CClusterWindow::Get(uint64_t cluster, uint64_t runEnd) {
  if (!_data)
    return nullptr;
  if (cluster >= _first && cluster - _first < _count)
    return _data.get() + (cluster - _first) * _clusterBytes;
  uint32_t span = ClusterReadSpan(cluster, runEnd, _lastCluster, _capacity);
  // A cluster past the end is asked for alone, and the volume refuses it; one the caller
  // looked no further for is read alone.
  if (span == 0 || cluster < _singleEnd)
    span = 1;
  _count = 0;
  ++_reads;
  if (!_volume.ReadClusters(_data.get(), cluster, span)) {
    if (span == 1)
      return nullptr;
    // Somewhere in the run is a cluster that cannot be read: find it one cluster at a time.
    _singleEnd = cluster + span;
    ++_reads;
    if (!_volume.ReadClusters(_data.get(), cluster, 1))
      return nullptr;
    span = 1;
  }
  _first = cluster;
  _count = span;
  return _data.get();
}

} // namespace bw
