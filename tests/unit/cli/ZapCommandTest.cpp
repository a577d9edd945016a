// blankwright zap in-process: the warning and its answers on the memory platform, and on the
// Linux platform with a scratch folder mapped as a drive, which file of two names differing
// only in letter case is destroyed.
#include "cli/Commands.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/ForwardingDrives.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::cli {
namespace {

using memory::CMemoryPlatform;

// Runs the command; returns its exit code and keeps what it printed.
int RunZap(IPlatform& platform, const Arguments& arguments, std::string& out, std::string& err) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int code = kZapCommand.Run(platform, arguments);
  out = testing::internal::GetCapturedStdout();
  err = testing::internal::GetCapturedStderr();
  return code;
}

class ZapCommandTest : public ::testing::Test {
protected:
  ZapCommandTest() {
    platform.AddDrive('C', DriveType::Fixed, 64 * 1024 * 1024, 4096);
    platform.FilesFake.AddFile("C:\\work\\setup.exe", "program");
    platform.FilesFake.AddFile("C:\\work\\notes.txt", "notes");
  }
  int Run(const Arguments& arguments) { return RunZap(platform, arguments, out, err); }
  bool Exists(const std::string& path) { return platform.FilesFake.Exists(path); }

  CMemoryPlatform platform;
  std::string out, err;
};

TEST_F(ZapCommandTest, WithoutATerminalOrAFlagNothingIsDestroyed) {
  EXPECT_EQ(Run({"C:\\work\\notes.txt"}), kExitFailure);
  EXPECT_NE(out.find("Overwriting files 1 times!"), std::string::npos);
  EXPECT_NE(out.find("  C:\\work\\notes.txt"), std::string::npos);
  EXPECT_NE(err.find("Nothing was zapped"), std::string::npos);
  EXPECT_TRUE(Exists("C:\\work\\notes.txt"));
  EXPECT_TRUE(platform.FilesFake.Writes.empty());
}

TEST_F(ZapCommandTest, AnotherJobRunningRefusesBeforeAnythingIsTouched) {
  platform.SystemFake.JobLockHeld = true;
  EXPECT_EQ(Run({"--yes", "C:\\work\\notes.txt"}), kExitIncomplete);
  EXPECT_NE(err.find("zap: a cleaning is already running; nothing was done"), std::string::npos);
  EXPECT_TRUE(Exists("C:\\work\\notes.txt"));
  EXPECT_TRUE(platform.FilesFake.Writes.empty());

  platform.SystemFake.JobLockHeld = false;
  EXPECT_EQ(Run({"--yes", "C:\\work\\notes.txt"}), kExitOk);
  EXPECT_FALSE(Exists("C:\\work\\notes.txt"));
  EXPECT_FALSE(platform.SystemFake.JobLockHeld) << "released when the zap ends";
}

// The other jobs refuse alike, before the start-up clean-up could remove another job's files.
TEST_F(ZapCommandTest, CleanAndVerifyRefuseWhileAnotherJobRuns) {
  platform.FilesFake.AddFile("C:\\BlankwrightTMP1.gf", 4096, 0);
  platform.SystemFake.JobLockHeld = true;
  const std::pair<const Command*, Arguments> runs[] = {{&kCleanCommand, {"C:", "--yes"}},
                                                       {&kVerifyCommand, {"C:"}}};
  for (const auto& [command, arguments] : runs) {
    SCOPED_TRACE(command->Name);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int code = command->Run(platform, arguments);
    testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, kExitIncomplete);
    EXPECT_NE(
        err.find(std::string(command->Name) + ": a cleaning is already running; nothing was done"),
        std::string::npos)
        << err;
  }
  EXPECT_TRUE(Exists("C:\\BlankwrightTMP1.gf"));
  EXPECT_TRUE(platform.FilesFake.Writes.empty());
  EXPECT_TRUE(platform.FilesFake.Removes.empty());
}

TEST_F(ZapCommandTest, YesAnswersTheWarningButNeverTheQuestions) {
  EXPECT_EQ(Run({"--yes", "C:\\work\\setup.exe", "C:\\work\\notes.txt"}), kExitIncomplete);
  EXPECT_NE(err.find("[Confirmation] setup.exe appears to be a SYSTEM file, Zap it?"),
            std::string::npos);
  EXPECT_EQ(platform.FilesFake.Text("C:\\work\\setup.exe"), "program");
  EXPECT_FALSE(Exists("C:\\work\\notes.txt"));

  EXPECT_EQ(Run({"--yes-to-all", "C:\\work\\setup.exe"}), kExitOk) << err;
  EXPECT_NE(err.find("-> Yes"), std::string::npos);
  EXPECT_FALSE(Exists("C:\\work\\setup.exe"));
}

