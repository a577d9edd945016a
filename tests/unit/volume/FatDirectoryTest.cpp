#include "engine/volume/FatDirectory.h"

#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/FatImage.h"

#include <cstring>
#include <gtest/gtest.h>
#include <numeric>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CFatImage;
using test::WriteEntry;

constexpr uint8_t kDir = 0x10;
constexpr uint8_t kFile = 0x20;

class FatDirectoryTest : public ::testing::Test {
protected:
  CVolumeInfo& Open(CFatImage& image) {
    platform.DrivesFake.Drives['C'].Image = image.Bytes;
    EXPECT_TRUE(volume.Open('C')) << volume.GetFailureReason();
    return volume;
  }

  CMemoryPlatform platform;
  CVolumeInfo volume{platform};
};

std::vector<uint32_t> Range(uint32_t first, size_t count) {
  std::vector<uint32_t> v(count);
  std::iota(v.begin(), v.end(), first);
  return v;
}

TEST_F(FatDirectoryTest, Fat12EntryStraddlingTwoFatSectorsIsFollowed) {
  CFatImage image(test::FloppyGeometry());
  // Cluster 341's entry starts at FAT byte 511: its second byte lies in the next FAT sector.
  image.Chain({340, 341, 900, 901});
  std::memset(image.Cluster(900), 'x', 512);
  Open(image);
  CFatDirectoryReader reader(volume);
  std::vector<uint8_t> data;
  std::vector<uint32_t> chain;
  ASSERT_TRUE(reader.ReadClusterChain(340, data, &chain)) << reader.GetFailureReason();
  EXPECT_EQ(chain, (std::vector<uint32_t>{340, 341, 900, 901}));
  ASSERT_EQ(data.size(), 4u * 512);
  EXPECT_EQ(data[2 * 512], 'x');
}

TEST_F(FatDirectoryTest, ChainOf80IsReadAndChainOf81IsReported) {
  for (bool fat32 : {false, true}) {
    SCOPED_TRACE(fat32 ? "FAT32" : "FAT16");
    CFatImage image(fat32 ? test::Fat32Geometry() : test::Fat16Geometry());
    image.Chain(Range(100, 80));
    image.Chain(Range(300, 81));
    Open(image);
    platform.MessageBoxes.Boxes.clear();
    CFatDirectoryReader reader(volume);
    std::vector<uint8_t> data;
    EXPECT_TRUE(reader.ReadClusterChain(100, data));
    EXPECT_EQ(data.size(), 80u * image.BytesPerCluster());
    EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());

    EXPECT_FALSE(reader.IsChainTooLong());

    // The reader only says why; the name cleaner shows the box through its job.
    EXPECT_FALSE(reader.ReadClusterChain(300, data));
    EXPECT_TRUE(reader.IsChainTooLong());
    EXPECT_EQ(reader.GetFailureReason(), "cluster chain > 80");
    EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
  }
}

TEST_F(FatDirectoryTest, BrokenChainsFailCleanly) {
  CFatImage image(test::Fat16Geometry());
  image.Chain({10, 11, 12});
  image.SetFat(12, 10); // loops back
  image.Chain({20, 21});
  image.SetFat(21, 60000); // beyond the last cluster
  image.Chain({30});
  image.SetFat(30, 0); // a free cluster in the chain
  Open(image);
  CFatDirectoryReader reader(volume);
  std::vector<uint8_t> data;
  EXPECT_FALSE(reader.ReadClusterChain(10, data));
  EXPECT_NE(reader.GetFailureReason().find("loops"), std::string::npos);
  EXPECT_FALSE(reader.ReadClusterChain(20, data));
  EXPECT_FALSE(reader.ReadClusterChain(30, data));
  EXPECT_FALSE(reader.ReadClusterChain(0, data));
  EXPECT_FALSE(reader.ReadClusterChain(1, data));
  EXPECT_FALSE(reader.ReadClusterChain(volume.GetClusterCount() + 2, data));
  EXPECT_FALSE(reader.IsChainTooLong()) << "only the chain limit is reported";
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
}

