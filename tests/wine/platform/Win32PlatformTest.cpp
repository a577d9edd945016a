// The Win32 platform against the real calls, run under Wine by PlatformTest.sh.
//
// Raw reads need a drive whose sectors are known: the script maps one and names it in
// BW_TEST_RAW_DRIVE, its size in sectors in BW_TEST_RAW_SECTORS and the sectors that carry a
// marker in BW_TEST_RAW_MARKERS; without them those tests are skipped.
#include "platform/Platform.h"
#include "platform/win32/Win32.h"
#include "tests/unit/platform/UnbufferedWrites.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace bw {
namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;
constexpr char kEchoArguments[] = "--echo-arguments";
constexpr uint32_t kEchoExitCode = 7;

// The child side of the RunAndWait test: writes every argument it got, NUL-terminated, to the
// file named by the first one.
int EchoArguments(int argc, char** argv) {
  if (argc < 3)
    return 1;
  std::ofstream out(argv[2], std::ios::binary);
  for (int i = 3; i < argc; ++i)
    out.write(argv[i], static_cast<std::streamsize>(std::strlen(argv[i]) + 1));
  return out ? static_cast<int>(kEchoExitCode) : 1;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Win32PlatformTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(_platform->System().GetTempPath(_temp));
    _scratch = _temp + "bwtest" + std::to_string(::GetCurrentProcessId());
    std::filesystem::remove_all(_scratch);
    ASSERT_TRUE(std::filesystem::create_directory(_scratch));
  }
  void TearDown() override {
    ::SetCurrentDirectoryA(_temp.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(_scratch, ignored);
  }

  std::string Scratch(const std::string& name) const { return _scratch + "\\" + name; }

  void MakeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  IFileSystem& Files() { return _platform->Files(); }

  std::unique_ptr<IPlatform> _platform = CreateNativePlatform();
  std::string _temp;
  std::string _scratch;
};

TEST_F(Win32PlatformTest, WritesReadsAndSeeksBeyondFourGiB) {
  std::string path = Scratch("big.bin");
  auto file =
      Files().CreateFile(path, kGenericRead | kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
  ASSERT_TRUE(file);

  uint32_t written = 0;
  ASSERT_TRUE(file->Write("head", 4, written));
  EXPECT_EQ(written, 4u);

  // Offsets whose high part matters, and one whose low part is all ones (the value that also
  // means failure to SetFilePointer).
  struct Case {
    int64_t Distance;
    SeekOrigin Origin;
    uint64_t Expected;
  };
  const Case cases[] = {
      {int64_t(5 * kGiB + 3), SeekOrigin::Begin, 5 * kGiB + 3},
      {-3, SeekOrigin::Current, 5 * kGiB},
      {int64_t(4 * kGiB - 1), SeekOrigin::Begin, 4 * kGiB - 1},
      {0, SeekOrigin::End, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expected);
    uint64_t position = 0;
    ASSERT_TRUE(file->Seek(c.Distance, c.Origin, position));
    EXPECT_EQ(position, c.Expected);
  }

  // Grow to just past 5 GiB (sparse on the host) and write a tail there.
  uint64_t position = 0;
  ASSERT_TRUE(file->Seek(int64_t(5 * kGiB), SeekOrigin::Begin, position));
  ASSERT_TRUE(file->Write("tail", 4, written));
  ASSERT_TRUE(file->Flush());
  ASSERT_TRUE(file->Seek(-4, SeekOrigin::Current, position));
  char buffer[8] = {};
  uint32_t read = 0;
  ASSERT_TRUE(file->Read(buffer, sizeof(buffer), read));
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(std::string(buffer, 4), "tail");
  ASSERT_TRUE(file->Read(buffer, sizeof(buffer), read));
  EXPECT_EQ(read, 0u) << "at the end of the file";

  EXPECT_TRUE(file->SetCompressionNone()) << "no compression where there is none";
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->Close());
  EXPECT_EQ(Files().GetLastError(), kErrorInvalidHandle);
  written = 1;
  EXPECT_FALSE(file->Write("late", 4, written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Files().GetLastError(), kErrorInvalidHandle);

  FindData data;
  auto search = Files().FindFirstFile(path, data);
  ASSERT_TRUE(search);
  EXPECT_EQ(data.Name, "big.bin");
  EXPECT_EQ(data.Size, 5 * kGiB + 4) << "both halves of the size";

  // Cutting back at the file pointer.
  file = Files().CreateFile(path, kGenericWrite, 0, kOpenExisting, kFileAttributeNormal);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Seek(2, SeekOrigin::Begin, position));
  ASSERT_TRUE(file->SetEndOfFile());
  file.reset();
  EXPECT_EQ(ReadWhole(path), "he");
}

