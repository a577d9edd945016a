#include "platform/posix/PosixPlatform.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace bw::posix {
namespace {

TEST(PosixWindowCommandsTest, StartsWithoutWaitingAndFindsNoWindows) {
  char scratch[] = "/tmp/bw-posixwin-XXXXXX";
  ASSERT_TRUE(::mkdtemp(scratch));
  const std::string gate = std::string(scratch) + "/gate";
  const std::string done = std::string(scratch) + "/done";

  CPosixSystem system;
  CPosixWindowCommands windows(system);
  // The child waits for a file only this test makes after Start returned: a Start that waited
  // for its program would never come back.
  ASSERT_TRUE(windows.Start(
      "/bin/sh", {"-c", "while [ ! -e \"$0\" ]; do sleep 0.01; done; : >\"$1\"", gate, done}));
  ASSERT_EQ(::close(::creat(gate.c_str(), 0600)), 0);
  bool finished = false;
  for (int i = 0; i < 500 && !finished; ++i) {
    windows.Wait(10);
    finished = ::access(done.c_str(), F_OK) == 0;
  }
  EXPECT_TRUE(finished) << "the started program ran with its arguments";

  EXPECT_FALSE(windows.Start(std::string(scratch) + "/missing", {}));

  EXPECT_EQ(windows.FindMainWindow({"AfxFrameOrView42s"}, "Blankwright"), kNoWindow);
  EXPECT_EQ(windows.FindWindowByTitle("Blankwright Drive Viewer"), kNoWindow);
  int64_t result = 0;
  EXPECT_FALSE(windows.SendCommand(1, 4));
  EXPECT_FALSE(windows.SendClose(1, result));
  EXPECT_FALSE(windows.BringToFront(1));

  std::system(("rm -rf " + std::string(scratch)).c_str());
}

} // namespace
} // namespace bw::posix
