#include "tray/FrameState.h"

#include "platform/memory/MemoryPlatform.h"
#include "tray/RemoteCommand.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

constexpr int kInteractive = static_cast<int>(JobMode::Interactive);
constexpr int kScheduled = static_cast<int>(JobMode::Scheduled);
constexpr int kShutdown = static_cast<int>(JobMode::Shutdown);
constexpr int kLogoff = static_cast<int>(JobMode::Logoff);

// A frame in the given busy state, reached the way the frame reaches it.
CFrameState FrameIn(BusyState busy) {
  CFrameState frame;
  switch (busy) {
  case BusyState::Idle:
    break;
  case BusyState::About:
    frame.OpenAbout();
    break;
  case BusyState::Configuration:
    frame.OpenConfiguration();
    break;
  case BusyState::Zapping: {
    char letter;
    frame.Dispatch(MakeCommandWord(RemoteCommand::Zap), letter);
    break;
  }
  case BusyState::Cleaning:
    frame.ScheduledCleaningDue("C:");
    break;
  case BusyState::Shutdown:
    frame.OpenShutdown();
    break;
  }
  EXPECT_EQ(frame.Busy(), busy);
  return frame;
}

TEST(FrameStateTest, IdleFrameDispatchesEachCode) {
  struct Case {
    uint32_t Word;
    RemoteAction Action;
    BusyState Busy;
    const char* Target;
  };
  const Case cases[] = {
      {MakeCommandWord(RemoteCommand::Zap), RemoteAction::Zap, BusyState::Zapping, ""},
      {MakeCommandWord(RemoteCommand::CleanDrive, 'd'), RemoteAction::ConfirmCleaning,
       BusyState::Cleaning, "d:"},
      {MakeCommandWord(RemoteCommand::CleanDrive, 'E'), RemoteAction::ConfirmCleaning,
       BusyState::Cleaning, "E:"},
      {MakeCommandWord(RemoteCommand::ScanDrive, 'F'), RemoteAction::StartViewer, BusyState::Idle,
       ""},
      {MakeCommandWord(RemoteCommand::Configure), RemoteAction::Configure, BusyState::Configuration,
       ""},
      {MakeCommandWord(RemoteCommand::Exit), RemoteAction::EndProgram, BusyState::Idle, ""},
      {5, RemoteAction::Ignore, BusyState::Idle, ""},
      {0, RemoteAction::Ignore, BusyState::Idle, ""},
      {0xFF, RemoteAction::Ignore, BusyState::Idle, ""},
      // Only the low byte is the code: stray high bits do not make a known code unknown.
      {0xAB000004, RemoteAction::Configure, BusyState::Configuration, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "word 0x" << std::hex << c.Word);
    CFrameState frame;
    char letter = '?';
    EXPECT_EQ(frame.Dispatch(c.Word, letter), c.Action);
    EXPECT_EQ(frame.Busy(), c.Busy);
    EXPECT_EQ(frame.TargetDriveText(), c.Target);
    EXPECT_EQ(frame.Mode(), 0) << "no job mode until the job is confirmed";
  }
  CFrameState frame;
  char letter = 0;
  frame.Dispatch(MakeCommandWord(RemoteCommand::ScanDrive, 'G'), letter);
  EXPECT_EQ(letter, 'G');
}

TEST(FrameStateTest, BusyFrameOnlyBringsItsWindowForwardButEndsOnCode100) {
  for (BusyState busy : {BusyState::About, BusyState::Configuration, BusyState::Zapping,
                         BusyState::Cleaning, BusyState::Shutdown}) {
    SCOPED_TRACE(static_cast<int>(busy));
    for (RemoteCommand command : {RemoteCommand::Zap, RemoteCommand::CleanDrive,
                                  RemoteCommand::ScanDrive, RemoteCommand::Configure}) {
      CFrameState frame = FrameIn(busy);
      std::string target = frame.TargetDriveText();
      char letter;
      EXPECT_EQ(frame.Dispatch(MakeCommandWord(command, 'D'), letter),
                RemoteAction::BringDialogToFront);
      EXPECT_EQ(frame.Busy(), busy) << "the command is dropped, not queued";
      EXPECT_EQ(frame.TargetDriveText(), target);
    }
    CFrameState frame = FrameIn(busy);
    char letter;
    EXPECT_EQ(frame.Dispatch(MakeCommandWord(RemoteCommand::Exit), letter),
              RemoteAction::EndProgram);
    EXPECT_EQ(frame.Dispatch(77, letter), RemoteAction::BringDialogToFront);
  }
}

TEST(FrameStateTest, TrayClicks) {
  CFrameState idle;
  EXPECT_EQ(idle.TrayClick(kTrayIconId, kWmLButtonDown), TrayAction::ShowMenu);
  EXPECT_EQ(idle.TrayClick(kTrayIconId, kWmRButtonDown), TrayAction::ShowMenu);
  EXPECT_EQ(idle.TrayClick(kTrayIconId, kWmLButtonDblClk), TrayAction::OpenConfiguration);
  EXPECT_EQ(idle.TrayClick(kTrayIconId, 0x0200), TrayAction::Ignore) << "mouse move";
  EXPECT_EQ(idle.TrayClick(kTrayIconId, 0x0202), TrayAction::Ignore) << "button up";
  EXPECT_EQ(idle.TrayClick(140, kWmLButtonDown), TrayAction::Ignore) << "another icon";

  // During a job a click brings its progress dialog forward and opens no menu.
  CFrameState busy = FrameIn(BusyState::Cleaning);
  for (uint32_t message : {kWmLButtonDown, kWmRButtonDown, kWmLButtonDblClk})
    EXPECT_EQ(busy.TrayClick(kTrayIconId, message), TrayAction::BringDialogToFront);
  EXPECT_EQ(busy.TrayClick(kTrayIconId, 0x0200), TrayAction::Ignore);
}

