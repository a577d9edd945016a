#include "tray/ShutdownConfirm.h"

#include "platform/MessageBox.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/DriveListModel.h"
#include "settings/Settings.h"
#include "tray/Countdown.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

class ScriptedPrompts final : public IShutdownPrompts {
public:
  int MessageBox(const std::string& text, const std::string& caption, uint32_t) override {
    Shown.push_back(caption);
    Texts.push_back(text);
    int answer = kIdOk;
    if (!Answers.empty()) {
      answer = Answers.front();
      Answers.erase(Answers.begin());
    }
    return answer;
  }
  std::optional<std::string> AskSwapFilePath(const std::string& preset) override {
    Asked.push_back(preset);
    return PathAnswer;
  }
  std::vector<std::string> Shown, Texts, Asked;
  std::vector<int> Answers;
  std::optional<std::string> PathAnswer;
};

class ShutdownConfirmTest : public ::testing::Test {
protected:
  ShutdownConfirmTest() {
    platform.AddDrive('C', DriveType::Fixed, 1 << 20);
    platform.AddDrive('D', DriveType::Fixed, 1 << 20);
    platform.SystemFake.Version.PlatformId = kPlatformWin32Windows;
    platform.SystemFake.WindowsDirectory = "C:\\WINDOWS";
    platform.FilesFake.AddFolder("C:\\WINDOWS");
    platform.FilesFake.AddFile("C:\\WINDOWS\\WIN386.SWP", "swap");
  }

  bool Confirm(const std::string& list, bool swap) {
    drives.LoadFromDriveList(platform.Drives(), list);
    return ConfirmShutdown(platform, settings, drives, swap, prompts);
  }

  CMemoryPlatform platform;
  CSettings settings;
  CDriveListModel drives;
  ScriptedPrompts prompts;
};

TEST_F(ShutdownConfirmTest, NoMarkedDriveKeepsTheDialogOpen) {
  EXPECT_FALSE(Confirm("C0 3 72026", false));
  EXPECT_EQ(prompts.Shown, std::vector<std::string>{"No Drives Selected"});
}

TEST_F(ShutdownConfirmTest, UnmarkedSwapDriveIsAddedAfterTheSelectionError) {
  settings.SwapFilePath = "";
  EXPECT_TRUE(Confirm("D1--------", true));
  EXPECT_EQ(prompts.Shown, (std::vector<std::string>{"Selection Error", "System Shut-Down"}));
  EXPECT_NE(prompts.Texts[0].find("drive C: will be added"), std::string::npos);
  EXPECT_TRUE(prompts.Asked.empty()) << "the Windows folder's swap file exists";
  EXPECT_EQ(settings.DriveList, "C1--------D1--------");
  EXPECT_EQ(settings.CleanSwapFile, 1);
  EXPECT_EQ(settings.SwapFilePath, "C:\\WINDOWS\\WIN386.SWP") << "the short form, as stored";
}

TEST_F(ShutdownConfirmTest, ListedButUnmarkedSwapDriveGetsItsMarkAndKeepsItsDate) {
  // Appending a second record for C: would be shadowed by the first one and leave C: out.
  EXPECT_TRUE(Confirm("C0 3 72026D1--------", true));
  EXPECT_EQ(settings.DriveList, "C1 3 72026D1--------");
}

TEST_F(ShutdownConfirmTest, CancelledSelectionErrorOrReminderKeepsTheDialogOpen) {
  prompts.Answers = {kIdCancel};
  EXPECT_FALSE(Confirm("D1--------", true));
  prompts.Answers = {kIdCancel};
  EXPECT_FALSE(Confirm("C1--------", true)) << "the reminder answered Cancel";
  EXPECT_EQ(prompts.Shown.back(), "System Shut-Down");
}

TEST_F(ShutdownConfirmTest, MissingSwapFileIsAskedFor) {
  settings.SwapFilePath = "d:\\gone.swp";
  EXPECT_FALSE(Confirm("C1--------", true)) << "the path dialog was cancelled";
  EXPECT_EQ(prompts.Asked, std::vector<std::string>{"d:\\gone.swp"});
  EXPECT_TRUE(prompts.Shown.empty()) << "no reminder after a cancelled path";

  platform.FilesFake.AddFile("D:\\PAGE.SWP", "swap");
  prompts.PathAnswer = "d:\\page.swp";
  EXPECT_TRUE(Confirm("C1--------D1--------", true));
  EXPECT_EQ(settings.SwapFilePath, "d:\\PAGE.SWP") << "the short form of what was entered";
}

TEST_F(ShutdownConfirmTest, LongSwapPathOnlyWarns) {
  std::string folder = "C:\\" + std::string(50, 'F');
  platform.FilesFake.AddFolder(folder);
  platform.FilesFake.AddFile(folder + "\\SWAP", "swap");
  settings.SwapFilePath = folder + "\\SWAP";
  EXPECT_TRUE(Confirm("C1--------", true));
  EXPECT_EQ(prompts.Shown, (std::vector<std::string>{"Swap File Path Error", "System Shut-Down"}));
}

TEST_F(ShutdownConfirmTest, NtFamilyStoresOnlyTheCheckBox) {
  platform.SystemFake.Version.PlatformId = kPlatformWin32Nt;
  settings.SwapFilePath = "d:\\gone.swp";
  EXPECT_TRUE(Confirm("D1--------", true));
  EXPECT_TRUE(prompts.Asked.empty());
  EXPECT_EQ(prompts.Shown, std::vector<std::string>{"System Shut-Down"});
  EXPECT_EQ(settings.SwapFilePath, "d:\\gone.swp");
  EXPECT_EQ(settings.DriveList, "D1--------");
}

TEST(CountdownTest, EndsAtTheEleventhTickShowingTenToZero) {
  CCountdown countdown;
  std::string shown = countdown.Text();
  int ticks = 1;
  while (!countdown.Tick()) {
    shown += " " + countdown.Text();
    ++ticks;
  }
  EXPECT_EQ(shown, "10 9 8 7 6 5 4 3 2 1 0");
  EXPECT_EQ(ticks, 11);
}

} // namespace
} // namespace bw
