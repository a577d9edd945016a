// Deleted-name cleaning over hostile FAT directory data.
//
// The first input byte picks a small sound FAT12 or FAT32 volume whose root holds a folder A
// with a two-cluster subfolder B, live and long names, and runs of deleted entries; the rest
// is laid over it with XOR: the boot sector's first 62 bytes, the first FAT, the root
// directory, then the folders' clusters. The volume is opened and the root, A, A\B and a
// folder the directories do not hold are cleaned, with the filler program run in place.
// AddressSanitizer catches any access outside a buffer; a loop in the walk shows as a
// timeout.
#include "engine/DirectoryNameCleaner.h"
#include "engine/bwsingle/SingleFiller.h"
#include "engine/volume/VolumeInfo.h"
#include "fuzz/XorOverlay.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/FatImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

using namespace bw;

constexpr uint32_t kFolderA = 3, kFolderB = 4, kFolderBNext = 5;

size_t WriteDeleted(uint8_t* data, size_t offset, size_t entries) {
  for (size_t i = 0; i < entries; ++i) {
    test::WriteEntry(data, offset, "SECRET  TXT", 0x20, 0);
    data[offset] = 0xE5;
    offset += 32;
  }
  return offset;
}

test::CFatImage Build(bool fat32) {
  test::FatGeometry g = test::FloppyGeometry();
  if (fat32) {
    g = test::Fat32Geometry();
    g.SectorsPerCluster = 1;
    g.TotalSectors = 700;
    g.SectorsPerFat = 6;
  } else {
    g.TotalSectors = 440;
    g.SectorsPerFat = 2;
    g.RootEntries = 32;
  }
  test::CFatImage image(g);
  uint8_t* root = fat32 ? image.Cluster(g.RootCluster) : image.RootRegion();
  if (fat32)
    image.Chain({g.RootCluster});
  size_t at = test::WriteEntry(root, 0, "README  TXT", 0x20, 0);
  at = WriteDeleted(root, at, 1);
  at = test::WriteEntry(root, at, "ALPHAF~1   ", 0x10, kFolderA, "Alpha folder");
  at = WriteDeleted(root, at, 5);
  at = test::WriteEntry(root, at, "KEEP    TXT", 0x20, 0);
  WriteDeleted(root, at, 2);

  image.Chain({kFolderA});
  uint8_t* a = image.Cluster(kFolderA);
  at = test::WriteEntry(a, 0, ".          ", 0x10, kFolderA);
  at = test::WriteEntry(a, at, "..         ", 0x10, 0);
  at = WriteDeleted(a, at, 3);
  at = test::WriteEntry(a, at, "B          ", 0x10, kFolderB);
  WriteDeleted(a, at, 1);

  image.Chain({kFolderB, kFolderBNext});
  uint8_t* b = image.Cluster(kFolderB);
  at = test::WriteEntry(b, 0, ".          ", 0x10, kFolderB);
  at = test::WriteEntry(b, at, "..         ", 0x10, kFolderA);
  WriteDeleted(b, at, image.BytesPerCluster() / 32 - 2);
  WriteDeleted(image.Cluster(kFolderBNext), 0, 4);
  return image;
}

class CHost final : public INameCleaningHost {
public:
  void Pump() override {}
  bool Cancelled() override { return false; }
  int MessageBox(const std::string&, const std::string&, uint32_t style) override {
    return DefaultMessageBoxAnswer(style);
  }
};

// Each volume stays in one memory drive for the whole run: an input is laid over it and taken
// off again (XOR twice), so that no input pays for copying the image.
struct Volume {
  explicit Volume(bool fat32) {
    test::CFatImage image = Build(fat32);
    const test::FatGeometry& g = image.Geometry;
    size_t sector = g.BytesPerSector;
    size_t fatStart = size_t{g.ReservedSectors} * sector;
    size_t fatBytes = size_t{g.SectorsPerFat} * sector;
    size_t rootStart = fat32
                           ? static_cast<size_t>(image.Cluster(g.RootCluster) - image.Bytes.data())
                           : static_cast<size_t>(image.RootRegion() - image.Bytes.data());
    size_t rootBytes = fat32 ? image.BytesPerCluster() : size_t{g.RootEntries} * 32;
    size_t foldersStart = static_cast<size_t>(image.Cluster(kFolderA) - image.Bytes.data());
    size_t foldersBytes = 3 * size_t{image.BytesPerCluster()};

    Platform.FilesFake.AddVolume('C', 1024 * 1024, image.BytesPerCluster());
    Platform.FilesFake.AddFolder("C:\\Alpha folder");
    Platform.FilesFake.AddFolder("C:\\Alpha folder\\B");
    Platform.SystemFake.OnRun = [this](const std::string&, const std::vector<std::string>& args) {
      return static_cast<uint32_t>(RunSingleFiller(Platform, args));
    };
    Platform.DrivesFake.Drives['C'].Image = std::move(image.Bytes);
    uint8_t* base = Platform.DrivesFake.Drives['C'].Image.data();
    Overlay.Regions = {{base, 62},
                       {base + fatStart, fatBytes},
                       {base + rootStart, rootBytes},
                       {base + foldersStart, foldersBytes}};
  }

  memory::CMemoryPlatform Platform;
  fuzz::CXorOverlay Overlay;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static Volume* volumes[2] = {new Volume(false), new Volume(true)};
  Volume& volume = *volumes[size > 0 ? input[0] % 2 : 0];
  if (size > 0) {
    ++input;
    --size;
  }
  volume.Overlay.Apply(input, size);
  // The fakes keep logs of every call; a long run must not grow them without end.
  auto& files = volume.Platform.FilesFake;
  files.Creates.clear();
  files.Writes.clear();
  files.Flushes.clear();
  files.Removes.clear();
  files.TimeSets.clear();
  files.AttributeSets.clear();
  files.Searches.clear();
  volume.Platform.DrivesFake.ReadCalls.clear();
  volume.Platform.SystemFake.Runs.clear();
  volume.Platform.MessageBoxes.Boxes.clear();
  CVolumeInfo info(volume.Platform);
  CHost host;
  if (info.Open('C')) {
    CDirectoryNameCleaner cleaner(volume.Platform, info, host);
    if (cleaner.LoadRoot()) {
      for (const char* folder :
           {"C:\\", "C:\\Alpha folder", "C:\\Alpha folder\\B", "C:\\Alpha folder\\Z"})
        cleaner.CleanDirectoryNames(folder);
    }
  }
  volume.Overlay.Apply(input, size);
  return 0;
}
