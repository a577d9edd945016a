// Begin scan, the cluster test, showing a cluster and cancelling.
#include "platform/Bytes.h"
#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/FatImage.h"
#include "tests/unit/volume/NtfsImage.h"

#include <cstring>
#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CFatImage;
using test::CNtfsImage;
using test::CRecordingView;
using test::CScanPlatform;
using test::FatGeometry;

class DriveScanTest : public ::testing::Test {
protected:
  CScanPlatform platform;
  CRecordingView view;
};

TEST(ClusterTest, OnlyTheThreeFillValuesAreBlank) {
  struct Case {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Fill;
    bool Blank;
  };
  Case cases[] = {
      {"all 0x00", [](std::vector<uint8_t>&) {}, true},
      {"all 0xFF", [](std::vector<uint8_t>& c) { std::fill(c.begin(), c.end(), 0xFF); }, true},
      {"all 0xF6", [](std::vector<uint8_t>& c) { std::fill(c.begin(), c.end(), 0xF6); }, true},
      {"a mixture of the three",
       [](std::vector<uint8_t>& c) {
         for (size_t i = 0; i < c.size(); ++i)
           c[i] = (i % 3 == 0) ? 0x00 : (i % 3 == 1) ? 0xFF : 0xF6;
       },
       true},
      {"0x01 first", [](std::vector<uint8_t>& c) { c[0] = 0x01; }, false},
      {"0x01 amid 0xFF words",
       [](std::vector<uint8_t>& c) {
         std::fill(c.begin(), c.end(), 0xFF);
         c[1029] = 0x01;
       },
       false},
      {"0x01 last", [](std::vector<uint8_t>& c) { c.back() = 0x01; }, false},
      {"0xF7 between 0xF6",
       [](std::vector<uint8_t>& c) {
         std::fill(c.begin(), c.end(), 0xF6);
         c[2048] = 0xF7;
       },
       false},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<uint8_t> cluster(4096 + 3, 0);
    c.Fill(cluster);
    EXPECT_EQ(IsBlankCluster(cluster.data(), cluster.size()), c.Blank);
  }
}

