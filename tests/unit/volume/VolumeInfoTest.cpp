#include "engine/volume/VolumeInfo.h"

#include "platform/Bytes.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/FatImage.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using memory::MemoryDrive;
using test::CFatImage;
using test::FatGeometry;

class VolumeInfoTest : public ::testing::Test {
protected:
  void Mount(std::vector<uint8_t> image, char letter = 'C') {
    MemoryDrive drive;
    drive.Image = std::move(image);
    platform.DrivesFake.Drives[letter] = std::move(drive);
  }

  CMemoryPlatform platform;
};

TEST_F(VolumeInfoTest, ClassifiesEachFileSystem) {
  struct Case {
    const char* Name;
    std::vector<uint8_t> Image;
    FileSystemType Type;
    uint32_t BytesPerCluster;
    uint32_t FirstDataSector;
    uint64_t Clusters;
  };
  CFatImage floppy(test::FloppyGeometry());
  CFatImage fat16(test::Fat16Geometry());
  CFatImage fat32(test::Fat32Geometry());
  FatGeometry big4k = test::Fat16Geometry();
  big4k.BytesPerSector = 4096;
  big4k.SectorsPerCluster = 1;
  big4k.SectorsPerFat = 4;
  big4k.TotalSectors = 8192;
  CFatImage sector4k(big4k);
  Case cases[] = {
      {"1.44 MB floppy", floppy.Bytes, FileSystemType::Fat12, 512, 33, 2847},
      {"FAT16 with 4 reserved sectors", fat16.Bytes, FileSystemType::Fat16, 2048, 100, 8167},
      {"FAT32 by its zero 16-bit FAT size", fat32.Bytes, FileSystemType::Fat32, 1024, 672, 40624},
      {"FAT16 with 4096-byte sectors", sector4k.Bytes, FileSystemType::Fat16, 4096, 4 + 8 + 4,
       8192 - 16},
      {"NTFS", test::NtfsImage(512, 8, 204800), FileSystemType::Ntfs, 4096, 0, 25600},
      {"NTFS with 64 KiB clusters", test::NtfsImage(512, 128, 204800), FileSystemType::Ntfs, 65536,
       0, 1600},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Mount(c.Image);
    CVolumeInfo volume(platform);
    ASSERT_TRUE(volume.Open('c')) << volume.GetFailureReason();
    EXPECT_EQ(volume.GetDriveLetter(), 'C');
    EXPECT_EQ(volume.GetFileSystemType(), c.Type);
    EXPECT_EQ(volume.GetBytesPerCluster(), c.BytesPerCluster);
    EXPECT_EQ(volume.GetFirstDataSector(), c.FirstDataSector);
    EXPECT_EQ(c.Type == FileSystemType::Ntfs ? volume.GetNtfsClusterCount()
                                             : volume.GetClusterCount(),
              c.Clusters);
    EXPECT_EQ(volume.GetOsFamily(), kOsFamilyNt);
  }
}

// The FAT type follows the cluster count, as every FAT driver decides it: a 2.88 MB floppy is
// FAT12 although it has more than 2880 sectors, and a FAT16 layout keeps FAT16 with many.
TEST_F(VolumeInfoTest, FatTypeFollowsClusterCount) {
  FatGeometry ed = test::FloppyGeometry();
  ed.TotalSectors = 5760;
  ed.SectorsPerCluster = 2;
  CFatImage extraDensity(ed);
  Mount(extraDensity.Bytes);
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('C'));
  EXPECT_EQ(volume.GetFileSystemType(), FileSystemType::Fat12);

  FatGeometry g = test::Fat16Geometry();
  g.SectorsPerCluster = 1;
  g.TotalSectors = 2880 + 5000;
  CFatImage fat16(g);
  Mount(fat16.Bytes);
  ASSERT_TRUE(volume.Open('C'));
  EXPECT_EQ(volume.GetFileSystemType(), FileSystemType::Fat16);
}