TEST_F(FatDirectoryTest, FindsFoldersByLongOrShortNameInAnyCase) {
  std::vector<uint8_t> dir(4096, 0);
  size_t at = 0;
  at = WriteEntry(dir.data(), at, "MYDIR      ", kDir, 5);
  at = WriteEntry(dir.data(), at, "DATA    OLD", kDir, 6);
  at = WriteEntry(dir.data(), at, "MYDOCU~1   ", kDir, 0x12345, "My Documents");
  at = WriteEntry(dir.data(), at, "REPORT~1TXT", kFile, 8, "Reports");
  at = WriteEntry(dir.data(), at, "REPORTS    ", kDir, 9);
  dir[at] = 0xE5; // a deleted folder entry of the same name comes after
  WriteEntry(dir.data(), at + 32, "GONE       ", kDir, 10);
  dir[at + 32] = 0xE5;

  struct Case {
    const char* Name;
    FileSystemType Type;
    uint32_t Cluster;
  };
  Case cases[] = {
      {"mydir", FileSystemType::Fat16, 5},
      {"MyDir", FileSystemType::Fat16, 5},
      {"data.old", FileSystemType::Fat16, 6},
      {"DATA.OLD", FileSystemType::Fat16, 6},
      {"dataold", FileSystemType::Fat16, 0},
      {"my documents", FileSystemType::Fat16, 0x2345},
      {"MY DOCUMENTS", FileSystemType::Fat32, 0x12345},
      {"mydocu~1", FileSystemType::Fat32, 0x12345},
      // The long name "Reports" belongs to a file: the folder of that name is the 8.3 one.
      {"reports", FileSystemType::Fat16, 9},
      {"gone", FileSystemType::Fat16, 0},
      {"missing", FileSystemType::Fat16, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FindDirectoryEntry(dir.data(), dir.size(), c.Name, c.Type), c.Cluster);
  }
}

TEST_F(FatDirectoryTest, LongNameRunsReachingTheEndOfTheDataStop) {
  std::vector<uint8_t> dir(4096, 0);
  WriteEntry(dir.data(), 0, "LONGFO~1   ", kDir, 7, "A folder with a very long name indeed");
  // Cut the data right after the long-name entries: no short entry follows inside it.
  size_t lfnBytes = 3 * 32;
  std::vector<uint8_t> cut(dir.begin(), dir.begin() + lfnBytes);
  EXPECT_EQ(FindDirectoryEntry(cut.data(), cut.size(), "A folder with a very long name indeed",
                               FileSystemType::Fat16),
            0u);
  EXPECT_EQ(FindDirectoryEntry(dir.data(), dir.size(), "a folder with a very long name indeed",
                               FileSystemType::Fat16),
            7u);
  // A length that is not a whole number of entries never reads past it.
  EXPECT_EQ(FindDirectoryEntry(dir.data(), 31, "x", FileSystemType::Fat16), 0u);
}

TEST_F(FatDirectoryTest, LocatesNestedFoldersFromTheRoot) {
  for (bool fat32 : {false, true}) {
    SCOPED_TRACE(fat32 ? "FAT32" : "FAT16");
    CFatImage image(fat32 ? test::Fat32Geometry() : test::Fat16Geometry());
    uint8_t* root = fat32 ? image.Cluster(2) : image.RootRegion();
    WriteEntry(root, 0, "PROGRA~1   ", kDir, 50, "Program Files");
    image.Chain({50, 51});
    // The first cluster holds only deleted entries, so the lookup must go on into the second.
    for (size_t at = 0; at < image.BytesPerCluster(); at += 32)
      image.Cluster(50)[at] = 0xE5;
    WriteEntry(image.Cluster(51), 0, "BLANKW~1   ", kDir, 60, "Blankwright");
    image.Chain({60});
    WriteEntry(image.Cluster(60), 0, "README  TXT", kFile, 70);
    Open(image);

    CFatDirectoryReader reader(volume);
    std::vector<uint8_t> rootData;
    ASSERT_TRUE(reader.ReadRootDirectory(rootData)) << reader.GetFailureReason();
    EXPECT_EQ(rootData.size(), fat32 ? image.BytesPerCluster() : 512u * 32);
    std::vector<uint8_t> data;
    ASSERT_TRUE(reader.LocateDirectory("C:\\program files\\BLANKWRIGHT", rootData, data))
        << reader.GetFailureReason();
    EXPECT_EQ(ShortEntryName(data.data()), "README.TXT");
    EXPECT_TRUE(reader.LocateDirectory("C:\\Program Files\\", rootData, data));
    EXPECT_EQ(data.size(), 2u * image.BytesPerCluster());
    EXPECT_FALSE(reader.LocateDirectory("C:\\Program Files\\Nothing", rootData, data));
    EXPECT_FALSE(reader.LocateDirectory("C:", rootData, data));
  }
}

TEST_F(FatDirectoryTest, DirectoryOf81ClustersIsSkippedWithItsReason) {
  CFatImage image(test::Fat16Geometry());
  WriteEntry(image.RootRegion(), 0, "BIG        ", kDir, 200);
  image.Chain(Range(200, 81));
  Open(image);
  CFatDirectoryReader reader(volume);
  std::vector<uint8_t> root, data;
  ASSERT_TRUE(reader.ReadRootDirectory(root));
  EXPECT_FALSE(reader.LocateDirectory("C:\\big", root, data));
  EXPECT_TRUE(reader.IsChainTooLong());
}

} // namespace
} // namespace bw
