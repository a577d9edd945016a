// CZapJob: destroys a list of selected files and folders. Every file is overwritten in place
// N times and deleted, every selected folder is emptied that way from the bottom up and
// removed, and the deleted names left behind are cleaned.
//
// The job runs on the user-interface thread inside its progress view (the Zapping Progress
// dialog) and pumps one message per selection, per folder entry and per 32 KiB written; Cancel,
// a close and Abort in a prompt only set the cancel flag, which every loop tests after pumping.
//
// Letter case: the job holds every path twice. The lower-cased form is what the user sees, in
// the path line and in every message, as the selection list has always shown paths. The form
// as given (a selection as it came in, a name met in a walk as the file system stores it) is
// the one every file operation uses. On Windows the two name the same file. Where names are
// told apart by case (a Linux folder may hold "Report.txt" and "report.txt"), a lower-cased
// path would lead the case-blind lookup to whichever twin matches exactly, and the zap would
// destroy a file nobody selected; the path as given always reaches the selected one.
#pragma once

#include "engine/DirectoryNameCleaner.h"
#include "engine/JobControl.h"
#include "engine/JobProgress.h"
#include "engine/OverwritePasses.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/Platform.h"
#include "zap/ZapNameCleaning.h"
#include "zap/ZapPrompts.h"
#include "zap/ZapView.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class CSettings;

/// Bytes per write and size of each pass buffer.
constexpr uint32_t kZapWriteSize = 32768;
/// Writes of one file between two flushes.
constexpr uint32_t kZapFlushEvery = 70;
/// The longest path the job handles: the current folder joined with a name has a 256-byte
/// buffer, the shell deletion's source a 257-byte one ending in two zero bytes.
constexpr size_t kZapMaxPath = 255;
/// The longest folder path: "\*.*" is appended to it in a 257-byte buffer.
constexpr size_t kZapMaxFolderPath = 252;

class CZapJob final : public IJobControl, public INameCleaningHost {
public:
  /// selections in list order: drive roots ("c:\"), folders, files or network paths.
  CZapJob(IPlatform& platform, const CSettings& settings, IZapView& view,
          std::vector<std::string> selections);
  ~CZapJob() override;
  CZapJob(const CZapJob&) = delete;
  CZapJob& operator=(const CZapJob&) = delete;

  /// Puts another folder name cleaning in place of the real one (tests); null restores it.
  void SetNameCleaning(IZapNameCleaning* cleaning);

  /// Runs the whole job and closes the view at its end.
  void Run();

  /// Asks "Are you sure you want to stop zapping the selected files?".
  void OnCancel() override;
  void OnClose() override;
  bool IsRunning() const override { return _running; }

  bool IsCancelled() const { return _cancelled; }

  // INameCleaningHost: the name cleaning pumps, polls and asks through the job.
  void Pump() override;
  bool Cancelled() override { return _cancelled; }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;

private:
  /// One item: its path as given (for file operations) and lower-cased (for the user).
  struct Item {
    std::string Access;
    std::string Shown;
  };
  enum class Existence { Found, Vanished, Cancelled };

  void RunSelections();
  void HandleSelection(const std::string& selection);
  Existence TestExistence(const std::string& pattern, FindData& data);
  bool ReadDriveFormat();
  void ZapFolderSelection();
  void WalkFolder();
  bool RemoveFolder(const std::string& folder);
  void FolderError(const std::string& folder);
  void RemoveLink(const std::string& path, uint32_t attributes);
  void CleanNames(const std::string& folder);
  void CleanParentFolderNames();

  // The per-file gate and the file destruction.
  void GateFile(const FindData& data);
  bool Confirm(const ZapPrompt& prompt, ZapPromptKind kind);
  bool MakeWritable();
  /// How one overwrite pass of a file ended.
  enum class PassEnd { Done, Stopped, NotOverwritten };
  void DestroyFile(const FindData& data, bool overwrite);
  PassEnd OverwritePass(uint32_t pass, uint32_t passes, uint64_t size, uint64_t paddedSize,
                        uint32_t& writes);
  /// Closes file, reports it not overwritten and stops the job; the file is kept.
  PassEnd NotOverwritten(IFile& file);

  // Shared helpers.
  void SetCurrent(const std::string& accessPath);
  void ShowCurrentPath();
  void SetBar(int percent);
  void SetPass(const std::string& text);
  /// Stops the animation and shows a message box; the caller restarts it if the job goes on.
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style);
  void RestartAnimation();
  /// Shows why a path too long for the fixed buffers is left alone; true when it is.
  bool RefuseLongPath(const Item& item, bool folder);
  void Cancel() { _cancelled = true; }
  uint32_t PassCount() const;

  IPlatform& _platform;
  const CSettings& _settings;
  IZapView& _view;
  const std::vector<std::string> _selections;
  uint16_t _osFamily = 0;

  // The job's state, as its dialog holds it.
  Item _current;         ///< the item being handled
  int _pathWidth = 0;    ///< the path line's width, for shortening
  CPassBuffers _buffers; ///< 0x00 and 0xFF, kZapWriteSize each
  uint32_t _roundingUnit = 0;
  bool _nameCleaning = false;
  bool _formatNeeded = false;
  CVolumeInfo _volume;
  bool _severalItems = false;
  std::array<bool, kZapPromptKindCount> _yesToAll{};
  bool _cancelled = false;
  bool _running = false;
  bool _animationStarted = false;
  CJobProgress _progress{[this](int percent) { _view.SetProgress(percent); }};

  CZapNameCleaning _ownNameCleaning;
  IZapNameCleaning* _nameCleaner;
};

} // namespace bw
