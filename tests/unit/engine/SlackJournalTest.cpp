#include "engine/SlackJournal.h"

#include "engine/LeftoverCleanup.h"
#include "tests/unit/engine/DriveJobFixture.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::ContentRun;
using memory::WriteRecord;

constexpr FileTime kSecond = 10000000ull;
constexpr FileTime kCreated = 133000000000000000ull;
constexpr FileTime kAccessed = 133100000000000000ull;
constexpr FileTime kWritten = 133200000000000000ull;
constexpr FileTime kNoted = 133300000000000000ull;
constexpr const char* kPath = "C:\\docs\\letter.txt";

std::optional<std::string> StoredNote(IPlatform& platform) {
  auto key = platform.Registry().OpenKey(RegistryRoot::LocalMachine, kSettingsKey);
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (!key || !key->QueryValue(kSlackJournalValue, type, data))
    return std::nullopt;
  return std::string(data.begin(), data.end());
}

SlackJournalEntry Note(uint32_t attributes = kFileAttributeArchive) {
  SlackJournalEntry note;
  note.Path = kPath;
  note.Size = 5;
  note.Slack = 4091;
  note.Attributes = attributes;
  note.Creation = kCreated;
  note.LastAccess = kAccessed;
  note.LastWrite = kWritten;
  note.Written = kNoted;
  return note;
}

TEST(SlackJournalFormatTest, ReadsBackWhatItWritesAndRefusesAnythingElse) {
  SlackJournalEntry note = Note(kFileAttributeReadOnly);
  std::optional<SlackJournalEntry> back = ParseSlackJournal(FormatSlackJournal(note));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Path, note.Path);
  EXPECT_EQ(back->Size, note.Size);
  EXPECT_EQ(back->Slack, note.Slack);
  EXPECT_EQ(back->Attributes, note.Attributes);
  EXPECT_EQ(back->LastWrite, note.LastWrite);
  EXPECT_EQ(back->Written, note.Written);

  std::string good = FormatSlackJournal(note);
  for (const std::string& damaged : std::vector<std::string>{
           std::string(), std::string("garbage"), good.substr(0, good.size() / 2),
           "2" + good.substr(1), "1|5|x|32|1|2|3|4|C:\\a", "1|5|0|32|1|2|3|4|C:\\a",
           "1|5|4091|32|1|2|3|4|relative\\a", "1|5|4091|32|1|2|3|4|", "1|-5|4091|32|1|2|3|4|C:\\a",
           "1|5|4091|32|1|2|3|4|C:\\" + std::string(300, 'a')}) {
    SCOPED_TRACE(damaged);
    EXPECT_FALSE(ParseSlackJournal(damaged));
  }
}

class SlackJournalReplayTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform.FilesFake.AddVolume('C', 64 * 1024 * 1024, 4096);
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
  }

  // The file as a crash may leave it: "hello" and tail bytes of fill, last written at
  // lastWrite.
  void LeaveFile(uint64_t tail, uint8_t fill, FileTime lastWrite,
                 uint32_t attributes = kFileAttributeArchive) {
    std::string contents =
        "hello" + std::string(static_cast<size_t>(tail), static_cast<char>(fill));
    ASSERT_TRUE(platform.FilesFake.AddFile(kPath, contents, attributes));
    ASSERT_TRUE(platform.FilesFake.SetEntryTimes(kPath, kCreated + 5 * kSecond, kNoted, lastWrite));
  }

  SlackReplay Replay() {
    std::string path;
    SlackReplay replay = ReplaySlackJournal(platform, path);
    if (replay != SlackReplay::None && replay != SlackReplay::Damaged) {
      EXPECT_EQ(path, kPath);
    }
    return replay;
  }

  memory::CMemoryPlatform platform;
};

TEST_F(SlackJournalReplayTest, AFileAsAPassLeftItIsPutBack) {
  struct Case {
    const char* Name;
    uint64_t Tail;
    uint8_t Fill;
    FileTime LastWrite;
    uint32_t Attributes; // of the note; the file is left without read-only, as the pass has it
  };
  const Case cases[] = {
      {"cut short after the write", 4091, 0x00, kNoted + 2 * kSecond, kFileAttributeArchive},
      {"part of a pass of ones", 1000, 0xFF, kNoted, kFileAttributeArchive},
      {"FAT rounded the time down", 4091, 0x00, kNoted - 2 * kSecond, kFileAttributeArchive},
      {"before the write", 0, 0x00, kWritten, kFileAttributeArchive},
      {"cut back, times not yet set", 0, 0x00, kNoted + kSecond, kFileAttributeArchive},
      {"a read-only file", 4091, 0x00, kNoted + kSecond,
       kFileAttributeReadOnly | kFileAttributeArchive},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform.FilesFake.RemoveEntry(kPath);
    LeaveFile(c.Tail, c.Fill, c.LastWrite);
    ASSERT_TRUE(WriteSlackJournal(platform, Note(c.Attributes)));
    EXPECT_EQ(Replay(), SlackReplay::Restored);
    auto after = platform.FilesFake.Entry(kPath);
    ASSERT_TRUE(after);
    EXPECT_EQ(platform.FilesFake.Text(kPath), "hello");
    EXPECT_EQ(after->LastWrite, kWritten);
    EXPECT_EQ(after->LastAccess, kAccessed);
    EXPECT_EQ(after->Creation, kCreated);
    EXPECT_EQ(after->Attributes & kFileAttributeReadOnly, c.Attributes & kFileAttributeReadOnly);
    EXPECT_EQ(after->OpenHandles, 0);
    EXPECT_FALSE(StoredNote(platform));
  }
}

