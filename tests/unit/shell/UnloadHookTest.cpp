#include "shell/UnloadHook.h"

#include "platform/memory/MemoryPlatform.h"
#include "tray/RemoteCommand.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(UnloadHookTest, EndsTheTrayProgramAndClosesTheViewer) {
  memory::CMemoryWindowCommands windows;
  EXPECT_EQ(ShutDownPrograms(windows), 0); // neither runs: nothing happens
  EXPECT_TRUE(windows.Commands.empty());
  // Only the first two class names: the third is some other program's window.
  EXPECT_EQ(windows.ClassesTried,
            (std::vector<std::string>{"AfxFrameOrView42s", "AfxFrameOrView42sd"}));

  windows.AddWindow("AfxFrameOrView42d", kMainWindowTitle);
  WindowId main = windows.AddWindow("AfxFrameOrView42sd", kMainWindowTitle);
  WindowId viewer = windows.AddWindow("#32770", kViewerWindowTitle);
  windows.Windows[viewer].CloseResult = 7;
  EXPECT_EQ(ShutDownPrograms(windows), 7);
  ASSERT_EQ(windows.Commands.size(), 1u);
  EXPECT_EQ(windows.Commands[0].Window, main);
  EXPECT_EQ(windows.Commands[0].Word, 100u);
  EXPECT_TRUE(windows.Fronted.empty()); // never brought to the front
  EXPECT_EQ(windows.Closed, std::vector<WindowId>{viewer});

  // Only the viewer: it is closed and 0 comes back.
  windows.Windows.clear();
  windows.Commands.clear();
  windows.AddWindow("#32770", kViewerWindowTitle);
  EXPECT_EQ(ShutDownPrograms(windows), 0);
  EXPECT_TRUE(windows.Commands.empty());
  EXPECT_EQ(windows.Closed.size(), 2u);
}

} // namespace
} // namespace bw
