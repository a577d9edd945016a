// Host paths turned into drive paths by the drive map, as the zap command and the current
// folder both need them.
#include "platform/posix/Posix.h"

#include <gtest/gtest.h>

namespace bw::posix {
namespace {

TEST(DriveMapTest, AHostPathLiesOnTheDeepestDriveHoldingIt) {
  // "/" and "/tmp" exist on every host; the map's folders are resolved before comparing.
  const std::vector<DriveMapEntry> drives = {
      {'R', DriveType::Fixed, "/", ""},
      {'T', DriveType::Fixed, "/tmp/", ""},
      {'X', DriveType::Fixed, "/does/not/exist", ""},
  };
  struct Case {
    const char* Host;
    const char* Drive;
  };
  const Case cases[] = {
      {"/tmp", "T:\\"},
      {"/tmp/Docs/Report.TXT", "T:\\Docs\\Report.TXT"},
      {"/tmpfile", "R:\\tmpfile"},
      {"/etc/./hosts", "R:\\etc\\hosts"},
      {"/", "R:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Host);
    FullPath path;
    std::string reason;
    ASSERT_TRUE(HostPathOnDrive(drives, c.Host, path, reason)) << reason;
    EXPECT_EQ(path.Text(), c.Drive);
  }

  FullPath path;
  std::string reason;
  for (const char* name : {"a:b", "what?", "star*", "back\\slash"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(HostPathOnDrive(drives, std::string("/tmp/") + name, path, reason));
    EXPECT_EQ(reason, std::string("the name \"") + name + "\" cannot be written on a drive path");
  }
  EXPECT_FALSE(HostPathOnDrive({drives[1]}, "/etc/hosts", path, reason));
  EXPECT_TRUE(reason.empty()) << "on no drive";
}

} // namespace
} // namespace bw::posix