// FILE_FLAG_NO_BUFFERING refuses a write off the sector alignment; the file is opened again
// without it for such a write, and every byte lands where it was written.
TEST_F(Win32PlatformTest, UnbufferedFilesTakeEveryWrite) {
  test::ExpectUnbufferedFileTakesEveryWrite(Files(), Scratch("fill.gf"));
}

TEST_F(Win32PlatformTest, KeepsFileTimesThatAreSet) {
  std::string path = Scratch("times.txt");
  MakeFile(path, "x");
  auto file = Files().CreateFile(path, kGenericRead | kGenericWrite, 0, kOpenExisting,
                                 kFileAttributeNormal);
  ASSERT_TRUE(file);
  FileTime creation, access, write;
  ASSERT_TRUE(file->GetTimes(creation, access, write));
  const FileTime wanted = 130000000000000000ull; // 2012-12-13
  ASSERT_TRUE(file->SetTimes(nullptr, nullptr, &wanted));
  ASSERT_TRUE(file->Close());

  FindData data;
  ASSERT_TRUE(Files().FindFirstFile(path, data));
  EXPECT_EQ(data.LastWriteTime, wanted);
}

TEST_F(Win32PlatformTest, CreateNewRefusesAnExistingFile) {
  std::string path = Scratch("exists.txt");
  MakeFile(path, "x");
  EXPECT_FALSE(Files().CreateFile(path, kGenericWrite, 0, kCreateNew, kFileAttributeNormal));
  EXPECT_EQ(Files().GetLastError(), kErrorFileExists);
}

TEST_F(Win32PlatformTest, ListsAFolderAndReportsItsEnd) {
  MakeFile(Scratch("one.txt"), "1");
  MakeFile(Scratch("two.txt"), "22");
  ASSERT_TRUE(Files().CreateDirectory(Scratch("sub")));

  std::set<std::string> names;
  FindData data;
  auto search = Files().FindFirstFile(Scratch("*.*"), data);
  ASSERT_TRUE(search);
  do {
    names.insert(data.Name);
    if (data.Name == "sub") {
      EXPECT_TRUE(data.Attributes & kFileAttributeDirectory);
    } else if (data.Name == "two.txt") {
      EXPECT_EQ(data.Size, 2u);
    }
  } while (search->FindNextFile(data));
  EXPECT_EQ(Files().GetLastError(), kErrorNoMoreFiles);
  EXPECT_EQ(names, (std::set<std::string>{".", "..", "one.txt", "two.txt", "sub"}));

  EXPECT_FALSE(Files().FindFirstFile(Scratch("*.none"), data));
  EXPECT_EQ(Files().GetLastError(), kErrorFileNotFound);
  EXPECT_FALSE(Files().FindFirstFile(Scratch("missing\\*.*"), data));
  EXPECT_EQ(Files().GetLastError(), kErrorPathNotFound);
}

TEST_F(Win32PlatformTest, ChangesTheCurrentFolder) {
  ASSERT_TRUE(Files().CreateDirectory(Scratch("walk")));
  ASSERT_TRUE(Files().SetCurrentDirectory(Scratch("walk")));
  std::string current;
  ASSERT_TRUE(Files().GetCurrentDirectory(current));
  EXPECT_TRUE(_stricmp(current.c_str(), Scratch("walk").c_str()) == 0) << current;
  ASSERT_TRUE(Files().SetCurrentDirectory(".."));
  ASSERT_TRUE(Files().GetCurrentDirectory(current));
  EXPECT_TRUE(_stricmp(current.c_str(), _scratch.c_str()) == 0) << current;
  EXPECT_FALSE(Files().SetCurrentDirectory(Scratch("missing")));
  EXPECT_EQ(Files().GetLastError(), kErrorFileNotFound);
}

