// The master-file-table reader over a hostile NTFS volume.
//
// The input is laid over a small sound volume byte by byte with XOR: the first 512 bytes over
// the boot sector, the next 1024 over MFT record 0 ($MFT, with its data runs and bitmap), the
// next 1024 over a folder's record with its index allocation. An empty input is the sound
// volume. The free records are counted and the folder's index size asked for, as the remnant
// cleaning asks; AddressSanitizer catches any access outside a buffer.
#include "engine/volume/NtfsMft.h"
#include "engine/volume/VolumeInfo.h"
#include "fuzz/XorOverlay.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/NtfsImage.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

using namespace bw;

struct Volume {
  Volume() : Image(Geometry()) {
    Image.WriteMftRecord(30);
    Image.WriteFolderRecord(5, 1200, 3);
    memory::MemoryDrive drive;
    drive.Image = Image.Bytes;
    Platform.DrivesFake.Drives['N'] = std::move(drive);
    uint8_t* base = Platform.DrivesFake.Drives['N'].Image.data();
    Overlay.Regions.push_back({base, 512});
    for (uint32_t record : {0u, 5u})
      Overlay.Regions.push_back(
          {base + (Image.RecordAt(record) - Image.Bytes.data()), Image.RecordSize()});
  }
  static test::NtfsGeometry Geometry() {
    test::NtfsGeometry g;
    g.SectorsPerCluster = 1;
    g.Clusters = 1500;
    g.MftRecords = 64;
    return g;
  }

  test::CNtfsImage Image;
  memory::CMemoryPlatform Platform;
  fuzz::CXorOverlay Overlay;
};

void AskAsTheCleaningDoes(memory::CMemoryPlatform& platform) {
  CVolumeInfo volume(platform);
  if (!volume.Open('N') || volume.GetFileSystemType() != FileSystemType::Ntfs)
    return;
  CNtfsMft mft(volume);
  uint64_t free = 0;
  if (mft.CountFreeRecords(free) && free > volume.GetNtfsClusterCount() * 64)
    __builtin_trap(); // more records than the volume could hold
  uint64_t bytes = 0;
  mft.GetFolderIndexSize(5, bytes);
  mft.GetFolderIndexSize(0x0005000000000005ull, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static Volume volume;
  volume.Overlay.Apply(input, size);
  AskAsTheCleaningDoes(volume.Platform);
  volume.Overlay.Apply(input, size);
  return 0;
}
