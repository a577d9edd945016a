#include "engine/CleaningJob.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/engine/RecordingCleaningView.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CRecordingCleaningView;

class FolderEmptyingTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform.FilesFake.AddVolume('C', 64 * 1024 * 1024, 4096);
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
    settings.TempFolder = "c:\\windows\\temp";
    settings.SpoolFolder = "c:\\windows\\spool\\printers";
  }

  CCleaningJob MakeJob() {
    return CCleaningJob(platform, settings, view, marker, JobMode::Interactive, "C:");
  }

  CMemoryPlatform platform;
  CSettings settings;
  CRecordingCleaningView view;
  CWipeMarker marker;
};

TEST_F(FolderEmptyingTest, TempFolderKeepsOnlyItsHiddenDesktopIni) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\windows\\temp\\desktop.ini", "[.ShellClassInfo]",
                kFileAttributeHidden | kFileAttributeSystem);
  files.AddFile("C:\\windows\\temp\\sub\\DESKTOP.INI", "not hidden");
  files.AddFile("C:\\windows\\temp\\a.tmp", "a");
  files.AddFile("C:\\windows\\temp\\sub\\deeper\\b.tmp", "b");
  files.AddFile("C:\\windows\\temp\\sub\\locked.tmp", "c");
  files.DenyAccess("C:\\windows\\temp\\sub\\locked.tmp");
  files.AddFile("C:\\windows\\temp\\readonly.tmp", "r", kFileAttributeReadOnly);
  files.AddFolder("C:\\windows\\temp\\.cache");
  CCleaningJob job = MakeJob();
  job.EmptyTempFolder();
  EXPECT_EQ(view.Processes[0], "Emptying Windows' temp folder.");
  EXPECT_TRUE(files.Exists("C:\\windows\\temp\\desktop.ini"));
  EXPECT_FALSE(files.Exists("C:\\windows\\temp\\sub\\DESKTOP.INI")) << "kept only when hidden";
  EXPECT_FALSE(files.Exists("C:\\windows\\temp\\a.tmp"));
  EXPECT_FALSE(files.Exists("C:\\windows\\temp\\readonly.tmp")) << "read-only cleared first";
  EXPECT_FALSE(files.Exists("C:\\windows\\temp\\sub\\deeper")) << "emptied folder removed";
  EXPECT_TRUE(files.Exists("C:\\windows\\temp\\sub\\locked.tmp"));
  EXPECT_TRUE(files.Exists("C:\\windows\\temp\\sub")) << "still holds the undeletable file";
  EXPECT_TRUE(files.Exists("C:\\windows\\temp\\.cache")) << "dot folders are not entered";
  EXPECT_TRUE(files.Exists("C:\\windows\\temp")) << "the folder itself stays";
}

TEST_F(FolderEmptyingTest, LinksAreRemovedAndTheirTargetsKept) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\precious\\thesis.doc", "years of work");
  files.AddFile("C:\\precious\\data.bin", "more");
  files.AddLink("C:\\windows\\temp\\shortcut-folder", "C:\\precious", true);
  files.AddLink("C:\\windows\\temp\\shortcut-file", "C:\\precious\\thesis.doc", false);
  CCleaningJob job = MakeJob();
  job.EmptyTempFolder();
  EXPECT_EQ(files.Text("C:\\precious\\thesis.doc"), "years of work");
  EXPECT_TRUE(files.Exists("C:\\precious\\data.bin"));
  EXPECT_FALSE(files.Exists("C:\\windows\\temp\\shortcut-folder"));
  EXPECT_FALSE(files.Exists("C:\\windows\\temp\\shortcut-file"));
}

TEST_F(FolderEmptyingTest, UnreachableFolderIsReportedAndSkipped) {
  CCleaningJob job = MakeJob();
  job.EmptySpoolFolder();
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text,
            "Could not access the Windows' printer spool folder:\nc:\\windows\\spool\\printers.");
  EXPECT_EQ(view.Boxes[0].Caption, "Folder Error");
  EXPECT_EQ(job.GetDriveStatus(), DriveStatus::Ok);
}

TEST_F(FolderEmptyingTest, RecycleBinOfFixedDrivesOnly) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\RECYCLED\\DC1.txt", "deleted once");
  files.AddFile("C:\\RECYCLED\\desktop.ini", "x", kFileAttributeHidden);
  CCleaningJob job = MakeJob();
  job.EmptyRecycleBin('C');
  EXPECT_FALSE(files.Exists("C:\\RECYCLED\\DC1.txt"));
  EXPECT_TRUE(files.Exists("C:\\RECYCLED\\desktop.ini"));
  EXPECT_EQ(view.Processes[0], "Emptying Recycle Bin on Drive C:");
  EXPECT_EQ(view.Process, "");

  files.AddVolume('A', 1024 * 1024, 512);
  platform.DrivesFake.Drives['A'].Type = DriveType::Removable;
  files.AddFile("A:\\RECYCLED\\keep.txt", "k");
  job.EmptyRecycleBin('A');
  EXPECT_TRUE(files.Exists("A:\\RECYCLED\\keep.txt"));
}

TEST_F(FolderEmptyingTest, LostWayBackStopsTheWalk) {
  // Once the walk is inside "a", its parent can no longer be entered. The walk must not go on
  // deleting the parent's names inside "a", where "desktop.ini" is the folder's hidden look.
  auto& files = platform.FilesFake;
  files.AddFile("C:\\windows\\temp\\a\\desktop.ini", "[.ShellClassInfo]", kFileAttributeHidden);
  files.AddFile("C:\\windows\\temp\\desktop.ini", "not hidden");
  files.OnFindStep = [&](const memory::FindStep& step) {
    std::string here;
    if (step.First && files.GetCurrentDirectory(here) && here.size() > 2 &&
        here.compare(here.size() - 2, 2, "\\a") == 0)
      files.BlockEntering("C:\\windows\\temp");
  };
  CCleaningJob job = MakeJob();
  job.EmptyTempFolder();
  files.OnFindStep = nullptr;
  EXPECT_EQ(files.Text("C:\\windows\\temp\\a\\desktop.ini"), "[.ShellClassInfo]");
  EXPECT_TRUE(files.Exists("C:\\windows\\temp\\desktop.ini")) << "the walk stopped";
}

TEST_F(FolderEmptyingTest, CancelStopsTheWalk) {
  for (int i = 0; i < 5; ++i)
    platform.FilesFake.AddFile("C:\\windows\\temp\\f" + std::to_string(i), "x");
  CCleaningJob job = MakeJob();
  int pumps = 0;
  view.OnPump = [&] {
    if (++pumps == 5) // after ".", "..", f0 and f1
      job.OnClose();
  };
  job.EmptyTempFolder();
  EXPECT_EQ(platform.FilesFake.Names("C:\\windows\\temp").size(), 5u - 2);
}

} // namespace
} // namespace bw
