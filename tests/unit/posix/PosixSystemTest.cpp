#include "platform/posix/Posix.h"
#include "platform/posix/PosixPlatform.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::posix {
namespace {

TEST(PosixSystemTest, CompanionProgramsAreLowerCaseWithoutExtensionBesideThisOne) {
  CPosixSystem system;
  std::string folder = system.GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(system.GetCompanionProgram("BWSingle.exe"), folder + "bwsingle");
  EXPECT_EQ(system.GetCompanionProgram("Tool.EXE"), folder + "tool");
  EXPECT_EQ(system.GetCompanionProgram("helper"), folder + "helper");
}

std::vector<std::string> HostNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* entry = ::readdir(dir))
      if (entry->d_name[0] != '.')
        names.push_back(entry->d_name);
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// bwsingle started the way the name cleaner starts it: its folder in drive-letter form, which
// it reaches through the drive map it inherits with BLANKWRIGHT_HOME.
TEST(PosixSystemTest, SingleFillerReachesItsFolderThroughTheInheritedDriveMap) {
  char scratch[] = "/tmp/bw-posixsys-XXXXXX";
  ASSERT_TRUE(::mkdtemp(scratch));
  std::string mount = std::string(scratch) + "/mount";
  ASSERT_EQ(::mkdir(mount.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((mount + "/sub").c_str(), 0755), 0);
  ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", (std::string(scratch) + "/home").c_str(), 1), 0);
  CDriveMapFile map;
  std::string error;
  ASSERT_TRUE(map.Add({'T', DriveType::Fixed, mount, ""}, error)) << error;

  CPosixSystem system;
  uint32_t exitCode = 99;
  ASSERT_TRUE(system.RunAndWait(BW_SINGLE_FILLER, {"T:\\SUB\\", "3", "5"}, exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(HostNames(mount + "/sub"),
            (std::vector<std::string>{"5BLANKWR.~BW", "6BLANKWR.~BW", "7BLANKWR.~BW"}));

  ASSERT_TRUE(system.RunAndWait(BW_SINGLE_FILLER, {"T:\\missing\\", "1"}, exitCode));
  EXPECT_EQ(exitCode, 1u) << "a file it could not make";
  ASSERT_TRUE(system.RunAndWait(BW_SINGLE_FILLER, {"T:\\SUB\\"}, exitCode));
  EXPECT_EQ(exitCode, 2u) << "no count";
  EXPECT_FALSE(system.RunAndWait(std::string(scratch) + "/absent", {}, exitCode));

  std::string command = "rm -rf '" + std::string(scratch) + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

// The job lock is one per state folder; a holder that ends (here: its lock destroyed, as a
// killed process's descriptors are closed) leaves it free.
TEST(PosixSystemTest, OneJobLockPerStateFolder) {
  char scratch[] = "/tmp/bw-joblock-XXXXXX";
  ASSERT_TRUE(::mkdtemp(scratch));
  ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", (std::string(scratch) + "/home").c_str(), 1), 0);
  CPosixSystem system;
  std::unique_ptr<CJobLock> first, second;
  ASSERT_EQ(system.TryLockJob(first), JobLockResult::Taken);
  EXPECT_EQ(system.TryLockJob(second), JobLockResult::Busy);
  EXPECT_FALSE(second);
  first.reset();
  EXPECT_EQ(system.TryLockJob(second), JobLockResult::Taken);
  second.reset();

  ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", "/proc/bw-no-such-home", 1), 0);
  EXPECT_EQ(system.TryLockJob(first), JobLockResult::Failed);
  std::string command = "rm -rf '" + std::string(scratch) + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

} // namespace
} // namespace bw::posix
