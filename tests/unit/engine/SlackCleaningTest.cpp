#include "tests/unit/engine/DriveJobFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace bw {
namespace {

using memory::ContentRun;
using memory::WriteRecord;

constexpr uint64_t kMiB = 1024 * 1024;
constexpr const char* kNotePath = "C:\\BlankwrightSlack.~BW";
constexpr FileTime kHour = 36000000000ull;
constexpr FileTime kCreated = 133000000000000000ull;
constexpr FileTime kAccessed = 133100000000000000ull;
constexpr FileTime kWritten = 133200000000000000ull;

class SlackCleaningTest : public test::CDriveJobFixture {
protected:
  void SetUp() override { Use(1); }

  void Use(uint32_t passes) { MakeJob(4 * kMiB, passes); }

  void AddFile(const std::string& path, uint64_t size,
               uint32_t attributes = kFileAttributeArchive) {
    ASSERT_TRUE(platform->FilesFake.AddFile(path, size, 0x5A, attributes));
    ASSERT_TRUE(platform->FilesFake.SetEntryTimes(path, kCreated, kAccessed, kWritten));
  }

  // The slack writes each file got, as (offset, size, fill).
  std::map<std::string, std::vector<std::tuple<uint64_t, uint32_t, int>>> SlackWrites() {
    std::map<std::string, std::vector<std::tuple<uint64_t, uint32_t, int>>> writes;
    for (const WriteRecord& w : platform->FilesFake.Writes)
      if (w.Path != kNotePath) // the phase's note of the files it is about to touch
        writes[w.Path].emplace_back(w.Offset, w.Written, w.Fill);
    return writes;
  }
};

TEST_F(SlackCleaningTest, OneByteFileGetsTheRestOfItsClusterAndIsUnchangedAfterwards) {
  AddFile("C:\\one.txt", 1);
  uint64_t used = platform->FilesFake.Volume('C')->UsedBytes;
  job->CleanSlack('C');
  auto writes = SlackWrites();
  ASSERT_EQ(writes["C:\\one.txt"].size(), 1u);
  EXPECT_EQ(writes["C:\\one.txt"][0], std::make_tuple(uint64_t{1}, uint32_t{4095}, 0x00));
  auto after = platform->FilesFake.Entry("C:\\one.txt");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->Size, 1u);
  EXPECT_EQ(after->Creation, kCreated);
  EXPECT_EQ(after->LastAccess, kAccessed);
  EXPECT_EQ(after->LastWrite, kWritten);
  EXPECT_EQ(after->OpenHandles, 0);
  EXPECT_EQ(platform->FilesFake.Contents("C:\\one.txt"), (std::vector<ContentRun>{{0, 1, 0x5A}}));
  EXPECT_EQ(platform->FilesFake.Volume('C')->UsedBytes, used);
  const auto& open = platform->FilesFake.Creates.back();
  EXPECT_EQ(open.Access, kGenericWrite);
  EXPECT_EQ(open.ShareMode, kFileShareRead);
  EXPECT_EQ(open.Disposition, kOpenExisting);
  EXPECT_EQ(open.FlagsAndAttributes, kFileAttributeArchive) << "the file's own attributes";
  EXPECT_EQ(view.Processes,
            (std::vector<std::string>{"Scanning Directories on Drive C:",
                                      "Cleaning slack space on Drive C: 1 overwrite"}));
  EXPECT_EQ(view.Progress, 100);
  EXPECT_EQ(view.Detail, "");
}

TEST_F(SlackCleaningTest, OnlyOrdinaryFilesWithSlackQualify) {
  struct Case {
    const char* Name;
    uint64_t Size;
    uint32_t Attributes;
    uint32_t Slack; // 0: left alone
  };
  const Case cases[] = {
      {"plain.txt", 5000, kFileAttributeArchive, 3192},
      {"normal.txt", 100, kFileAttributeNormal, 3996},
      {"hidden.txt", 4097, kFileAttributeHidden | kFileAttributeArchive, 4095},
      {"system.sys", 100, kFileAttributeSystem | kFileAttributeArchive, 0},
      {"packed.dat", 100, kFileAttributeCompressed, 0},
      {"scratch.tmp", 100, kFileAttributeTemporary, 0},
      {"away.dat", 100, kFileAttributeOffline, 0},
      {"whole.bin", 8192, kFileAttributeArchive, 0},
      {"empty.txt", 0, kFileAttributeArchive, 0},
  };
  for (const Case& c : cases)
    AddFile(std::string("C:\\") + c.Name, c.Size, c.Attributes);
  job->CleanSlack('C');
  auto writes = SlackWrites();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string path = std::string("C:\\") + c.Name;
    if (c.Slack == 0) {
      EXPECT_TRUE(writes[path].empty());
    } else {
      ASSERT_EQ(writes[path].size(), 1u);
      EXPECT_EQ(std::get<1>(writes[path][0]), c.Slack);
      EXPECT_EQ(std::get<0>(writes[path][0]), c.Size);
    }
    EXPECT_EQ(platform->FilesFake.Entry(path)->Size, c.Size);
  }
}

