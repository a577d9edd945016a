#include "platform/posix/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::posix {
namespace {

// A scratch folder of the host mapped as drive T:, with its own drive map.
class PosixFileSystemTest : public ::testing::Test {
protected:
  void SetUp() override {
    char scratch[] = "/tmp/bw-posixfs-XXXXXX";
    ASSERT_TRUE(::mkdtemp(scratch));
    _scratch = scratch;
    _mount = _scratch + "/mount";
    ASSERT_EQ(::mkdir(_mount.c_str(), 0755), 0);
    ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", (_scratch + "/home").c_str(), 1), 0);
    std::string error;
    // Neither drive has a raw source: the file services never need one.
    ASSERT_TRUE(_map.Add({'T', DriveType::Fixed, _mount, ""}, error)) << error;
    ASSERT_TRUE(_map.Add({'U', DriveType::Fixed, _scratch + "/absent", ""}, error)) << error;
    _table = std::make_unique<CDriveTable>(_map);
    ASSERT_EQ(_table->Entries().size(), 2u);
    _files = std::make_unique<CPosixFileSystem>(*_table);
  }

  void TearDown() override {
    _files.reset();
    if (!_scratch.empty()) {
      std::string command = "rm -rf '" + _scratch + "'";
      EXPECT_EQ(std::system(command.c_str()), 0);
    }
  }

