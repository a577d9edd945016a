#include "engine/PathShortening.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

// A fixed-pitch font: every character is 6 pixels wide.
int Fixed6(const std::string& text) {
  return static_cast<int>(text.size()) * 6;
}

TEST(PathShorteningTest, ShortensFromTheFrontOfTheRemainder) {
  struct Case {
    const char* Text;
    int Width;
    const char* Expected;
  };
  const Case cases[] = {
      {"c:\\documents\\reports\\2024\\summary.txt", 40 * 6,
       "c:\\documents\\reports\\2024\\summary.txt"},
      {"c:\\documents\\reports\\2024\\summary.txt", 28 * 6, "c:\\...ports\\2024\\summary.txt"},
      {"\\\\server\\share\\folder\\file.txt", 20 * 6, "\\\\server\\...file.txt"},
      {"", 0, ""},
      // Nothing fits: the last candidate keeps one character after the prefix.
      {"c:\\abcdef", 6, "c:\\...f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ShortenPath(c.Text, c.Width, Fixed6), c.Expected);
  }
}

TEST(PathShorteningTest, NetworkPathKeepsServerPrefix) {
  std::string shortened = ShortenPath("\\\\server\\share\\folder\\file.txt", 100, Fixed6);
  EXPECT_EQ(shortened.rfind("\\\\server\\...", 0), 0u);
  EXPECT_LE(Fixed6(shortened), 100);
}

} // namespace
} // namespace bw