TEST(FrameStateTest, InteractiveCleaningFromTheSheetOrTheViewer) {
  CFrameState frame;
  frame.OpenConfiguration();
  EXPECT_FALSE(frame.ConfigurationClosed(false, "C:, D:"));
  EXPECT_EQ(frame.Busy(), BusyState::Idle);

  frame.OpenConfiguration();
  ASSERT_TRUE(frame.ConfigurationClosed(true, "C:, D:")) << "clean-now asks for confirmation";
  EXPECT_EQ(frame.Busy(), BusyState::Cleaning);
  EXPECT_EQ(frame.TargetDriveText(), "C:, D:");
  EXPECT_FALSE(frame.ConfirmationClosed(false)) << "Close All Programs cancelled";
  EXPECT_EQ(frame.Busy(), BusyState::Idle);
  EXPECT_EQ(frame.Mode(), 0);

  char letter;
  frame.Dispatch(MakeCommandWord(RemoteCommand::CleanDrive, 'Y'), letter);
  ASSERT_TRUE(frame.ConfirmationClosed(true));
  EXPECT_EQ(frame.Mode(), kInteractive);
  EXPECT_EQ(frame.TargetDriveText(), "Y:");
  frame.JobEnded();
  EXPECT_EQ(frame.Busy(), BusyState::Idle);
  EXPECT_EQ(frame.Mode(), 0);
}

TEST(FrameStateTest, ScheduledCleaning) {
  CFrameState frame;
  EXPECT_FALSE(frame.ScheduledCleaningDue("")) << "no drive selected: no countdown";
  EXPECT_EQ(frame.Busy(), BusyState::Idle);

  CFrameState busy = FrameIn(BusyState::About);
  EXPECT_FALSE(busy.ScheduledCleaningDue("C:")) << "the schedule waits for an idle frame";
  EXPECT_EQ(busy.Busy(), BusyState::About);

  ASSERT_TRUE(frame.ScheduledCleaningDue("C:, D:"));
  EXPECT_EQ(frame.Busy(), BusyState::Cleaning);
  EXPECT_FALSE(frame.CountdownClosed(false));
  EXPECT_EQ(frame.Busy(), BusyState::Idle);

  ASSERT_TRUE(frame.ScheduledCleaningDue("C:"));
  ASSERT_TRUE(frame.CountdownClosed(true));
  EXPECT_EQ(frame.Mode(), kScheduled);
}

TEST(FrameStateTest, ShutdownCleaningAndTheLogoffNotice) {
  CFrameState frame;
  frame.OpenShutdown();
  EXPECT_EQ(frame.Busy(), BusyState::Shutdown);
  EXPECT_FALSE(frame.ShutdownClosed(false, "C:"));
  EXPECT_EQ(frame.Busy(), BusyState::Idle);

  frame.OpenShutdown();
  EXPECT_FALSE(frame.ShutdownClosed(true, "")) << "OK without drives runs nothing";
  EXPECT_EQ(frame.Busy(), BusyState::Idle);
  EXPECT_FALSE(frame.ShutdownPending());

  frame.OpenShutdown();
  ASSERT_TRUE(frame.ShutdownClosed(true, "C:"));
  EXPECT_EQ(frame.Busy(), BusyState::Cleaning);
  EXPECT_EQ(frame.Mode(), kShutdown);
  EXPECT_TRUE(frame.ShutdownPending());

  // A log-off while the shut-down cleaning is pending runs no second job.
  EXPECT_FALSE(frame.LogoffCleaningWanted(true, "C:"));
  frame.LogoffNoticeEnded();
  EXPECT_FALSE(frame.ShutdownPending());
  EXPECT_EQ(frame.Mode(), kShutdown) << "the notice leaves the running job alone";
}

TEST(FrameStateTest, LogoffCleaning) {
  CFrameState frame;
  EXPECT_FALSE(frame.LogoffCleaningWanted(false, "C:")) << "CleanAtLogout off";
  EXPECT_FALSE(frame.LogoffCleaningWanted(true, "")) << "no drive selected";
  ASSERT_TRUE(frame.LogoffCleaningWanted(true, "C:, D:"));
  EXPECT_EQ(frame.TargetDriveText(), "C:, D:");
  frame.LogoffConfirmed();
  EXPECT_EQ(frame.Mode(), kLogoff);
}

TEST(WarningWatchTest, StopsWithoutAWipeOrTwentySecondsAfterIt) {
  EXPECT_EQ(WarningWatch(false, 0), WarningWatchStep::Stop);
  EXPECT_EQ(WarningWatch(true, 0), WarningWatchStep::CloseWarnings);
  EXPECT_EQ(WarningWatch(true, 19), WarningWatchStep::CloseWarnings);
  EXPECT_EQ(WarningWatch(true, 20), WarningWatchStep::Stop);
  EXPECT_EQ(WarningWatch(true, -3), WarningWatchStep::CloseWarnings) << "clock set back";
}

TEST(WarningWatchTest, CountsFromTheMarkersLocalTime) {
  memory::CMemorySystem system;
  CWipeMarker marker{true, system.Now};
  system.Now.Second += 19;
  EXPECT_EQ(WarningWatch(system, marker), WarningWatchStep::CloseWarnings);
  system.Now.Second += 1;
  EXPECT_EQ(WarningWatch(system, marker), WarningWatchStep::Stop);
  marker.Flag = false;
  system.Now = marker.Time;
  EXPECT_EQ(WarningWatch(system, marker), WarningWatchStep::Stop);
}

} // namespace
} // namespace bw