TEST_F(DriveScanTest, BeginScanShowsTheFiguresOfEachFormat) {
  CFatImage floppy(test::FloppyGeometry());
  CFatImage fat16(test::Fat16Geometry());
  CFatImage fat32(test::Fat32Geometry());
  test::NtfsGeometry ng;
  CNtfsImage ntfs(ng);
  struct Case {
    const char* Name;
    std::vector<uint8_t> Image;
    ScanKind Kind;
    const char* ClusterSize;
    const char* Format;
    const char* ValidClusters;
  };
  Case cases[] = {
      {"FAT12", floppy.Bytes, ScanKind::Fat, "512", "FAT12", "2 - 2848"},
      {"FAT16", fat16.Bytes, ScanKind::Fat, "2048", "FAT16", "2 - 8168"},
      {"FAT32", fat32.Bytes, ScanKind::Fat, "1024", "FAT32", "2 - 40625"},
      {"NTFS", ntfs.Bytes, ScanKind::Ntfs, "4096", "NTFS", "0 - 4096"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform.Mount(c.Image, 1234567);
    view.Texts[StatisticText::ReadTo] = "stale";
    view.Clusters = {"17"};
    EXPECT_EQ(CDriveScan(platform, view).BeginScan(), c.Kind);
    EXPECT_EQ(view.Text(StatisticText::ClusterSize), c.ClusterSize);
    EXPECT_EQ(view.Text(StatisticText::FreeSpace), "1234567");
    EXPECT_EQ(view.Text(StatisticText::DriveFormat), c.Format);
    EXPECT_EQ(view.Text(StatisticText::ValidClusters), c.ValidClusters);
    EXPECT_EQ(view.Text(StatisticText::ReadTo), "");
    EXPECT_EQ(view.Text(StatisticText::DeletedClusters), "0");
    EXPECT_TRUE(view.Clusters.empty());
    EXPECT_TRUE(view.Boxes.empty());
  }
  EXPECT_EQ(platform.FilesFake.Patterns.back(), "C:\\*.*");
}

TEST_F(DriveScanTest, FailedFreeSpaceQueryReadsMinusOne) {
  platform.Mount(CFatImage(test::FloppyGeometry()).Bytes, 0);
  platform.Memory.DrivesFake.Drives['C'].FreeBytes.reset();
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(view.Text(StatisticText::FreeSpace), "-1");
}

TEST_F(DriveScanTest, DriveComesFromTheChosenEntry) {
  platform.Mount(CFatImage(test::FloppyGeometry()).Bytes, 0, 'E');
  view.Entry = "e: Removable disk";
  CDriveScan scan(platform, view);
  EXPECT_EQ(scan.BeginScan(), ScanKind::Fat);
  EXPECT_EQ(scan.GetDriveLetter(), 'E');

  view.Entry = "";
  EXPECT_EQ(scan.BeginScan(), ScanKind::None) << "C: is assumed, and C: has no volume";
  EXPECT_EQ(scan.GetDriveLetter(), 'C');
}

TEST_F(DriveScanTest, RefusedDrivesShowTheirMessage) {
  struct Case {
    const char* Name;
    std::function<void(CScanPlatform&)> Setup;
    const char* Text;
    const char* Caption;
  };
  std::vector<uint8_t> floppy = CFatImage(test::FloppyGeometry()).Bytes;
  Case cases[] = {
      {"drive not ready",
       [&](CScanPlatform& p) {
         p.Mount(floppy, 0);
         p.FilesFake.Errors['C'] = kErrorNotReady;
       },
       "Failed to access drive C:.", "Drive Not Ready"},
      {"sector 0 unreadable on the NT family", [](CScanPlatform& p) { p.Mount({}, 0); },
       "Drive access denied. You must have local administrator rights to scan this system.",
       "Access Error"},
      {"sector 0 unreadable on the 9x family",
       [](CScanPlatform& p) {
         p.Mount({}, 0);
         p.Memory.SystemFake.Version.PlatformId = kPlatformWin32Windows;
         p.Memory.SystemFake.Version.BuildNumber = 950;
       },
       "Failed to read format on drive C:.", "Drive Not Ready"},
      {"sector 0 read but no file system",
       [](CScanPlatform& p) { p.Mount(std::vector<uint8_t>(65536, 0x5A), 0); },
       "Failed to read format on drive C:.", "Drive Not Ready"},
      {"a FAT that reaches past the volume",
       [&](CScanPlatform& p) {
         std::vector<uint8_t> image = floppy;
         Set16(image.data() + 22, 3000); // sectors per FAT
         p.Mount(image, 0);
       },
       "Failed to read format on drive C:.", "Drive Not Ready"},
      {"FAT clusters larger than the cluster buffer",
       [](CScanPlatform& p) {
         FatGeometry g = test::FloppyGeometry();
         g.BytesPerSector = 4096;
         g.SectorsPerCluster = 64;
         g.RootEntries = 128;
         g.SectorsPerFat = 1;
         g.TotalSectors = 4 + 64 * 10;
         p.Mount(CFatImage(g).Bytes, 0);
       },
       "Drive C: has clusters of 262144 bytes. Drive Viewer scans clusters of up to 131072 "
       "bytes.",
       "Drive Not Ready"},
      {"NTFS clusters larger than the cluster buffer",
       [](CScanPlatform& p) { p.Mount(test::NtfsImage(512, 0xF7, 1 << 20), 0); },
       "Drive C: has clusters of 262144 bytes. Drive Viewer scans clusters of up to 131072 "
       "bytes.",
       "Drive Not Ready"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CScanPlatform p;
    CRecordingView v;
    c.Setup(p);
    CDriveScan scan(p, v);
    EXPECT_EQ(scan.BeginScan(), ScanKind::None);
    ASSERT_EQ(v.Boxes.size(), 1u);
    EXPECT_EQ(v.Boxes[0].Text, c.Text);
    EXPECT_EQ(v.Boxes[0].Caption, c.Caption);
    EXPECT_EQ(v.Boxes[0].Style, kMbOk | kMbIconError);
    EXPECT_EQ(v.Text(StatisticText::DriveFormat), "");
    EXPECT_EQ(scan.RunFatScan(), ScanOutcome::NotRun) << "nothing is read after a refusal";
    EXPECT_EQ(scan.TestCluster(2), ClusterTest::ReadFailed);
  }
}

TEST_F(DriveScanTest, EmptyDriveIsReady) {
  platform.Mount(CFatImage(test::FloppyGeometry()).Bytes, 0);
  platform.FilesFake.Errors['C'] = kErrorFileNotFound;
  EXPECT_EQ(CDriveScan(platform, view).BeginScan(), ScanKind::Fat);
  platform.FilesFake.Errors['C'] = kErrorSuccess;
  EXPECT_EQ(CDriveScan(platform, view).BeginScan(), ScanKind::Fat);
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(DriveScanTest, ShowClusterInEachModeAndItsReadFailures) {
  CFatImage image(test::FloppyGeometry());
  test::PutText(image.Cluster(40), "Hello, World!");
  platform.Mount(image.Bytes, 0);
  CDriveScan scan(platform, view);
  ASSERT_TRUE(scan.OpenDrive());

  EXPECT_TRUE(scan.ShowCluster("40", ShowRequest::ListSelection));
  EXPECT_EQ(view.DataLines, std::vector<std::string>{"Hello World"});
  view.Mode = DisplayMode::Hex;
  EXPECT_TRUE(scan.ShowCluster("40", ShowRequest::DisplayMode));
  ASSERT_EQ(view.DataLines.size(), 32u);
  EXPECT_EQ(view.DataLines[0].substr(0, 19), "0000 48 65 6C 6C 6F");

  int sets = view.DataLineSets;
  EXPECT_FALSE(scan.ShowCluster("", ShowRequest::DisplayMode)) << "an empty cluster list";
  EXPECT_TRUE(view.Boxes.empty());
  // Numbers outside the volume are refused before anything is read.
  int reads = 0;
  platform.DrivesFake.FailRead = [&](uint64_t, uint32_t) {
    ++reads;
    return false;
  };
  EXPECT_FALSE(scan.ShowCluster("99999", ShowRequest::ListSelection));
  EXPECT_FALSE(scan.ShowCluster("1", ShowRequest::DisplayMode));
  EXPECT_EQ(reads, 0);
  platform.DrivesFake.FailRead = nullptr;
  ASSERT_EQ(view.Boxes.size(), 2u);
  EXPECT_EQ(view.Boxes[0].Text, "Failed to read cluster.");
  EXPECT_EQ(view.Boxes[0].Caption, kViewerTitle);
  EXPECT_EQ(view.Boxes[0].Style, kMbOk | kMbIconWarning);
  EXPECT_EQ(view.Boxes[1].Caption, "Drive Access Error");
  EXPECT_EQ(view.Boxes[1].Style, kMbOk | kMbIconError);
  EXPECT_EQ(view.DataLineSets, sets) << "the display keeps its old lines";

  // Once the window has closed and freed the buffer, nothing is read into it.
  scan.ReleaseClusterBuffer();
  EXPECT_FALSE(scan.ShowCluster("40", ShowRequest::ListSelection));
  EXPECT_EQ(view.DataLineSets, sets);
}

TEST_F(DriveScanTest, CancelScanAsksFirst) {
  CDriveScan scan(platform, view);
  view.Answers = {kIdNo, kIdYes};
  scan.OnCancel();
  EXPECT_FALSE(scan.IsCancelled());
  scan.OnCancel();
  EXPECT_TRUE(scan.IsCancelled());
  ASSERT_EQ(view.Boxes.size(), 2u);
  EXPECT_EQ(view.Boxes[0].Text, "Are you sure you want to stop scanning?");
  EXPECT_EQ(view.Boxes[0].Caption, "Abort");
  EXPECT_EQ(view.Boxes[0].Style, kMbYesNo | kMbIconQuestion);
}

} // namespace
} // namespace bw
