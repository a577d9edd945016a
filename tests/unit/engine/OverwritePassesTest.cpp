#include "engine/OverwritePasses.h"

#include "platform/Unbuffered.h"

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

// The sizes the wipe, the slack phase and the zap ask for: both buffers start on the boundary
// that lets whole units of them go past the system's cache.
TEST(OverwritePassesTest, BuffersAreAlignedForUnbufferedWrites) {
  for (size_t size : {size_t{262144}, size_t{32768}, size_t{512 + 512}, size_t{65536 + 512}}) {
    SCOPED_TRACE(size);
    CPassBuffers buffers;
    ASSERT_TRUE(buffers.Allocate(size));
    EXPECT_EQ(buffers.Size(), size);
    for (uint32_t pass : {1u, 2u}) {
      EXPECT_TRUE(FitsUnbuffered(buffers.ForPass(pass), kUnbufferedAlignment));
      EXPECT_EQ(buffers.ForPass(pass)[size - 1], PassByte(pass));
    }
  }
}

} // namespace
} // namespace bw
