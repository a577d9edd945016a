#include "platform/Unbuffered.h"
#include "tests/unit/engine/DriveJobFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace bw {
namespace {

using memory::WriteRecord;

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kGiB = 1024 * kMiB;

class FreeSpaceWipeTest : public test::CDriveJobFixture {
protected:
  void SetUp() override { Use(3 * kMiB); }

  void Use(uint64_t freeBytes, uint32_t passes = 1) { MakeJob(freeBytes, passes); }

  // Bytes written to each wipe file, over all passes.
  std::map<std::string, uint64_t> WrittenPerFile() {
    std::map<std::string, uint64_t> sizes;
    for (const WriteRecord& w : platform->FilesFake.Writes)
      sizes[w.Path] += w.Written;
    return sizes;
  }

  std::vector<std::string> Created() {
    std::vector<std::string> paths;
    for (const auto& c : platform->FilesFake.Creates)
      paths.push_back(c.Path);
    return paths;
  }

  bool AnyWipeFileLeft() {
    for (const std::string& name : platform->FilesFake.Names("C:\\"))
      if (name.rfind("BlankwrightTMP", 0) == 0)
        return true;
    return false;
  }
};

TEST_F(FreeSpaceWipeTest, FilesAndSizesFollowTheFreeSpace) {
  // Less than 1 GiB: file 1 is the remainder and file 2 the final fill.
  job->WipeFreeSpace('C');
  EXPECT_EQ(Created(),
            (std::vector<std::string>{"C:\\BlankwrightTMP1.gf", "C:\\BlankwrightTMP2.gf"}));
  EXPECT_EQ(WrittenPerFile()["C:\\BlankwrightTMP1.gf"], 3 * kMiB);
  EXPECT_EQ(WrittenPerFile()["C:\\BlankwrightTMP2.gf"], 0u);
  EXPECT_FALSE(AnyWipeFileLeft());
  EXPECT_EQ(platform->FilesFake.Volume('C')->FreeBytes, 3 * kMiB) << "all freed again";
  EXPECT_EQ(view.Progress, 100);
  EXPECT_TRUE(marker.Flag);
  const auto& create = platform->FilesFake.Creates[0];
  EXPECT_EQ(create.Access, kGenericWrite);
  EXPECT_EQ(create.ShareMode, 0u);
  EXPECT_EQ(create.Disposition, kCreateAlways);
  EXPECT_EQ(create.FlagsAndAttributes,
            kFileFlagWriteThrough | kFileFlagNoBuffering | kFileAttributeSystem);
  EXPECT_EQ(platform->FilesFake.CompressionSets.size(), 2u) << "NT family";

  // Several GiB: whole gigabytes in bulk files first.
  Use(2 * kGiB + 512 * kMiB);
  job->WipeFreeSpace('C');
  auto sizes = WrittenPerFile();
  EXPECT_EQ(Created().size(), 4u);
  EXPECT_EQ(sizes["C:\\BlankwrightTMP1.gf"], kGiB);
  EXPECT_EQ(sizes["C:\\BlankwrightTMP2.gf"], kGiB);
  EXPECT_EQ(sizes["C:\\BlankwrightTMP3.gf"], 512 * kMiB);
  EXPECT_EQ(sizes["C:\\BlankwrightTMP4.gf"], 0u);
  EXPECT_FALSE(AnyWipeFileLeft());

  // Nothing free: no file at all.
  Use(0);
  job->WipeFreeSpace('C');
  EXPECT_TRUE(Created().empty());
}

TEST_F(FreeSpaceWipeTest, ShortWritesEndEachFile) {
  // The system claims 1.5 GiB but only 10 MiB can be written.
  Use(10 * kMiB);
  platform->DrivesFake.Drives['C'].FreeBytes = kGiB + 512 * kMiB;
  job->WipeFreeSpace('C');
  std::map<std::string, int> writes;
  for (const WriteRecord& w : platform->FilesFake.Writes)
    ++writes[w.Path];
  EXPECT_EQ(writes["C:\\BlankwrightTMP1.gf"], 41) << "the bulk file stops at its short write";
  EXPECT_EQ(writes["C:\\BlankwrightTMP2.gf"], 3) << "three short writes end the remainder";
  EXPECT_EQ(writes["C:\\BlankwrightTMP3.gf"], 4) << "four end the final fill";
  EXPECT_EQ(platform->SystemFake.SleptMilliseconds, 2000u) << "one wait, at the third";
  EXPECT_FALSE(AnyWipeFileLeft());
}

TEST_F(FreeSpaceWipeTest, BulkFilesEndAtTheFirstShortOneWhateverWasMeasured) {
  // An overstated or failed (all ones) free-space figure must not make a bulk file per
  // claimed gigabyte once the drive is full.
  for (uint64_t claimed : {5 * kGiB, ~uint64_t{0}}) {
    SCOPED_TRACE(claimed);
    Use(10 * kMiB);
    platform->DrivesFake.Drives['C'].FreeBytes = claimed;
    job->WipeFreeSpace('C');
    EXPECT_EQ(Created(),
              (std::vector<std::string>{"C:\\BlankwrightTMP1.gf", "C:\\BlankwrightTMP2.gf",
                                        "C:\\BlankwrightTMP3.gf"}));
    EXPECT_FALSE(AnyWipeFileLeft());
  }

  // The write that came up short is followed by a pump, so a close sent then stops the wipe
  // before another file is made.
  Use(10 * kMiB);
  platform->DrivesFake.Drives['C'].FreeBytes = 5 * kGiB;
  bool full = false;
  platform->FilesFake.OnWrite = [&](const WriteRecord& w) { full |= w.Written < w.Size; };
  view.OnPump = [&] {
    if (full)
      job->OnClose();
  };
  job->WipeFreeSpace('C');
  EXPECT_EQ(Created(), std::vector<std::string>{"C:\\BlankwrightTMP1.gf"});
  EXPECT_FALSE(AnyWipeFileLeft());
}

TEST_F(FreeSpaceWipeTest, UnwritableDriveIsReportedNotCleaned) {
  struct Case {
    const char* Name;
    JobMode Mode;
    DriveStatus Status;
    const char* Text;
  };
  const Case cases[] = {
      {"read-only volume", JobMode::Interactive, DriveStatus::WriteProtected,
       "Drive C: is write protected.  Remove the protection to continue."},
      {"root refuses new files", JobMode::Interactive, DriveStatus::NotAccessible,
       "Drive C: could not be accessed."},
      {"read-only volume, nobody to ask", JobMode::Scheduled, DriveStatus::WriteProtected, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform = std::make_unique<memory::CMemoryPlatform>();
    platform->FilesFake.AddVolume('C', 3 * kMiB, 4096);
    platform->DrivesFake.Drives['C'].Type = DriveType::Fixed;
    if (c.Status == DriveStatus::WriteProtected)
      platform->FilesFake.Volume('C')->WriteProtected = true;
    else
      platform->FilesFake.DenyAccess("C:\\BlankwrightTMP1.gf");
    view = test::CRecordingCleaningView();
    job = std::make_unique<CCleaningJob>(*platform, settings, view, marker, c.Mode, "C:");
    job->SetClusterSize(4096);
    job->WipeFreeSpace('C');
    EXPECT_EQ(job->GetDriveStatus(), c.Status);
    if (*c.Text) {
      ASSERT_EQ(view.Boxes.size(), 1u);
      EXPECT_EQ(view.Boxes[0].Text, c.Text);
      EXPECT_EQ(view.Boxes[0].Caption, "Drive Error");
    } else {
      EXPECT_TRUE(view.Boxes.empty());
    }
  }

  // A write refused other than for a full disk, half way through.
  Use(3 * kMiB);
  platform->FilesFake.OnWrite = [&](const WriteRecord&) {
    platform->FilesFake.Volume('C')->Ready = false;
  };
  job->WipeFreeSpace('C');
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::NotAccessible);
}

TEST_F(FreeSpaceWipeTest, FinalFillTakesTheLastClusters) {
  // A budget that is not a whole number of write units leaves clusters for the final file.
  Use(3 * kMiB + 3 * 4096);
  platform->DrivesFake.Drives['C'].FreeBytes = 3 * kMiB; // measured low
  job->WipeFreeSpace('C');
  EXPECT_EQ(WrittenPerFile()["C:\\BlankwrightTMP2.gf"], 3u * 4096);
}

// Every unit goes past the cache where the platform's alignment allows it: the buffers are
// aligned, so only a size or offset off the alignment (a remainder's tail, 512-byte clusters)
// turns a file cached, and from there on the file stays cached. What is written, and in which
// sizes, is the same either way.
TEST_F(FreeSpaceWipeTest, UnitsGoPastTheCacheWhereTheyFit) {
  struct Case {
    const char* Name;
    uint32_t ClusterSize;
    uint64_t Budget;
    bool Refused;
    uint64_t CachedBytes; ///< written after a file turned cached
  };
  const Case cases[] = {
      {"4 KiB clusters", 4096, kGiB + 3 * kMiB + 3 * 4096, false, 0},
      {"512-byte clusters", 512, 3 * kMiB + 5 * 512, false, 5 * 512},
      {"refused by the volume", 4096, 3 * kMiB + 3 * 4096, true, 3 * kMiB + 3 * 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    MakeJob(c.Budget, 1, c.ClusterSize);
    platform->FilesFake.Volume('C')->RefusesUnbuffered = c.Refused;
    // Measured in whole write units, so that the final fill takes the rest cluster by cluster.
    platform->DrivesFake.Drives['C'].FreeBytes = c.Budget - c.Budget % 262144;
    job->WipeFreeSpace('C');
    uint64_t total = 0, cached = 0;
    std::map<std::string, bool> turnedCached;
    for (const WriteRecord& w : platform->FilesFake.Writes) {
      SCOPED_TRACE(w.Path + " at " + std::to_string(w.Offset));
      ASSERT_TRUE(w.FlagsAndAttributes & kFileFlagNoBuffering);
      const bool fits = w.Size % kUnbufferedAlignment == 0 && w.Offset % kUnbufferedAlignment == 0;
      turnedCached[w.Path] = turnedCached[w.Path] || !fits || c.Refused;
      EXPECT_EQ(w.Unbuffered, !turnedCached[w.Path]);
      total += w.Written;
      cached += w.Unbuffered ? 0 : w.Written;
    }
    EXPECT_EQ(total, c.Budget) << "every free byte written";
    EXPECT_EQ(cached, c.CachedBytes);
    EXPECT_FALSE(AnyWipeFileLeft());
    // Each file is flushed before it is closed and deleted, so its writes are on the disk.
    for (const auto& [path, unused] : turnedCached)
      EXPECT_NE(
          std::find(platform->FilesFake.Flushes.begin(), platform->FilesFake.Flushes.end(), path),
          platform->FilesFake.Flushes.end());
  }
}

TEST_F(FreeSpaceWipeTest, NoticesAreDismissedEveryTwentyWrites) {
  Use(10 * kMiB); // 40 unit writes
  job->WipeFreeSpace('C');
  EXPECT_EQ(platform->DesktopFake.CloseLowSpaceWarningCalls, 2);
  EXPECT_EQ(platform->DesktopFake.PressWaitButtonCalls, 2);
}

TEST_F(FreeSpaceWipeTest, PassesAlternateZerosAndOnes) {
  struct Case {
    uint32_t Passes;
    std::vector<int> Fills;
  };
  const Case cases[] = {{1, {0x00}}, {2, {0x00, 0xFF}}, {3, {0x00, 0xFF, 0x00}}, {0, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Passes);
    Use(kMiB, c.Passes);
    job->WipeFreeSpace('C');
    std::vector<int> fills;
    for (const WriteRecord& w : platform->FilesFake.Writes)
      if (w.Offset == 0 && w.Path == "C:\\BlankwrightTMP1.gf")
        fills.push_back(w.Fill);
    EXPECT_EQ(fills, c.Fills);
    for (const WriteRecord& w : platform->FilesFake.Writes)
      EXPECT_NE(w.Fill, -1) << "every unit is one pattern";
    if (c.Passes > 1) {
      EXPECT_EQ(view.Details.back(), "Pass " + std::to_string(c.Passes) + " of " +
                                         std::to_string(c.Passes) + " overwrites");
    }
  }
  Use(kMiB, 1);
  job->WipeFreeSpace('C');
  EXPECT_EQ(view.Details.back(), "Pass 1 of 1 overwrite");
}

TEST_F(FreeSpaceWipeTest, CancelAtAnyWriteLeavesNoWipeFile) {
  Use(3 * kMiB, 2);
  job->WipeFreeSpace('C');
  size_t total = platform->FilesFake.Writes.size();
  ASSERT_GT(total, 20u);
  for (size_t at = 1; at <= total; ++at) {
    SCOPED_TRACE(at);
    Use(3 * kMiB, 2);
    size_t seen = 0;
    platform->FilesFake.OnWrite = [&](const WriteRecord&) {
      if (++seen == at)
        job->OnClose();
    };
    job->WipeFreeSpace('C');
    EXPECT_FALSE(AnyWipeFileLeft());
    EXPECT_EQ(platform->FilesFake.Volume('C')->FreeBytes, 3 * kMiB);
    EXPECT_EQ(job->GetDriveStatus(), DriveStatus::Aborted);
    if (at < 11) { // before the first pass's last unit, which reaches 100 by itself
      EXPECT_LT(view.Progress, 100) << "the bar stays where it was";
    }
  }
}

} // namespace
} // namespace bw