TEST_F(SlackJournalReplayTest, AFileChangedSinceIsLeftAlone) {
  struct Case {
    const char* Name;
    uint64_t Tail;
    uint8_t Fill;
    FileTime LastWrite;
  };
  const Case cases[] = {
      {"written an hour later", 0, 0x00, kNoted + 3600 * kSecond},
      {"written before the note", 0, 0x00, kWritten - kSecond},
      {"grown with the user's data", 100, 'x', kNoted + kSecond},
      {"grown past one pass", 5000, 0x00, kNoted + kSecond},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform.FilesFake.RemoveEntry(kPath);
    LeaveFile(c.Tail, c.Fill, c.LastWrite);
    ASSERT_TRUE(WriteSlackJournal(platform, Note()));
    size_t writes = platform.FilesFake.Writes.size();
    size_t timeSets = platform.FilesFake.TimeSets.size();
    EXPECT_EQ(Replay(), SlackReplay::Changed);
    auto after = platform.FilesFake.Entry(kPath);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->Size, 5 + c.Tail);
    EXPECT_EQ(after->LastWrite, c.LastWrite);
    EXPECT_EQ(platform.FilesFake.Writes.size(), writes);
    EXPECT_EQ(platform.FilesFake.TimeSets.size(), timeSets);
    EXPECT_FALSE(StoredNote(platform)) << "one look is enough";
  }
  // A shrunken file is the user's too.
  platform.FilesFake.RemoveEntry(kPath);
  ASSERT_TRUE(platform.FilesFake.AddFile(kPath, "hi"));
  ASSERT_TRUE(WriteSlackJournal(platform, Note()));
  EXPECT_EQ(Replay(), SlackReplay::Changed);
  EXPECT_EQ(platform.FilesFake.Text(kPath), "hi");
}

TEST_F(SlackJournalReplayTest, MissingFilesDamagedNotesAndAwayDrives) {
  EXPECT_EQ(Replay(), SlackReplay::None);

  ASSERT_TRUE(WriteSlackJournal(platform, Note()));
  EXPECT_EQ(Replay(), SlackReplay::Missing);
  EXPECT_FALSE(StoredNote(platform));

  {
    auto key = platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
    ASSERT_TRUE(SetStringValue(*key, kSlackJournalValue, "1|5|4091|32|1|2"));
  }
  LeaveFile(4091, 0x00, kNoted);
  EXPECT_EQ(Replay(), SlackReplay::Damaged);
  EXPECT_FALSE(StoredNote(platform));
  EXPECT_EQ(platform.FilesFake.Entry(kPath)->Size, 4096u) << "nothing is guessed";

  // A drive that cannot be listed now may be back at the next start: the note stays.
  ASSERT_TRUE(WriteSlackJournal(platform, Note()));
  platform.FilesFake.FailFind("C:\\docs", kErrorNotReady);
  EXPECT_EQ(Replay(), SlackReplay::Failed);
  EXPECT_TRUE(StoredNote(platform));
}

TEST_F(SlackJournalReplayTest, StartUpCleanUpTellsOfAFileItLeftAlone) {
  LeaveFile(100, 'x', kNoted + kSecond);
  ASSERT_TRUE(WriteSlackJournal(platform, Note()));
  CSettings settings;
  CleanUpLeftovers(platform, settings, platform.MessageBoxes);
  ASSERT_EQ(platform.MessageBoxes.Boxes.size(), 1u);
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Text,
            std::string(kPath) +
                " was changed after an interrupted slack cleaning and was left as it is.");
  EXPECT_EQ(platform.FilesFake.Entry(kPath)->Size, 105u);
}

class SlackNoteTest : public test::CDriveJobFixture {
protected:
  void SetUp() override { MakeJob(4 * 1024 * 1024, 2); }
};

TEST_F(SlackNoteTest, EveryWriteHasItsNoteOnDiskAndNoNoteOutlivesTheCut) {
  ASSERT_TRUE(platform->FilesFake.AddFile(kPath, "hello"));
  ASSERT_TRUE(platform->FilesFake.SetEntryTimes(kPath, kCreated, kAccessed, kWritten));
  int noted = 0;
  platform->FilesFake.OnWrite = [&](const WriteRecord& write) {
    std::optional<std::string> note = StoredNote(*platform);
    ASSERT_TRUE(note) << "a write without its note";
    std::optional<SlackJournalEntry> entry = ParseSlackJournal(*note);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Path, kPath);
    EXPECT_EQ(entry->Size, 5u);
    EXPECT_EQ(entry->Slack, 4091u);
    EXPECT_EQ(entry->LastWrite, kWritten);
    EXPECT_EQ(write.Offset, 5u);
    ++noted;
  };
  job->CleanSlack('C');
  EXPECT_EQ(noted, 2);
  EXPECT_FALSE(StoredNote(*platform));
  EXPECT_EQ(platform->FilesFake.Text(kPath), "hello");
}

TEST_F(SlackNoteTest, NoNoteNoWrite) {
  ASSERT_TRUE(platform->FilesFake.AddFile(kPath, "hello"));
  platform->RegistryFake.FailingSets.insert(kSlackJournalValue);
  job->CleanSlack('C');
  EXPECT_TRUE(platform->FilesFake.Writes.empty());
  EXPECT_EQ(platform->FilesFake.Text(kPath), "hello");
}

} // namespace
} // namespace bw