TEST_F(VolumeInfoTest, NtfsNameNeedsZeroAtByte11) {
  CFatImage image(test::FloppyGeometry());
  std::memcpy(image.BootSector() + 3, "NTFS    ", 8);
  Set32(image.BootSector() + 40, 2880); // NTFS keeps its total here
  Mount(image.Bytes);
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('C'));
  EXPECT_EQ(volume.GetFileSystemType(), FileSystemType::Ntfs) << "512 has a zero low byte";

  // With a nonzero byte 11 the name is not "NTFS    " as a string: the sector is read as FAT.
  Set16(image.BootSector() + 11, 0x0201);
  Mount(image.Bytes);
  EXPECT_FALSE(volume.Open('C'));
  EXPECT_NE(volume.GetFileSystemType(), FileSystemType::Ntfs);
  EXPECT_NE(volume.GetFailureReason().find("bytes per sector 513"), std::string::npos);
}

TEST_F(VolumeInfoTest, RefusesUnsoundBootSectors) {
  struct Case {
    const char* Name;
    std::function<void(uint8_t*)> Damage;
    const char* Reason;
  };
  Case cases[] = {
      {"zero bytes per sector", [](uint8_t* b) { Set16(b + 11, 0); }, "bytes per sector 0"},
      {"zero sectors per cluster", [](uint8_t* b) { b[13] = 0; }, "sectors per cluster 0"},
      {"three sectors per cluster", [](uint8_t* b) { b[13] = 3; }, "sectors per cluster 3"},
      {"zero reserved sectors", [](uint8_t* b) { Set16(b + 14, 0); }, "no reserved sectors"},
      {"zero FATs", [](uint8_t* b) { b[16] = 0; }, "number of FATs is 0"},
      {"zero FAT size", [](uint8_t* b) { Set16(b + 22, 0); }, "sectors per FAT is 0"},
      {"zero total", [](uint8_t* b) { Set16(b + 19, 0); }, "total sector count is 0"},
      {"total below data", [](uint8_t* b) { Set16(b + 19, 20); }, "leave no data area"},
      {"FAT too small", [](uint8_t* b) { Set16(b + 22, 2); }, "FAT is too small"},
      {"no root entries", [](uint8_t* b) { Set16(b + 17, 0); }, "root entry count is 0"},
      {"huge root region", [](uint8_t* b) { Set16(b + 17, 0xFFFF); }, "leave no data area"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CFatImage image(test::FloppyGeometry());
    c.Damage(image.BootSector());
    Mount(image.Bytes);
    CVolumeInfo volume(platform);
    EXPECT_FALSE(volume.Open('C'));
    EXPECT_EQ(volume.GetFileSystemType(), FileSystemType::NotRead);
    EXPECT_NE(volume.GetFailureReason().find(c.Reason), std::string::npos)
        << volume.GetFailureReason();
    uint8_t cluster[512];
    EXPECT_FALSE(volume.ReadCluster(cluster, 2)) << "a refused volume reads nothing";
  }

  CFatImage fat32(test::Fat32Geometry());
  Set32(fat32.BootSector() + 44, 1'000'000);
  Mount(fat32.Bytes);
  CVolumeInfo volume(platform);
  EXPECT_FALSE(volume.Open('C'));
  EXPECT_NE(volume.GetFailureReason().find("root directory cluster"), std::string::npos);

  for (uint8_t field : {uint8_t{0}, uint8_t{3}, uint8_t{0x81}}) {
    SCOPED_TRACE(field);
    Mount(test::NtfsImage(512, field, 204800));
    EXPECT_FALSE(volume.Open('C'));
  }
  Mount(test::NtfsImage(512, 8, 0));
  EXPECT_FALSE(volume.Open('C'));
  Mount(test::NtfsImage(512, 8, ~uint64_t{0}));
  EXPECT_FALSE(volume.Open('C'));
}

TEST_F(VolumeInfoTest, OpenRejectsNonLettersAndUnreadableDrives) {
  CVolumeInfo volume(platform);
  EXPECT_FALSE(volume.Open('1'));
  EXPECT_FALSE(volume.Open('Q')) << "no such drive";
  EXPECT_NE(volume.GetFailureReason().find("could not be read"), std::string::npos);
}

TEST_F(VolumeInfoTest, Windows98FallsBackToInt25AndKeepsIt) {
  platform.SystemFake.Version = {kPlatformWin32Windows, 4, 10, 1998};
  CFatImage image(test::FloppyGeometry());
  Mount(image.Bytes, 'A');
  platform.DrivesFake.Drives['A'].FailingReaders = {RawReader::Ioctl7305};
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('a'));
  EXPECT_EQ(volume.GetOsFamily(), kOsFamilyWin95);
  uint8_t cluster[512];
  ASSERT_TRUE(volume.ReadCluster(cluster, 2));
  EXPECT_EQ(platform.DrivesFake.ReadCalls.back().Reader, RawReader::Int25);

  platform.SystemFake.Version = {kPlatformWin32Windows, 4, 0, 950};
  ASSERT_TRUE(volume.Open('A'));
  EXPECT_EQ(platform.DrivesFake.ReadCalls.back().Reader, RawReader::Int25);
}