  // Host paths below the mount folder.
  std::string Host(const std::string& relative) { return _mount + "/" + relative; }
  void Write(const std::string& relative, const std::string& text) {
    std::ofstream(Host(relative), std::ios::binary) << text;
  }
  std::string Read(const std::string& relative) {
    std::ifstream in(Host(relative), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool HostExists(const std::string& relative) {
    struct stat st;
    return ::lstat(Host(relative).c_str(), &st) == 0;
  }
  void Folder(const std::string& relative) { ASSERT_EQ(::mkdir(Host(relative).c_str(), 0755), 0); }

  std::string ReadThrough(const std::string& path) {
    auto file = _files->CreateFile(path, kGenericRead, kFileShareRead, kOpenExisting, 0);
    if (!file)
      return "<" + std::to_string(_files->GetLastError()) + ">";
    char buffer[256];
    uint32_t read = 0;
    EXPECT_TRUE(file->Read(buffer, sizeof(buffer), read));
    return std::string(buffer, read);
  }

  std::vector<std::string> List(const std::string& pattern) {
    std::vector<std::string> names;
    FindData data;
    auto search = _files->FindFirstFile(pattern, data);
    if (!search)
      return names;
    do
      names.push_back(data.Name);
    while (search->FindNextFile(data));
    EXPECT_EQ(_files->GetLastError(), kErrorNoMoreFiles);
    std::sort(names.begin() + (names.size() > 1 && names[0] == "." ? 2 : 0), names.end());
    return names;
  }

  std::string _scratch;
  std::string _mount;
  CDriveMapFile _map;
  std::unique_ptr<CDriveTable> _table;
  std::unique_ptr<CPosixFileSystem> _files;
};

TEST_F(PosixFileSystemTest, NamesResolveWithoutRegardToCaseAndAnExactMatchWins) {
  Folder("Sub");
  Write("Sub/Report.TXT", "upper");
  Write("Sub/report.txt", "lower");
  Write("Sub/Only.txt", "only");
  struct Case {
    const char* Path;
    const char* Contents;
  };
  const Case cases[] = {
      {"T:\\Sub\\report.txt", "lower"},
      {"t:\\sub\\Report.TXT", "upper"},
      {"T:\\SUB\\REPORT.TXT", "upper"}, // no exact match: the first in byte order
      {"T:/sub/only.TXT", "only"},
      {"T:\\Sub\\..\\..\\..\\Sub\\Only.txt", "only"}, // ".." stops at the root
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(ReadThrough(c.Path), c.Contents);
  }
  std::string spelled;
  ASSERT_TRUE(_files->GetShortPathName("t:\\SUB\\only.txt", spelled));
  EXPECT_EQ(spelled, "t:\\Sub\\Only.txt");

  // A new file keeps the name as written; a case variant of an existing name opens that one.
  auto created = _files->CreateFile("T:\\sub\\New.Txt", kGenericWrite, 0, kCreateNew, 0);
  ASSERT_TRUE(created);
  EXPECT_TRUE(HostExists("Sub/New.Txt"));
  EXPECT_FALSE(_files->CreateFile("T:\\SUB\\NEW.TXT", kGenericWrite, 0, kCreateNew, 0));
  EXPECT_EQ(_files->GetLastError(), kErrorFileExists);
}

TEST_F(PosixFileSystemTest, SearchesMatchWildcardsAndListDotsBelowTheRoot) {
  Folder("Temp");
  for (const char* name : {"1Blankwr.~BW", "a.~bw", "notes", "x.txt"})
    Write(std::string("Temp/") + name, "");
  Write("root.txt", "");
  EXPECT_EQ(List("T:\\Temp\\*.~BW"), (std::vector<std::string>{"1Blankwr.~BW", "a.~bw"}));
  EXPECT_EQ(List("T:\\temp\\*.*"),
            (std::vector<std::string>{".", "..", "1Blankwr.~BW", "a.~bw", "notes", "x.txt"}));
  EXPECT_EQ(List("T:\\*.*"), (std::vector<std::string>{"Temp", "root.txt"}));
  EXPECT_EQ(List("T:\\TEMP"), (std::vector<std::string>{"Temp"}));

  FindData data;
  auto search = _files->FindFirstFile("T:\\Temp\\*", data);
  ASSERT_TRUE(search);
  EXPECT_EQ(data.Name, ".");
  EXPECT_EQ(data.Attributes, kFileAttributeDirectory);
  ASSERT_TRUE(search->FindNextFile(data));
  EXPECT_EQ(data.Name, "..");

  struct Case {
    const char* Pattern;
    uint32_t Error;
  };
  const Case failures[] = {
      {"T:\\Temp\\*.zzz", kErrorFileNotFound}, // the folder exists: nothing matches
      {"T:\\Temp\\gone.txt", kErrorFileNotFound},
      {"T:\\Missing\\*.*", kErrorPathNotFound}, // the folder does not exist
      {"T:\\root.txt\\*", kErrorPathNotFound},  // a file is no folder
      {"T:\\Temp\\", kErrorFileNotFound},       // a trailing separator names nothing
      {"Q:\\*.*", kErrorPathNotFound},          // no such drive
      {"U:\\*.*", kErrorNotReady},              // its mount folder is not there
      {"T:\\*\\x", kErrorInvalidName},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.Pattern);
    EXPECT_FALSE(_files->FindFirstFile(c.Pattern, data));
    EXPECT_EQ(_files->GetLastError(), c.Error);
  }
}

TEST_F(PosixFileSystemTest, RecordsCarrySizesAndTimes) {
  Write("data.bin", std::string(5000, 'x'));
  auto file = _files->CreateFile("T:\\data.bin", kGenericWrite, 0, kOpenExisting, 0);
  ASSERT_TRUE(file);
  // 2001-02-03 and 1999-12-31, with sub-second parts the file system must keep.
  const FileTime lastWrite = 126257472001234567ull;
  const FileTime lastAccess = 125911584009876543ull;
  const FileTime creation = 120000000000000000ull;
  ASSERT_TRUE(file->SetTimes(&creation, &lastAccess, &lastWrite))
      << "a creation time Linux cannot set is accepted";
  FileTime c = 0, a = 0, w = 0;
  ASSERT_TRUE(file->GetTimes(c, a, w));
  EXPECT_EQ(a, lastAccess);
  EXPECT_EQ(w, lastWrite);
  ASSERT_TRUE(file->Close());
  EXPECT_FALSE(file->Close());
  EXPECT_EQ(_files->GetLastError(), kErrorInvalidHandle);

  FindData data;
  ASSERT_TRUE(_files->FindFirstFile("T:\\DATA.BIN", data));
  EXPECT_EQ(data.Name, "data.bin");
  EXPECT_EQ(data.Size, 5000u);
  EXPECT_EQ(data.LastWriteTime, lastWrite);
  EXPECT_EQ(data.LastAccessTime, lastAccess);
  EXPECT_NE(data.CreationTime, 0u);
  EXPECT_EQ(data.Attributes, kFileAttributeNormal) << "ext4 keeps no hidden, system or archive";
  EXPECT_TRUE(data.ShortName.empty());
}

TEST_F(PosixFileSystemTest, CreateDispositionsGiveWin32Errors) {
  Write("old.txt", "old contents");
  Folder("Dir");
  struct Case {
    const char* Path;
    uint32_t Disposition;
    uint32_t Access;
    uint32_t Error; // after the call; kErrorSuccess or kErrorAlreadyExists when it opened
    bool Opens;
  };
  const Case cases[] = {
      {"T:\\old.txt", kCreateNew, kGenericWrite, kErrorFileExists, false},
      {"T:\\new.txt", kOpenExisting, kGenericRead, kErrorFileNotFound, false},
      {"T:\\new.txt", kTruncateExisting, kGenericWrite, kErrorFileNotFound, false},
      {"T:\\None\\new.txt", kCreateAlways, kGenericWrite, kErrorPathNotFound, false},
      {"T:\\Dir", kOpenExisting, kGenericRead, kErrorAccessDenied, false},
      {"T:\\", kOpenExisting, kGenericRead, kErrorAccessDenied, false},
      {"T:\\old.txt", kTruncateExisting, kGenericRead, kErrorInvalidParameter, false},
      {"T:\\old.txt", 9, kGenericRead, kErrorInvalidParameter, false},
      {"T:\\a?.txt", kCreateAlways, kGenericWrite, kErrorInvalidName, false},
      {"T:\\OLD.TXT", kOpenAlways, kGenericRead, kErrorAlreadyExists, true},
      {"T:\\new.txt", kOpenAlways, kGenericWrite, kErrorSuccess, true},
      {"T:\\new.txt", kCreateNew, kGenericWrite, kErrorFileExists, false},
      {"T:\\old.txt", kCreateAlways, kGenericWrite, kErrorAlreadyExists, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Path) + " disposition " + std::to_string(c.Disposition));
    auto file = _files->CreateFile(c.Path, c.Access, 0, c.Disposition, kFileAttributeNormal);
    EXPECT_EQ(file != nullptr, c.Opens);
    EXPECT_EQ(_files->GetLastError(), c.Error);
  }
  EXPECT_EQ(Read("old.txt"), "") << "kCreateAlways truncates";
  Write("old.txt", "0123456789");
  auto file =
      _files->CreateFile("T:\\old.txt", kGenericRead | kGenericWrite, 0, kTruncateExisting, 0);
  ASSERT_TRUE(file);
  EXPECT_EQ(Read("old.txt"), "");

