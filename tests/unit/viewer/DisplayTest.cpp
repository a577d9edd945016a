// The data display's two modes and the report's figures.
#include "viewer/DataDisplay.h"
#include "viewer/ScanReport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace bw {
namespace {

std::vector<uint8_t> Cluster(const std::string& start, size_t size = 4096) {
  std::vector<uint8_t> data(size, 0);
  std::memcpy(data.data(), start.data(), start.size());
  return data;
}

TEST(TextDisplayTest, KeepsLettersDigitsSpacesAndAt) {
  struct Case {
    const char* Name;
    std::vector<uint8_t> Data;
    std::vector<std::string> Lines;
  };
  std::vector<uint8_t> high = Cluster("caf\xE9 na\xEFve\x80\xFF!", 64);
  std::vector<uint8_t> wrap(150, 'x');
  Case cases[] = {
      {"Hello, World! and zero bytes", Cluster("Hello, World!"), {"Hello World"}},
      {"bytes from 0x80 dropped", high, {"caf nave"}},
      {"mail@example.com, 42", Cluster("mail@example.com, 42"), {"mail@examplecom 42"}},
      {"70 to a line", wrap, {std::string(70, 'x'), std::string(70, 'x'), std::string(10, 'x')}},
      {"nothing readable", std::vector<uint8_t>(512, 0xF6), {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(TextDisplayLines(c.Data.data(), c.Data.size()), c.Lines);
  }
}

TEST(HexDisplayTest, SixteenBytesALine) {
  std::vector<uint8_t> data = Cluster("Hello, World!\x01\x7F~", 512);
  for (size_t i = 32; i < 48; ++i)
    data[i] = static_cast<uint8_t>('A' + i - 32);
  std::vector<std::string> lines = HexDisplayLines(data.data(), data.size());
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0], "0000 48 65 6C 6C 6F 2C 20 57 6F 72 6C 64 21 01 7F 7E  Hello, World!..~");
  EXPECT_EQ(lines[1].substr(0, 5), "0016 ");
  EXPECT_EQ(lines[2], "0032 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP");
  EXPECT_EQ(lines[31].substr(0, 5), "0496 ");

  std::vector<uint8_t> big(131072 + 8, 0);
  lines = HexDisplayLines(big.data(), big.size());
  EXPECT_EQ(lines.size(), 8192u) << "a final part line is not shown";
  EXPECT_EQ(lines.back().substr(0, 7), "131056 ");
}

TEST(ScanReportTest, Figures) {
  struct Case {
    const char* Name;
    uint64_t Hits;
    uint32_t BytesPerCluster;
    uint64_t FreeBytes;
    const char* Percentage;
    const char* Size;
  };
  Case cases[] = {
      {"1000 hits of 4096 bytes", 1000, 4096, 4096ull * 4000, "25.00%", "4096000"},
      {"the 64-bit size", 1048576, 4096, 4096ull * 2097152, "50.00%", "4294967296"},
      {"no free clusters", 5, 4096, 4095, "0.00%", "20480"},
      {"a third", 1, 512, 3 * 512, "33.33%", "512"},
      {"failed free-space query", 7, 4096, ~uint64_t{0}, "0.00%", "28672"},
      {"free space grew smaller than the hits", 3, 1024, 2048, "150.00%", "3072"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ScanReport report = MakeScanReport(c.Hits, c.BytesPerCluster, c.FreeBytes, false);
    EXPECT_EQ(report.Percentage, c.Percentage);
    EXPECT_EQ(report.Clusters, std::to_string(c.Hits));
    EXPECT_EQ(report.Size, c.Size);
    EXPECT_EQ(ReportDialog(report), kReportDialog);
  }
  EXPECT_EQ(ReportDialog(MakeScanReport(0, 512, 0, true)), kReportDialogWithNote);
}

} // namespace
} // namespace bw
