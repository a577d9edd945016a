#include "engine/CleaningJob.h"

#include "engine/CurrentFolder.h"
#include "engine/PathShortening.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace bw {
namespace {

std::string Format(const char* format, char letter) {
  char text[160];
  std::snprintf(text, sizeof(text), format, letter);
  return text;
}

std::string ToLower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

CCleaningJob::CCleaningJob(IPlatform& platform, CSettings& settings, ICleaningView& view,
                           CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                           bool logOffCleaning)
    : _platform(platform), _settings(settings), _view(view), _wipeMarker(wipeMarker), _mode(mode),
      _driveListText(std::move(driveListText)), _logOffCleaning(logOffCleaning), _volume(platform) {
  // The view is left alone here: a dialog creates the job before its window exists.
  _osFamily = DetermineOsFamily(_platform.System().GetVersion());
}

void CCleaningJob::Run() {
  _running = true;
  _view.SetDriveListText(_driveListText);
  _view.SetProcessText("");
  _view.SetProgress(0);
  _view.ShowShutdownIcon(_mode == JobMode::Shutdown);
  _osFamily = DetermineOsFamily(_platform.System().GetVersion());
  _rawAccess = true;
  _view.StartAnimation();
  RunPhases();
  _running = false;
  _view.Close();
}

void CCleaningJob::RunPhases() {

  // The temp and spool folders are emptied once, and only when their drive is in the job.
  auto inJob = [&](const std::string& folder) {
    return !folder.empty() && _driveListText.find(Upper(folder[0])) != std::string::npos;
  };
  if (_settings.EmptyTempFolder && inJob(_settings.TempFolder)) {
    EmptyTempFolder();
    if (Stopped())
      return;
  }
  if (_settings.EmptySpoolFolder && inJob(_settings.SpoolFolder)) {
    EmptySpoolFolder();
    if (Stopped())
      return;
  }

  // "C:, D:, E:": a letter every four characters.
  size_t drives = _driveListText.size() / 4 + 1;
  for (size_t i = 0; i < drives && 4 * i < _driveListText.size(); ++i) {
    char letter = Upper(_driveListText[4 * i]);
    if (letter < 'A' || letter > 'Z')
      continue;
    CleanDrive(letter);
    FinishDrive(letter);
    if (_driveStatus == DriveStatus::Aborted)
      break;
  }

  _view.StopAnimation();
  if (_mode != JobMode::Shutdown && _mode != JobMode::Logoff)
    ShowReport();
}

void CCleaningJob::CleanDrive(char letter) {
  _driveStatus = DriveStatus::Ok;
  _slackRan = false;
  Pump();
  if (Stopped() || VolumeGone(letter) || !PreCheckDrive(letter)) // mount check hook
    return;

  bool volumeRead = _volume.Open(letter);
  if (!volumeRead) {
    if (_osFamily != kOsFamilyNt) {
      _driveStatus = DriveStatus::NotAccessible;
      return;
    }
    // On NT a sector 0 that cannot be read means no administrator rights: the rest of the job
    // goes on without raw access. One that was read but is no volume handled here (exFAT, say)
    // says nothing about the rights, and the later drives keep their raw access.
    if (!_volume.WasBootSectorRead())
      _rawAccess = false;
  }
  _freeBytes = GetFreeBytes(_platform, letter, _osFamily);
  _clusterSize = _rawAccess && volumeRead ? _volume.GetBytesPerCluster()
                                          : GetSystemClusterSize(_platform, letter);
  // A size of 0 means the query failed; no phase can work without the cluster size.
  if (_clusterSize == 0 || _clusterSize % 512 != 0) {
    AskMessage("Failed to read drive information, run ScanDisk to search for errors.",
               "Drive Access Error", kMbOk | kMbIconError);
    _driveStatus = DriveStatus::NotAccessible;
    return;
  }

  bool fixed = _platform.Drives().GetDriveType(letter) == DriveType::Fixed;
  _quickDate.reset();
  if (fixed && _settings.SlackMode == 0)
    _quickDate = _settings.LastCleanedDate(_platform, letter);

  if (_settings.EmptyRecycleBin) {
    EmptyRecycleBin(letter);
    if (Stopped())
      return;
  }
  if (VolumeGone(letter)) // mount check hook
    return;

  if (_platform.System().GetVersion().PlatformId == kPlatformWin32Nt && _clusterSize == 512 &&
      fixed) {
    SetProcess(Format("512 byte cluster size detected on Drive %c:", letter));
    SetBar(0);
    _platform.System().Sleep(1500);
    SetProcess(Format("File Slack already cleaned by NT on Drive %c:", letter));
    SetBar(100);
    _platform.System().Sleep(1500);
  } else if (_phases.Slack) {
    CleanSlack(letter);
    if (Stopped())
      return;
  }

  std::string root = Format("%c:\\", letter);
  SetDetail(root);
  SaveCurrentFolder(root);
  SetDetail("");
  bool wipe = true;
  if (_osFamily != kOsFamilyNt && !_settings.SwapFilePath.empty()) {
    // The 9x swap file is cleaned outside Windows after a shut-down cleaning.
    char swapDrive = Upper(_settings.SwapFilePath[0]);
    wipe = !(_settings.CleanSwapFile && letter == swapDrive && _mode == JobMode::Shutdown);
  }
  if (VolumeGone(letter)) // mount check hook
    return;
  if (wipe)
    WipeFreeSpace(letter);

  if (Stopped() || VolumeGone(letter)) // mount check hook
    return;
  SetDetail("");
  if (!_settings.CleanFileNames)
    return;
  if (!_rawAccess) {
    SetProcess("No local-machine administrator rights detected.");
    SetBar(0);
    _platform.System().Sleep(2000);
    SetProcess("Skipping cleaning file and folder names.");
    SetBar(100);
    _platform.System().Sleep(2000);
    SetProcess("");
  } else if (_phases.Names && _volume.GetFileSystemType() != FileSystemType::Ntfs) {
    CleanDriveNames(letter);
    SetDetail("");
  }
}

void CCleaningJob::FinishDrive(char letter) {
  SaveCurrentFolder("");
  if (!Stopped())
    VolumeGone(letter); // mount check hook: a volume gone during the last phase
  (Stopped() ? _notCleanedList : _cleanedList) += Format("%c:, ", letter);
  if (_driveStatus == DriveStatus::Ok)
    _settings.RecordCleaning(_platform, letter); // removable drives are left unchanged by it
}

void CCleaningJob::ShowReport() {
  auto trimmed = [](const std::string& list) {
    return list.size() >= 2 ? list.substr(0, list.size() - 2) : std::string("None");
  };
  if (_notCleanedList.empty() && _driveStatus != DriveStatus::Aborted)
    _view.ShowCompleteReport(trimmed(_cleanedList));
  else
    _view.ShowPartialReport(trimmed(_cleanedList), trimmed(_notCleanedList));
}

bool CCleaningJob::PreCheckDrive(char letter) {
  IFileSystem& files = _platform.Files();
  for (;;) {
    FindData data;
    if (files.FindFirstFile(Format("%c:\\*.*", letter), data) ||
        files.GetLastError() == kErrorFileNotFound)
      break; // listable, or an empty root
    if (_mode != JobMode::Interactive ||
        AskMessage(Format("Drive %c: could not be accessed.", letter), "Drive Error",
                   kMbRetryCancel | kMbIconError) != kIdRetry) {
      _driveStatus = DriveStatus::NotAccessible;
      return false;
    }
  }
  if (_platform.Drives().GetDriveType(letter) != DriveType::Removable)
    return true;
  std::string testFile = Format("%c:\\BlankwrightTMPa.~BW", letter);
  for (;;) {
    if (auto file =
            files.CreateFile(testFile, kGenericWrite, 0, kCreateAlways, kFileAttributeNormal)) {
      file->Close();
      files.DeleteFile(testFile);
      return true;
    }
    if (_mode != JobMode::Interactive ||
        AskMessage(
            Format("Drive %c: is write protected.  Remove the protection to continue.", letter),
            "Drive Error", kMbRetryCancel | kMbIconError) != kIdRetry) {
      _driveStatus = DriveStatus::WriteProtected;
      return false;
    }
  }
}

bool CCleaningJob::VolumeGone(char letter) {
  std::string reason;
  if (_platform.Drives().CheckMounted(letter, reason))
    return false;
  _driveStatus = DriveStatus::NotAccessible;
  return true;
}

void CCleaningJob::OnCancel() {
  _view.StopAnimation();
  if (_view.MessageBox("Are you sure you want to quit cleaning?", "Abort",
                       kMbYesNo | kMbIconQuestion) == kIdYes) {
    _driveStatus = DriveStatus::Aborted;
    _view.EnableCancel(false);
  } else {
    _view.StartAnimation();
  }
}

void CCleaningJob::OnClose() {
  _driveStatus = DriveStatus::Aborted;
  _view.EnableCancel(false);
}

void CCleaningJob::Pump() {
  _view.PumpMessage();
}

void CCleaningJob::SetProcess(const std::string& text) {
  _view.SetProcessText(text);
}

void CCleaningJob::SetDetail(const std::string& text) {
  _view.SetDetailText(text);
}

void CCleaningJob::ShowPathDetail(const std::string& path) {
  std::string shown = ToLower(path);
  if (shown.size() > kShortenAbove)
    shown = ShortenPath(shown, _view.DetailWidth(),
                        [this](const std::string& t) { return _view.MeasureDetailText(t); });
  SetDetail(shown);
}

void CCleaningJob::SetBar(int percent) {
  _progress.Show(percent);
}

void CCleaningJob::AdvanceProgress() {
  _progress.Advance();
}

int CCleaningJob::AskMessage(const std::string& text, const std::string& caption, uint32_t style) {
  // The animation rests while a message is up.
  _view.StopAnimation();
  int answer = _view.MessageBox(text, caption, style);
  _view.StartAnimation();
  return answer;
}

void CCleaningJob::DismissDiskSpaceNotices() {
  _platform.Desktop().CloseLowSpaceWarning();
  _platform.Desktop().PressWaitButton(_logOffCleaning);
}

void CCleaningJob::SaveCurrentFolder(const std::string& folder) {
  bw::SaveCurrentFolder(_platform, folder);
}

bool CCleaningJob::MemoryError() {
  AskMessage(kOutOfMemoryText, kOutOfMemoryCaption, kMbOk | kMbIconError);
  _driveStatus = DriveStatus::OutOfMemory;
  return false;
}

std::optional<std::string> CCleaningJob::FullPath(const CFolderListing& listing,
                                                  const std::string& name) {
  const std::string& folder = listing.Here();
  if (folder.empty() || folder.size() >= kCurrentDirectorySize)
    return std::nullopt;
  std::string path = JoinPath(folder, name);
  if (path.size() >= kMaxPath)
    return std::nullopt;
  return path;
}

uint32_t CCleaningJob::PassCount() const {
  return bw::PassCount(_settings.OverwriteCount);
}

} // namespace bw