TEST_F(Win32PlatformTest, ShellDeleteRemovesFilesAndEmptyFoldersOnly) {
  MakeFile(Scratch("file.txt"), "x");
  ASSERT_TRUE(Files().CreateDirectory(Scratch("empty")));
  ASSERT_TRUE(Files().CreateDirectory(Scratch("full")));
  MakeFile(Scratch("full\\keep.txt"), "keep");

  EXPECT_TRUE(Files().ShellDelete(Scratch("file.txt")));
  EXPECT_EQ(Files().GetFileAttributes(Scratch("file.txt")), kInvalidFileAttributes);
  EXPECT_TRUE(Files().ShellDelete(Scratch("empty")));
  EXPECT_EQ(Files().GetFileAttributes(Scratch("empty")), kInvalidFileAttributes);

  // The shell itself would take the folder with its contents.
  EXPECT_FALSE(Files().ShellDelete(Scratch("full")));
  EXPECT_EQ(Files().GetLastError(), kErrorDirNotEmpty);
  EXPECT_EQ(ReadWhole(Scratch("full\\keep.txt")), "keep");

  EXPECT_FALSE(Files().ShellDelete(Scratch("missing.txt")));
  EXPECT_EQ(Files().GetLastError(), kErrorFileNotFound);

  // 255 characters fit the 257-byte list with its two closing zeros; 256 do not.
  std::string longest = Scratch("");
  longest += std::string(255 - longest.size(), 'n');
  std::string tooLong = longest + "n";
  EXPECT_FALSE(Files().ShellDelete(tooLong));
  EXPECT_EQ(Files().GetLastError(), kErrorFilenameExcedRange);
  EXPECT_FALSE(Files().ShellDelete(longest)); // fits, but does not exist
  EXPECT_NE(Files().GetLastError(), kErrorFilenameExcedRange);
}

TEST_F(Win32PlatformTest, AttributesAndDeletion) {
  std::string path = Scratch("ro.txt");
  MakeFile(path, "x");
  ASSERT_TRUE(Files().SetFileAttributes(path, kFileAttributeReadOnly));
  EXPECT_TRUE(Files().GetFileAttributes(path) & kFileAttributeReadOnly);
  EXPECT_FALSE(Files().DeleteFile(path));
  EXPECT_EQ(Files().GetLastError(), kErrorAccessDenied);
  ASSERT_TRUE(Files().SetFileAttributes(path, kFileAttributeNormal));
  EXPECT_TRUE(Files().DeleteFile(path));

  EXPECT_EQ(Files().GetFileAttributes(path), kInvalidFileAttributes);
  EXPECT_EQ(Files().GetLastError(), kErrorFileNotFound);

  ASSERT_TRUE(Files().CreateDirectory(Scratch("dir")));
  EXPECT_FALSE(Files().CreateDirectory(Scratch("dir")));
  EXPECT_EQ(Files().GetLastError(), kErrorAlreadyExists);
  EXPECT_TRUE(Files().RemoveDirectory(Scratch("dir")));

  std::string shortPath;
  EXPECT_TRUE(Files().GetShortPathName(_scratch, shortPath));
  EXPECT_FALSE(shortPath.empty());
  EXPECT_FALSE(Files().GetShortPathName(Scratch("missing"), shortPath));
  EXPECT_EQ(Files().GetLastError(), kErrorFileNotFound);
}

