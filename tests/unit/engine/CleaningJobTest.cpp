#include "engine/CleaningJob.h"

#include "engine/CurrentFolder.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/engine/RecordingCleaningView.h"
#include "tests/unit/volume/FatImage.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CRecordingCleaningView;

constexpr uint64_t kMiB = 1024 * 1024;

// Drives on the memory platform, without raw access (no boot sector image): the job then
// takes the cluster size from the system, as on NT without administrator rights.
class CleaningJobTest : public ::testing::Test {
protected:
  void AddDrive(char letter, DriveType type = DriveType::Fixed, uint64_t free = 2 * kMiB,
                uint32_t cluster = 4096) {
    platform.FilesFake.AddVolume(letter, free, cluster);
    platform.DrivesFake.Drives[letter].Type = type;
  }

  std::unique_ptr<CCleaningJob> MakeJob(JobMode mode, const std::string& drives) {
    auto job = std::make_unique<CCleaningJob>(platform, settings, view, marker, mode, drives);
    job->SetPhases({/*Slack=*/false, /*Names=*/false});
    return job;
  }

  CMemoryPlatform platform;
  CSettings settings;
  CRecordingCleaningView view;
  CWipeMarker marker;
};

TEST_F(CleaningJobTest, DriveCountComesFromTheListText) {
  struct Case {
    const char* List;
    const char* Cleaned;
  };
  const Case cases[] = {{"C:", "C:, "}, {"C:, D:, E:", "C:, D:, E:, "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.List);
    CMemoryPlatform fresh;
    for (char letter : {'C', 'D', 'E'}) {
      fresh.FilesFake.AddVolume(letter, kMiB, 4096);
      fresh.DrivesFake.Drives[letter].Type = DriveType::Fixed;
    }
    CRecordingCleaningView v;
    CCleaningJob job(fresh, settings, v, marker, JobMode::Interactive, c.List);
    job.SetPhases({false, false});
    job.Run();
    EXPECT_EQ(job.GetCleanedList(), c.Cleaned);
    EXPECT_EQ(v.Report, "complete");
    EXPECT_TRUE(v.Closed);
  }
}

TEST_F(CleaningJobTest, PreCheckAsksOnlyInInteractiveMode) {
  AddDrive('C');
  platform.FilesFake.FailFind("C:\\*.*", kErrorNotReady);
  view.Answers = {kIdRetry, kIdCancel};
  auto job = MakeJob(JobMode::Interactive, "C:");
  job->Run();
  ASSERT_EQ(view.Boxes.size(), 2u) << "Retry asks again";
  EXPECT_EQ(view.Boxes[0].Text, "Drive C: could not be accessed.");
  EXPECT_EQ(view.Boxes[0].Caption, "Drive Error");
  EXPECT_EQ(view.Boxes[0].Style, kMbRetryCancel | kMbIconError);
  EXPECT_EQ(job->GetNotCleanedList(), "C:, ");
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::NotAccessible);
  EXPECT_EQ(view.Report, "partial");
  EXPECT_EQ(view.ReportCleaned, "None");
  EXPECT_EQ(view.ReportNotCleaned, "C:");

  for (JobMode mode : {JobMode::Scheduled, JobMode::Shutdown, JobMode::Logoff}) {
    SCOPED_TRACE(static_cast<int>(mode));
    view = CRecordingCleaningView();
    auto silent = MakeJob(mode, "C:");
    silent->Run();
    EXPECT_TRUE(view.Boxes.empty());
    EXPECT_EQ(silent->GetNotCleanedList(), "C:, ");
    EXPECT_EQ(view.Report, mode == JobMode::Scheduled ? "partial" : "") << "no report at shutdown";
  }
}

