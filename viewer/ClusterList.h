// The window's cluster list can hold fewer entries than a scan may find: the scan keeps
// counting, and the report says that the list stops short.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

/// Entries the window's cluster list holds (a drop-down list keeps at most 32767).
constexpr uint64_t kClusterListCapacity = 32767;

/// True when the hits-th hit of a scan (counted from 1) still gets a list entry.
constexpr bool ClusterListTakes(uint64_t hits) {
  return hits >= 1 && hits <= kClusterListCapacity;
}

/// The line the report adds after a scan that found hits clusters: that the list shows only
/// the first 32767 of them; empty when the list holds them all.
std::string ClusterListNote(uint64_t hits);

} // namespace bw
