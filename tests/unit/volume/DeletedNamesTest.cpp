#include "engine/volume/DeletedNames.h"

#include "tests/unit/volume/FatImage.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using test::WriteEntry;

constexpr uint8_t kArchive = 0x20;

// Marks the entries from offset to end as deleted, long-name entries included.
void Delete(uint8_t* data, size_t from, size_t to) {
  for (size_t at = from; at < to; at += 32)
    data[at] = 0xE5;
}

TEST(DeletedNamesTest, CountsTheNamesOfOthersAndPassesOverOurOwn) {
  struct Case {
    const char* Name;
    std::string Short11;
    std::string Long;
    bool Deleted;
    uint64_t Counted;
  };
  const Case cases[] = {
      {"a user's short name", "LETTER  TXT", "", true, 1},
      {"a user's long name and its short entry", "TAXRET~1PDF", "tax return 2026.pdf", true, 3},
      {"a live file", "LETTER  TXT", "a long live name.txt", false, 0},
      {"a pair filler", "1BLANKWR~BW", "1Blankwr.~BW", true, 0},
      {"a triple filler", "1BLANK~1~BW", "1BlankwrightBlankwrig.~BW", true, 0},
      {"a single filler", "1BLANKWR~BW", "", true, 0},
      {"a wipe file", "BLANKW~1GF ", "BlankwrightTMP1.gf", true, 0},
      {"a user's file named like a wipe file's short name", "BLANKW~1TXT", "", true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<uint8_t> data(32 * 8, 0);
    size_t end = WriteEntry(data.data(), 0, c.Short11, kArchive, 3, c.Long);
    if (c.Deleted)
      Delete(data.data(), 0, end);
    EXPECT_EQ(CountDeletedNames(data.data(), data.size()), c.Counted);
  }

  // Long-name entries whose short entry was overwritten by a live one still hold their name;
  // nothing after the end mark is read.
  std::vector<uint8_t> data(32 * 8, 0);
  size_t end = WriteEntry(data.data(), 0, "REPORT~1DOC", kArchive, 3, "quarterly report.doc");
  Delete(data.data(), 0, end - 32);
  WriteEntry(data.data(), end + 32, "LATE    TXT", kArchive, 4);
  Delete(data.data(), end + 32, end + 64);
  EXPECT_EQ(CountDeletedNames(data.data(), data.size()), 2u);
}

} // namespace
} // namespace bw
