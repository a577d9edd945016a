#include "viewer/ScanReport.h"

#include <cinttypes>
#include <cstdio>

namespace bw {

ScanReport MakeScanReport(uint64_t hits, uint32_t bytesPerCluster, uint64_t freeBytes,
                          bool windowsDrive) {
  ScanReport report;
  report.WindowsDrive = windowsDrive;
  uint64_t freeClusters = bytesPerCluster != 0 ? freeBytes / bytesPerCluster : 0;
  float percentage = 0.0f;
  if (freeClusters != 0)
    percentage = static_cast<float>(hits) / static_cast<float>(freeClusters) * 100.0f;
  char text[64];
  std::snprintf(text, sizeof(text), "%.2f%%", static_cast<double>(percentage));
  report.Percentage = text;
  report.Clusters = std::to_string(hits);
  report.Size = std::to_string(hits * bytesPerCluster);
  return report;
}

} // namespace bw
