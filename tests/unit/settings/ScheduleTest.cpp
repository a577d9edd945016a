#include "settings/Schedule.h"

#include "platform/memory/MemoryPlatform.h"
#include "settings/ScheduleTabModel.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

constexpr int kMonday = 0;
constexpr int kSunday = 6;

// A tick of the local clock; DayOfWeek 0 is Sunday, 1 Monday.
LocalTime Tick(int dayOfWeek, int hour, int minute) {
  LocalTime t;
  t.DayOfWeek = dayOfWeek;
  t.Hour = hour;
  t.Minute = minute;
  return t;
}

TEST(ScheduledCleaningDueTest, ConvertsTheTwelveHourClock) {
  struct Case {
    const char* Name;
    int32_t Hour, Minute, PM;
    LocalTime Now;
    bool Due;
  };
  Case cases[] = {
      {"9:15 PM at 21:15", 9, 15, 1, Tick(1, 21, 15), true},
      {"9:15 PM not at 09:15", 9, 15, 1, Tick(1, 9, 15), false},
      {"12 AM is midnight", 12, 0, 0, Tick(1, 0, 0), true},
      {"12 AM is not midday", 12, 0, 0, Tick(1, 12, 0), false},
      {"12 PM is midday", 12, 0, 1, Tick(1, 12, 0), true},
      {"12 PM is not midnight", 12, 0, 1, Tick(1, 0, 0), false},
      {"1:15 PM at 13:15", 1, 15, 1, Tick(1, 13, 15), true},
      {"other minute", 1, 15, 1, Tick(1, 13, 20), false},
      {"other weekday", 9, 15, 1, Tick(2, 21, 15), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CSettings settings;
    settings.ScheduleEnabled = 1;
    settings.Schedule[kMonday] = {1, c.Hour, c.Minute, c.PM};
    EXPECT_EQ(ScheduledCleaningDue(settings, c.Now), c.Due);
  }
}

TEST(ScheduledCleaningDueTest, NeedsTheScheduleAndTheDay) {
  CSettings settings;
  settings.Schedule[kSunday] = {1, 10, 30, 0};
  EXPECT_FALSE(ScheduledCleaningDue(settings, Tick(0, 10, 30))) << "schedule off";
  settings.ScheduleEnabled = 1;
  EXPECT_TRUE(ScheduledCleaningDue(settings, Tick(0, 10, 30))) << "Sunday is the last entry";
  settings.Schedule[kSunday].Enabled = 0;
  EXPECT_FALSE(ScheduledCleaningDue(settings, Tick(0, 10, 30))) << "day unchecked";
}

class ScheduleTabTest : public ::testing::Test {
protected:
  ScheduleTabTest() {
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
    settings.DriveList = "C1--------";
  }

  CMemoryPlatform platform;
  CSettings settings;
  CScheduleTabModel page;
};

TEST_F(ScheduleTabTest, OpensWithCorrectedTextsAndEnabling) {
  settings.Schedule[kMonday] = {1, 9, 0, 1};
  settings.Schedule[1] = {0, 0, 30, 0}; // an hour never stored
  page.Load(platform, settings);
  EXPECT_EQ(page.Days[kMonday].HourText, "9");
  EXPECT_EQ(page.Days[kMonday].AmPmText, "PM");
  EXPECT_EQ(page.Days[1].HourText, "1");
  for (int day = 0; day < 7; ++day)
    EXPECT_EQ(page.Days[day].MinuteText, day == 1 ? "30" : "00") << day;
  // With the schedule off all 49 weekday controls are disabled.
  for (const auto& day : page.Days) {
    EXPECT_FALSE(day.CheckEnabled);
    EXPECT_FALSE(day.TimeEnabled);
  }
  page.SetScheduleEnabled(true);
  EXPECT_TRUE(page.Days[1].CheckEnabled);
  EXPECT_TRUE(page.Days[kMonday].TimeEnabled);
  EXPECT_FALSE(page.Days[1].TimeEnabled);
  page.SetDayChecked(1, true);
  EXPECT_TRUE(page.Days[1].TimeEnabled);
  page.SetScheduleEnabled(false);
  EXPECT_FALSE(page.Days[1].CheckEnabled);
  EXPECT_FALSE(page.Days[1].TimeEnabled);
}

TEST_F(ScheduleTabTest, FocusLeaveCorrections) {
  struct Case {
    const char* Typed;
    const char* Hour;
    const char* Minute;
  };
  Case cases[] = {
      {"70", "12", "45"}, {"7", "7", "00"},   {"0", "1", "00"},
      {"", "1", "00"},    {"13", "12", "00"}, {"44", "12", "30"},
      {"15", "12", "15"}, {"29", "12", "15"}, {"99999999999", "12", "45"},
  };
  page.Load(platform, settings);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    page.Days[2].HourText = c.Typed;
    page.HourFocusLeft(2);
    EXPECT_EQ(page.Days[2].HourText, c.Hour);
    page.Days[2].MinuteText = c.Typed;
    page.MinuteFocusLeft(2);
    EXPECT_EQ(page.Days[2].MinuteText, c.Minute);
  }
  for (auto [typed, kept] : {std::pair{"pm", "AM"}, {"PM", "PM"}, {"AM", "AM"}, {"", "AM"}}) {
    page.Days[2].AmPmText = typed;
    page.AmPmFocusLeft(2);
    EXPECT_EQ(page.Days[2].AmPmText, kept) << typed;
  }
}