TEST_F(SlackCleaningTest, ReadOnlyFileIsCleanedAndReadOnlyAgain) {
  uint32_t attributes = kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeArchive;
  AddFile("C:\\locked.txt", 10, attributes);
  job->CleanSlack('C');
  EXPECT_EQ(SlackWrites()["C:\\locked.txt"].size(), 1u);
  EXPECT_EQ(platform->FilesFake.Entry("C:\\locked.txt")->Attributes, attributes);
  ASSERT_EQ(platform->FilesFake.AttributeSets.size(), 2u);
  EXPECT_EQ(platform->FilesFake.AttributeSets[0].Attributes, kFileAttributeNormal);

  // When the bit cannot be cleared the file is left as it is.
  Use(1);
  AddFile("C:\\locked.txt", 10, attributes);
  platform->FilesFake.FailSetAttributes("C:\\locked.txt");
  job->CleanSlack('C');
  EXPECT_TRUE(SlackWrites()["C:\\locked.txt"].empty());
  EXPECT_EQ(platform->FilesFake.Entry("C:\\locked.txt")->Attributes, attributes);
}

TEST_F(SlackCleaningTest, PassesAlternateOverTheSlack) {
  struct Case {
    uint32_t Passes;
    std::vector<int> Fills;
    const char* Process;
  };
  const Case cases[] = {
      {1, {0x00}, "Cleaning slack space on Drive C: 1 overwrite"},
      {2, {0x00, 0xFF}, "Cleaning slack space on Drive C: 2 overwrites"},
      {3, {0x00, 0xFF, 0x00}, "Cleaning slack space on Drive C: 3 overwrites"},
      {0, {}, "Cleaning slack space on Drive C: 0 overwrites"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Passes);
    Use(c.Passes);
    AddFile("C:\\a.txt", 3000);
    job->CleanSlack('C');
    std::vector<int> fills;
    auto writes = SlackWrites();
    for (const auto& [offset, size, fill] : writes["C:\\a.txt"]) {
      EXPECT_EQ(offset, 3000u);
      EXPECT_EQ(size, 1096u);
      fills.push_back(fill);
    }
    EXPECT_EQ(fills, c.Fills);
    EXPECT_EQ(std::count(platform->FilesFake.Flushes.begin(), platform->FilesFake.Flushes.end(),
                         "C:\\a.txt"),
              static_cast<long>(c.Fills.size()))
        << "each pass reaches the disk before its cut";
    EXPECT_EQ(platform->FilesFake.VolumeFlushes, 1) << "and then the cut";
    EXPECT_EQ(view.Processes.back(), c.Process);
    EXPECT_EQ(platform->FilesFake.Contents("C:\\a.txt"),
              (std::vector<ContentRun>{{0, 3000, 0x5A}}));
  }
}

TEST_F(SlackCleaningTest, WalkSkipsDotFoldersLinksAndCycles) {
  AddFile("C:\\docs\\a.txt", 10);
  AddFile("C:\\docs\\deep\\b.txt", 10);
  AddFile("C:\\.hidden\\c.txt", 10);
  AddFile("C:\\.dotfile", 10); // a file whose name begins with a dot is still a file
  platform->FilesFake.AddVolume('D', kMiB, 4096);
  AddFile("D:\\elsewhere.txt", 10);
  ASSERT_TRUE(platform->FilesFake.AddLink("C:\\docs\\deep\\up", "C:\\", true));
  ASSERT_TRUE(platform->FilesFake.AddLink("C:\\out", "D:\\", true));
  ASSERT_TRUE(platform->FilesFake.AddLink("C:\\file.lnk", "C:\\docs\\a.txt", false));
  job->CleanSlack('C');
  std::map<std::string, size_t> cleaned;
  for (const auto& [path, writes] : SlackWrites())
    cleaned[path] = writes.size();
  EXPECT_EQ(cleaned,
            (std::map<std::string, size_t>{
                {"C:\\docs\\a.txt", 1}, {"C:\\docs\\deep\\b.txt", 1}, {"C:\\.dotfile", 1}}));
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::Ok);
}

