#include "viewer/ClusterList.h"

namespace bw {

std::string ClusterListNote(uint64_t hits) {
  if (hits <= kClusterListCapacity)
    return {};
  return "The cluster list shows only the first " + std::to_string(kClusterListCapacity) +
         " of these " + std::to_string(hits) + " clusters.";
}

} // namespace bw
