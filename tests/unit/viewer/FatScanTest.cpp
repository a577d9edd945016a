#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/FatImage.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CFatImage;
using test::CRecordingView;
using test::CScanPlatform;
using test::FatGeometry;

std::vector<std::string> Numbers(const std::vector<uint32_t>& clusters) {
  std::vector<std::string> texts;
  for (uint32_t c : clusters)
    texts.push_back(std::to_string(c));
  return texts;
}

class FatScanTest : public ::testing::Test {
protected:
  // Mounts image; every cluster of hits gets text, and so does an allocated cluster, which the
  // scan must pass over.
  void Prepare(CFatImage& image, const std::vector<uint32_t>& hits, uint64_t freeBytes = 0) {
    for (uint32_t c : hits)
      test::PutText(image.Cluster(c), "deleted " + std::to_string(c));
    image.Chain({5, 6});
    test::PutText(image.Cluster(6), "a live file");
    platform.Mount(image.Bytes, freeBytes);
  }

  CScanPlatform platform;
  CRecordingView view;
};

// Hits on each side of every chunk boundary: 64 sectors of 512 bytes hold 16384 FAT16 entries
// or 8192 FAT32 entries; with larger sectors a chunk is fewer sectors of the same 32768 bytes.
TEST_F(FatScanTest, FindsHitsInOrderAcrossChunkBoundaries) {
  struct Case {
    const char* Name;
    FatGeometry Geometry;
    std::vector<uint32_t> Hits;
    std::vector<std::pair<uint64_t, uint32_t>> Reads;
  };
  FatGeometry fat16 = test::Fat16Geometry();
  fat16.SectorsPerCluster = 1;
  fat16.TotalSectors = 40000;
  fat16.SectorsPerFat = 156;
  FatGeometry fat32 = test::Fat32Geometry();
  fat32.TotalSectors = 20480;
  fat32.SectorsPerFat = 160;
  FatGeometry fat32k = fat32;
  fat32k.BytesPerSector = 1024;
  fat32k.SectorsPerCluster = 1;
  fat32k.TotalSectors = 9200;
  fat32k.SectorsPerFat = 36;
  FatGeometry fat12k = test::FloppyGeometry();
  fat12k.BytesPerSector = 4096;
  fat12k.TotalSectors = 400;
  fat12k.SectorsPerFat = 1;
  fat12k.RootEntries = 128;
  Case cases[] = {
      {"FAT12", test::FloppyGeometry(), {2, 3, 7, 100, 2848}, {{1, 9}}},
      {"FAT16, three chunks",
       fat16,
       {16383, 16384, 32767, 32768, 39653},
       {{4, 64}, {68, 64}, {132, 28}}},
      {"FAT32, the walk ends inside the FAT", fat32, {8191, 8192, 10065}, {{32, 64}, {96, 64}}},
      {"FAT32 with 1024-byte sectors", fat32k, {8191, 8192, 9097}, {{32, 32}, {64, 4}}},
      {"FAT12 with 4096-byte sectors", fat12k, {2, 397}, {{1, 1}}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CScanPlatform p;
    CRecordingView v;
    CFatImage image(c.Geometry);
    ASSERT_EQ(image.ClusterCount() + 1, c.Hits.back()) << "the last hit is the last cluster";
    for (uint32_t h : c.Hits)
      test::PutText(image.Cluster(h), "deleted " + std::to_string(h));
    image.Chain({5, 6});
    test::PutText(image.Cluster(6), "a live file");
    p.Mount(image.Bytes, 0);

    CDriveScan scan(p, v);
    ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
    EXPECT_EQ(scan.RunFatScan(), ScanOutcome::Completed);
    EXPECT_EQ(v.Clusters, Numbers(c.Hits));
    EXPECT_EQ(scan.GetHitCount(), c.Hits.size());
    EXPECT_EQ(v.Text(StatisticText::DeletedClusters), std::to_string(c.Hits.size()));
    EXPECT_EQ(v.Text(StatisticText::ReadTo), std::to_string(image.ClusterCount() + 1));
    std::vector<std::pair<uint64_t, uint32_t>> reads;
    for (const auto& r : p.Memory.DrivesFake.ReadCalls)
      if (r.First != 0 && r.First < image.FirstDataSector())
        reads.emplace_back(r.First, r.Count);
    EXPECT_EQ(reads, c.Reads);
    EXPECT_TRUE(v.Boxes.empty());
    EXPECT_EQ(v.Reports.size(), 1u);
  }
}

TEST_F(FatScanTest, ShowsProgressEveryHundredClustersAndTheFirstHit) {
  CFatImage image(test::FloppyGeometry());
  Prepare(image, {250, 300});
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::Completed);
  std::vector<std::string> expected;
  for (int c = 100; c <= 2800; c += 100)
    expected.push_back(std::to_string(c));
  expected.push_back("2848");
  EXPECT_EQ(view.ReadToShown, expected);
  EXPECT_EQ(view.DataLines, std::vector<std::string>{"deleted 250"}) << "the first hit";
  EXPECT_EQ(view.Scanning, (std::vector<bool>{true, false}));
  EXPECT_GE(view.Pumps, 2847);
}

