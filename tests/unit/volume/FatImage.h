// Builds small FAT and NTFS volumes in memory for the volume-layer tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw::test {

struct FatGeometry {
  uint32_t BytesPerSector = 512;
  uint32_t SectorsPerCluster = 1;
  uint32_t ReservedSectors = 1;
  uint32_t Fats = 2;
  uint32_t RootEntries = 224;
  uint32_t TotalSectors = 2880;
  uint32_t SectorsPerFat = 9;
  bool Fat32 = false;       ///< store the FAT size in the 32-bit field
  uint32_t RootCluster = 2; ///< FAT32 only
  int EntryBits = 12;       ///< FAT entry width the image is written with
};

/// A 1.44 MB floppy as mkfs.fat makes it.
FatGeometry FloppyGeometry();
/// A 16 MiB FAT16 volume with 2 KiB clusters and 4 reserved sectors.
FatGeometry Fat16Geometry();
/// A 40 MiB FAT32 volume with 1 KiB clusters and 32 reserved sectors.
FatGeometry Fat32Geometry();

class CFatImage {
public:
  explicit CFatImage(const FatGeometry& geometry);

  std::vector<uint8_t> Bytes;
  FatGeometry Geometry;

  uint8_t* BootSector() { return Bytes.data(); }
  uint32_t FirstDataSector() const;
  uint32_t ClusterCount() const;
  uint32_t BytesPerCluster() const { return Geometry.BytesPerSector * Geometry.SectorsPerCluster; }

  /// Sets the FAT entry of cluster in every FAT copy.
  void SetFat(uint32_t cluster, uint32_t value);
  /// Links clusters into a chain ending with an end-of-chain mark.
  void Chain(const std::vector<uint32_t>& clusters);
  uint8_t* Cluster(uint32_t cluster);
  /// The fixed root region of FAT12/16.
  uint8_t* RootRegion();
};

/// Writes a directory entry at data + offset: the long-name entries of longName (when not
/// empty) and then the short entry; returns the offset after it.
size_t WriteEntry(uint8_t* data, size_t offset, const std::string& shortName11, uint8_t attributes,
                  uint32_t firstCluster, const std::string& longName = "");

/// A minimal NTFS boot sector image of total sectors.
std::vector<uint8_t> NtfsImage(uint32_t bytesPerSector, uint8_t sectorsPerClusterField,
                               uint64_t totalSectors);

} // namespace bw::test