TEST_F(SlackCleaningTest, FailuresSkipAFileOrEndThePhase) {
  // A file that cannot be opened for writing is passed over in silence.
  AddFile("C:\\a.txt", 10);
  AddFile("C:\\b.txt", 10);
  AddFile("C:\\c.txt", 10);
  platform->FilesFake.DenyAccess("C:\\b.txt");
  job->CleanSlack('C');
  auto writes = SlackWrites();
  EXPECT_EQ(writes["C:\\a.txt"].size(), 1u);
  EXPECT_TRUE(writes["C:\\b.txt"].empty());
  EXPECT_EQ(writes["C:\\c.txt"].size(), 1u);
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::Ok);
  EXPECT_TRUE(view.Boxes.empty());

  // A root that cannot be entered makes the drive not accessible.
  Use(1);
  platform->FilesFake.BlockEntering("C:\\");
  job->CleanSlack('C');
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::NotAccessible);

  // Cancel: the file being cleaned is finished and cut back, no other is begun.
  Use(1);
  for (int i = 0; i < 5; ++i)
    AddFile("C:\\f" + std::to_string(i) + ".txt", 10);
  platform->FilesFake.OnWrite = [&](const WriteRecord&) { job->OnClose(); };
  job->CleanSlack('C');
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::Aborted);
  writes = SlackWrites();
  EXPECT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes["C:\\f0.txt"].size(), 1u);
  EXPECT_EQ(platform->FilesFake.Entry("C:\\f0.txt")->Size, 10u);
}

// QUICK mode comes from the whole job: the drive's last-cleaned date in the drive list.
class QuickSlackTest : public SlackCleaningTest {
protected:
  void RunJob(const std::string& driveList, int32_t slackMode, DriveType type = DriveType::Fixed) {
    platform->DrivesFake.Drives['C'].Type = type;
    settings.DriveList = driveList;
    settings.SlackMode = slackMode;
    job->SetPhases({/*Slack=*/true, /*Names=*/false});
    job->Run();
  }

  FileTime At(int year, int month, int day, int hour, int minute, int second) {
    FileTime time = 0;
    EXPECT_TRUE(platform->SystemFake.LocalTimeToFileTime(
        {year, month, 0, day, hour, minute, second, 0}, time));
    return time;
  }

  std::vector<std::string> Cleaned() {
    std::vector<std::string> paths;
    for (const auto& [path, writes] : SlackWrites())
      if (path.find("BlankwrightTMP") == std::string::npos)
        paths.push_back(path);
    return paths;
  }

  void AddWritten(const std::string& path, FileTime written) {
    AddFile(path, 10);
    platform->FilesFake.SetEntryTimes(path, kCreated, kAccessed, written);
  }
};

TEST_F(QuickSlackTest, CutOffIsMidnightOfTheLastCleaningDay) {
  AddWritten("C:\\before.txt", At(2026, 3, 6, 23, 59, 59));
  AddWritten("C:\\midnight.txt", At(2026, 3, 7, 0, 0, 0));
  AddWritten("C:\\later.txt", At(2026, 3, 7, 15, 30, 0));
  RunJob("C1 3 72026", /*QUICK*/ 0);
  EXPECT_EQ(Cleaned(), (std::vector<std::string>{"C:\\later.txt", "C:\\midnight.txt"}));
  EXPECT_EQ(job->GetCleanedList(), "C:, ");
}

TEST_F(QuickSlackTest, EveryQualifyingFileWhereQuickHasNoDate) {
  struct Case {
    const char* DriveList;
    int32_t SlackMode;
    DriveType Type;
  };
  const Case cases[] = {
      {"C1--------", 0, DriveType::Fixed},     // never cleaned
      {"D1 3 72026", 0, DriveType::Fixed},     // not in the list
      {"C1 3 72026", 1, DriveType::Fixed},     // STANDARD
      {"C1 3 72026", 0, DriveType::Removable}, // QUICK is for fixed drives
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.DriveList + std::string(" mode ") + std::to_string(c.SlackMode));
    Use(1);
    AddWritten("C:\\old.txt", At(2020, 1, 1, 12, 0, 0));
    AddWritten("C:\\new.txt", At(2026, 3, 7, 12, 0, 0));
    RunJob(c.DriveList, c.SlackMode, c.Type);
    EXPECT_EQ(Cleaned(), (std::vector<std::string>{"C:\\new.txt", "C:\\old.txt"}));
  }
}

} // namespace
} // namespace bw
