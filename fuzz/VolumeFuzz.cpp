// Boot-sector detection and FAT directory walking over a hostile disk image.
//
// The input is the start of a volume; everything past it reads as missing. Detection, the root
// directory, every subfolder reachable from it (to a small depth) and every cluster chain are
// exercised; AddressSanitizer catches any read or write outside the buffers.
#include "engine/volume/FatDirectory.h"
#include "platform/memory/MemoryPlatform.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace bw;

void Walk(CFatDirectoryReader& reader, CVolumeInfo& volume, const std::vector<uint8_t>& data,
          int depth) {
  if (depth > 3)
    return;
  for (size_t at = 0; at + kDirectoryEntrySize <= data.size(); at += kDirectoryEntrySize) {
    const uint8_t* entry = data.data() + at;
    if (entry[0] == 0)
      break;
    if (entry[0] == 0xE5 || (entry[11] & 0x3F) == 0x0F || !(entry[11] & 0x10))
      continue;
    std::string name = ShortEntryName(entry);
    if (name == "." || name == "..")
      continue;
    uint32_t cluster =
        FindDirectoryEntry(data.data(), data.size(), name, volume.GetFileSystemType());
    std::vector<uint8_t> child;
    if (cluster != 0 && reader.ReadClusterChain(cluster, child))
      Walk(reader, volume, child, depth + 1);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  memory::CMemoryPlatform platform;
  memory::MemoryDrive drive;
  drive.Image.assign(input, input + size);
  if (drive.Image.size() < 4096)
    drive.Image.resize(4096);
  platform.DrivesFake.Drives['C'] = std::move(drive);

  CVolumeInfo volume(platform);
  if (!volume.Open('C') || !volume.IsFat())
    return 0;
  std::vector<uint8_t> cluster(volume.GetBytesPerCluster());
  volume.ReadCluster(cluster.data(), 2);
  CFatDirectoryReader reader(volume);
  std::vector<uint8_t> root;
  if (!reader.ReadRootDirectory(root))
    return 0;
  Walk(reader, volume, root, 0);
  std::vector<uint8_t> located;
  reader.LocateDirectory("C:\\a\\b\\c", root, located);
  return 0;
}
