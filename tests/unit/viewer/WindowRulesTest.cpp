#include "platform/memory/MemoryPlatform.h"
#include "viewer/CleanRequest.h"
#include "viewer/ClusterList.h"
#include "viewer/UpdatePacing.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

const std::vector<std::string> kAllClasses = {"AfxFrameOrView42s", "AfxFrameOrView42sd",
                                              "AfxFrameOrView42d"};

TEST(CleanRequestTest, RunningTrayProgramGetsTheWordForTheChosenDrive) {
  // The third class name is found too, after the first two were tried in order.
  memory::CMemoryWindowCommands windows;
  windows.AddWindow("Other", "Blankwright");
  WindowId tray = windows.AddWindow("AfxFrameOrView42d", "Blankwright");
  EXPECT_EQ(RequestDriveCleaning(windows, "C:\\BW\\", "e: Fixed drive"), CleanRequestResult::Sent);
  EXPECT_EQ(windows.ClassesTried, kAllClasses);
  ASSERT_EQ(windows.Commands.size(), 1u);
  EXPECT_EQ(windows.Commands[0].Window, tray);
  EXPECT_EQ(windows.Commands[0].Word, 0x00450002u);
  EXPECT_EQ(windows.Fronted, std::vector<WindowId>{tray});
  EXPECT_TRUE(windows.Starts.empty());
  EXPECT_EQ(windows.WaitedMilliseconds, 0u);
}

TEST(CleanRequestTest, MissingTrayProgramIsStartedFromTheProgramFolder) {
  struct Case {
    const char* Name;
    bool Starts;
    bool MakesWindow;
    CleanRequestResult Result;
    uint64_t Waited;
  };
  const Case cases[] = {
      {"starts and makes its window", true, true, CleanRequestResult::Sent, 4000},
      {"starts but makes no window", true, false, CleanRequestResult::NotRunning, 4000},
      {"cannot be started: no wait", false, false, CleanRequestResult::NotRunning, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    memory::CMemoryWindowCommands windows;
    windows.OnStart = [&](const std::string&, const std::vector<std::string>&) { return c.Starts; };
    // The window comes while the viewer waits, as a program just started makes it.
    windows.OnWait = [&](uint32_t) {
      if (c.MakesWindow)
        windows.AddWindow("AfxFrameOrView42s", "Blankwright");
    };
    EXPECT_EQ(RequestDriveCleaning(windows, "C:\\Program Files\\BW\\", "Y: Removable disk"),
              c.Result);
    ASSERT_EQ(windows.Starts.size(), 1u);
    EXPECT_EQ(windows.Starts[0],
              std::vector<std::string>{"C:\\Program Files\\BW\\Blankwright Base.exe"});
    EXPECT_EQ(windows.WaitedMilliseconds, c.Waited);
    if (c.Result == CleanRequestResult::Sent) {
      ASSERT_EQ(windows.Commands.size(), 1u);
      EXPECT_EQ(windows.Commands[0].Word, 0x00590002u);
    } else {
      EXPECT_TRUE(windows.Commands.empty());
    }
  }
}

TEST(CleanRequestTest, NoDriveChosenLooksForNothing) {
  memory::CMemoryWindowCommands windows;
  windows.AddWindow("AfxFrameOrView42s", "Blankwright");
  EXPECT_EQ(RequestDriveCleaning(windows, "C:\\BW\\", ""), CleanRequestResult::NoDrive);
  EXPECT_TRUE(windows.ClassesTried.empty());
  EXPECT_TRUE(windows.Commands.empty());
}

TEST(ClusterListTest, ListStopsAtItsCapacityAndTheReportSaysSo) {
  EXPECT_FALSE(ClusterListTakes(0));
  EXPECT_TRUE(ClusterListTakes(1));
  EXPECT_TRUE(ClusterListTakes(32767));
  EXPECT_FALSE(ClusterListTakes(32768));
  EXPECT_EQ(ClusterListNote(0), "");
  EXPECT_EQ(ClusterListNote(32767), "");
  EXPECT_EQ(ClusterListNote(4000000),
            "The cluster list shows only the first 32767 of these 4000000 clusters.");
}

TEST(UpdatePacingTest, ShowsAtMostOncePerIntervalAcrossTheClocksWrap) {
  struct Step {
    uint32_t Now;
    bool Due;
  };
  // The first call always shows; the tick count wraps between the fourth and fifth step.
  const Step steps[] = {{0xFFFFFFC0u, true}, {0xFFFFFFC1u, false}, {0xFFFFFFF1u, false},
                        {0xFFFFFFF2u, true}, {0x00000010u, false}, {0x00000024u, true}};
  CUpdatePacing pacing(50);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Now);
    EXPECT_EQ(pacing.Due(step.Now), step.Due);
  }
  // The end of a scan shows its final texts whenever it comes.
  pacing.Reset();
  EXPECT_TRUE(pacing.Due(0x00000025u));
  EXPECT_FALSE(pacing.Due(0x00000026u));
}

} // namespace
} // namespace bw