TEST_F(ZapCommandTest, PersonAtTheTerminalAnswers) {
  platform.ConsoleFake.Interactive = true;
  struct Case {
    std::deque<std::string> Lines;
    int Exit;
    bool SetupLeft, NotesLeft;
  } cases[] = {
      {{""}, kExitIncomplete, true, true},       // the warning's default is No
      {{"y", ""}, kExitIncomplete, true, false}, // a question's default is No
      {{"y", "q"}, kExitIncomplete, true, true}, // Abort stops the zap
      {{"y", "x", "a"}, kExitOk, false, false},  // Yes to All, after a bad key
      {{"y"}, kExitIncomplete, true, false},     // the end of input is No
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Lines.size());
    platform.FilesFake.AddFile("C:\\work\\setup.exe", "program");
    platform.FilesFake.AddFile("C:\\work\\notes.txt", "notes");
    platform.ConsoleFake.Lines = c.Lines;
    EXPECT_EQ(Run({"C:\\work\\setup.exe", "C:\\work\\notes.txt"}), c.Exit);
    EXPECT_EQ(Exists("C:\\work\\setup.exe"), c.SetupLeft);
    EXPECT_EQ(Exists("C:\\work\\notes.txt"), c.NotesLeft);
  }
}

TEST_F(ZapCommandTest, DrivePathsAreMadeAbsoluteWhereTheSystemHasDriveLetters) {
  ASSERT_TRUE(platform.FilesFake.SetCurrentDirectory("C:\\work"));
  EXPECT_EQ(Run({"--yes", "notes.txt"}), kExitOk) << err;
  EXPECT_NE(out.find("C:\\work\\notes.txt"), std::string::npos);
  EXPECT_FALSE(Exists("C:\\work\\notes.txt"));
  EXPECT_EQ(Run({"--bogus", "notes.txt"}), kExitFailure);
  EXPECT_EQ(Run({"--yes"}), kExitFailure);
}

// The Linux platform with its mount check answered yes: the scratch folder of these tests is no
// mount point, and what they look at is how names are matched, not whether a volume is there.
class CMountTrustingPlatform final : public IPlatform {
public:
  explicit CMountTrustingPlatform(std::unique_ptr<IPlatform> inner)
      : _inner(std::move(inner)), _drives(_inner->Drives()), _boxes(*_inner) {}
  ISystem& System() override { return _inner->System(); }
  IDrives& Drives() override { return _drives; }
  IFileSystem& Files() override { return _inner->Files(); }
  IDesktop& Desktop() override { return _inner->Desktop(); }
  IVolumeBitmap& VolumeBitmap() override { return _inner->VolumeBitmap(); }
  IRegistry& Registry() override { return _inner->Registry(); }
  IConsole& Console() override { return _inner->Console(); }
  IWindowCommands& WindowCommands() override { return _inner->WindowCommands(); }
  IDriveMap* DriveMap() override { return _inner->DriveMap(); }

protected:
  IMessageBox& NativeMessageBox() override { return _boxes; }

private:
  class CDrives final : public test::CForwardingDrives {
  public:
    using CForwardingDrives::CForwardingDrives;
    bool CheckMounted(char, std::string&) override { return true; }
  };
  class CBoxes final : public IMessageBox {
  public:
    explicit CBoxes(IPlatform& inner) : _inner(inner) {}
    int Show(const std::string& text, const std::string& caption, uint32_t style) override {
      return _inner.MessageBox(text, caption, style);
    }

  private:
    IPlatform& _inner;
  };

  std::unique_ptr<IPlatform> _inner;
  CDrives _drives;
  CBoxes _boxes;
};

