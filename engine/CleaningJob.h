// CCleaningJob: takes a list of drives through the fixed order of cleaning phases.
//
// The job runs on the user-interface thread inside its progress view and pumps one message
// between small units of work; Cancel and close only set the drive status, which every phase
// tests right after pumping. Per drive: pre-check, volume reading, cluster size, QUICK date,
// Recycle Bin (CFolderEmptier), slack space (CSlackCleaner), free space (on NTFS first
// CNtfsRemnants, then CFreeSpaceWipe, which measures the space per pass), names
// (CDriveNameWalk), bookkeeping. The temp and spool
// folders are emptied once, before the first drive. Each phase gets the shared
// CCleaningContext and its inputs; what the job keeps are the facts of the drive.
#pragma once

#include "engine/CleaningContext.h"
#include "engine/JobControl.h"
#include "engine/WipeMarker.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace bw {

class CSettings;

class CCleaningJob final : public IJobControl {
public:
  CCleaningJob(IPlatform& platform, CSettings& settings, ICleaningView& view,
               CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
               bool logOffCleaning = false);

  /// The phases that later drives run; tests switch the slow ones off.
  struct Phases {
    bool Slack = true;
    bool Names = true;
  };
  void SetPhases(const Phases& phases) { _phases = phases; }

  /// Runs the whole job and closes the view at its end.
  void Run();

  /// Asks "Are you sure you want to quit cleaning?".
  void OnCancel() override;
  void OnClose() override;
  bool IsRunning() const override { return _running; }

  DriveStatus GetDriveStatus() const { return _job.Status(); }
  /// Drives formatted "%c:, " each, in the order they were finished.
  const std::string& GetCleanedList() const { return _cleanedList; }
  const std::string& GetNotCleanedList() const { return _notCleanedList; }

  // Phases, public so that each can be driven on its own in tests.
  bool PreCheckDrive(char letter);
  void EmptyTempFolder();
  void EmptySpoolFolder();
  void EmptyRecycleBin(char letter);
  void WipeFreeSpace(char letter);
  /// Returns the folders the slack cleaner counted, when its counting walk went through.
  std::optional<int> CleanSlack(char letter);
  /// foldersCounted: what CleanSlack returned for this drive, if it ran.
  void CleanDriveNames(char letter, std::optional<int> foldersCounted = std::nullopt);

  void SetClusterSize(uint32_t bytes) { _clusterSize = bytes; }

private:
  void RunPhases();
  void CleanDrive(char letter);
  void FinishDrive(char letter);
  void ShowReport();
  /// Mount check hook: true (drive not accessible) when letter's volume is no longer there.
  bool VolumeGone(char letter);
  /// Shows two texts with a pause after each, the bar at 0 and then at 100.
  void ShowSkipped(const std::string& first, const std::string& second, uint32_t pause);
  uint32_t PassCount() const;

  IPlatform& _platform;
  CSettings& _settings;
  ICleaningView& _view;
  CWipeMarker& _wipeMarker;
  Phases _phases;
  CCleaningContext _job;

  // The job's state, as its dialog holds it.
  bool _running = false;
  std::string _driveListText;
  uint16_t _osFamily = 0;
  bool _rawAccess = true;
  CVolumeInfo _volume;
  // The drive being cleaned: its cluster size and QUICK date (00:00:00 local of its last
  // cleaning), which the phases take as inputs.
  uint32_t _clusterSize = 32768;
  std::optional<FileTime> _quickDate;
  std::string _cleanedList;
  std::string _notCleanedList;
};

} // namespace bw
