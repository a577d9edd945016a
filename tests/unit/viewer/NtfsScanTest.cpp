#include "platform/Bytes.h"
#include "tests/unit/viewer/ScanFixture.h"
#include "tests/unit/volume/NtfsImage.h"

#include <cstring>
#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CNtfsImage;
using test::CRecordingView;
using test::CScanPlatform;
using test::NtfsGeometry;

void Put64(uint8_t* p, uint64_t v) {
  Set32(p, static_cast<uint32_t>(v));
  Set32(p + 4, static_cast<uint32_t>(v >> 32));
}

class NtfsScanTest : public ::testing::Test {
public:
  // A volume of 512-byte clusters, two bitmap pieces long, with deleted data in a few free
  // clusters and in one cluster in use.
  NtfsScanTest() : image(Geometry()) {
    for (uint64_t c : kHits)
      test::PutText(image.Cluster(c), "deleted " + std::to_string(c));
    image.SetInUse(1000, true);
    test::PutText(image.Cluster(1000), "a live file");
    platform.Mount(image.Bytes, 40000 * 512);
  }

  static NtfsGeometry Geometry() {
    NtfsGeometry g;
    g.SectorsPerCluster = 1;
    g.Clusters = 40000;
    return g;
  }

  // The system's query, answered from the image's bitmap as Windows answers it.
  uint32_t AnswerFromImage(uint64_t start, uint8_t* buffer) {
    uint64_t first = start & ~uint64_t{7};
    uint64_t remaining = image.Geometry.Clusters - first;
    std::memset(buffer, 0, kVolumeBitmapBufferSize);
    Put64(buffer, first);
    Put64(buffer + 8, remaining);
    for (uint64_t i = 0; i < std::min<uint64_t>(remaining, kVolumeBitmapBits); ++i)
      if (image.IsInUse(first + i))
        buffer[16 + i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    return remaining > kVolumeBitmapBits ? kStatusBufferOverflow : kStatusSuccess;
  }

  std::vector<std::string> HitTexts() const {
    std::vector<std::string> texts;
    for (uint64_t c : kHits)
      texts.push_back(std::to_string(c));
    return texts;
  }

  static constexpr uint64_t kHits[] = {300, 32767, 32768, 39999};
  CNtfsImage image;
  CScanPlatform platform;
  CRecordingView view;
};

TEST_F(NtfsScanTest, ReadsTheFilesOwnBitmapWhereTheSystemHasNoQuery) {
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Completed);
  EXPECT_EQ(view.Clusters, HitTexts());
  EXPECT_EQ(view.Text(StatisticText::ReadTo), "40000");
  EXPECT_EQ(view.Text(StatisticText::ValidClusters), "0 - 40000");
  EXPECT_EQ(view.ReadToShown.front(), "100")
      << "progress at free clusters that are multiples of 100";
  EXPECT_EQ(platform.Memory.VolumeBitmapFake.Queries, std::vector<uint64_t>{0})
      << "once the system says no, it is not asked again";
  ASSERT_EQ(view.Reports.size(), 1u);
  EXPECT_EQ(view.Reports[0].Percentage, "0.01%");
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(NtfsScanTest, UsesTheSystemQueryInPieces) {
  auto& bitmap = platform.Memory.VolumeBitmapFake;
  bitmap.OnGetBitmap = [this](uint64_t start, uint8_t* buffer) {
    return AnswerFromImage(start, buffer);
  };
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Completed);
  EXPECT_EQ(view.Clusters, HitTexts());
  EXPECT_EQ(bitmap.Queries, (std::vector<uint64_t>{0, 32768}));
}

TEST_F(NtfsScanTest, WaitsForAPendingAnswer) {
  auto& bitmap = platform.Memory.VolumeBitmapFake;
  bitmap.OnGetBitmap = [this](uint64_t start, uint8_t* buffer) {
    uint32_t status = AnswerFromImage(start, buffer);
    platform.Memory.VolumeBitmapFake.PendingResult = status;
    return kStatusPending;
  };
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Completed);
  EXPECT_EQ(bitmap.Waits, 2);
  EXPECT_EQ(view.Clusters, HitTexts());
}

