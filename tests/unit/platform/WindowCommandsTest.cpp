// The command word and the window-command fake every sender's unit tests stand on: if the fake
// finds, refuses or records differently from the Win32 calls, every sender test built on it
// proves the wrong thing.
#include "platform/memory/MemoryPlatform.h"
#include "tray/RemoteCommand.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(RemoteCommandTest, WordsCarryTheCodeAndOnlyTheDriveCommandsALetter) {
  struct Case {
    RemoteCommand Command;
    char Letter;
    uint32_t Word;
  };
  const Case cases[] = {
      {RemoteCommand::CleanDrive, 'C', 0x00430002}, {RemoteCommand::CleanDrive, 'd', 0x00640002},
      {RemoteCommand::ScanDrive, 'E', 0x00450003},  {RemoteCommand::Zap, 'C', 1},
      {RemoteCommand::Configure, 'C', 4},           {RemoteCommand::Exit, 'C', 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Command));
    EXPECT_EQ(MakeCommandWord(c.Command, c.Letter), c.Word);
    EXPECT_EQ(CommandCode(c.Word), static_cast<uint8_t>(c.Command));
  }
  EXPECT_EQ(CommandLetter(0x00640002), 'd');
  // A receiver reads the low byte whatever else a foreign sender set.
  EXPECT_EQ(CommandCode(0xFF00FF05), 5);
  EXPECT_EQ(CommandLetter(0xFF64FF02), 'd');
}

TEST(RemoteCommandTest, MainWindowClassesInTheOrderSendersTryThem) {
  EXPECT_EQ(
      MainWindowClasses(),
      (std::vector<std::string>{"AfxFrameOrView42s", "AfxFrameOrView42sd", "AfxFrameOrView42d"}));
  EXPECT_EQ(MainWindowClasses(2),
            (std::vector<std::string>{"AfxFrameOrView42s", "AfxFrameOrView42sd"}));
}

class MemoryWindowCommandsTest : public ::testing::Test {
protected:
  memory::CMemoryPlatform _platform;
  memory::CMemoryWindowCommands& _fake = _platform.WindowCommandsFake;
  IWindowCommands& _windows = _platform.WindowCommands();
};

TEST_F(MemoryWindowCommandsTest, FindsByTitleAndTheFirstClassThatMatches) {
  _fake.AddWindow("AfxFrameOrView42s", "Blankwright Drive Viewer");
  WindowId debug = _fake.AddWindow("AfxFrameOrView42d", kMainWindowTitle);
  WindowId release = _fake.AddWindow("afxframeorview42S", kMainWindowTitle);

  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle), release)
      << "the first class name wins over an older window of a later one; case-blind";
  EXPECT_EQ(_fake.ClassesTried, std::vector<std::string>{"AfxFrameOrView42s"});
  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(), "blankwright"), kNoWindow)
      << "titles match exactly";

  _fake.Windows.erase(release);
  _fake.ClassesTried.clear();
  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(2), kMainWindowTitle), kNoWindow);
  EXPECT_EQ(_fake.ClassesTried, MainWindowClasses(2)) << "no third class was tried";
  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle), debug);
  EXPECT_EQ(_windows.FindWindowByTitle(kViewerWindowTitle), WindowId{1});
}

TEST_F(MemoryWindowCommandsTest, RecordsWhatReachedAWindowAndRefusesAGoneOne) {
  WindowId main = _fake.AddWindow("AfxFrameOrView42s", kMainWindowTitle);
  WindowId viewer = _fake.AddWindow("Viewer", kViewerWindowTitle);
  _fake.Windows[viewer].CloseResult = 7;

  EXPECT_TRUE(_windows.BringToFront(main));
  EXPECT_TRUE(_windows.SendCommand(main, 0x00430002));
  int64_t result = 0;
  EXPECT_TRUE(_windows.SendClose(viewer, result));
  EXPECT_EQ(result, 7);

  EXPECT_FALSE(_windows.SendClose(viewer, result)) << "a closed window is gone";
  EXPECT_FALSE(_windows.SendCommand(viewer, 100));
  EXPECT_FALSE(_windows.BringToFront(kNoWindow));
  EXPECT_EQ(_windows.FindWindowByTitle(kViewerWindowTitle), kNoWindow);
  _fake.FrontRefused = true;
  EXPECT_FALSE(_windows.BringToFront(main));

  ASSERT_EQ(_fake.Commands.size(), 1u);
  EXPECT_EQ(_fake.Commands[0].Window, main);
  EXPECT_EQ(_fake.Commands[0].Word, 0x00430002u);
  EXPECT_EQ(_fake.Fronted, std::vector<WindowId>{main});
  EXPECT_EQ(_fake.Closed, std::vector<WindowId>{viewer});
}

// The senders' fallback: nothing found, start the tray program, wait, look again. The fake lets
// the started program's window appear only once the sender has waited.
TEST_F(MemoryWindowCommandsTest, AStartedProgramsWindowAppearsWhileTheSenderWaits) {
  EXPECT_FALSE(_windows.Start("C:\\BW\\Blankwright Base.exe", {}))
      << "no program starts by default";

  bool started = false;
  _fake.OnStart = [&](const std::string& program, const std::vector<std::string>&) {
    started = program == "C:\\BW\\Blankwright Base.exe";
    return started;
  };
  _fake.OnWait = [&](uint32_t) {
    if (started)
      _fake.AddWindow("AfxFrameOrView42s", kMainWindowTitle);
  };
  EXPECT_FALSE(_windows.Start("C:\\BW\\Other.exe", {"x"}));
  EXPECT_TRUE(_windows.Start("C:\\BW\\Blankwright Base.exe", {}));
  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle), kNoWindow);
  _windows.Wait(kStartWaitMilliseconds);
  EXPECT_NE(_windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle), kNoWindow);

  EXPECT_EQ(_fake.WaitedMilliseconds, 4000u);
  EXPECT_EQ(_fake.Starts,
            (std::vector<std::vector<std::string>>{{"C:\\BW\\Blankwright Base.exe"},
                                                   {"C:\\BW\\Other.exe", "x"},
                                                   {"C:\\BW\\Blankwright Base.exe"}}));
}

} // namespace
} // namespace bw
