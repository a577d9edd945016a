// The cleaning job asks whether each drive's volume is still there before every phase: a
// volume that goes away (unmounted, a stick pulled) stops its drive, which is reported not
// cleaned, and the wipe never starts on whatever the drive's folder lies on.
#include "engine/CleaningJob.h"
#include "engine/WipeMarker.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/DriveList.h"
#include "settings/Settings.h"
#include "tests/unit/engine/RecordingCleaningView.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CRecordingCleaningView;

constexpr uint64_t kMiB = 1024 * 1024;

class MountCheckTest : public ::testing::Test {
protected:
  MountCheckTest() {
    for (char letter : {'C', 'D'}) {
      platform.FilesFake.AddVolume(letter, kMiB, 4096);
      platform.DrivesFake.Drives[letter].Type = DriveType::Fixed;
    }
  }

  bool WipeFileMade(char letter) const {
    std::string prefix = std::string(1, letter) + ":\\BlankwrightTMP";
    for (const memory::CreateRecord& create : platform.FilesFake.Creates)
      if (create.Path.rfind(prefix, 0) == 0)
        return true;
    return false;
  }

  CMemoryPlatform platform;
  CSettings settings;
  CRecordingCleaningView view;
  CWipeMarker marker;
};

TEST_F(MountCheckTest, AVolumeThatIsNotThereIsNeitherWipedNorReportedCleaned) {
  platform.DrivesFake.Drives['C'].NotMounted = "C: /mnt/stick is not a mount point";
  CCleaningJob job(platform, settings, view, marker, JobMode::Scheduled, "C:, D:");
  job.SetPhases({false, false});
  job.Run();
  EXPECT_EQ(job.GetNotCleanedList(), "C:, ");
  EXPECT_EQ(job.GetCleanedList(), "D:, ") << "the next drive is still cleaned";
  EXPECT_FALSE(WipeFileMade('C'));
  EXPECT_TRUE(WipeFileMade('D'));
  EXPECT_NE(platform.DrivesFake.MountChecks.find('C'), std::string::npos);
}

TEST_F(MountCheckTest, AVolumeGoneBetweenPhasesStopsItsDrive) {
  // The checks of one drive come before the phases, before the wipe, before the names and at
  // the end; whichever finds the volume gone, the drive is not cleaned and keeps its date.
  for (int pullAt = 1; pullAt <= 5; ++pullAt) {
    SCOPED_TRACE(pullAt);
    CMemoryPlatform fresh;
    fresh.FilesFake.AddVolume('C', kMiB, 4096);
    fresh.DrivesFake.Drives['C'].Type = DriveType::Fixed;
    int checks = 0;
    fresh.DrivesFake.OnCheckMounted = [&](char letter) {
      if (++checks == pullAt)
        fresh.DrivesFake.Drives[letter].NotMounted = "C: the volume went away";
    };
    CSettings s;
    s.DriveList = MakeDriveRecord('C', true, kNeverCleaned);
    CRecordingCleaningView v;
    CCleaningJob job(fresh, s, v, marker, JobMode::Interactive, "C:");
    job.SetPhases({false, false});
    job.Run();
    EXPECT_GE(checks, pullAt);
    EXPECT_EQ(job.GetNotCleanedList(), "C:, ");
    EXPECT_EQ(job.GetCleanedList(), "");
    EXPECT_EQ(v.Report, "partial");
    EXPECT_EQ(s.DriveList, MakeDriveRecord('C', true, kNeverCleaned)) << "no last-cleaned date";
    bool wipeStarted = false;
    for (const memory::CreateRecord& create : fresh.FilesFake.Creates)
      wipeStarted = wipeStarted || create.Path.rfind("C:\\BlankwrightTMP", 0) == 0;
    EXPECT_EQ(wipeStarted, pullAt >= 4) << "no wipe once the volume is known gone";
  }
}

} // namespace
} // namespace bw