TEST_F(NtfsScanTest, MissingEntryPointEndsBeforeTheButtonsChange) {
  platform.Memory.VolumeBitmapFake.HasEntryPoint = false;
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::NotRun);
  EXPECT_TRUE(view.Scanning.empty());
  EXPECT_TRUE(view.Boxes.empty());
  EXPECT_TRUE(view.Reports.empty());
}

// A failed or unsound answer ends the scan with the counts so far, saying the drive could not
// be read to the end: never a loop, a cluster tested twice or one outside the volume.
TEST_F(NtfsScanTest, BadAnswersEndTheScanCleanly) {
  struct Case {
    const char* Name;
    std::function<uint32_t(NtfsScanTest&, uint64_t, uint8_t*)> Answer;
    std::vector<std::string> Hits;
    const char* ReadTo;
  };
  Case cases[] = {
      {"a failure status",
       [](NtfsScanTest& t, uint64_t start, uint8_t* b) {
         return start == 0 ? t.AnswerFromImage(start, b) : 0xC0000001u;
       },
       {"300", "32767"},
       "32767"},
      {"a count larger than the volume",
       [](NtfsScanTest& t, uint64_t start, uint8_t* b) {
         uint32_t status = t.AnswerFromImage(start, b);
         Put64(b + 8, 40001);
         return status;
       },
       {},
       nullptr},
      {"a piece that starts past the cluster asked",
       [](NtfsScanTest& t, uint64_t start, uint8_t* b) {
         uint32_t status = t.AnswerFromImage(start, b);
         Put64(b, start + 8);
         return status;
       },
       {},
       nullptr},
      {"more follows but nothing moves on",
       [](NtfsScanTest& t, uint64_t start, uint8_t* b) {
         t.AnswerFromImage(start, b);
         Put64(b + 8, 0);
         return kStatusBufferOverflow;
       },
       {},
       nullptr},
      {"a pending answer that fails",
       [](NtfsScanTest& t, uint64_t start, uint8_t* b) {
         t.AnswerFromImage(start, b);
         t.platform.Memory.VolumeBitmapFake.PendingResult = 0xC0000185;
         return kStatusPending;
       },
       {},
       nullptr},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    view = CRecordingView();
    auto& bitmap = platform.Memory.VolumeBitmapFake;
    bitmap.Queries.clear();
    bitmap.OnGetBitmap = [&](uint64_t start, uint8_t* b) { return c.Answer(*this, start, b); };
    CDriveScan scan(platform, view);
    ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
    EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Incomplete);
    EXPECT_LE(bitmap.Queries.size(), 2u);
    EXPECT_EQ(view.Clusters, c.Hits);
    ASSERT_EQ(view.Boxes.size(), 1u);
    EXPECT_EQ(view.Boxes[0].Text, "Drive reading error.");
    EXPECT_EQ(view.Text(StatisticText::ReadTo), c.ReadTo ? c.ReadTo : "");
    EXPECT_EQ(view.Reports.size(), 1u);
    EXPECT_EQ(view.Scanning, (std::vector<bool>{true, false}));
  }
}

TEST_F(NtfsScanTest, VolumeThatWillNotOpenIsReportedAsUnread) {
  platform.Memory.VolumeBitmapFake.Unopenable.insert('C');
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Incomplete);
  EXPECT_EQ(scan.GetFailureDetail(), "the volume cannot be opened");
  EXPECT_TRUE(view.Clusters.empty());
}

TEST_F(NtfsScanTest, CorruptBitmapFileEndsTheScanCleanly) {
  image.OpenRecord();
  Set32(image.Record() + image.DataAttributeOffset() + 4, 0);
  image.CloseRecord();
  platform.Mount(image.Bytes, 0);
  CDriveScan scan(platform, view);
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Incomplete);
  EXPECT_NE(scan.GetFailureDetail().find("0xC0000032"), std::string::npos)
      << scan.GetFailureDetail();
}

TEST_F(NtfsScanTest, CancelIsPolledAtTheHundreds) {
  CDriveScan scan(platform, view);
  view.OnPump = [&] { scan.OnClose(); };
  ASSERT_EQ(scan.BeginScan(), ScanKind::Ntfs);
  EXPECT_EQ(scan.RunNtfsScan(), ScanOutcome::Cancelled);
  EXPECT_EQ(view.Pumps, 1);
  EXPECT_EQ(view.ReadToShown, std::vector<std::string>{"100"});
  EXPECT_TRUE(view.Reports.empty());
}

} // namespace
} // namespace bw
