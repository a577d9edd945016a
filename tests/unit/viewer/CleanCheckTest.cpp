#include "viewer/CleanCheck.h"

#include "engine/volume/DeletedNames.h"
#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/FatImage.h"

#include <algorithm>
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

// What a job dialog sees of the check: the drives begun, the bar's figures, and a Cancel that
// comes after a given number of pumped messages (0: never).
class CProgressRecorder final : public ICleanCheckProgress {
public:
  void CheckingDrive(char letter) override { Drives += letter; }
  void SetProgress(int percent) override { Percents.push_back(percent); }
  bool PumpMessage() override {
    ++Pumps;
    return StopAfter > 0 && Pumps >= StopAfter;
  }

  std::string Drives;
  std::vector<int> Percents;
  int Pumps = 0;
  int StopAfter = 0;
};

TEST_F(CleanCheckTest, ChecksEachCleanedDriveWithItsProgress) {
  test::PutText(image.Cluster(11), "deleted data");
  platform.Mount(image.Bytes, 100 * 512);
  platform.FilesFake.Errors['D'] = kErrorNotReady;
  CProgressRecorder progress;
  std::vector<CleanCheckDrive> drives = CheckCleanDrives(platform, "C:, D:", 0x00, progress);
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(progress.Drives, "CD");
  EXPECT_GT(progress.Pumps, 0);
  ASSERT_FALSE(progress.Percents.empty());
  EXPECT_EQ(progress.Percents.front(), 0);
  // C:'s figures, then D:'s start at 0 and end there, its drive refused before any read.
  EXPECT_EQ(progress.Percents.back(), 0);
  std::vector<int> c(progress.Percents.begin(), progress.Percents.end() - 1);
  EXPECT_TRUE(std::is_sorted(c.begin(), c.end())) << "the bar only moves forward";
  EXPECT_EQ(c.back(), 100);
  EXPECT_EQ(std::adjacent_find(c.begin(), c.end()), c.end()) << "a figure is given once";

  EXPECT_EQ(drives[0].Letter, 'C');
  ASSERT_TRUE(drives[0].Result.Completed);
  EXPECT_EQ(drives[0].Result.ResidualClusters, 1u);
  EXPECT_EQ(drives[1].Letter, 'D');
  EXPECT_FALSE(drives[1].Result.Completed) << "a drive that cannot be read is no clean one";
  EXPECT_FALSE(drives[1].Result.Stopped);

  EXPECT_TRUE(CheckCleanDrives(platform, "None", 0x00, progress).empty());
}

TEST_F(CleanCheckTest, CancelStopsTheCheckAndTheDrivesLeft) {
  platform.Mount(image.Bytes, 100 * 512);
  CProgressRecorder progress;
  progress.StopAfter = 50;
  std::vector<CleanCheckDrive> drives = CheckCleanDrives(platform, "C:, C:", 0x00, progress);
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(progress.Drives, "C") << "the second drive is not begun";
  EXPECT_LT(progress.Pumps, 60) << "the scan ends at its next poll";
  for (const CleanCheckDrive& drive : drives) {
    EXPECT_TRUE(drive.Result.Stopped);
    EXPECT_FALSE(drive.Result.Completed);
  }
  EXPECT_EQ(CleanCheckReportText(drives, true),
            "Verified after cleaning (0 is the goal):\r\n"
            "C: not checked to the end: the check was stopped.\r\n"
            "C: not checked to the end: the check was stopped.");
}

TEST(CleanCheckReportTest, NamesTheReasonForEachFigureAbove0) {
  auto fat = [](uint64_t clusters, uint64_t names, uint64_t skipped = 0) {
    CleanCheckResult result;
    result.Completed = true;
    result.NamesCounted = true;
    result.ResidualClusters = clusters;
    result.ResidualNames = names;
    result.FoldersSkipped = skipped;
    return result;
  };
  CleanCheckResult ntfs;
  ntfs.Completed = true;
  ntfs.ResidualClusters = 1;
  struct Case {
    CleanCheckResult Result;
    bool NamesCleaned;
    const char* Line;
  } cases[] = {
      {fat(0, 0), true, "Y: 0 clusters of free space hold data, 0 deleted names readable."},
      {fat(0, 1), false,
       "Y: 0 clusters of free space hold data, 1 deleted name readable (name cleaning is off "
       "on the General page)."},
      {fat(3, 2, 1), true,
       "Y: 3 clusters of free space hold data (freed by programs during or after the wipe), 2 "
       "deleted names readable (files deleted after their folders were cleaned), 1 folder "
       "could not be read."},
      {ntfs, true,
       "Y: 1 cluster of free space holds data (freed by programs during or after the wipe)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(CleanCheckReportText({{'Y', c.Result}}, c.NamesCleaned),
              std::string("Verified after cleaning (0 is the goal):\r\n") + c.Line);
  }
  EXPECT_EQ(CleanCheckReportText({}, true), "") << "nothing checked, nothing to add";
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
