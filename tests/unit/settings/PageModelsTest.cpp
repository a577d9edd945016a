#include "platform/memory/MemoryPlatform.h"
#include "settings/AdvancedOverwritesModel.h"
#include "settings/BaseSheetModel.h"
#include "settings/DriveListModel.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

class DriveListTest : public ::testing::Test {
protected:
  DriveListTest() {
    platform.DrivesFake.Drives['A'].Type = DriveType::Removable;
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
    platform.DrivesFake.Drives['D'].Type = DriveType::CdRom;
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const auto& item : list.Items())
      lines.push_back(std::string(item.Checked ? "[x] " : "[ ] ") +
                      CDriveListModel::ItemText(item) + " " + CDriveListModel::StatusText(item));
    return lines;
  }

  CMemoryPlatform platform;
  CDriveListModel list;
};

TEST_F(DriveListTest, LoadsHardAndRemovableDrivesAndStoresTheirRecords) {
  list.LoadFromDriveList(platform.DrivesFake, "C1--------");
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{"[ ] (A:) Removable Media", "[x] (C:) Not Cleaned"}));
  EXPECT_EQ(list.Current(), 0);
  EXPECT_EQ(list.StoreToDriveList(), "C1--------") << "A: unchecked and never cleaned";

  list.ToggleCurrent(); // the space key on (A:)
  EXPECT_EQ(list.StoreToDriveList(), "A1--------C1--------");
  EXPECT_EQ(list.CheckedCount(), 2);
  EXPECT_TRUE(list.IsDriveChecked('a'));
  EXPECT_FALSE(list.IsDriveChecked('D'));
}

TEST_F(DriveListTest, RoundTrips) {
  struct Case {
    const char* Name;
    const char* Stored;
    std::vector<std::string> Lines;
    const char* Restored;
  };
  Case cases[] = {
      {"cleaned, unchecked",
       "C0 3 72026",
       {"[ ] (A:) Removable Media", "[ ] (C:) Last Cleaned: Saturday, March 07, 2026"},
       "C0 3 72026"},
      {"drive gone",
       "C1--------Q1--------",
       {"[ ] (A:) Removable Media", "[x] (C:) Not Cleaned"},
       "C1--------"},
      {"CD-ROM record dropped",
       "D1 3 72026",
       {"[ ] (A:) Removable Media", "[ ] (C:) Not Cleaned"},
       ""},
      {"no checked drive", "", {"[ ] (A:) Removable Media", "[ ] (C:) Not Cleaned"}, ""},
      // Damaged lists: the letter inside A's date is not C's record; short dates are completed
      // so that later records keep their offsets.
      {"letter inside a date",
       "A1--C-----C0 3 72026",
       {"[x] (A:) Removable Media", "[ ] (C:) Last Cleaned: Saturday, March 07, 2026"},
       "A1--C-----C0 3 72026"},
      {"record cut short",
       "A1--------C1 3",
       {"[x] (A:) Removable Media", "[x] (C:) Not Cleaned"},
       "A1--------C1 3------"},
      {"record without a date", "C1", {"[ ] (A:) Removable Media", "[x] (C:) "}, "C1--------"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    list.LoadFromDriveList(platform.DrivesFake, c.Stored);
    EXPECT_EQ(Lines(), c.Lines);
    EXPECT_EQ(list.StoreToDriveList(), c.Restored);
  }
  EXPECT_EQ(list.CheckedCount(), 1);
  list.LoadFromDriveList(platform.DrivesFake, "");
  EXPECT_EQ(list.CheckedCount(), 0);
}

TEST(AdvancedOverwritesTest, SelectsTheLevelOfTheCount) {
  CSettings settings;
  settings.OverwriteCount = 12;
  CAdvancedOverwritesModel dialog;
  dialog.Open(settings);
  EXPECT_EQ(dialog.Selected, 3);
  dialog.Selected = 1;
  dialog.Confirm(settings);
  EXPECT_EQ(settings.OverwriteCount, 3);
  EXPECT_EQ(CSecurityTabModel::OverwriteText(settings.OverwriteCount), "3 overwrites");
  EXPECT_EQ(CSecurityTabModel::OverwriteText(1), "1 overwrite");

  settings.OverwriteCount = 5; // hand-edited
  dialog.Open(settings);
  EXPECT_EQ(dialog.Selected, -1);
  dialog.Confirm(settings);
  EXPECT_EQ(settings.OverwriteCount, 5);
}

TEST(ConfigurationSheetTest, OnlyShownPagesWrite) {
  CMemoryPlatform platform;
  CSettings settings;
  settings.CleanFileNames = 1;
  settings.SlackMode = 7; // no radio stands for it
  settings.EmptyTempFolder = 1;
  settings.TempFolder = "c:\\temp";
  settings.ScheduleEnabled = 1;

  CBaseSheetModel sheet;
  sheet.ShowPage(CBaseSheetModel::kSchedulePage, platform, settings);
  sheet.Schedule.SetScheduleEnabled(false);
  sheet.Confirm(settings);
  EXPECT_EQ(settings.ScheduleEnabled, 0);
  EXPECT_EQ(settings.CleanFileNames, 1);
  EXPECT_EQ(settings.TempFolder, "c:\\temp");

  sheet.ShowPage(CBaseSheetModel::kGeneralPage, platform, settings);
  EXPECT_EQ(sheet.General.SlackRadio, -1);
  sheet.ShowPage(CBaseSheetModel::kTempFilesPage, platform, settings);
  sheet.TempFiles.EmptyTempFolder = false;
  EXPECT_FALSE(sheet.TempFiles.TempFolderEnabled());
  sheet.Confirm(settings);
  EXPECT_EQ(settings.SlackMode, 7);
  EXPECT_EQ(settings.EmptyTempFolder, 0);
  EXPECT_EQ(settings.TempFolder, "c:\\temp") << "a disabled edit keeps its text";
}

TEST(ConfigurationSheetTest, VerifyBoxFollowsTheGeneralPage) {
  CMemoryPlatform platform;
  CSettings settings;
  settings.VerifyAfterCleaning = 1;

  // The General page never shown: its box writes nothing, whatever the model holds.
  CBaseSheetModel unseen;
  unseen.General.VerifyAfterCleaning = false;
  unseen.Confirm(settings);
  EXPECT_EQ(settings.VerifyAfterCleaning, 1);

  CBaseSheetModel sheet;
  sheet.ShowPage(CBaseSheetModel::kGeneralPage, platform, settings);
  EXPECT_TRUE(sheet.General.VerifyAfterCleaning);
  sheet.General.VerifyAfterCleaning = false;
  sheet.Confirm(settings);
  EXPECT_EQ(settings.VerifyAfterCleaning, 0);

  settings.VerifyAfterCleaning = 2; // hand-edited: any value but 0 means on
  CBaseSheetModel again;
  again.ShowPage(CBaseSheetModel::kGeneralPage, platform, settings);
  EXPECT_TRUE(again.General.VerifyAfterCleaning);
  again.Confirm(settings);
  EXPECT_EQ(settings.VerifyAfterCleaning, 1);
}

} // namespace
} // namespace bw
