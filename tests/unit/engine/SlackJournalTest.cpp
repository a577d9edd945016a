#include "engine/SlackJournal.h"

#include "engine/CurrentFolder.h"
#include "engine/LeftoverCleanup.h"
#include "engine/SlackCleaner.h"
#include "tests/unit/engine/DriveJobFixture.h"

#include <algorithm>
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
constexpr const char* kNotePath = "C:\\BlankwrightSlack.~BW";

// The entries of the note file on C:, nothing when there is none.
std::optional<std::vector<SlackJournalEntry>> StoredNote(memory::CMemoryPlatform& platform) {
  if (!platform.FilesFake.Exists(kNotePath))
    return std::nullopt;
  size_t damaged = 0;
  std::vector<SlackJournalEntry> entries =
      ParseSlackJournalFile(platform.FilesFake.Text(kNotePath), damaged);
  EXPECT_EQ(damaged, 0u);
  return entries;
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

// The note as the slack phase leaves it in C:'s root, with CURRENTDRIVE naming that root.
bool WriteNote(IPlatform& platform, const SlackJournalEntry& note) {
  SaveCurrentFolder(platform, "C:\\");
  CSlackJournal journal(platform, 'C');
  return journal.Write({note});
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

// A crash while the note is rewritten leaves lines cut short or mixed with the last note's:
// only whole lines with their check sums are read.
TEST(SlackJournalFormatTest, NoteFileKeepsWholeLinesOnly) {
  SlackJournalEntry second = Note();
  second.Path = "C:\\docs\\b.txt";
  std::string text = FormatSlackJournalFile({Note(), second});
  size_t damaged = 9;
  std::vector<SlackJournalEntry> back = ParseSlackJournalFile(text, damaged);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].Path, second.Path);
  EXPECT_EQ(damaged, 0u);

  std::string firstLine = text.substr(0, text.find('\n', text.find('\n') + 1) + 1);
  std::string bent = text;
  bent[bent.size() - 8] ^= 1; // a digit of the second line's check sum
  struct Case {
    const char* Name;
    std::string Text;
    size_t Entries, Damaged;
  };
  Case cases[] = {
      {"cut in the last line", text.substr(0, text.size() - 5), 1, 1},
      {"cut at its end", text.substr(0, text.size() - 1), 1, 1},
      {"a changed line", bent, 1, 1},
      {"the header only", text.substr(0, text.find('\n') + 1), 0, 0},
      {"the first line", firstLine, 1, 0},
      {"no header", text.substr(text.find('\n') + 1), 0, 1},
      {"empty", "", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ParseSlackJournalFile(c.Text, damaged).size(), c.Entries);
    EXPECT_EQ(damaged, c.Damaged);
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
    std::vector<SlackReplayResult> results = ReplaySlackJournal(platform);
    if (results.empty())
      return SlackReplay::None;
    EXPECT_EQ(results.size(), 1u);
    if (results[0].Replay != SlackReplay::Damaged) {
      EXPECT_EQ(results[0].Path, kPath);
    }
    return results[0].Replay;
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
    ASSERT_TRUE(WriteNote(platform, Note(c.Attributes)));
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
    ASSERT_TRUE(WriteNote(platform, Note()));
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
  ASSERT_TRUE(WriteNote(platform, Note()));
  EXPECT_EQ(Replay(), SlackReplay::Changed);
  EXPECT_EQ(platform.FilesFake.Text(kPath), "hi");
}

TEST_F(SlackJournalReplayTest, MissingFilesDamagedNotesAndAwayDrives) {
  EXPECT_EQ(Replay(), SlackReplay::None);

  ASSERT_TRUE(WriteNote(platform, Note()));
  EXPECT_EQ(Replay(), SlackReplay::Missing);
  EXPECT_FALSE(StoredNote(platform));

  ASSERT_TRUE(platform.FilesFake.AddFile(kNotePath, "BlankwrightSlack 2\n1|5|4091|32|1|2*0\n"));
  LeaveFile(4091, 0x00, kNoted);
  EXPECT_EQ(Replay(), SlackReplay::Damaged);
  EXPECT_FALSE(StoredNote(platform));
  EXPECT_EQ(platform.FilesFake.Entry(kPath)->Size, 4096u) << "nothing is guessed";

  // A drive that cannot be listed now may be back at the next start: the note stays.
  ASSERT_TRUE(WriteNote(platform, Note()));
  platform.FilesFake.FailFind("C:\\docs", kErrorNotReady);
  EXPECT_EQ(Replay(), SlackReplay::Failed);
  EXPECT_TRUE(StoredNote(platform));
}

TEST_F(SlackJournalReplayTest, StartUpCleanUpTellsOfAFileItLeftAlone) {
  LeaveFile(100, 'x', kNoted + kSecond);
  ASSERT_TRUE(WriteNote(platform, Note()));
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
    if (write.Path == kNotePath)
      return;
    std::optional<std::vector<SlackJournalEntry>> note = StoredNote(*platform);
    ASSERT_TRUE(note) << "a write without its note";
    ASSERT_EQ(note->size(), 1u);
    const SlackJournalEntry& entry = note->front();
    EXPECT_EQ(entry.Path, kPath);
    EXPECT_EQ(entry.Size, 5u);
    EXPECT_EQ(entry.Slack, 4091u);
    EXPECT_EQ(entry.LastWrite, kWritten);
    EXPECT_EQ(write.Offset, 5u);
    ++noted;
  };
  job->CleanSlack('C');
  EXPECT_EQ(noted, 2);
  EXPECT_FALSE(StoredNote(*platform));
  EXPECT_EQ(platform->FilesFake.Text(kPath), "hello");
  EXPECT_EQ(ReadCurrentFolder(*platform), "C:\\") << "the start-up clean-up looks there";
}

