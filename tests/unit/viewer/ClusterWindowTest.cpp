#include "viewer/ClusterWindow.h"

#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/FatImage.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CFatImage;
using test::CRecordingView;
using test::CScanPlatform;
using test::FatGeometry;

TEST(ClusterReadSpanTest, ARunIsCutAtTheWindowAndAtTheVolumeEnd) {
  struct Case {
    const char* Name;
    uint64_t First, RunEnd, Last;
    uint32_t Window, Span;
  };
  Case cases[] = {
      {"a run inside the window", 10, 15, 1000, 64, 5},
      {"a run longer than the window", 10, 500, 1000, 64, 64},
      {"the rest of that run", 74, 500, 1000, 64, 64},
      {"the last partial piece of it", 458, 500, 1000, 64, 42},
      {"a run that goes past the last cluster", 990, 2000, 1000, 64, 11},
      {"the last cluster alone", 1000, 1001, 1000, 64, 1},
      {"a cluster past the end", 1001, 1002, 1000, 64, 0},
      {"nothing looked at", 10, 10, 1000, 64, 0},
      {"no window", 10, 15, 1000, 0, 0},
      {"the highest numbers", ~uint64_t{0} - 3, ~uint64_t{0}, ~uint64_t{0}, 64, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ClusterReadSpan(c.First, c.RunEnd, c.Last, c.Window), c.Span);
  }
}

// The data area's reads of a FAT scan, as (first cluster, clusters).
std::vector<std::pair<uint64_t, uint32_t>> ClusterReads(const CScanPlatform& p,
                                                        const CFatImage& image) {
  std::vector<std::pair<uint64_t, uint32_t>> reads;
  uint32_t spc = image.Geometry.SectorsPerCluster;
  for (const auto& r : p.Memory.DrivesFake.ReadCalls)
    if (r.First >= image.FirstDataSector())
      reads.emplace_back((r.First - image.FirstDataSector()) / spc + 2, r.Count / spc);
  return reads;
}

// Free runs are read whole, up to 2 MiB at a time (4096 clusters of 512 bytes), and a run
// that goes on into the next 32 KiB piece of the FAT (16384 FAT16 entries) is read again from
// there (and from 32768). Every free cluster is still tested and found where it is.
TEST(FatRunReadTest, FreeRunsAreReadInLargeReads) {
  FatGeometry g = test::Fat16Geometry();
  g.SectorsPerCluster = 1;
  g.TotalSectors = 40000;
  g.SectorsPerFat = 156;
  CFatImage image(g);
  image.Chain({5, 6});
  image.Chain({20000});
  uint64_t last = image.ClusterCount() + 1;
  std::vector<uint64_t> hits = {2, 4, 7, 4102, 4103, 16383, 16384, 19999, 20001, last};
  for (uint64_t c : hits)
    test::PutText(image.Cluster(static_cast<uint32_t>(c)), "deleted " + std::to_string(c));
  CScanPlatform p;
  CRecordingView v;
  p.Mount(image.Bytes, 0);
  CDriveScan scan(p, v);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::Completed);
  std::vector<std::string> expected;
  for (uint64_t c : hits)
    expected.push_back(std::to_string(c));
  EXPECT_EQ(v.Clusters, expected);
  std::vector<std::pair<uint64_t, uint32_t>> reads = {
      {2, 3},        {7, 4096},     {4103, 4096},
      {8199, 4096},  {12295, 4089}, {16384, 3616},
      {20001, 4096}, {24097, 4096}, {28193, 4096},
      {32289, 479},  {32768, 4096}, {36864, static_cast<uint32_t>(last - 36864 + 1)}};
  EXPECT_EQ(ClusterReads(p, image), reads);
  EXPECT_EQ(v.DataLines, std::vector<std::string>{"deleted 2"}) << "the first hit";
}

// A bad sector fails every read that covers it: the clusters before it are still tested, and
// the cluster that holds it is the one reported.
TEST(FatRunReadTest, AFailedLargeReadFindsTheBadClusterOneAtATime) {
  CFatImage image(test::FloppyGeometry());
  for (uint32_t c : {20u, 29u, 40u})
    test::PutText(image.Cluster(c), "deleted " + std::to_string(c));
  CScanPlatform p;
  CRecordingView v;
  p.Mount(image.Bytes, 0);
  uint64_t bad = image.FirstDataSector() + 30 - 2;
  std::vector<std::pair<uint64_t, uint32_t>> asked; // data-area reads, as clusters
  p.DrivesFake.FailRead = [&](uint64_t first, uint32_t count) {
    if (first >= image.FirstDataSector())
      asked.emplace_back(first - image.FirstDataSector() + 2, count);
    return first <= bad && bad < first + count;
  };
  CDriveScan scan(p, v);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.RunFatScan(), ScanOutcome::ReadFailed);
  EXPECT_EQ(v.Clusters, (std::vector<std::string>{"20", "29"}));
  ASSERT_EQ(v.Boxes.size(), 1u);
  EXPECT_EQ(v.Boxes[0].Text, "Failed to read a cluster from the disk, it may contain errors.");
  ASSERT_EQ(asked.size(), 30u) << "one read for the run, then cluster by cluster from 2 to 30";
  EXPECT_EQ(asked.front(), (std::pair<uint64_t, uint32_t>{2, 2847}));
  EXPECT_EQ(asked[1], (std::pair<uint64_t, uint32_t>{2, 1}));
  EXPECT_EQ(asked.back(), (std::pair<uint64_t, uint32_t>{30, 1}));
}

} // namespace
} // namespace bw