TEST_F(CleaningJobTest, EmptyRootPassesThePreCheck) {
  AddDrive('C');
  auto job = MakeJob(JobMode::Interactive, "C:");
  EXPECT_TRUE(job->PreCheckDrive('C'));
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(CleaningJobTest, WriteProtectedRemovableDrive) {
  AddDrive('A', DriveType::Removable);
  platform.FilesFake.Volume('A')->WriteProtected = true;
  auto scheduled = MakeJob(JobMode::Scheduled, "A:");
  scheduled->Run();
  EXPECT_TRUE(view.Boxes.empty());
  EXPECT_EQ(scheduled->GetNotCleanedList(), "A:, ");
  EXPECT_EQ(scheduled->GetDriveStatus(), DriveStatus::WriteProtected);

  view = CRecordingCleaningView();
  view.Answers = {kIdCancel};
  auto interactive = MakeJob(JobMode::Interactive, "A:");
  interactive->Run();
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Drive A: is write protected.  Remove the protection to continue.");

  // A writable removable drive gets its test file made and removed again.
  platform.FilesFake.Volume('A')->WriteProtected = false;
  auto writable = MakeJob(JobMode::Interactive, "A:");
  EXPECT_TRUE(writable->PreCheckDrive('A'));
  EXPECT_FALSE(platform.FilesFake.Exists("A:\\BlankwrightTMPa.~BW"));
  EXPECT_EQ(platform.FilesFake.Creates.back().Path, "A:\\BlankwrightTMPa.~BW");
}

TEST_F(CleaningJobTest, CancelDuringTheTempFolderEndsWithoutReportOrDrive) {
  AddDrive('C');
  platform.FilesFake.AddFile("C:\\temp\\a.tmp", "x");
  platform.FilesFake.AddFile("C:\\temp\\b.tmp", "y");
  settings.EmptyTempFolder = 1;
  settings.TempFolder = "c:\\temp";
  auto job = MakeJob(JobMode::Interactive, "C:");
  view.OnPump = [&] { job->OnCancel(); };
  view.Answers = {kIdYes};
  job->Run();
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::Aborted);
  EXPECT_EQ(view.Report, "");
  EXPECT_TRUE(view.Closed);
  EXPECT_EQ(job->GetCleanedList(), "");
  EXPECT_EQ(job->GetNotCleanedList(), "");
  EXPECT_FALSE(view.CancelEnabled);
  EXPECT_EQ(view.Boxes[0].Text, "Are you sure you want to quit cleaning?");
  EXPECT_EQ(view.Boxes[0].Caption, "Abort");
}

TEST_F(CleaningJobTest, ViewIsFirstTouchedByRunAndEnterCancelsOnlyWhileRunning) {
  AddDrive('C');
  auto job = MakeJob(JobMode::Shutdown, "C:");
  EXPECT_EQ(view.DriveList, "");
  EXPECT_TRUE(view.ProgressHistory.empty());
  EXPECT_FALSE(view.ShutdownIcon);
  EXPECT_FALSE(job->OnEnter()) << "not running yet: Enter is the dialog's";
  EXPECT_TRUE(view.Boxes.empty());

  bool taken = false;
  view.OnPump = [&] {
    if (!taken)
      taken = job->OnEnter();
  };
  view.Answers = {kIdYes};
  job->Run();
  EXPECT_EQ(view.DriveList, "C:");
  EXPECT_TRUE(view.ShutdownIcon);
  EXPECT_TRUE(taken);
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Are you sure you want to quit cleaning?");
  EXPECT_EQ(job->GetDriveStatus(), DriveStatus::Aborted);
  EXPECT_FALSE(job->IsRunning());
  EXPECT_FALSE(job->OnEnter());
}

TEST_F(CleaningJobTest, CancelOnTheSecondOfThreeDrives) {
  AddDrive('C');
  AddDrive('D');
  AddDrive('E');
  auto job = MakeJob(JobMode::Interactive, "C:, D:, E:");
  platform.FilesFake.OnWrite = [&](const memory::WriteRecord& w) {
    if (w.Path.rfind("D:\\", 0) == 0)
      job->OnClose();
  };
  job->Run();
  EXPECT_EQ(job->GetCleanedList(), "C:, ");
  EXPECT_EQ(job->GetNotCleanedList(), "D:, ");
  EXPECT_EQ(view.Report, "partial");
  EXPECT_EQ(view.ReportNotCleaned, "D:");
  for (const auto& create : platform.FilesFake.Creates)
    EXPECT_NE(create.Path[0], 'E') << "E is not touched";
  EXPECT_TRUE(platform.FilesFake.Names("D:\\").empty()) << "wipe files removed after cancel";
}