  // Appending and cutting back, as the slack overwrite does.
  uint32_t done = 0;
  ASSERT_TRUE(file->Write("abc", 3, done));
  uint64_t position = 0;
  ASSERT_TRUE(file->Seek(0, SeekOrigin::End, position));
  ASSERT_TRUE(file->Write("\0\0\0\0", 4, done));
  ASSERT_TRUE(file->Seek(-4, SeekOrigin::End, position));
  EXPECT_EQ(position, 3u);
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_FALSE(file->Seek(-4, SeekOrigin::Current, position));
  EXPECT_EQ(_files->GetLastError(), kErrorNegativeSeek);
  ASSERT_TRUE(file->Seek(0, SeekOrigin::Begin, position));
  char back[8];
  ASSERT_TRUE(file->Read(back, sizeof(back), done));
  EXPECT_EQ(std::string(back, done), "abc");
  EXPECT_TRUE(file->Flush());
}

TEST_F(PosixFileSystemTest, WriteThroughOpensForSynchronousData) {
  for (bool through : {false, true}) {
    SCOPED_TRACE(through);
    auto file = _files->CreateFile("T:\\BlankwrightTMP1.gf", kGenericWrite, 0, kCreateAlways,
                                   (through ? kFileFlagWriteThrough : 0) | kFileAttributeSystem);
    ASSERT_TRUE(file);
    int flags = ::fcntl(static_cast<CPosixFile&>(*file).Descriptor(), F_GETFL);
    EXPECT_EQ((flags & O_DSYNC) == O_DSYNC, through);
    EXPECT_EQ(flags & O_ACCMODE, O_WRONLY);
    EXPECT_TRUE(file->SetCompressionNone());
  }
}

// Unbuffered files: O_DIRECT without O_DSYNC while writes fit; the first write that does not
// fit (or one the file system refuses) turns the file cached, and a write-through file then
// syncs each write. Every byte reaches the file on both paths. Where the scratch folder's file
// system takes no O_DIRECT at all, the file starts cached and the rest holds the same.
TEST_F(PosixFileSystemTest, UnbufferedFilesFallBackToTheCacheWhenAWriteDoesNotFit) {
  struct Case {
    const char* Name;
    uint32_t Flags;
    bool Direct; ///< asks for O_DIRECT
  } cases[] = {
      {"unbuffered write-through", kFileFlagNoBuffering | kFileFlagWriteThrough, true},
      {"unbuffered", kFileFlagNoBuffering, true},
      {"write-through only", kFileFlagWriteThrough, false},
  };
  alignas(4096) static uint8_t unit[8192];
  std::fill(std::begin(unit), std::end(unit), uint8_t{0xFF});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto file = _files->CreateFile("T:\\fill.gf", kGenericWrite, 0, kCreateAlways,
                                   c.Flags | kFileAttributeSystem);
    ASSERT_TRUE(file);
    auto& posixFile = static_cast<CPosixFile&>(*file);
    int flags = ::fcntl(posixFile.Descriptor(), F_GETFL);
    EXPECT_EQ((flags & O_DIRECT) != 0, posixFile.IsDirect());
    EXPECT_EQ((flags & O_DSYNC) == O_DSYNC, !c.Direct) << "direct files sync once, at Flush";
    if (!c.Direct) {
      EXPECT_FALSE(posixFile.IsDirect());
    }
    const bool startedDirect = posixFile.IsDirect();
    uint32_t written = 0;
    EXPECT_TRUE(file->Write(unit, sizeof(unit), written));
    EXPECT_EQ(posixFile.IsDirect(), startedDirect) << "a whole aligned unit";
    EXPECT_TRUE(file->Write(unit + 1, 100, written)) << "an odd tail from an odd address";
    EXPECT_EQ(written, 100u);
    EXPECT_FALSE(posixFile.IsDirect());
    EXPECT_EQ(::fcntl(posixFile.Descriptor(), F_GETFL) & O_DIRECT, 0);
    EXPECT_TRUE(file->Write(unit, sizeof(unit), written)) << "cached from here on";
    EXPECT_FALSE(posixFile.IsDirect());
    EXPECT_TRUE(file->Flush());
    EXPECT_TRUE(file->Close());
    // Compared whole rather than printed: a difference would print 16 KiB.
    EXPECT_TRUE(Read("fill.gf") == std::string(2 * sizeof(unit) + 100, '\xFF'));
  }
  // Reading needs no cache bypass, and a file opened only for reading gets none.
  auto reader = _files->CreateFile("T:\\fill.gf", kGenericRead, kFileShareRead, kOpenExisting,
                                   kFileFlagNoBuffering);
  ASSERT_TRUE(reader);
  EXPECT_FALSE(static_cast<CPosixFile&>(*reader).IsDirect());
}

