#include "viewer/ViewerRules.h"

#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(ViewerRulesTest, CommandLineDrive) {
  struct Case {
    std::vector<std::string> Arguments;
    const char* Drive;
  };
  Case cases[] = {
      {{}, ""},    {{"c"}, "C"}, {{"d:"}, "D:"},    {{"-e"}, "E"},    {{"/f"}, "F"},
      {{"9"}, ""}, {{"-"}, ""},  {{"x", "g"}, "G"}, {{"g", "7"}, ""}, {{"--h"}, ""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Arguments));
    EXPECT_EQ(CommandLineDrive(c.Arguments), c.Drive);
  }
}

TEST(ViewerRulesTest, ProgramFolder) {
  EXPECT_EQ(ViewerProgramFolder("\"C:\\Program Files\\BW\\Viewer.exe\" c"),
            "C:\\Program Files\\BW\\");
  EXPECT_EQ(ViewerProgramFolder("C:\\BW\\Viewer.exe"), "C:\\BW\\");
  EXPECT_EQ(ViewerProgramFolder("Viewer.exe"), "");
}

TEST(ViewerRulesTest, DriveListHoldsFixedAndRemovableDrivesSorted) {
  memory::CMemoryDrives drives;
  drives.Drives['D'].Type = DriveType::CdRom;
  drives.Drives['C'].Type = DriveType::Fixed;
  drives.Drives['A'].Type = DriveType::Removable;
  drives.Drives['N'].Type = DriveType::Remote;
  drives.Drives['E'].Type = DriveType::Fixed;
  std::vector<std::string> entries = DriveListEntries(drives);
  EXPECT_EQ(entries,
            (std::vector<std::string>{"A: Removable disk", "C: Fixed drive", "E: Fixed drive"}));

  // The command line picks an entry; D: is a CD-ROM drive and is not listed, so the window
  // selects its first entry and does not scan.
  EXPECT_EQ(FindDriveEntry(entries, CommandLineDrive({"c"})), 1);
  EXPECT_EQ(FindDriveEntry(entries, CommandLineDrive({"d"})), -1);
  EXPECT_EQ(FindDriveEntry(entries, CommandLineDrive({"1"})), -1);
  EXPECT_EQ(ScanDriveLetter(entries[2]), 'E');
  EXPECT_EQ(ScanDriveLetter(""), 'C');
}

TEST(ViewerRulesTest, CleanDriveCommandWord) {
  EXPECT_EQ(CleanDriveCommandWord('E'), 0x00450002u);
  EXPECT_EQ(CleanDriveCommandWord('c'), 0x00430002u);
}

} // namespace
} // namespace bw
