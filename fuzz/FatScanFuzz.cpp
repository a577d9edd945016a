// The FAT scan over a hostile FAT volume.
//
// The first input byte picks a small sound FAT12, FAT16 or FAT32 volume; the rest is laid over
// it byte by byte with XOR: the boot sector's first 62 bytes, then the first FAT, then the
// data area. An empty input is a sound volume. The whole scan runs through a view that records
// everything, then a few clusters are shown in both display modes; AddressSanitizer catches
// any access outside a buffer.
#include "fuzz/XorOverlay.h"
#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/FatImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

using namespace bw;

test::CFatImage Build(int kind) {
  test::FatGeometry g = test::FloppyGeometry();
  switch (kind) {
  case 0: // FAT12, 400 clusters
    g.TotalSectors = 440;
    g.SectorsPerFat = 2;
    g.RootEntries = 32;
    break;
  case 1: // FAT16, just past the FAT12 limit
    g.TotalSectors = 4200;
    g.SectorsPerFat = 17;
    g.RootEntries = 32;
    g.EntryBits = 16;
    break;
  default: // FAT32 with a small FAT
    g = test::Fat32Geometry();
    g.SectorsPerCluster = 1;
    g.TotalSectors = 700;
    g.SectorsPerFat = 6;
    break;
  }
  test::CFatImage image(g);
  image.Chain({3, 4, 5});
  // Most clusters in use, so that a run reads few of them; some free ones hold data.
  for (uint32_t c = 6; c < image.ClusterCount() + 2; ++c) {
    if (c % 17 != 0)
      image.Chain({c});
    else if (c % 2 == 0)
      image.Cluster(c)[c % image.BytesPerCluster()] = static_cast<uint8_t>(c);
  }
  return image;
}

// Each volume stays in one memory drive for the whole run: an input is laid over it and
// taken off again (XOR twice), so that no input pays for copying the image.
struct Volume {
  explicit Volume(int kind) {
    test::CFatImage image = Build(kind);
    const test::FatGeometry& g = image.Geometry;
    size_t fatStart = size_t{g.ReservedSectors} * g.BytesPerSector;
    size_t fatBytes = size_t{g.SectorsPerFat} * g.BytesPerSector;
    size_t dataStart = size_t{image.FirstDataSector()} * g.BytesPerSector;
    size_t total = image.Bytes.size();
    Platform.Mount(std::move(image.Bytes), 65536);
    uint8_t* base = Platform.Memory.DrivesFake.Drives['C'].Image.data();
    Overlay.Regions = {
        {base, 62}, {base + fatStart, fatBytes}, {base + dataStart, total - dataStart}};
  }

  test::CScanPlatform Platform;
  fuzz::CXorOverlay Overlay;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static Volume* volumes[3] = {new Volume(0), new Volume(1), new Volume(2)};
  Volume& volume = *volumes[size > 0 ? input[0] % 3 : 0];
  if (size > 0) {
    ++input;
    --size;
  }
  volume.Platform.Memory.DrivesFake.ReadCalls.clear();
  volume.Overlay.Apply(input, size);
  test::CRecordingView view;
  CDriveScan scan(volume.Platform, view);
  if (scan.AllocateClusterBuffer()) {
    scan.Scan();
    for (size_t i = 0; i < view.Clusters.size() && i < 3; ++i) {
      view.Mode = i % 2 ? DisplayMode::Hex : DisplayMode::Text;
      scan.ShowCluster(view.Clusters[i], ShowRequest::ListSelection);
    }
    scan.ShowCluster("4294967297", ShowRequest::DisplayMode);
  }
  volume.Overlay.Apply(input, size);
  return 0;
}
