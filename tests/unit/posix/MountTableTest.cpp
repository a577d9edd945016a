// The mount check that keeps a job off a drive whose volume is not mounted at its folder.
#include "platform/posix/MountTable.h"

#include "platform/posix/FileSystem.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::posix {
namespace {

TEST(MountTableTest, LinesAreReadWithTheirOptionalFieldsAndEscapes) {
  MountRecord record;
  ASSERT_TRUE(ParseMountLine("36 35 7:3 / /mnt/my\\040stick rw,noatime shared:12 master:1 - vfat "
                             "/dev/loop3 rw,fmask=0022",
                             record));
  EXPECT_EQ(record.Major, 7u);
  EXPECT_EQ(record.Minor, 3u);
  EXPECT_EQ(record.MountPoint, "/mnt/my stick");
  EXPECT_EQ(record.Type, "vfat");
  EXPECT_EQ(record.Source, "/dev/loop3");

  ASSERT_TRUE(ParseMountLine("40 1 0:52 / /tmp/x rw - fuseblk /tmp/a\\134b.img rw", record));
  EXPECT_EQ(record.Source, "/tmp/a\\b.img");

  for (const char* bad : {"", "36 35 7:3 / /mnt rw", "36 35 73 / /mnt rw - vfat /dev/sda1 rw"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseMountLine(bad, record));
  }
}

TEST(MountTableTest, TheLastMountOnAFolderHidesTheOthers) {
  std::vector<MountRecord> mounts(3);
  mounts[0].MountPoint = "/mnt";
  mounts[0].Source = "/dev/sda1";
  mounts[1].MountPoint = "/mnt/stick";
  mounts[2].MountPoint = "/mnt";
  mounts[2].Source = "/dev/sdb1";
  ASSERT_NE(FindMount(mounts, "/mnt"), nullptr);
  EXPECT_EQ(FindMount(mounts, "/mnt")->Source, "/dev/sdb1");
  EXPECT_EQ(FindMount(mounts, "/mnt/other"), nullptr);
}

// A scratch folder with two image files; nothing here is mounted.
class PosixMountCheckTest : public ::testing::Test {
protected:
  void SetUp() override {
    char scratch[] = "/tmp/bw-mount-XXXXXX";
    ASSERT_TRUE(::mkdtemp(scratch));
    _scratch = scratch;
    std::ofstream(_scratch + "/a.img") << "a";
    std::ofstream(_scratch + "/b.img") << "b";
    ASSERT_EQ(::mkdir((_scratch + "/mnt").c_str(), 0755), 0);
  }
  void TearDown() override {
    std::string command = "rm -rf '" + _scratch + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  std::string _scratch;
};

TEST_F(PosixMountCheckTest, TheSourceMustBeTheDrivesRawSource) {
  MountRecord mount;
  mount.Source = _scratch + "/a.img";
  EXPECT_TRUE(MountUsesSource(mount, _scratch + "/a.img"));
  EXPECT_TRUE(MountUsesSource(mount, _scratch + "/../" + _scratch.substr(5) + "/a.img"))
      << "the same file by another path";
  EXPECT_FALSE(MountUsesSource(mount, _scratch + "/b.img"));
  EXPECT_FALSE(MountUsesSource(mount, _scratch + "/missing.img"));
  // A memory file system reads from no device: there is nothing to compare.
  mount.Source = "tmpfs";
  EXPECT_TRUE(MountUsesSource(mount, _scratch + "/b.img"));
  std::string source;
  EXPECT_FALSE(MountRawSource(mount, source));
}

TEST_F(PosixMountCheckTest, APlainFolderIsRefusedWithItsReason) {
  dev_t device;
  std::string reason;
  EXPECT_FALSE(CheckMountFolder(_scratch + "/mnt", _scratch + "/a.img", device, reason));
  EXPECT_EQ(reason, _scratch + "/mnt is not a mount point: its volume is not mounted");
  EXPECT_FALSE(CheckMountFolder(_scratch + "/absent", "", device, reason));
  EXPECT_EQ(reason, _scratch + "/absent is not a folder");
  // The process's root is always a mount point.
  EXPECT_TRUE(CheckMountFolder("/", "", device, reason)) << reason;
}

TEST_F(PosixMountCheckTest, ADriveWhoseVolumeWentAwayIsNotReady) {
  ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", (_scratch + "/home").c_str(), 1), 0);
  CDriveMapFile map;
  std::string error;
  ASSERT_TRUE(map.Add({'T', DriveType::Fixed, _scratch + "/mnt", ""}, error)) << error;
  CDriveTable table(map);
  CPosixFileSystem files(table);
  ASSERT_TRUE(files.CreateDirectory("T:\\before"));

  // The device the check found is not the one the folder lies on now: every path through
  // the drive fails, and nothing is made in the bare folder.
  struct stat st;
  ASSERT_EQ(::stat((_scratch + "/mnt").c_str(), &st), 0);
  const dev_t device = st.st_dev;
  table.PinDevice('T', device + 1);
  EXPECT_FALSE(files.CreateDirectory("T:\\after"));
  EXPECT_EQ(files.GetLastError(), kErrorNotReady);
  EXPECT_EQ(files.CreateFile("T:\\wipe.gf", kGenericWrite, 0, kCreateAlways, 0), nullptr);
  EXPECT_EQ(files.GetLastError(), kErrorNotReady);
  EXPECT_NE(::stat((_scratch + "/mnt/after").c_str(), &st), 0);
  EXPECT_NE(::stat((_scratch + "/mnt/wipe.gf").c_str(), &st), 0);

  table.PinDevice('T', device);
  EXPECT_TRUE(files.CreateDirectory("T:\\after")) << "the volume is back";
}

} // namespace
} // namespace bw::posix