// Files are noted a batch at a time; a batch's cut-backs are on the disk (one flush of the
// volume, or where there is none a flush of each file) before the next batch's note replaces
// its note.
TEST_F(SlackNoteTest, ANoteGoesOnlyOnceItsFilesAreBackOnDisk) {
  const size_t files = kSlackBatchFiles + 8;
  for (bool volumeFlush : {true, false}) {
    SCOPED_TRACE(volumeFlush ? "one flush of the volume" : "a flush of each file");
    MakeJob(4 * 1024 * 1024, 1);
    platform->FilesFake.VolumeFlushFails = !volumeFlush;
    for (size_t i = 0; i < files; ++i)
      ASSERT_TRUE(platform->FilesFake.AddFile("C:\\docs\\f" + std::to_string(i) + ".txt",
                                              std::string(i + 1, 'a')));
    std::vector<size_t> batches;
    std::vector<std::string> flushedBefore; // the files flushed when the second note came
    std::vector<SlackJournalEntry> replaced;
    platform->FilesFake.OnWrite = [&](const WriteRecord& write) {
      if (write.Path != kNotePath)
        return;
      if (!batches.empty())
        flushedBefore = platform->FilesFake.Flushes;
      // The hook sees the new note: the files of the one it replaced are back on the disk.
      for (const SlackJournalEntry& entry : replaced)
        EXPECT_EQ(platform->FilesFake.Entry(entry.Path)->Size, entry.Size) << entry.Path;
      size_t damaged = 0;
      replaced = ParseSlackJournalFile(platform->FilesFake.Text(kNotePath), damaged);
      // (before the file is cut to the new note's end, the old note's lines follow it)
      if (batches.empty()) {
        EXPECT_EQ(replaced.size(), kSlackBatchFiles);
      }
      batches.push_back(platform->FilesFake.VolumeFlushes);
    };
    job->CleanSlack('C');
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1], 1) << "the first batch's flush came before";
    auto cuts = [&](const std::vector<std::string>& flushes, const std::string& path) {
      return std::count(flushes.begin(), flushes.end(), path);
    };
    // Each file is flushed after its pass data; without a volume flush, after its cut too.
    EXPECT_EQ(cuts(flushedBefore, "C:\\docs\\f0.txt"), volumeFlush ? 1 : 2);
    EXPECT_FALSE(StoredNote(*platform));
    for (size_t i = 0; i < files; ++i)
      EXPECT_EQ(platform->FilesFake.Text("C:\\docs\\f" + std::to_string(i) + ".txt"),
                std::string(i + 1, 'a'));
  }
}

TEST_F(SlackNoteTest, NoNoteNoWrite) {
  ASSERT_TRUE(platform->FilesFake.AddFile(kPath, "hello"));
  platform->FilesFake.DenyAccess(kNotePath);
  job->CleanSlack('C');
  EXPECT_TRUE(platform->FilesFake.Writes.empty());
  EXPECT_EQ(platform->FilesFake.Text(kPath), "hello");
}

} // namespace
} // namespace bw