TEST_F(Win32PlatformTest, RunAndWaitPassesEveryArgumentIntact) {
  std::string self = _platform->System().GetProgramFolder();
  ASSERT_FALSE(self.empty());
  ASSERT_EQ(self.back(), '\\');
  char module[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
  ASSERT_EQ(std::string(module).rfind(self, 0), 0u) << module;

  std::string out = Scratch("echo out.bin");
  const std::vector<std::string> tricky = {
      "plain",        "two words",        "",          "trailing\\", "quote\"inside",
      "back\\\"both", "C:\\with space\\", "tab\there", "\\\\double", "end\\\\",
  };
  std::vector<std::string> arguments = {kEchoArguments, out};
  arguments.insert(arguments.end(), tricky.begin(), tricky.end());
  uint32_t exitCode = 0;
  ASSERT_TRUE(_platform->System().RunAndWait(module, arguments, exitCode));
  EXPECT_EQ(exitCode, kEchoExitCode);

  std::string echoed = ReadWhole(out);
  std::vector<std::string> got;
  for (size_t start = 0; start < echoed.size();) {
    size_t end = echoed.find('\0', start);
    got.push_back(echoed.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(got, tricky);

  EXPECT_FALSE(_platform->System().RunAndWait(Scratch("missing.exe"), {}, exitCode));
}

TEST_F(Win32PlatformTest, FoldersAndVersion) {
  ISystem& system = _platform->System();
  EXPECT_EQ(system.GetVersion().PlatformId, kPlatformWin32Nt);
  std::string windows;
  ASSERT_TRUE(system.GetWindowsDirectory(windows));
  EXPECT_TRUE(_stricmp(windows.c_str(), "C:\\windows") == 0) << windows;
  EXPECT_EQ(_temp.back(), '\\');
}

TEST_F(Win32PlatformTest, LocalTimeRoundTrips) {
  ISystem& system = _platform->System();
  // Both sides of a daylight saving change wherever the host's zone has one.
  const LocalTime times[] = {
      {2024, 1, 0, 15, 12, 30, 45, 0},
      {2024, 7, 0, 15, 12, 30, 45, 0},
      {1999, 12, 0, 31, 23, 59, 59, 999},
  };
  for (const LocalTime& local : times) {
    SCOPED_TRACE(local.Month);
    FileTime time = 0;
    ASSERT_TRUE(system.LocalTimeToFileTime(local, time));
    LocalTime back;
    ASSERT_TRUE(system.FileTimeToLocalTime(time, back));
    EXPECT_EQ(back.Year, local.Year);
    EXPECT_EQ(back.Month, local.Month);
    EXPECT_EQ(back.Day, local.Day);
    EXPECT_EQ(back.Hour, local.Hour);
    EXPECT_EQ(back.Minute, local.Minute);
    EXPECT_EQ(back.Second, local.Second);
    EXPECT_EQ(back.Milliseconds, local.Milliseconds);
  }
  LocalTime bad{2024, 13, 0, 1, 0, 0, 0, 0};
  FileTime time;
  EXPECT_FALSE(system.LocalTimeToFileTime(bad, time));
  bad = {2024, 1, 0, 1, 24, 0, 0, 0};
  EXPECT_FALSE(system.LocalTimeToFileTime(bad, time));
  LocalTime local;
  EXPECT_FALSE(system.FileTimeToLocalTime(~FileTime{0}, local));
}

TEST_F(Win32PlatformTest, Drives) {
  IDrives& drives = _platform->Drives();
  EXPECT_TRUE(drives.GetLogicalDrives() & (1u << ('C' - 'A')));
  EXPECT_EQ(drives.GetDriveType('C'), DriveType::Fixed);
  uint64_t freeBytes = 0;
  EXPECT_TRUE(drives.GetDiskFreeSpaceEx('C', freeBytes));
  EXPECT_GT(freeBytes, 0u);
  DiskFreeSpace space;
  EXPECT_TRUE(drives.GetDiskFreeSpace('C', space));
  EXPECT_GT(space.SectorsPerCluster * space.BytesPerSector, 0u);
  EXPECT_FALSE(drives.GetDiskFreeSpaceEx('@', freeBytes));

  // The Windows 9x device does not exist on the NT family: both of its readers fail cleanly.
  char sector[512];
  EXPECT_FALSE(drives.ReadSectors(RawReader::Int25, 'C', 0, 1, 512, sector));
  EXPECT_FALSE(drives.ReadSectors(RawReader::Ioctl7305, 'C', 0, 1, 512, sector));
}

class RawDriveTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* letter = std::getenv("BW_TEST_RAW_DRIVE");
    const char* sectors = std::getenv("BW_TEST_RAW_SECTORS");
    const char* markers = std::getenv("BW_TEST_RAW_MARKERS");
    if (!letter || !sectors || !markers)
      GTEST_SKIP() << "no raw test drive mapped";
    _letter = letter[0];
    _sectors = std::strtoull(sectors, nullptr, 10);
    std::stringstream list(markers);
    for (std::string item; std::getline(list, item, ',');)
      _markers.push_back(std::strtoull(item.c_str(), nullptr, 10));
  }

  // What PlatformTest.sh writes at the start of a marker sector; the rest of it is zero.
  static std::string Marker(uint64_t sector) {
    std::string text = "BLANKWRIGHT MARKER " + std::to_string(sector);
    text.resize(512, '\0');
    return text;
  }

  bool Read(uint64_t first, uint32_t count, std::string& out) {
    out.assign(size_t{count} * 512, '\x55');
    return _platform->Drives().ReadSectors(RawReader::NtVolume, _letter, first, count, 512,
                                           out.data());
  }

  std::unique_ptr<IPlatform> _platform = CreateNativePlatform();
  char _letter = 0;
  uint64_t _sectors = 0;
  std::vector<uint64_t> _markers;
};

TEST_F(RawDriveTest, ReadsEachMarkerWhereverItLies) {
  for (uint64_t sector : _markers) {
    SCOPED_TRACE(sector);
    std::string data;
    ASSERT_TRUE(Read(sector, 1, data));
    EXPECT_EQ(data, Marker(sector));
  }
}

TEST_F(RawDriveTest, ReadsAcrossTheFourGiBLine) {
  constexpr uint64_t kLastBelow = 4 * kGiB / 512 - 1;
  std::string data;
  ASSERT_TRUE(Read(kLastBelow, 2, data));
  EXPECT_EQ(data.substr(0, 512), Marker(kLastBelow));
  EXPECT_EQ(data.substr(512), Marker(kLastBelow + 1));
}

TEST_F(RawDriveTest, FailsAtAndAcrossTheEnd) {
  std::string data;
  EXPECT_TRUE(Read(_sectors - 1, 1, data));
  EXPECT_FALSE(Read(_sectors, 1, data)) << "starts past the end";
  EXPECT_FALSE(Read(_sectors - 1, 2, data)) << "runs past the end";
}

TEST_F(RawDriveTest, IsAMappedRemovableDrive) {
  IDrives& drives = _platform->Drives();
  EXPECT_TRUE(drives.GetLogicalDrives() & (1u << (_letter - 'A')));
  EXPECT_EQ(drives.GetDriveType(_letter), DriveType::Removable);
  EXPECT_EQ(drives.GetDriveType('Q'), DriveType::NoRootDir);
}

// Windows of the notices the desktop operations look for, made by the test itself.
class DesktopTest : public ::testing::Test {
protected:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    if (message == WM_COMMAND) {
      s_commandWindow = window;
      s_commandId = wParam;
      s_commandControl = lParam;
      return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }

  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BwDesktopTest";
    ::RegisterClassA(&windowClass);
    s_commandWindow = nullptr;
    s_commandId = 0;
    s_commandControl = 0;
  }

  void TearDown() override {
    for (HWND window : _windows)
      if (::IsWindow(window))
        ::DestroyWindow(window);
  }

  HWND MakeWindow(const char* title, HWND parent = nullptr, int id = 0) {
    HWND window = parent ? ::CreateWindowExA(0, "BUTTON", title, WS_CHILD, 0, 0, 50, 20, parent,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                             nullptr, nullptr)
                         : ::CreateWindowExA(0, "BwDesktopTest", title, WS_OVERLAPPED, 0, 0, 200,
                                             100, nullptr, nullptr, nullptr, nullptr);
    if (!parent)
      _windows.push_back(window);
    return window;
  }

  static void Pump() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }

  std::unique_ptr<IPlatform> _platform = CreateNativePlatform();
  std::vector<HWND> _windows;
  static inline HWND s_commandWindow = nullptr;
  static inline WPARAM s_commandId = 0;
  static inline LPARAM s_commandControl = 0;
};

