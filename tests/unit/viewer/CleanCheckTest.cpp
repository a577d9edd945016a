#include "viewer/CleanCheck.h"

#include "engine/volume/DeletedNames.h"
#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/FatImage.h"

#include <cstring>
#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CFatImage;
using test::WriteEntry;

constexpr uint8_t kDirectory = 0x10;
constexpr uint8_t kArchive = 0x20;

// Marks the entries from offset to end as deleted, long-name entries included.
void Delete(uint8_t* data, size_t from, size_t to) {
  for (size_t at = from; at < to; at += 32)
    data[at] = 0xE5;
}

class CleanCheckTest : public ::testing::Test {
protected:
  CleanCheckTest() : image(test::FloppyGeometry()) {}
  test::CScanPlatform platform;
  CFatImage image;
};

TEST_F(CleanCheckTest, HoldsFreeClustersToTheLastPassByteAndCountsDeletedNames) {
  // Free clusters: one of ones, which the viewer calls blank, and one of text.
  std::memset(image.Cluster(10), 0xFF, image.BytesPerCluster());
  test::PutText(image.Cluster(11), "deleted data");
  // The root holds a folder with a deleted user's file; the root itself a deleted filler.
  image.Chain({5});
  size_t at = WriteEntry(image.RootRegion(), 0, "DOCS       ", kDirectory, 5);
  size_t filler = at;
  at = WriteEntry(image.RootRegion(), at, "1BLANKWR~BW", kArchive, 0, "1Blankwr.~BW");
  Delete(image.RootRegion(), filler, at);
  size_t sub = WriteEntry(image.Cluster(5), 0, ".          ", kDirectory, 5);
  sub = WriteEntry(image.Cluster(5), sub, "..         ", kDirectory, 0);
  size_t deleted = sub;
  sub = WriteEntry(image.Cluster(5), sub, "DIARY~1 TXT", kArchive, 0, "diary 2026.txt");
  Delete(image.Cluster(5), deleted, sub);
  platform.Mount(image.Bytes, 100 * 512);

  CleanCheckResult zeros = CheckCleanDrive(platform, 'C', 0x00);
  ASSERT_TRUE(zeros.Completed) << zeros.Failure;
  EXPECT_EQ(zeros.Format, "FAT12");
  EXPECT_EQ(zeros.ResidualClusters, 2u);
  EXPECT_TRUE(zeros.NamesCounted);
  EXPECT_EQ(zeros.ResidualNames, 3u);
  EXPECT_FALSE(zeros.IsClean());
  EXPECT_EQ(CleanCheckText('C', zeros),
            "Verify drive C: 2 clusters of free space still hold data, 3 deleted names still "
            "readable\n");

  // After an even number of passes the free space should be ones: the zeros are what is left.
  CleanCheckResult ones = CheckCleanDrive(platform, 'C', 0xFF);
  EXPECT_GT(ones.ResidualClusters, 2u);
  EXPECT_EQ(LastPassByte(1), 0x00);
  EXPECT_EQ(LastPassByte(2), 0xFF);
  EXPECT_EQ(LastPassByte(7), 0x00);
  EXPECT_EQ(LastPassByte(0), 0x00) << "no pass asked for is taken as one";
}

TEST_F(CleanCheckTest, CleanDriveAndOneThatCannotBeRead) {
  platform.Mount(image.Bytes, 100 * 512);
  CleanCheckResult clean = CheckCleanDrive(platform, 'C', 0x00);
  EXPECT_TRUE(clean.IsClean());
  EXPECT_EQ(CleanCheckText('C', clean),
            "Verify drive C: 0 clusters of free space still hold data, 0 deleted names still "
            "readable (clean)\n");

  platform.DrivesFake.FailRead = [](uint64_t first, uint32_t count) { return first + count > 41; };
  CleanCheckResult unread = CheckCleanDrive(platform, 'C', 0x00);
  EXPECT_FALSE(unread.Completed);
  EXPECT_FALSE(unread.IsClean());
  EXPECT_EQ(CleanCheckText('C', unread).rfind("Verify drive C: not checked to the end: ", 0), 0u);
}

TEST_F(CleanCheckTest, AFolderThatPointsBackIsReadOnce) {
  image.Chain({5});
  WriteEntry(image.RootRegion(), 0, "LOOP       ", kDirectory, 5);
  size_t sub = WriteEntry(image.Cluster(5), 0, "AGAIN      ", kDirectory, 5);
  WriteEntry(image.Cluster(5), sub, "GONE    TXT", kArchive, 0);
  Delete(image.Cluster(5), sub, sub + 32);
  platform.Mount(image.Bytes, 100 * 512);
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('C'));
  DeletedNameCount count;
  ASSERT_TRUE(CountVolumeDeletedNames(volume, count));
  EXPECT_EQ(count.FoldersRead, 2u);
  EXPECT_EQ(count.Names, 1u);
}

} // namespace
} // namespace bw
