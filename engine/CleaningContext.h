// CCleaningContext: what every phase of a cleaning job shares. The job's view and its drive
// status, the pump and the poll, the progress bar, the two lines of text and the message boxes,
// so that each phase takes this one object and its own inputs.
#pragma once

#include "engine/CleaningView.h"
#include "engine/DirectoryNameCleaner.h"
#include "engine/FolderWalk.h"
#include "engine/JobProgress.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bw {

class IPlatform;

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

class CCleaningContext final : public INameCleaningHost {
public:
  CCleaningContext(IPlatform& platform, ICleaningView& view, JobMode mode, bool logOffCleaning)
      : _platform(platform), _view(view), _mode(mode), _logOffCleaning(logOffCleaning) {}

  IPlatform& Platform() const { return _platform; }
  ICleaningView& View() const { return _view; }
  JobMode Mode() const { return _mode; }

  DriveStatus Status() const { return _status; }
  void SetStatus(DriveStatus status) { _status = status; }
  /// True once the drive's phases are to stop: aborted, or the drive failed.
  bool Stopped() const { return _status != DriveStatus::Ok; }

  // What a name cleaning is lent.
  void Pump() override;
  bool Cancelled() override { return Stopped(); }
  void DismissNotices() override;
  /// A message box with the animation resting meanwhile; returns an kId* result.
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;

  void SetProcess(const std::string& text);
  void SetDetail(const std::string& text);
  /// Shows path lower-cased on the detail line, shortened with "..." to fit it.
  void ShowPathDetail(const std::string& path);
  CJobProgress& Progress() { return _progress; }

  /// Tells the user that memory ran out and stops the drive; returns false.
  bool MemoryError();
  /// Keeps folder as CURRENTDRIVE, for the tidying after an interrupted job.
  void SaveCurrentFolder(const std::string& folder);

  /// The listed folder joined with name, or nothing when it would exceed kMaxPath.
  static std::optional<std::string> FullPath(const CFolderListing& listing,
                                             const std::string& name);

private:
  IPlatform& _platform;
  ICleaningView& _view;
  JobMode _mode;
  bool _logOffCleaning;
  DriveStatus _status = DriveStatus::Ok;
  CJobProgress _progress{[this](int percent) { _view.SetProgress(percent); }};
};

} // namespace bw
