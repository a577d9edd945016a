#include "platform/PathRules.h"

#include "platform/Types.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(PathRulesTest, MakesPathsAbsoluteAsWin32Does) {
  FullPath current;
  current.Drive = 'C';
  current.Names = {"Work", "Sub"};
  struct Case {
    const char* Path;
    bool HasCurrent;
    const char* Expected; // null: fails with Error
    uint32_t Error;
  };
  const std::string longName(256, 'a');
  const std::string fits = "C:\\" + longName;          // 259 characters
  const std::string tooLong = "C:\\" + longName + "b"; // 260 characters
  const Case cases[] = {
      {"D:\\a\\b", true, "D:\\a\\b", 0},
      {"d:/a//b/", true, "d:\\a\\b", 0},
      {"C:x", true, "C:\\Work\\Sub\\x", 0},
      {"c:x", true, "c:\\Work\\Sub\\x", 0},
      {"D:x", true, "D:\\x", 0},
      {"C:x", false, "C:\\x", 0},
      {"\\x", true, "C:\\x", 0},
      {"x\\..\\y", true, "C:\\Work\\Sub\\y", 0},
      {".", true, "C:\\Work\\Sub", 0},
      {"..\\..\\..\\..", true, "C:\\", 0},
      {"C:\\..\\..\\Windows", true, "C:\\Windows", 0},
      {"C:", true, "C:\\Work\\Sub", 0},
      {"...", true, "C:\\Work\\Sub\\...", 0},
      {fits.c_str(), true, fits.c_str(), 0},
      {tooLong.c_str(), true, nullptr, kErrorFilenameExcedRange},
      {"\\\\server\\share\\x", true, nullptr, kErrorBadNetPath},
      {"//server/share", true, nullptr, kErrorBadNetPath},
      {"", true, nullptr, kErrorPathNotFound},
      {"x", false, nullptr, kErrorPathNotFound},
      {"\\x", false, nullptr, kErrorPathNotFound},
      {"1:\\x", true, nullptr, kErrorInvalidName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    FullPath full;
    uint32_t error = 0;
    bool ok = MakeFullPath(c.Path, c.HasCurrent ? &current : nullptr, full, error);
    if (c.Expected) {
      ASSERT_TRUE(ok) << error;
      EXPECT_EQ(full.Text(), c.Expected);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(error, c.Error);
    }
  }
}

TEST(PathRulesTest, MatchesNamesAsFindFirstFileDoes) {
  struct Case {
    const char* Name;
    const char* Pattern;
    bool Matches;
  };
  const Case cases[] = {
      {"a.txt", "*.*", true},
      {"notes", "*.*", true}, // "*.*" also takes names without a dot
      {".", "*.*", true},
      {"..", "*", true},
      {"1Blankwr.~BW", "*.~BW", true},
      {"2blankwr.~bw", "*.~BW", true},
      {"x.~BWa", "*.~BW", false},
      {"~BW", "*.~BW", false},
      {"a.b.~BW", "*.~BW", true},
      {"BlankwrightTMP12.gf", "blankwrighttmp*.GF", true},
      {"notes", "*.", true}, // a final "*." takes names without an extension
      {"a.txt", "*.", false},
      {"notes", "notes.*", true},
      {"a.txt", "?.txt", true},
      {"ab.txt", "?.txt", false},
      {"a.txt", "a?.txt", true}, // "?" takes nothing before a dot
      {"abc.txt", "a?.txt", false},
      {"a", "a??", true}, // ... and nothing at the end
      {"a.b", "a?b", false},
      {"archive.tar.gz", "*.gz", true},
      {"archive.tar.gz", "*.tar", false},
      {"FILE", "file", true},
      {"file1", "file", false},
      {"ac", "a*c", true},
      {"ab", "a*c", false},
      {"desktop.ini", "DESKTOP.INI", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " ~ " + c.Pattern);
    EXPECT_EQ(MatchesPattern(c.Name, c.Pattern), c.Matches);
  }
}

} // namespace
} // namespace bw
