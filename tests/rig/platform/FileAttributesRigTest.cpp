// Attribute bits on real file systems: the FAT attribute byte of the kernel's vfat driver and
// the NTFS attribute word of ntfs-3g, reached through the Linux file services. The folder to
// test in comes from BW_RIG_MOUNT (run-ntfs3g.sh mounts an NTFS image; inside User-Mode Linux
// the vfat mount is given); without it the tests are skipped.
#include "platform/posix/FileSystem.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace bw::posix {
namespace {

class FileAttributesRigTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* mount = std::getenv("BW_RIG_MOUNT");
    if (!mount || !*mount)
      GTEST_SKIP() << "BW_RIG_MOUNT names no mounted volume";
    char home[] = "/tmp/bw-rig-home-XXXXXX";
    ASSERT_TRUE(::mkdtemp(home));
    _home = home;
    ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", home, 1), 0);
    std::string error;
    ASSERT_TRUE(_map.Add({'R', DriveType::Fixed, mount, ""}, error)) << error;
    _table = std::make_unique<CDriveTable>(_map);
    _files = std::make_unique<CPosixFileSystem>(*_table);
    _folder = "R:\\attr" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(_files->CreateDirectory(_folder)) << _files->GetLastError();
  }

  void TearDown() override {
    if (!_files)
      return;
    // Everything here goes, whatever its attributes.
    FindData data;
    auto search = _files->FindFirstFile(_folder + "\\*", data);
    std::vector<std::string> names;
    if (search)
      do
        if (data.Name != "." && data.Name != "..")
          names.push_back(data.Name);
      while (search->FindNextFile(data));
    search.reset();
    for (const std::string& name : names)
      EXPECT_TRUE(_files->ShellDelete(_folder + "\\" + name)) << name;
    EXPECT_TRUE(_files->ShellDelete(_folder));
    std::string command = "rm -rf '" + _home + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  std::string Path(const std::string& name) { return _folder + "\\" + name; }

  uint32_t Listed(const std::string& name) {
    FindData data;
    return _files->FindFirstFile(Path(name), data) ? data.Attributes : kInvalidFileAttributes;
  }

  std::string _home;
  std::string _folder;
  CDriveMapFile _map;
  std::unique_ptr<CDriveTable> _table;
  std::unique_ptr<CPosixFileSystem> _files;
};

TEST_F(FileAttributesRigTest, HiddenSystemArchiveAndReadOnlyAreKept) {
  // Created as the free-space wipe creates its files. ntfs-3g takes an empty system file for a
  // FIFO and fails its open handles, so the handle must still write.
  auto file = _files->CreateFile(Path("BlankwrightTMP1.gf"), kGenericWrite, 0, kCreateNew,
                                 kFileFlagWriteThrough | kFileAttributeSystem);
  ASSERT_TRUE(file);
  uint32_t written = 0;
  EXPECT_TRUE(file->Write("data", 4, written)) << _files->GetLastError();
  ASSERT_TRUE(file->Close());
  const uint32_t created = _files->GetFileAttributes(Path("BlankwrightTMP1.gf"));
  EXPECT_EQ(created & kFileAttributeArchive, kFileAttributeArchive);
  EXPECT_EQ(created & ~(kFileAttributeSystem | kFileAttributeArchive), 0u);
  // Cut back to nothing by an overwrite, the file must stay a file that can be written.
  ASSERT_TRUE(_files->SetFileAttributes(Path("BlankwrightTMP1.gf"), kFileAttributeSystem));
  file = _files->CreateFile(Path("BlankwrightTMP1.gf"), kGenericWrite, 0, kCreateAlways,
                            kFileAttributeSystem);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("data", 4, written)) << _files->GetLastError();
  ASSERT_TRUE(file->Close());

  struct Case {
    uint32_t Set;
    uint32_t Reported;
  };
  const Case cases[] = {
      {kFileAttributeHidden | kFileAttributeSystem, kFileAttributeHidden | kFileAttributeSystem},
      {kFileAttributeReadOnly | kFileAttributeHidden,
       kFileAttributeReadOnly | kFileAttributeHidden},
      {kFileAttributeArchive, kFileAttributeArchive},
      {kFileAttributeNormal, kFileAttributeNormal},
      {kFileAttributeReadOnly, kFileAttributeReadOnly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Set);
    ASSERT_TRUE(_files->SetFileAttributes(Path("BlankwrightTMP1.gf"), c.Set))
        << _files->GetLastError();
    EXPECT_EQ(_files->GetFileAttributes(Path("BlankwrightTMP1.gf")), c.Reported);
    EXPECT_EQ(Listed("blankwrighttmp1.GF"), c.Reported);
  }
  EXPECT_FALSE(_files->CreateFile(Path("BlankwrightTMP1.gf"), kGenericWrite, 0, kOpenExisting, 0));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(_files->DeleteFile(Path("BlankwrightTMP1.gf")));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);

  ASSERT_TRUE(_files->CreateDirectory(Path("Sub")));
  ASSERT_TRUE(_files->SetFileAttributes(Path("Sub"), kFileAttributeHidden));
  EXPECT_EQ(_files->GetFileAttributes(Path("Sub")), kFileAttributeDirectory | kFileAttributeHidden);
}

