// CCleaningJob: takes a list of drives through the fixed order of cleaning phases.
//
// The job runs on the user-interface thread inside its progress view and pumps one message
// between small units of work; Cancel and close only set the drive status, which every phase
// tests right after pumping. Per drive: pre-check, volume reading, free-space measurement,
// cluster size, QUICK date, Recycle Bin, slack space, free space, names, bookkeeping. The temp
// and spool folders are emptied once, before the first drive.
#pragma once

#include "engine/CleaningView.h"
#include "engine/FolderWalk.h"
#include "engine/JobControl.h"
#include "engine/JobProgress.h"
#include "engine/NameCleaner.h"
#include "engine/OverwritePasses.h"
#include "engine/WipeMarker.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <optional>
#include <string>

namespace bw {

class CSettings;

enum class JobMode : int {
  Interactive = 1, ///< after "Close All Programs": access failures ask Retry/Cancel
  Scheduled = 2,
  Shutdown = 3,
  Logoff = 4,
};

enum class DriveStatus : int {
  Ok = 0,
  Aborted = 1,
  OutOfMemory = 2,
  WriteProtected = 3,
  NotAccessible = 4,
};

/// The current-directory buffer of the walks.
constexpr size_t kCurrentDirectorySize = 256;
/// How deep the walks go: deeper than any real tree, and the end of a folder cycle that a
/// broken file system might show.
constexpr int kMaxWalkDepth = 128;

/// Whether a walk enters entry: a folder, not "." or "..", and not a link. A link is never
/// followed: what it points at is cleaned where it lies, and a link to a folder above would
/// make the walk go round for ever.
inline bool IsFolderToWalk(const FindData& entry) {
  return (entry.Attributes & kFileAttributeDirectory) &&
         !(entry.Attributes & kFileAttributeReparsePoint) && entry.Name[0] != '.';
}

class CCleaningJob final : public IJobControl, private INameCleaningHost {
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

  DriveStatus GetDriveStatus() const { return _driveStatus; }
  /// Drives formatted "%c:, " each, in the order they were finished.
  const std::string& GetCleanedList() const { return _cleanedList; }
  const std::string& GetNotCleanedList() const { return _notCleanedList; }

  // Phases, public so that each can be driven on its own in tests.
  bool PreCheckDrive(char letter);
  void EmptyTempFolder();
  void EmptySpoolFolder();
  void EmptyRecycleBin(char letter);
  void WipeFreeSpace(char letter);
  void CleanSlack(char letter);
  void CleanDriveNames(char letter);

  void SetClusterSize(uint32_t bytes) { _clusterSize = bytes; }

private:
  void RunPhases();
  void CleanDrive(char letter);
  void FinishDrive(char letter);
  void ShowReport();

  // Shared helpers of the phases; the first three are also what name cleaning is lent.
  void Pump() override;
  bool Cancelled() override { return Stopped(); }
  void DismissNotices() override { DismissDiskSpaceNotices(); }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    return AskMessage(text, caption, style);
  }
  bool Stopped() const { return _driveStatus != DriveStatus::Ok; }
  /// Mount check hook: true (drive not accessible) when letter's volume is no longer there.
  bool VolumeGone(char letter);
  void SetProcess(const std::string& text);
  void SetDetail(const std::string& text);
  void ShowPathDetail(const std::string& path);
  void SetBar(int percent);
  void AdvanceProgress();
  int AskMessage(const std::string& text, const std::string& caption, uint32_t style);
  void DismissDiskSpaceNotices();
  void SaveCurrentFolder(const std::string& folder);
  bool MemoryError();
  /// The listed folder joined with name, or nothing when it would exceed kMaxPath.
  static std::optional<std::string> FullPath(const CFolderListing& listing,
                                             const std::string& name);
  uint32_t PassCount() const;

  // Folder emptying.
  bool EmptyFolder(const std::string& folder, const std::string& failureText,
                   const std::string& processText);
  /// Deletes what the current folder holds; false when the walk lost its way back up and
  /// stopped.
  bool DeleteWalk(int depth);

  // Free-space wiping.
  /// How writing one wipe file ended: written to its size (or its end), cut short by a full
  /// disk, not created on a full disk, or failed for another reason (already reported).
  enum class WipeEnd { Filled, CameShort, NotCreated, Failed };
  std::string WipeFileName(char letter, uint32_t number) const;
  void DeleteWipeFiles(char letter, uint32_t last);
  static bool IsDiskFull(uint32_t error);
  void WipeFailed(char letter);
  std::unique_ptr<IFile> CreateWipeFile(char letter, uint32_t number, WipeEnd& end);
  /// Writes one unit; false, after reporting the drive, when it failed other than by a full
  /// disk.
  bool WriteUnit(char letter, IFile& file, const uint8_t* data, uint32_t size, uint32_t& written);
  WipeEnd WriteBulkFile(char letter, uint32_t number, const CPassBuffers& buffers, uint32_t pass);
  WipeEnd WriteRemainderFile(char letter, uint32_t number, const CPassBuffers& buffers,
                             uint32_t pass);
  WipeEnd WriteFinalFillFile(char letter, uint32_t number, const CPassBuffers& buffers,
                             uint32_t pass);
  void CountWrite();

  // Slack-space cleaning.
  void SlackWalk(const CPassBuffers& buffers, int depth);
  bool QualifiesForSlack(const FindData& entry) const;
  void OverwriteSlack(const CPassBuffers& buffers);

  // Deleted-name cleaning.
  void NameWalk(CNameCleaner& cleaner, int depth);
  void CountFolders(int depth);

  IPlatform& _platform;
  CSettings& _settings;
  ICleaningView& _view;
  CWipeMarker& _wipeMarker;
  Phases _phases;

  // The job's state, as its dialog holds it.
  JobMode _mode;
  bool _running = false;
  DriveStatus _driveStatus = DriveStatus::Ok;
  std::string _driveListText;
  uint16_t _osFamily = 0;
  bool _rawAccess = true;
  bool _logOffCleaning;
  CVolumeInfo _volume;
  uint32_t _clusterSize = 32768;
  uint64_t _freeBytes = 0;
  CJobProgress _progress{[this](int percent) { _view.SetProgress(percent); }};
  std::optional<FileTime> _quickDate; ///< 00:00:00 local of the drive's last cleaning
  std::string _currentPath;
  FindData _findRecord;
  // Slack counters: mode (0 counting, 1 cleaning), folders counted, files to clean, cleaned.
  int _slackMode = 0;
  int _foldersCounted = 0;
  int _filesToClean = 0;
  int _filesCleaned = 0;
  bool _slackRan = false;
  uint32_t _writeCounter = 1; ///< writes since the notices were last dismissed
  std::string _cleanedList;
  std::string _notCleanedList;
};

} // namespace bw