TEST_F(DesktopTest, ClosesTheFirstLowSpaceNoticeFound) {
  IDesktop& desktop = _platform->Desktop();
  EXPECT_FALSE(desktop.CloseLowSpaceWarning());
  for (const char* title : {"Disk Full", "Hard Disk is Full", "Hard Disk is Low on Space"}) {
    SCOPED_TRACE(title);
    HWND notice = MakeWindow(title);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(desktop.CloseLowSpaceWarning());
    Pump();
    EXPECT_FALSE(::IsWindow(notice)) << "WM_CLOSE was posted to it";
  }
}

TEST_F(DesktopTest, PressesWaitOnlyDuringALogOffCleaning) {
  IDesktop& desktop = _platform->Desktop();
  // The hidden main window carries the same title and has no such button; made last, it is
  // the first top-level window of that title.
  HWND prompt = MakeWindow("Blankwright");
  HWND wait = MakeWindow("&Wait", prompt, 4321);
  ASSERT_TRUE(wait);
  MakeWindow("Blankwright");

  desktop.PressWaitButton(false);
  Pump();
  EXPECT_EQ(s_commandWindow, nullptr);

  desktop.PressWaitButton(true);
  Pump();
  EXPECT_EQ(s_commandWindow, prompt);
  EXPECT_EQ(s_commandId, 4321u);
  EXPECT_EQ(s_commandControl, reinterpret_cast<LPARAM>(wait));
}

} // namespace
} // namespace bw

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], bw::kEchoArguments) == 0)
    return bw::EchoArguments(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
