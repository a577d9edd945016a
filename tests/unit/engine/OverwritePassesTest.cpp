#include "engine/OverwritePasses.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(OverwritePassesTest, OddPassesWriteZerosEvenPassesOnes) {
  const uint8_t expected[] = {0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00};
  for (uint32_t pass = 1; pass <= 7; ++pass)
    EXPECT_EQ(PassByte(pass), expected[pass - 1]) << pass;
  EXPECT_EQ(PassByte(12), 0xFF) << "12 passes end with ones";
  EXPECT_EQ(PassByte(40), 0xFF);
}

TEST(OverwritePassesTest, PassTextIsSingularForOnePass) {
  EXPECT_EQ(PassText(1, 1), "Pass 1 of 1 overwrite");
  EXPECT_EQ(PassText(3, 7), "Pass 3 of 7 overwrites");
}

TEST(OverwritePassesTest, BuffersCarryTheirPatternInTheFilledPart) {
  CPassBuffers buffers;
  ASSERT_TRUE(buffers.Allocate(4096 + 512, 4096));
  EXPECT_EQ(buffers.ForPass(1)[4095], 0x00);
  EXPECT_EQ(buffers.ForPass(2)[0], 0xFF);
  EXPECT_EQ(buffers.ForPass(2)[4095], 0xFF);
  EXPECT_EQ(buffers.ForPass(2)[4096], 0x00) << "beyond the filled part";
  buffers.Free();
  EXPECT_FALSE(buffers.IsAllocated());
  EXPECT_FALSE(buffers.Allocate(0));
}

} // namespace
} // namespace bw
