#include "platform/memory/Contents.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace bw::memory {
namespace {

std::vector<uint8_t> ReadAll(const CCompactContents& contents) {
  std::vector<uint8_t> bytes(contents.Size());
  EXPECT_EQ(contents.Read(0, bytes.data(), bytes.size()), bytes.size());
  return bytes;
}

TEST(ContentsTest, GigabytesOfOnePatternTakeOnePiece) {
  CCompactContents contents;
  std::vector<uint8_t> unit(262144, 0xFF);
  for (int i = 0; i < 4096; ++i) // 1 GiB in the wipe's unit
    contents.Write(uint64_t(i) * unit.size(), unit.data(), unit.size());
  EXPECT_EQ(contents.Size(), 1ull << 30);
  EXPECT_EQ(contents.PieceCount(), 1u);
  EXPECT_EQ(contents.Runs(), (std::vector<ContentRun>{{0, 1ull << 30, 0xFF}}));
}

TEST(ContentsTest, OverwritesSplitAndRejoinRuns) {
  CCompactContents contents;
  contents.Fill(0, 10000, 0x00);
  const std::string text = "slack must go";
  contents.Write(4000, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  EXPECT_EQ(contents.Runs(),
            (std::vector<ContentRun>{{0, 4000, 0x00},
                                     {4000, text.size(), -1},
                                     {4000 + text.size(), 6000 - text.size(), 0x00}}));
  std::vector<uint8_t> bytes = ReadAll(contents);
  EXPECT_EQ(std::string(bytes.begin() + 4000, bytes.begin() + 4000 + text.size()), text);
  EXPECT_EQ(bytes[3999], 0);
  EXPECT_EQ(bytes[4000 + text.size()], 0);

  // Overwriting the text with the surrounding byte leaves one run again.
  contents.Fill(3000, 2000, 0x00);
  EXPECT_EQ(contents.Runs(), (std::vector<ContentRun>{{0, 10000, 0x00}}));
  EXPECT_EQ(contents.PieceCount(), 1u);
}

TEST(ContentsTest, MixedDataKeepsLongRunsApart) {
  std::vector<uint8_t> data(1000, 0xAA);
  for (int i = 0; i < 10; ++i)
    data[i] = static_cast<uint8_t>(i); // ten varying bytes, then 990 of 0xAA
  data[999] = 0x01;
  CCompactContents contents;
  contents.Write(0, data.data(), data.size());
  EXPECT_EQ(contents.Runs(), (std::vector<ContentRun>{{0, 10, -1}, {10, 989, 0xAA}, {999, 1, 1}}));
  EXPECT_EQ(ReadAll(contents), data);
}

TEST(ContentsTest, WritingPastTheEndLeavesZerosAndResizeCutsOrExtends) {
  CCompactContents contents;
  const uint8_t byte = 0x5A;
  contents.Write(100, &byte, 1);
  EXPECT_EQ(contents.Runs(), (std::vector<ContentRun>{{0, 100, 0x00}, {100, 1, 0x5A}}));

  contents.Resize(50);
  EXPECT_EQ(contents.Runs(), (std::vector<ContentRun>{{0, 50, 0x00}}));
  contents.Resize(0);
  EXPECT_EQ(contents.Size(), 0u);
  EXPECT_TRUE(contents.Runs().empty());

  contents.Fill(0, 4095, 0xFF);
  contents.Resize(4096);
  EXPECT_EQ(contents.Runs(), (std::vector<ContentRun>{{0, 4095, 0xFF}, {4095, 1, 0x00}}));
  uint8_t tail[8];
  EXPECT_EQ(contents.Read(4090, tail, sizeof(tail)), 6u);
  EXPECT_EQ(tail[4], 0xFF);
  EXPECT_EQ(tail[5], 0x00);
}

} // namespace
} // namespace bw::memory