// A scratch folder of the host, case-sensitive, mapped as drive T: on the Linux platform.
class ZapCommandOnLinuxTest : public ::testing::Test {
protected:
  void SetUp() override {
    char scratch[] = "/tmp/bw-zapcli-XXXXXX";
    ASSERT_TRUE(::mkdtemp(scratch));
    _scratch = scratch;
    _mount = _scratch + "/mount";
    ASSERT_EQ(::mkdir(_mount.c_str(), 0755), 0);
    ASSERT_EQ(::setenv("BLANKWRIGHT_HOME", (_scratch + "/home").c_str(), 1), 0);
    platform = std::make_unique<CMountTrustingPlatform>(CreateNativePlatform());
    std::string error;
    ASSERT_TRUE(platform->DriveMap()->Add({'T', DriveType::Fixed, _mount, ""}, error)) << error;
  }
  void TearDown() override {
    platform.reset();
    std::string command = "rm -rf '" + _scratch + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  std::string Host(const std::string& relative) { return _mount + "/" + relative; }
  void Write(const std::string& relative, const std::string& text) {
    std::ofstream(Host(relative), std::ios::binary) << text;
  }
  void Folder(const std::string& relative) { ASSERT_EQ(::mkdir(Host(relative).c_str(), 0755), 0); }
  std::string Read(const std::string& relative) {
    std::ifstream in(Host(relative), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<missing>";
  }
  bool HostExists(const std::string& relative) {
    struct stat st;
    return ::lstat(Host(relative).c_str(), &st) == 0;
  }
  int Run(const Arguments& arguments) { return RunZap(*platform, arguments, out, err); }

  std::unique_ptr<IPlatform> platform;
  std::string out, err;
  std::string _scratch, _mount;
};

TEST_F(ZapCommandOnLinuxTest, TheNameGivenIsDestroyedAndItsCaseTwinKept) {
  Write("Report.txt", "selected");
  Write("report.txt", "the twin");
  EXPECT_EQ(Run({"--yes", Host("Report.txt")}), kExitOk) << err;
  EXPECT_FALSE(HostExists("Report.txt"));
  EXPECT_EQ(Read("report.txt"), "the twin");
  EXPECT_NE(out.find("Zapping: t:\\report.txt"), std::string::npos) << "shown lower-cased";

  // The lower-case one, given by a relative path, leaves an upper-case twin alone too.
  Write("NOTES", "kept");
  Write("notes", "selected");
  char saved[4096];
  ASSERT_TRUE(::getcwd(saved, sizeof(saved)));
  ASSERT_EQ(::chdir(_mount.c_str()), 0);
  int code = Run({"--yes", "notes"});
  ASSERT_EQ(::chdir(saved), 0);
  EXPECT_EQ(code, kExitOk) << err;
  EXPECT_FALSE(HostExists("notes"));
  EXPECT_EQ(Read("NOTES"), "kept");
}

TEST_F(ZapCommandOnLinuxTest, TwinsInsideAZappedFolderAreEachDestroyed) {
  Folder("Docs");
  Folder("docs");
  Write("Docs/A.txt", "upper");
  Write("Docs/a.txt", "lower");
  Write("docs/A.txt", "another folder's");
  EXPECT_EQ(Run({"--yes-to-all", Host("Docs")}), kExitOk) << err;
  EXPECT_FALSE(HostExists("Docs"));
  EXPECT_EQ(Read("docs/A.txt"), "another folder's");
}

TEST_F(ZapCommandOnLinuxTest, LinksGoThemselvesAndPathsOutsideTheDrivesAreRefused) {
  Folder("precious");
  Write("precious/thesis.doc", "years of work");
  ASSERT_EQ(::symlink(Host("precious").c_str(), Host("shortcut").c_str()), 0);
  EXPECT_EQ(Run({"--yes-to-all", Host("shortcut") + "/"}), kExitOk) << err;
  EXPECT_FALSE(HostExists("shortcut"));
  EXPECT_EQ(Read("precious/thesis.doc"), "years of work");

  std::ofstream(_scratch + "/outside.txt") << "not on a drive";
  EXPECT_EQ(Run({"--yes", _scratch + "/outside.txt"}), kExitFailure);
  EXPECT_NE(err.find("is not on a mapped drive"), std::string::npos);
  EXPECT_EQ(Run({"--yes", Host("missing.txt")}), kExitFailure);
  Write("what?.txt", "a wildcard in its name");
  EXPECT_EQ(Run({"--yes", Host("what?.txt")}), kExitFailure);
  EXPECT_EQ(Read("what?.txt"), "a wildcard in its name");
}

TEST_F(ZapCommandOnLinuxTest, TheMountFolderIsTheDriveRoot) {
  Folder("sub");
  Write("sub/x.txt", "x");
  Write("y.txt", "y");
  EXPECT_EQ(Run({"--yes-to-all", _mount}), kExitOk) << err;
  EXPECT_NE(out.find("T:\\"), std::string::npos);
  EXPECT_TRUE(HostExists(""));
  EXPECT_FALSE(HostExists("sub"));
  EXPECT_FALSE(HostExists("y.txt"));
}

TEST_F(ZapCommandOnLinuxTest, AFolderThatIsNoMountPointIsRefusedUntouched) {
  Write("a.txt", "on the host's own disk");
  std::unique_ptr<IPlatform> native = CreateNativePlatform();
  EXPECT_EQ(RunZap(*native, {"--yes-to-all", Host("a.txt")}, out, err), kExitFailure);
  EXPECT_NE(err.find("T: " + _mount + " is not a mount point"), std::string::npos) << err;
  EXPECT_NE(err.find("nothing was zapped"), std::string::npos);
  EXPECT_EQ(Read("a.txt"), "on the host's own disk");
}

TEST_F(ZapCommandOnLinuxTest, DrivePathsAreTakenAsWellAsHostPaths) {
  Folder("Documents");
  Write("Documents/a.txt", "a");
  Write("Documents/b.txt", "b");
  EXPECT_EQ(Run({"--yes", "T:\\Documents\\a.txt"}), kExitOk) << err;
  EXPECT_FALSE(HostExists("Documents/a.txt"));
  // As on Windows, a drive path finds its names without regard to case.
  EXPECT_EQ(Run({"--yes", "t:/documents/B.TXT"}), kExitOk) << err;
  EXPECT_FALSE(HostExists("Documents/b.txt"));
  EXPECT_EQ(Run({"--yes", "T:\\Documents\\gone.txt"}), kExitFailure);
  EXPECT_NE(err.find("T:\\Documents\\gone.txt: no such file or folder"), std::string::npos) << err;
  EXPECT_TRUE(HostExists("Documents"));
}

} // namespace
} // namespace bw::cli