TEST_F(FileAttributesRigTest, OverwritingAHiddenFileMustNameTheBits) {
  auto file = _files->CreateFile(Path("h.txt"), kGenericWrite, 0, kCreateNew, kFileAttributeHidden);
  ASSERT_TRUE(file);
  uint32_t written = 0;
  ASSERT_TRUE(file->Write("data", 4, written));
  ASSERT_TRUE(file->Close());
  EXPECT_EQ(_files->GetFileAttributes(Path("h.txt")), kFileAttributeHidden | kFileAttributeArchive);
  EXPECT_FALSE(
      _files->CreateFile(Path("h.txt"), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);
  ASSERT_TRUE(_files->SetFileAttributes(Path("h.txt"), kFileAttributeHidden));
  file = _files->CreateFile(Path("h.txt"), kGenericWrite, 0, kCreateAlways,
                            kFileAttributeHidden | kFileAttributeSystem);
  ASSERT_TRUE(file);
  EXPECT_EQ(_files->GetLastError(), kErrorAlreadyExists);
  ASSERT_TRUE(file->Close());
  // ntfs-3g cannot keep the system bit of an empty file (it would make it a FIFO).
  EXPECT_EQ(_files->GetFileAttributes(Path("h.txt")) & ~kFileAttributeSystem,
            kFileAttributeHidden | kFileAttributeArchive);
  FindData data;
  ASSERT_TRUE(_files->FindFirstFile(Path("h.txt"), data));
  EXPECT_EQ(data.Size, 0u) << "overwritten";
}

TEST_F(FileAttributesRigTest, TheShellDeletesReadOnlyHiddenAndSystemItems) {
  ASSERT_TRUE(
      _files->CreateFile(Path("rhs.txt"), kGenericWrite, 0, kCreateNew,
                         kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem));
  ASSERT_TRUE(_files->CreateDirectory(Path("Dir")));
  ASSERT_TRUE(_files->SetFileAttributes(Path("Dir"), kFileAttributeHidden | kFileAttributeSystem));
  EXPECT_TRUE(_files->ShellDelete(Path("rhs.txt"))) << _files->GetLastError();
  EXPECT_TRUE(_files->ShellDelete(Path("Dir"))) << _files->GetLastError();
  EXPECT_EQ(_files->GetFileAttributes(Path("rhs.txt")), kInvalidFileAttributes);
  EXPECT_EQ(_files->GetFileAttributes(Path("Dir")), kInvalidFileAttributes);
}

} // namespace
} // namespace bw::posix