TEST_F(FatScanTest, ReportFollowsTheScan) {
  CFatImage image(test::Fat16Geometry());
  Prepare(image, {10, 11, 12}, 8000 * 2048);
  platform.Memory.SystemFake.WindowsDirectory = "c:\\WINDOWS";
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  ASSERT_EQ(scan.RunFatScan(), ScanOutcome::Completed);
  ASSERT_EQ(view.Reports.size(), 1u);
  EXPECT_TRUE(view.Reports[0].WindowsDrive);
  EXPECT_EQ(view.Reports[0].Percentage, "0.04%");
  EXPECT_EQ(view.Reports[0].Clusters, "3");
  EXPECT_EQ(view.Reports[0].Size, "6144");

  view.Entry = "D: Fixed drive";
  platform.Mount(image.Bytes, 0, 'D');
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  ASSERT_EQ(scan.RunFatScan(), ScanOutcome::Completed);
  EXPECT_FALSE(view.Reports.back().WindowsDrive);
  EXPECT_EQ(view.Reports.back().Percentage, "0.00%") << "no free clusters";
}

TEST_F(FatScanTest, UnreadableChunkEndsTheWalkWithAPartialReport) {
  FatGeometry g = test::Fat16Geometry();
  g.SectorsPerCluster = 1;
  g.TotalSectors = 40000;
  g.SectorsPerFat = 156;
  CFatImage image(g);
  Prepare(image, {100, 20000});
  platform.DrivesFake.FailRead = [](uint64_t first, uint32_t) { return first == 4 + 64; };
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::Incomplete);
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Drive reading error.");
  EXPECT_EQ(view.Boxes[0].Caption, kViewerTitle);
  EXPECT_EQ(view.Boxes[0].Style, kMbOk | kMbIconWarning);
  EXPECT_EQ(view.Clusters, Numbers({100}));
  EXPECT_EQ(view.Text(StatisticText::ReadTo), "16383") << "as far as the walk went";
  EXPECT_EQ(view.Reports.size(), 1u);
  EXPECT_NE(scan.GetFailureDetail().find("68"), std::string::npos) << scan.GetFailureDetail();
}

TEST_F(FatScanTest, UnreadableClusterStopsWithoutReport) {
  CFatImage image(test::FloppyGeometry());
  Prepare(image, {20, 40});
  uint64_t bad = image.FirstDataSector() + 30 - 2;
  platform.DrivesFake.FailRead = [bad](uint64_t first, uint32_t count) {
    return first <= bad && bad < first + count;
  };
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::ReadFailed);
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Failed to read a cluster from the disk, it may contain errors.");
  EXPECT_EQ(view.Boxes[0].Style, kMbOk | kMbIconWarning);
  EXPECT_EQ(view.Clusters, Numbers({20}));
  EXPECT_TRUE(view.Reports.empty());
  EXPECT_EQ(view.Scanning.back(), false) << "the buttons come back";
}

TEST_F(FatScanTest, CancelKeepsTheListAndShowsNoReport) {
  CFatImage image(test::FloppyGeometry());
  Prepare(image, {20, 40, 2000});
  CDriveScan scan(platform, view);
  view.OnPump = [&] {
    if (view.Pumps == 100)
      scan.OnCancel();
  };
  view.Answers = {kIdYes};
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::Cancelled);
  EXPECT_EQ(view.Clusters, Numbers({20, 40}));
  EXPECT_TRUE(view.Reports.empty());
  EXPECT_EQ(view.Pumps, 100) << "the walk stops at the poll after Yes";

  // No is no: the scan runs to the end.
  view.Pumps = 0;
  view.Answers = {kIdNo};
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::Completed);
  EXPECT_EQ(view.Clusters, Numbers({20, 40, 2000}));
}

// A device shorter than its boot sector says: every read past its end fails cleanly, with the
// message of the part that could not be read.
TEST_F(FatScanTest, VolumeShorterThanItsBootSectorSays) {
  CFatImage image(test::FloppyGeometry());
  Prepare(image, {20, 40});
  struct Case {
    const char* Name;
    size_t Sectors;
    ScanOutcome Outcome;
    const char* Message;
    std::vector<std::string> Hits;
  };
  Case cases[] = {
      {"the data area cut short", 100, ScanOutcome::ReadFailed,
       "Failed to read a cluster from the disk, it may contain errors.", Numbers({20, 40})},
      {"the FAT cut short", 5, ScanOutcome::Incomplete, "Drive reading error.", {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CScanPlatform p;
    CRecordingView v;
    p.Mount(std::vector<uint8_t>(image.Bytes.begin(), image.Bytes.begin() + c.Sectors * 512), 0);
    CDriveScan scan(p, v);
    ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
    EXPECT_EQ(scan.RunFatScan(), c.Outcome);
    ASSERT_EQ(v.Boxes.size(), 1u);
    EXPECT_EQ(v.Boxes[0].Text, c.Message);
    EXPECT_EQ(v.Clusters, c.Hits);
  }
}

} // namespace
} // namespace bw