TEST_F(ScheduleTabTest, SpinsStepWithinTheirRanges) {
  settings.Schedule[kMonday] = {1, 11, 30, 0};
  page.Load(platform, settings);
  page.SpinHour(kMonday, +1);
  page.SpinHour(kMonday, +1);
  EXPECT_EQ(page.Days[kMonday].HourText, "12");
  page.SpinMinute(kMonday, +1);
  page.SpinMinute(kMonday, +1);
  EXPECT_EQ(page.Days[kMonday].MinuteText, "45");
  page.Days[kMonday].MinuteText = "15"; // typed, then the spin reads it
  page.SpinMinute(kMonday, -1);
  page.SpinMinute(kMonday, -1);
  EXPECT_EQ(page.Days[kMonday].MinuteText, "0");
  page.SpinAmPm(kMonday);
  EXPECT_EQ(page.Days[kMonday].AmPmText, "PM");
  page.Days[kMonday].AmPmText = "pm";
  page.SpinAmPm(kMonday);
  EXPECT_EQ(page.Days[kMonday].AmPmText, "AM");
  // A text the spin cannot read leaves it at its last position.
  page.Days[kMonday].HourText = "";
  page.SpinHour(kMonday, -1);
  EXPECT_EQ(page.Days[kMonday].HourText, "11");
}

TEST_F(ScheduleTabTest, SaveTakesTheSpinPositions) {
  page.Load(platform, settings);
  page.SetScheduleEnabled(true);
  page.SetDayChecked(kSunday, true);
  page.Days[kSunday].HourText = "8";
  page.Days[kSunday].MinuteText = "45";
  page.Days[kSunday].AmPmText = "PM";
  page.Days[kMonday].HourText = "5";
  page.HourPosition(kMonday);
  page.Days[kMonday].HourText = ""; // unreadable at the moment of saving
  page.Days[kMonday].AmPmText = "xx";
  page.CleanAtLogout = true;
  page.Drives.SetChecked('C', false);
  page.Save(settings);
  EXPECT_EQ(settings.ScheduleEnabled, 1);
  EXPECT_EQ(settings.CleanAtLogout, 1);
  EXPECT_EQ(settings.DriveList, "");
  EXPECT_EQ(settings.Schedule[kSunday].Enabled, 1);
  EXPECT_EQ(settings.Schedule[kSunday].Hour, 8);
  EXPECT_EQ(settings.Schedule[kSunday].Minute, 45);
  EXPECT_EQ(settings.Schedule[kSunday].PM, 1);
  EXPECT_EQ(settings.Schedule[kMonday].Hour, 5);
  EXPECT_EQ(settings.Schedule[kMonday].Minute, 0);
  EXPECT_EQ(settings.Schedule[kMonday].PM, 1) << "only exactly AM is AM";
}

TEST_F(ScheduleTabTest, CleanSelectedDrivesNeedsACheckedDrive) {
  page.Load(platform, settings);
  page.Drives.SetChecked('C', false);
  EXPECT_FALSE(page.CleanSelectedDrives(platform.MessageBoxes, settings));
  ASSERT_EQ(platform.MessageBoxes.Boxes.size(), 1u);
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Text, "No drives have been checked for cleaning.");
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Caption, "Selection Error");
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Style, kMbOk | kMbIconInformation);
  EXPECT_FALSE(page.CleanNow);
  EXPECT_EQ(settings.DriveList, "C1--------");

  page.Drives.SetChecked('C', true);
  page.SetScheduleEnabled(true);
  EXPECT_TRUE(page.CleanSelectedDrives(platform.MessageBoxes, settings));
  EXPECT_TRUE(page.CleanNow);
  EXPECT_EQ(settings.ScheduleEnabled, 1) << "the page was saved";
  EXPECT_EQ(platform.MessageBoxes.Boxes.size(), 1u);
}

} // namespace
} // namespace bw
