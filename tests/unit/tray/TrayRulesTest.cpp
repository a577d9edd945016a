#include "tray/ProgramFolder.h"
#include "tray/ScheduleTimer.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(ScheduleTimerTest, ArmsToTheNextFiveMinuteBoundary) {
  struct Case {
    int Minute, Second;
    bool AfterJob;
    uint32_t Expected;
  };
  const Case cases[] = {
      {5, 30, false, 100},    // 10:05:30, fresh: the schedule is checked at once
      {5, 30, true, 270000},  // after a job: past the scheduled minute
      {7, 20, false, 160000}, // 10:07:20: to 10:10:00 either way
      {7, 20, true, 160000},  {0, 0, true, 240000}, {59, 59, false, 1000},
      {4, 0, false, 60000},   {9, 60, false, 0}, // a leap second reaches the boundary, never wraps
                                                 // around
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Minute << ":" << c.Second << " after job " << c.AfterJob);
    EXPECT_EQ(ScheduleTimerInterval(c.Minute, c.Second, c.AfterJob), c.Expected);
  }
}

TEST(ScheduleTimerTest, EachFiringSetsTheTimerToTheNextBoundary) {
  EXPECT_EQ(ScheduleTickInterval(5, 0), 300000u) << "fired at the boundary: the next one";
  EXPECT_EQ(ScheduleTickInterval(5, 30), 270000u);
  EXPECT_EQ(ScheduleTickInterval(7, 20), 160000u);
  EXPECT_EQ(ScheduleTickInterval(-1, -5), 60000u) << "odd clock fields stay in range";
}

TEST(ProgramFolderTest, LowerCaseUpToTheLastBackslash) {
  EXPECT_EQ(
      ProgramFolderFromCommandLine("\"C:\\Program Files\\Blankwright\\Blankwright Base.exe\""),
      "c:\\program files\\blankwright\\");
  EXPECT_EQ(ProgramFolderFromCommandLine("C:\\BW\\BLANKWRIGHT BASE.EXE"), "c:\\bw\\");
  EXPECT_EQ(ProgramFolderFromCommandLine("BASE.EXE"), "base.exe") << "no backslash: kept whole";
  EXPECT_EQ(ProgramFolderFromCommandLine("\""), "");
  EXPECT_EQ(ProgramFolderFromCommandLine(""), "");
}

} // namespace
} // namespace bw