// A file-size limit stands in for a full disk: the write that reaches it is cut short and the
// next one fails, as on a disk that fills up.
TEST_F(PosixFileSystemTest, WritesReportWhatReachedAFullDisk) {
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  auto file = _files->CreateFile("T:\\fill.gf", kGenericWrite, 0, kCreateAlways, 0);
  ASSERT_TRUE(file);
  struct rlimit limited = saved;
  limited.rlim_cur = 10000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::vector<uint8_t> unit(4096, 0xFF);
  uint32_t written = 0;
  bool first = file->Write(unit.data(), 4096, written);
  bool second = file->Write(unit.data(), 4096, written);
  bool third = file->Write(unit.data(), 4096, written);
  uint32_t thirdWritten = written;
  uint32_t thirdError = _files->GetLastError();
  bool fourth = file->Write(unit.data(), 4096, written);
  uint32_t fourthError = _files->GetLastError();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(first && second);
  EXPECT_FALSE(third);
  EXPECT_EQ(thirdWritten, 10000u - 8192u);
  EXPECT_EQ(thirdError, kErrorDiskFull);
  EXPECT_FALSE(fourth);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(fourthError, kErrorDiskFull);
}

TEST_F(PosixFileSystemTest, ReadOnlyFollowsTheWriteBits) {
  Write("ro.txt", "keep");
  ASSERT_TRUE(
      _files->SetFileAttributes("T:\\ro.txt", kFileAttributeReadOnly | kFileAttributeHidden));
  struct stat st;
  ASSERT_EQ(::stat(Host("ro.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  EXPECT_EQ(_files->GetFileAttributes("T:\\ro.txt"), kFileAttributeReadOnly)
      << "hidden cannot be kept here and is dropped";
  // Refused by the attribute even where the permission bits would let root through.
  EXPECT_FALSE(_files->CreateFile("T:\\ro.txt", kGenericWrite, 0, kOpenExisting, 0));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(_files->CreateFile("T:\\ro.txt", kGenericRead, 0, kCreateAlways, 0));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(_files->DeleteFile("T:\\ro.txt"));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(ReadThrough("T:\\ro.txt"), "keep");

  ASSERT_TRUE(_files->SetFileAttributes("T:\\ro.txt", kFileAttributeNormal));
  ASSERT_EQ(::stat(Host("ro.txt").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
  ASSERT_TRUE(_files->SetFileAttributes("T:\\ro.txt", kFileAttributeReadOnly));
  EXPECT_TRUE(_files->ShellDelete("T:\\ro.txt")) << "the shell deletes read-only files";
  EXPECT_FALSE(HostExists("ro.txt"));

  auto created =
      _files->CreateFile("T:\\new-ro.txt", kGenericWrite, 0, kCreateNew, kFileAttributeReadOnly);
  ASSERT_TRUE(created);
  uint32_t written = 0;
  EXPECT_TRUE(created->Write("x", 1, written)) << "the creating handle may still write";
  EXPECT_EQ(_files->GetFileAttributes("T:\\new-ro.txt"), kFileAttributeReadOnly);
}

TEST_F(PosixFileSystemTest, SymbolicLinksAreNeverFollowed) {
  Folder("Target");
  Write("Target/keep.txt", "keep");
  Folder("Temp");
  ASSERT_EQ(::symlink(Host("Target").c_str(), Host("Temp/Link").c_str()), 0);
  ASSERT_EQ(::symlink("/etc", Host("Temp/Outside").c_str()), 0);
  ASSERT_EQ(::symlink(Host("Target/keep.txt").c_str(), Host("Temp/FileLink").c_str()), 0);

  EXPECT_EQ(_files->GetFileAttributes("T:\\Temp\\Link"),
            kFileAttributeDirectory | kFileAttributeReparsePoint);
  EXPECT_EQ(_files->GetFileAttributes("T:\\Temp\\FileLink"), kFileAttributeReparsePoint);
  FindData data;
  ASSERT_TRUE(_files->FindFirstFile("T:\\Temp\\link", data));
  EXPECT_EQ(data.Attributes, kFileAttributeDirectory | kFileAttributeReparsePoint);

  struct Case {
    const char* What;
    std::function<bool()> Call;
    uint32_t Error;
  };
  const Case refusals[] = {
      {"list through",
       [&] { return _files->FindFirstFile("T:\\Temp\\Link\\*.*", data) != nullptr; },
       kErrorPathNotFound},
      {"leave the drive",
       [&] { return _files->FindFirstFile("T:\\Temp\\Outside\\*", data) != nullptr; },
       kErrorPathNotFound},
      {"enter", [&] { return _files->SetCurrentDirectory("T:\\Temp\\Link"); }, kErrorDirectory},
      {"open through",
       [&] {
         return _files->CreateFile("T:\\Temp\\Link\\keep.txt", kGenericRead, 0, kOpenExisting, 0) !=
                nullptr;
       },
       kErrorPathNotFound},
      {"open",
       [&] {
         return _files->CreateFile("T:\\Temp\\FileLink", kGenericWrite, 0, kOpenExisting, 0) !=
                nullptr;
       },
       kErrorAccessDenied},
      {"delete as a file", [&] { return _files->DeleteFile("T:\\Temp\\Link"); },
       kErrorAccessDenied},
      {"remove as a folder", [&] { return _files->RemoveDirectory("T:\\Temp\\FileLink"); },
       kErrorDirectory},
  };
  for (const Case& c : refusals) {
    SCOPED_TRACE(c.What);
    EXPECT_FALSE(c.Call());
    EXPECT_EQ(_files->GetLastError(), c.Error);
  }

  EXPECT_TRUE(_files->DeleteFile("T:\\Temp\\FileLink"));
  EXPECT_TRUE(_files->ShellDelete("T:\\Temp\\Link"));
  EXPECT_TRUE(_files->RemoveDirectory("T:\\Temp\\Outside"));
  EXPECT_FALSE(HostExists("Temp/Link"));
  EXPECT_FALSE(HostExists("Temp/FileLink"));
  EXPECT_EQ(Read("Target/keep.txt"), "keep");
  EXPECT_TRUE(_files->RemoveDirectory("T:\\Temp"));
  struct stat st;
  EXPECT_EQ(::stat("/etc/passwd", &st), 0);
}

TEST_F(PosixFileSystemTest, TheCurrentFolderIsKeptInDriveLetterForm) {
  Folder("Work");
  Folder("Work/Deep");
  ASSERT_TRUE(_files->SetCurrentDirectory("t:\\work"));
  std::string current;
  ASSERT_TRUE(_files->GetCurrentDirectory(current));
  EXPECT_EQ(current, "t:\\work");
  auto file = _files->CreateFile("made.txt", kGenericWrite, 0, kCreateNew, 0);
  ASSERT_TRUE(file);
  EXPECT_TRUE(HostExists("Work/made.txt"));
  ASSERT_TRUE(_files->SetCurrentDirectory("Deep"));
  EXPECT_FALSE(_files->RemoveDirectory("T:\\Work"));
  EXPECT_EQ(_files->GetLastError(), kErrorDirNotEmpty);
  EXPECT_FALSE(_files->RemoveDirectory("T:\\WORK\\DEEP"));
  EXPECT_EQ(_files->GetLastError(), kErrorSharingViolation) << "Windows holds it open";
  ASSERT_TRUE(_files->SetCurrentDirectory("..\\..\\.."));
  ASSERT_TRUE(_files->GetCurrentDirectory(current));
  EXPECT_EQ(current, "t:\\");
  EXPECT_TRUE(_files->RemoveDirectory("work\\deep"));

  struct Case {
    const char* Path;
    uint32_t Error;
  };
  const Case failures[] = {
      {"T:\\Gone", kErrorFileNotFound},
      {"T:\\Gone\\Deeper", kErrorPathNotFound},
      {"T:\\Work\\made.txt", kErrorDirectory},
      {"Q:\\", kErrorPathNotFound},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.Path);
    EXPECT_FALSE(_files->SetCurrentDirectory(c.Path));
    EXPECT_EQ(_files->GetLastError(), c.Error);
  }
  ASSERT_TRUE(_files->GetCurrentDirectory(current));
  EXPECT_EQ(current, "t:\\") << "a failed change keeps the folder";
}

// The current folder is held open; what it stands for must follow every change the way a
// walk from the root would.
TEST_F(PosixFileSystemTest, TheHeldCurrentFolderGoesWhereTheNamesGo) {
  Folder("A");
  Folder("A/B");
  ASSERT_TRUE(_files->SetCurrentDirectory("T:\\A\\B"));
  ASSERT_TRUE(_files->CreateFile("T:\\A\\B\\one.txt", kGenericWrite, 0, kCreateNew, 0));
  EXPECT_TRUE(HostExists("A/B/one.txt"));
  // Up and down again from the held folder, and into itself.
  ASSERT_TRUE(_files->SetCurrentDirectory(".."));
  ASSERT_TRUE(_files->SetCurrentDirectory("B"));
  ASSERT_TRUE(_files->SetCurrentDirectory("."));
  EXPECT_EQ(ReadThrough("one.txt"), "");
  EXPECT_EQ(ReadThrough("T:\\a\\b\\ONE.TXT"), "") << "spelled otherwise, walked";

  // Removed behind the process's back: the path fails as a walk from the root fails.
  ASSERT_EQ(::unlink(Host("A/B/one.txt").c_str()), 0);
  ASSERT_EQ(::rmdir(Host("A/B").c_str()), 0);
  EXPECT_FALSE(_files->CreateFile("T:\\A\\B\\two.txt", kGenericWrite, 0, kCreateNew, 0));
  EXPECT_EQ(_files->GetLastError(), kErrorPathNotFound);
  EXPECT_TRUE(List("T:\\A\\B\\*.*").empty());
  EXPECT_EQ(_files->GetLastError(), kErrorPathNotFound);

  // The drive letter mapped to another folder: the old folder is never written again.
  Folder("A/B");
  ASSERT_TRUE(_files->SetCurrentDirectory("T:\\A\\B"));
  const std::string other = _scratch + "/other";
  ASSERT_EQ(::mkdir(other.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((other + "/A").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((other + "/A/B").c_str(), 0755), 0);
  std::string error;
  ASSERT_TRUE(_map.Remove('T', error)) << error;
  ASSERT_TRUE(_map.Add({'T', DriveType::Fixed, other, ""}, error)) << error;
  _table->Reload();
  Write("A/B/same.txt", "old");
  std::ofstream(other + "/A/B/same.txt", std::ios::binary) << "new";
  EXPECT_EQ(ReadThrough("T:\\A\\B\\same.txt"), "new");
}

// The cut-back of a file lands where the file's position stands after writes, reads and seeks.
TEST_F(PosixFileSystemTest, SetEndOfFileCutsAtTheFilePosition) {
  auto file = _files->CreateFile("T:\\cut.txt", kGenericRead | kGenericWrite, 0, kCreateNew, 0);
  ASSERT_TRUE(file);
  uint32_t done = 0;
  ASSERT_TRUE(file->Write("0123456789", 10, done));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(Read("cut.txt"), "0123456789");
  uint64_t position = 0;
  ASSERT_TRUE(file->Seek(2, SeekOrigin::Begin, position));
  char buffer[3];
  ASSERT_TRUE(file->Read(buffer, 3, done));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(Read("cut.txt"), "01234");
  ASSERT_TRUE(file->Seek(-2, SeekOrigin::End, position));
  ASSERT_TRUE(file->Write("ab", 2, done));
  ASSERT_TRUE(file->Seek(-1, SeekOrigin::Current, position));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(Read("cut.txt"), "012a");
  EXPECT_FALSE(file->Seek(-10, SeekOrigin::Begin, position));
  ASSERT_TRUE(file->SetEndOfFile()) << "a failed seek leaves the position";
  EXPECT_EQ(Read("cut.txt"), "012a");
}

TEST_F(PosixFileSystemTest, FoldersAndLongPaths) {
  EXPECT_TRUE(_files->CreateDirectory("T:\\New"));
  EXPECT_FALSE(_files->CreateDirectory("T:\\new"));
  EXPECT_EQ(_files->GetLastError(), kErrorAlreadyExists);
  EXPECT_FALSE(_files->CreateDirectory("T:\\None\\New"));
  EXPECT_EQ(_files->GetLastError(), kErrorPathNotFound);
  Write("New/f.txt", "");
  EXPECT_FALSE(_files->ShellDelete("T:\\New"));
  EXPECT_EQ(_files->GetLastError(), kErrorDirNotEmpty);
  EXPECT_FALSE(_files->RemoveDirectory("T:\\New\\f.txt"));
  EXPECT_EQ(_files->GetLastError(), kErrorDirectory);
  EXPECT_FALSE(_files->DeleteFile("T:\\New"));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);
  EXPECT_TRUE(_files->DeleteFile("T:\\New\\F.TXT"));
  EXPECT_TRUE(_files->ShellDelete("T:\\new"));
  EXPECT_FALSE(_files->RemoveDirectory("T:\\"));
  EXPECT_EQ(_files->GetLastError(), kErrorAccessDenied);

  const std::string name(200, 'n');
  ASSERT_EQ(::mkdir(Host(name).c_str(), 0755), 0);
  const std::string folder = "T:\\" + name;
  EXPECT_FALSE(_files->CreateDirectory(folder + "\\" + std::string(46, 'm')))
      << "a new folder leaves room for an 8.3 name";
  EXPECT_EQ(_files->GetLastError(), kErrorFilenameExcedRange);
  EXPECT_TRUE(_files->CreateDirectory(folder + "\\" + std::string(44, 'm')));
  EXPECT_TRUE(
      _files->CreateFile(folder + "\\" + std::string(55, 'f'), kGenericWrite, 0, kCreateNew, 0));
  EXPECT_FALSE(
      _files->CreateFile(folder + "\\" + std::string(56, 'f'), kGenericWrite, 0, kCreateNew, 0));
  EXPECT_EQ(_files->GetLastError(), kErrorFilenameExcedRange);
}

} // namespace
} // namespace bw::posix