TEST_F(VolumeInfoTest, ReadsSectorsOfTheVolumesOwnSize) {
  FatGeometry g = test::Fat16Geometry();
  g.BytesPerSector = 4096;
  g.SectorsPerCluster = 1;
  g.SectorsPerFat = 4;
  g.TotalSectors = 8192;
  CFatImage image(g);
  image.Cluster(5)[0] = 0x5A;
  image.Cluster(5)[4095] = 0xA5;
  Mount(image.Bytes);
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('C'));
  std::vector<uint8_t> cluster(volume.GetBytesPerCluster());
  ASSERT_TRUE(volume.ReadCluster(cluster.data(), 5));
  EXPECT_EQ(cluster[0], 0x5A);
  EXPECT_EQ(cluster[4095], 0xA5);
  EXPECT_EQ(platform.DrivesFake.ReadCalls.back().SectorSize, 4096u);
}

TEST_F(VolumeInfoTest, ClusterNumbersOutsideTheVolumeAreNotRead) {
  CFatImage image(test::FloppyGeometry());
  Mount(image.Bytes);
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('C'));
  uint8_t cluster[512];
  size_t reads = platform.DrivesFake.ReadCalls.size();
  EXPECT_FALSE(volume.ReadCluster(cluster, 0));
  EXPECT_FALSE(volume.ReadCluster(cluster, 1));
  EXPECT_FALSE(volume.ReadCluster(cluster, 2847 + 2));
  EXPECT_FALSE(volume.ReadSectors(cluster, 2880, 1));
  EXPECT_EQ(platform.DrivesFake.ReadCalls.size(), reads);
  EXPECT_TRUE(volume.ReadCluster(cluster, 2847 + 1)) << "the last cluster";
}

TEST_F(VolumeInfoTest, FreeBytesAndSystemClusterSize) {
  Mount(CFatImage(test::FloppyGeometry()).Bytes);
  MemoryDrive& drive = platform.DrivesFake.Drives['C'];
  EXPECT_EQ(GetFreeBytes(platform, 'C', kOsFamilyNt), ~uint64_t{0}) << "failure is all ones";
  EXPECT_EQ(GetSystemClusterSize(platform, 'C'), 0u) << "failure is 0";

  drive.FreeBytes = 5'000'000'000ull;
  drive.FreeSpace = DiskFreeSpace{8, 512, 1000, 2000};
  EXPECT_EQ(GetFreeBytes(platform, 'C', kOsFamilyNt), 5'000'000'000ull);
  EXPECT_EQ(GetFreeBytes(platform, 'C', kOsFamilyWin98), 5'000'000'000ull);
  EXPECT_EQ(GetFreeBytes(platform, 'C', kOsFamilyWin95), 8u * 512 * 1000);
  EXPECT_EQ(GetSystemClusterSize(platform, 'C'), 4096u);

  drive.FreeSpace = DiskFreeSpace{1, 100, 10, 10};
  EXPECT_EQ(GetSystemClusterSize(platform, 'C'), 512u) << "not a multiple of 512";
}

TEST_F(VolumeInfoTest, SectorNumbersBeyond32BitsReachTheReader) {
  Mount(CFatImage(test::FloppyGeometry()).Bytes);
  uint8_t sector[512];
  EXPECT_FALSE(ReadSectors(platform, kOsFamilyNt, 'C', 8388608, 1, 512, sector));
  EXPECT_EQ(platform.DrivesFake.ReadCalls.back().First, 8388608u);
  EXPECT_FALSE(ReadSectors(platform, 4, 'C', 0, 1, 512, sector)) << "unknown family";
}

} // namespace
} // namespace bw
