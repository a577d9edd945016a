// CClusterWindow: the scan's read-ahead. A free cluster is read together with the free clusters
// that follow it, in one large read, and the scan then takes them from memory one at a time:
// a run of free space streams from the disk (or the cache) instead of costing one read per
// cluster. The walks decide how far a run goes; the window only holds what it read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace bw {

class CVolumeInfo;

/// The most bytes one read of the scan takes.
constexpr uint32_t kScanWindowBytes = 2 * 1024 * 1024;

/// How many clusters the read for cluster first takes: first and the clusters after it up to
/// runEnd (the first cluster that is not free, or as far as the caller looked), no more than
/// windowClusters and none past lastCluster. 0 when first itself lies past lastCluster.
uint32_t ClusterReadSpan(uint64_t first, uint64_t runEnd, uint64_t lastCluster,
                         uint32_t windowClusters);

class CClusterWindow {
public:
  explicit CClusterWindow(CVolumeInfo& volume) : _volume(volume) {}

  /// Makes the buffer for the volume's cluster size; false when memory is short.
  bool Allocate();
  /// How many clusters one read takes at most (0 before Allocate).
  uint32_t GetCapacity() const { return _capacity; }

  /// The bytes of cluster, which must lie before runEnd: from memory when an earlier read took
  /// it in, else read now together with the clusters after it up to runEnd. After a large read
  /// fails, the clusters it was for are read one at a time, so that the one that cannot be read
  /// is the one that fails. Null when cluster cannot be read.
  const uint8_t* Get(uint64_t cluster, uint64_t runEnd);

  /// How many reads of the volume the window made.
  uint64_t GetReadCount() const { return _reads; }

private:
  struct CAlignedDelete {
    void operator()(uint8_t* p) const;
  };

  CVolumeInfo& _volume;
  std::unique_ptr<uint8_t[], CAlignedDelete> _data;
  uint32_t _clusterBytes = 0;
  uint32_t _capacity = 0;
  uint64_t _lastCluster = 0; // the volume's highest cluster number
  uint64_t _first = 0;       // the first cluster the window holds
  uint32_t _count = 0;       // how many it holds
  uint64_t _singleEnd = 0;   // clusters before this are read one at a time (after a failed read)
  uint64_t _reads = 0;
};

} // namespace bw
