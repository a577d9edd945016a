#include "platform/Vwin32Request.h"

#include "platform/Bytes.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(Vwin32RequestTest, Int25ReaderUsesControlCode2AndDriveFromZero) {
  Vwin32Request r;
  ASSERT_TRUE(BuildVwin32Request(RawReader::Int25, 'C', 0x12345678, 64, 0xDEADBEEF, 0x1000, r));
  EXPECT_EQ(r.ControlCode, 2u);
  EXPECT_EQ(Get32(r.Packet), 0x12345678u);
  EXPECT_EQ(Get16(r.Packet + 4), 64u);
  EXPECT_EQ(Get32(r.Packet + 6), 0xDEADBEEFu);
  EXPECT_EQ(r.Registers[kRegEax], 2u) << "C is drive 2 counted from 0";
  EXPECT_EQ(r.Registers[kRegEbx], 0x1000u);
  EXPECT_EQ(r.Registers[kRegEcx], 0xFFFFFFFFu);
  EXPECT_EQ(r.Registers[kRegFlags], 1u);
  EXPECT_EQ(r.Registers[kRegEdx], 0u);
  EXPECT_EQ(r.Registers[kRegEsi], 0u);
  EXPECT_EQ(sizeof(r.Registers), 28u);
  EXPECT_EQ(sizeof(r.Packet), 10u);
}

TEST(Vwin32RequestTest, Ioctl7305ReaderUsesControlCode6AndDriveFromOne) {
  Vwin32Request r;
  ASSERT_TRUE(BuildVwin32Request(RawReader::Ioctl7305, 'A', 0, 1, 0x400000, 0x2000, r));
  EXPECT_EQ(r.ControlCode, 6u);
  EXPECT_EQ(r.Registers[kRegEax], 0x7305u);
  EXPECT_EQ(r.Registers[kRegEdx], 1u) << "A is drive 1";
  EXPECT_EQ(r.Registers[kRegEsi], 0x6000u) << "read, normal file data";
  EXPECT_EQ(r.Registers[kRegEbx], 0x2000u);
  EXPECT_EQ(r.Registers[kRegEcx], 0xFFFFFFFFu);
  EXPECT_EQ(r.Registers[kRegFlags], 1u);
}

TEST(Vwin32RequestTest, RefusesWhatThe9xCallsCannotExpress) {
  Vwin32Request r;
  EXPECT_FALSE(BuildVwin32Request(RawReader::NtVolume, 'C', 0, 1, 0, 0, r));
  EXPECT_FALSE(BuildVwin32Request(RawReader::Int25, 'c', 0, 1, 0, 0, r));
  EXPECT_FALSE(BuildVwin32Request(RawReader::Int25, 'C', 0x100000000ull, 1, 0, 0, r));
  EXPECT_FALSE(BuildVwin32Request(RawReader::Int25, 'C', 0, 0x10000, 0, 0, r));
  EXPECT_FALSE(BuildVwin32Request(RawReader::Int25, 'C', 0, 0, 0, 0, r));
}

TEST(Vwin32RequestTest, CarryFlagDecidesSuccess) {
  uint32_t ok[7] = {0, 0, 0, 0, 0, 0, 0};
  uint32_t carry[7] = {0, 0, 0, 0, 0, 0, 1};
  EXPECT_TRUE(Vwin32Succeeded(true, ok));
  EXPECT_FALSE(Vwin32Succeeded(true, carry));
  EXPECT_FALSE(Vwin32Succeeded(false, ok));
}

} // namespace
} // namespace bw
