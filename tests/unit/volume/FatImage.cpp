#include "tests/unit/volume/FatImage.h"

#include "platform/Bytes.h"

#include <cstring>

namespace bw::test {

FatGeometry FloppyGeometry() {
  return FatGeometry{};
}

FatGeometry Fat16Geometry() {
  FatGeometry g;
  g.SectorsPerCluster = 4;
  g.ReservedSectors = 4;
  g.RootEntries = 512;
  g.TotalSectors = 32768;
  g.SectorsPerFat = 32;
  g.EntryBits = 16;
  return g;
}

FatGeometry Fat32Geometry() {
  FatGeometry g;
  g.SectorsPerCluster = 2;
  g.ReservedSectors = 32;
  g.RootEntries = 0;
  g.TotalSectors = 81920;
  g.SectorsPerFat = 320;
  g.Fat32 = true;
  g.RootCluster = 2;
  g.EntryBits = 32;
  return g;
}

CFatImage::CFatImage(const FatGeometry& g) : Geometry(g) {
  Bytes.assign(size_t{g.TotalSectors} * g.BytesPerSector, 0);
  uint8_t* b = Bytes.data();
  b[0] = 0xEB;
  b[1] = 0x3C;
  b[2] = 0x90;
  std::memcpy(b + 3, "mkfs.fat", 8);
  Set16(b + 11, static_cast<uint16_t>(g.BytesPerSector));
  b[13] = static_cast<uint8_t>(g.SectorsPerCluster);
  Set16(b + 14, static_cast<uint16_t>(g.ReservedSectors));
  b[16] = static_cast<uint8_t>(g.Fats);
  Set16(b + 17, static_cast<uint16_t>(g.RootEntries));
  if (g.TotalSectors < 65536)
    Set16(b + 19, static_cast<uint16_t>(g.TotalSectors));
  else
    Set32(b + 32, g.TotalSectors);
  b[21] = 0xF8;
  if (g.Fat32) {
    Set32(b + 36, g.SectorsPerFat);
    Set32(b + 44, g.RootCluster);
  } else {
    Set16(b + 22, static_cast<uint16_t>(g.SectorsPerFat));
  }
  b[510] = 0x55;
  b[511] = 0xAA;
  if (g.Fat32)
    Chain({g.RootCluster});
}

uint32_t CFatImage::FirstDataSector() const {
  uint32_t root =
      (Geometry.RootEntries * 32 + Geometry.BytesPerSector - 1) / Geometry.BytesPerSector;
  return Geometry.ReservedSectors + Geometry.Fats * Geometry.SectorsPerFat + root;
}

uint32_t CFatImage::ClusterCount() const {
  return (Geometry.TotalSectors - FirstDataSector()) / Geometry.SectorsPerCluster;
}

void CFatImage::SetFat(uint32_t cluster, uint32_t value) {
  for (uint32_t copy = 0; copy < Geometry.Fats; ++copy) {
    uint8_t* fat = Bytes.data() + size_t{Geometry.ReservedSectors + copy * Geometry.SectorsPerFat} *
                                      Geometry.BytesPerSector;
    switch (Geometry.EntryBits) {
    case 12: {
      uint8_t* p = fat + cluster * 3 / 2;
      uint16_t word = Get16(p);
      if (cluster & 1)
        word = static_cast<uint16_t>((word & 0x000F) | (value << 4));
      else
        word = static_cast<uint16_t>((word & 0xF000) | (value & 0x0FFF));
      Set16(p, word);
      break;
    }
    case 16:
      Set16(fat + cluster * 2, static_cast<uint16_t>(value));
      break;
    default:
      Set32(fat + cluster * 4, value);
      break;
    }
  }
}

void CFatImage::Chain(const std::vector<uint32_t>& clusters) {
  uint32_t end = Geometry.EntryBits == 12 ? 0xFFF : Geometry.EntryBits == 16 ? 0xFFFF : 0x0FFFFFFF;
  for (size_t i = 0; i < clusters.size(); ++i)
    SetFat(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : end);
}

uint8_t* CFatImage::Cluster(uint32_t cluster) {
  return Bytes.data() +
         (size_t{FirstDataSector()} + size_t{cluster - 2} * Geometry.SectorsPerCluster) *
             Geometry.BytesPerSector;
}

uint8_t* CFatImage::RootRegion() {
  return Bytes.data() + size_t{Geometry.ReservedSectors + Geometry.Fats * Geometry.SectorsPerFat} *
                            Geometry.BytesPerSector;
}

size_t WriteEntry(uint8_t* data, size_t offset, const std::string& shortName11, uint8_t attributes,
                  uint32_t firstCluster, const std::string& longName) {
  static const size_t kOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  if (!longName.empty()) {
    size_t parts = (longName.size() + 12) / 13;
    for (size_t n = parts; n >= 1; --n) {
      uint8_t* e = data + offset;
      std::memset(e, 0, 32);
      e[0] = static_cast<uint8_t>(n | (n == parts ? 0x40 : 0));
      e[11] = 0x0F;
      for (size_t i = 0; i < 13; ++i) {
        size_t at = (n - 1) * 13 + i;
        uint16_t c = at < longName.size()    ? static_cast<uint8_t>(longName[at])
                     : at == longName.size() ? 0x0000
                                             : 0xFFFF;
        Set16(e + kOffsets[i], c);
      }
      offset += 32;
    }
  }
  uint8_t* e = data + offset;
  std::memset(e, 0, 32);
  std::memcpy(e, shortName11.data(), 11);
  e[11] = attributes;
  Set16(e + 20, static_cast<uint16_t>(firstCluster >> 16));
  Set16(e + 26, static_cast<uint16_t>(firstCluster));
  return offset + 32;
}

std::vector<uint8_t> NtfsImage(uint32_t bytesPerSector, uint8_t sectorsPerClusterField,
                               uint64_t totalSectors) {
  std::vector<uint8_t> image(size_t{bytesPerSector} * 64, 0);
  uint8_t* b = image.data();
  b[0] = 0xEB;
  b[1] = 0x52;
  b[2] = 0x90;
  std::memcpy(b + 3, "NTFS    ", 8);
  Set16(b + 11, static_cast<uint16_t>(bytesPerSector));
  b[13] = sectorsPerClusterField;
  Set32(b + 40, static_cast<uint32_t>(totalSectors));
  Set32(b + 44, static_cast<uint32_t>(totalSectors >> 32));
  b[510] = 0x55;
  b[511] = 0xAA;
  return image;
}

} // namespace bw::test
