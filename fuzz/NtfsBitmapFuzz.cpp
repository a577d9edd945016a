// The $Bitmap reader over a hostile NTFS volume.
//
// The input is laid over a small sound volume byte by byte with XOR: the first 512 bytes over
// the boot sector, the next 1024 over MFT record 6 as it lies on disk, the rest over the
// bitmap's clusters. An empty input is the sound volume, so every mutation starts from a
// structure the reader accepts. The whole bitmap is then asked for as the scan asks for it;
// AddressSanitizer catches any access outside a buffer, and the loop bound any answer that
// would never end.
#include "engine/volume/NtfsBitmap.h"
#include "fuzz/XorOverlay.h"
#include "platform/Bytes.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/NtfsImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

using namespace bw;

// The volume stays in one memory drive for the whole run: each input is laid over it and taken
// off again (XOR twice), so that no input pays for copying the image.
struct Volume {
  Volume() : Image(Geometry()) {
    for (uint64_t c = 100; c < 1500; c += 7)
      Image.SetInUse(c, true);
    memory::MemoryDrive drive;
    drive.Image = Image.Bytes;
    Platform.DrivesFake.Drives['N'] = std::move(drive);
    uint8_t* base = Platform.DrivesFake.Drives['N'].Image.data();
    Overlay.Regions.push_back({base, 512});
    Overlay.Regions.push_back({base + (Image.Record() - Image.Bytes.data()), Image.RecordSize()});
    for (uint64_t cluster : Image.BitmapClusters())
      Overlay.Regions.push_back(
          {base + cluster * Image.BytesPerCluster(), Image.BytesPerCluster()});
  }
  static test::NtfsGeometry Geometry() {
    test::NtfsGeometry g;
    g.SectorsPerCluster = 1;
    g.Clusters = 1500;
    g.Fragmented = true;
    return g;
  }

  test::CNtfsImage Image;
  memory::CMemoryPlatform Platform;
  fuzz::CXorOverlay Overlay;
};

void ReadWholeBitmap(memory::CMemoryPlatform& platform) {
  CVolumeInfo volume(platform);
  if (!volume.Open('N') || volume.GetFileSystemType() != FileSystemType::Ntfs)
    return;
  CNtfsBitmapFile reader(volume);
  uint8_t buffer[kVolumeBitmapBufferSize];
  uint64_t start = 0;
  uint64_t clusters = volume.GetNtfsClusterCount();
  for (int piece = 0; piece < 64; ++piece) {
    uint32_t status = reader.GetBitmap(start, buffer);
    if (status != kStatusSuccess && status != kStatusBufferOverflow)
      return;
    uint64_t first = Get64(buffer);
    uint64_t count = Get64(buffer + 8);
    if (first > start || count > clusters - first)
      __builtin_trap(); // an answer outside the volume
    if (status == kStatusSuccess)
      return;
    start = first + kVolumeBitmapBits;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static Volume volume;
  volume.Platform.DrivesFake.ReadCalls.clear();
  volume.Overlay.Apply(input, size);
  ReadWholeBitmap(volume.Platform);
  volume.Overlay.Apply(input, size);
  return 0;
}