TEST_F(CleaningJobTest, NtFixedDriveWith512ByteClustersSkipsSlackOnly) {
  AddDrive('C', DriveType::Fixed, kMiB, 512);
  settings.CleanFileNames = 1;
  CCleaningJob job(platform, settings, view, marker, JobMode::Interactive, "C:");
  job.SetPhases({true, true});
  job.Run();
  EXPECT_EQ(view.Processes[0], "512 byte cluster size detected on Drive C:");
  EXPECT_EQ(view.Processes[1], "File Slack already cleaned by NT on Drive C:");
  EXPECT_EQ(view.Processes[2], "Cleaning free space on drive C:");
  // Without raw access the names phase shows its two notices.
  EXPECT_EQ(view.Processes[3], "No local-machine administrator rights detected.");
  EXPECT_EQ(view.Processes[4], "Skipping cleaning file and folder names.");
  // The two notices, the final fill's one wait, and the names notices.
  EXPECT_EQ(platform.SystemFake.SleptMilliseconds, 1500u + 1500 + 2000 + 2000 + 2000);
  EXPECT_EQ(job.GetCleanedList(), "C:, ");
}

TEST_F(CleaningJobTest, ReadOnlyFixedDriveIsNotReportedCleaned) {
  AddDrive('C');
  AddDrive('D');
  platform.FilesFake.Volume('C')->WriteProtected = true;
  auto job = MakeJob(JobMode::Scheduled, "C:, D:");
  job->Run();
  EXPECT_EQ(job->GetCleanedList(), "D:, ");
  EXPECT_EQ(job->GetNotCleanedList(), "C:, ");
  EXPECT_EQ(view.Report, "partial");
}

TEST_F(CleaningJobTest, SwapDriveIsNotWipedAtShutdownOn9x) {
  platform.SystemFake.Version = {kPlatformWin32Windows, 4, 10, 2222};
  AddDrive('C');
  AddDrive('D');
  // The 9x family needs raw access: a readable boot sector on each drive.
  platform.DrivesFake.Drives['C'].Image = test::CFatImage(test::FloppyGeometry()).Bytes;
  platform.DrivesFake.Drives['D'].Image = test::CFatImage(test::FloppyGeometry()).Bytes;
  settings.SwapFilePath = "c:\\windows\\win386.swp";
  settings.CleanSwapFile = 1;
  auto job = MakeJob(JobMode::Shutdown, "C:, D:");
  job->Run();
  for (const auto& create : platform.FilesFake.Creates)
    EXPECT_NE(create.Path.rfind("C:\\BlankwrightTMP", 0), 0u) << create.Path;
  bool wipedD = false;
  for (const auto& create : platform.FilesFake.Creates)
    wipedD |= create.Path == "D:\\BlankwrightTMP1.gf";
  EXPECT_TRUE(wipedD);
  EXPECT_EQ(job->GetCleanedList(), "C:, D:, ");
}

TEST_F(CleaningJobTest, BookkeepingDatesFixedDrivesAndKeepsCurrentDriveEmpty) {
  AddDrive('C');
  AddDrive('A', DriveType::Removable);
  settings.DriveList = "C1--------";
  platform.SystemFake.Now = {2026, 3, 6, 7, 10, 0, 0, 0};
  auto job = MakeJob(JobMode::Interactive, "A:, C:");
  job->Run();
  EXPECT_EQ(settings.DriveList, "C1 3 72026") << "removable drives get no date";
  EXPECT_EQ(ReadCurrentFolder(platform), "");
  EXPECT_TRUE(marker.Flag);
}

TEST_F(CleaningJobTest, ZeroClusterSizeIsReportedNotDividedBy) {
  AddDrive('C');
  platform.DrivesFake.Drives['C'].FreeSpaceFails = true;
  auto job = MakeJob(JobMode::Interactive, "C:");
  job->Run();
  ASSERT_FALSE(view.Boxes.empty());
  EXPECT_EQ(view.Boxes[0].Text,
            "Failed to read drive information, run ScanDisk to search for errors.");
  EXPECT_EQ(view.Boxes[0].Caption, "Drive Access Error");
  EXPECT_EQ(job->GetNotCleanedList(), "C:, ");
}

} // namespace
} // namespace bw
