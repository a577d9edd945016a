// The Win32 window-command service against real windows, run under Wine by
// WindowCommandsTest.sh. The test starts this same program a second time as the receiver: it
// makes one window of the class and title it is given, keeps what arrives, and answers
// WM_CLOSE with a summary of it, so that every check crosses a process boundary as the
// deliverables' commands do.
#include "platform/Platform.h"
#include "platform/win32/Win32.h"
#include "tray/RemoteCommand.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr char kReceiverSwitch[] = "--receiver";
// The receiver's answer to WM_CLOSE: the number of commands in bits 32-47 and the last word in
// bits 0-31; a command that came with a data block, or a wParam, answers kMalformed instead.
constexpr int64_t kMalformed = -1;
constexpr UINT kGiveUpTimer = 1;
constexpr UINT kGiveUpMilliseconds = 60000;

struct Received {
  int64_t Count = 0;
  uint32_t LastWord = 0;
  bool Malformed = false;
};
Received s_received;

LRESULT CALLBACK ReceiverProcedure(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
  switch (message) {
  case WM_COPYDATA: {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || wParam != 0 || data->cbData != 0 || data->lpData != nullptr) {
      s_received.Malformed = true;
      return FALSE;
    }
    ++s_received.Count;
    s_received.LastWord = static_cast<uint32_t>(data->dwData);
    return TRUE;
  }
  case WM_CLOSE:
    ::DestroyWindow(window);
    return s_received.Malformed ? kMalformed
                                : (s_received.Count << 32) | int64_t{s_received.LastWord};
  case WM_TIMER: // nobody came: do not outlive the test run
  case WM_DESTROY:
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

int RunReceiver(const char* className, const char* title) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ReceiverProcedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  if (!::RegisterClassA(&windowClass))
    return 2;
  HWND window = ::CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 100, 100, 100, 100,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr)
    return 3;
  ::SetTimer(window, kGiveUpTimer, kGiveUpMilliseconds, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}

std::string ThisProgram() {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

} // namespace

namespace bw {
namespace {

class WindowCommandsTest : public ::testing::Test {
protected:
  // Starts a receiver and waits, a bounded time, until its window can be found.
  WindowId StartReceiver(const std::string& className, const std::string& title) {
    if (!_windows.Start(ThisProgram(), {kReceiverSwitch, className, title}))
      return kNoWindow;
    for (int i = 0; i < 200; ++i) {
      if (WindowId window = _windows.FindWindowByTitle(title))
        return window;
      _windows.Wait(50);
    }
    return kNoWindow;
  }

  std::unique_ptr<IPlatform> _platform = CreateNativePlatform();
  IWindowCommands& _windows = _platform->WindowCommands();
};

TEST_F(WindowCommandsTest, CommandWordsAndTheCloseReachAnotherProgramsWindow) {
  WindowId window = StartReceiver("AfxFrameOrView42d", kMainWindowTitle);
  ASSERT_NE(window, kNoWindow) << "the receiver did not come up";

  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(2), kMainWindowTitle), kNoWindow)
      << "the third class is not among the first two";
  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle), window);
  EXPECT_EQ(_windows.FindMainWindow(MainWindowClasses(), "Blankwright Base"), kNoWindow);

  _windows.BringToFront(window); // whether the system lets it is the system's choice
  EXPECT_TRUE(_windows.SendCommand(window, MakeCommandWord(RemoteCommand::Configure)));
  const uint32_t clean = MakeCommandWord(RemoteCommand::CleanDrive, 'd');
  EXPECT_TRUE(_windows.SendCommand(window, clean));

  int64_t result = 0;
  ASSERT_TRUE(_windows.SendClose(window, result));
  ASSERT_NE(result, kMalformed) << "a command came with a data block";
  EXPECT_EQ(result >> 32, 2) << "both commands arrived, each before its send returned";
  EXPECT_EQ(static_cast<uint32_t>(result), 0x00640002u);

  EXPECT_EQ(_windows.FindWindowByTitle(kMainWindowTitle), kNoWindow) << "closed";
  EXPECT_FALSE(_windows.SendCommand(window, clean)) << "a gone window takes nothing";
  EXPECT_FALSE(_windows.SendClose(window, result));
  EXPECT_FALSE(_windows.BringToFront(window));
}

TEST_F(WindowCommandsTest, ClosesAWindowFoundByTitleAlone) {
  WindowId viewer = StartReceiver("BwViewerOfSomeClass", kViewerWindowTitle);
  ASSERT_NE(viewer, kNoWindow);
  EXPECT_EQ(_windows.FindWindowByTitle(kViewerWindowTitle), viewer);
  int64_t result = 1;
  ASSERT_TRUE(_windows.SendClose(viewer, result));
  EXPECT_EQ(result, 0) << "nothing was sent to it before";
  EXPECT_EQ(_windows.FindWindowByTitle(kViewerWindowTitle), kNoWindow);
}

TEST_F(WindowCommandsTest, StartFailsForAMissingProgramAndNothingIsFoundForNone) {
  EXPECT_FALSE(_windows.Start("C:\\no such folder\\Blankwright Base.exe", {}));
  EXPECT_EQ(_windows.FindWindowByTitle("no window has this title"), kNoWindow);
  EXPECT_FALSE(_windows.SendCommand(kNoWindow, 4));
  int64_t result = 0;
  EXPECT_FALSE(_windows.SendClose(kNoWindow, result));
}

} // namespace
} // namespace bw

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], kReceiverSwitch) == 0)
    return RunReceiver(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
