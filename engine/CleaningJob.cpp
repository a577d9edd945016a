#include "engine/CleaningJob.h"

#include "engine/DriveNameWalk.h"
#include "engine/FolderEmptier.h"
#include "engine/FreeSpaceWipe.h"
#include "engine/NtfsRemnants.h"
#include "engine/OverwritePasses.h"
#include "engine/SlackCleaner.h"
#include "settings/Settings.h"

#include <cctype>
#include <cstdio>

namespace bw {
namespace {

std::string Format(const char* format, char letter) {
  char text[160];
  std::snprintf(text, sizeof(text), format, letter);
  return text;
}

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

CCleaningJob::CCleaningJob(IPlatform& platform, CSettings& settings, ICleaningView& view,
                           CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                           bool logOffCleaning)
    : _platform(platform), _settings(settings), _view(view), _wipeMarker(wipeMarker),
      _job(platform, view, mode, logOffCleaning), _driveListText(std::move(driveListText)),
      _volume(platform) {
  // The view is left alone here: a dialog creates the job before its window exists.
  _osFamily = DetermineOsFamily(_platform.System().GetVersion());
}

void CCleaningJob::Run() {
  _running = true;
  _view.SetDriveListText(_driveListText);
  _view.SetProcessText("");
  _view.SetProgress(0);
  _view.ShowShutdownIcon(_job.Mode() == JobMode::Shutdown);
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
    if (_job.Stopped())
      return;
  }
  if (_settings.EmptySpoolFolder && inJob(_settings.SpoolFolder)) {
    EmptySpoolFolder();
    if (_job.Stopped())
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
    if (_job.Status() == DriveStatus::Aborted)
      break;
  }

  _view.StopAnimation();
  if (_job.Mode() != JobMode::Shutdown && _job.Mode() != JobMode::Logoff)
    ShowReport();
}

void CCleaningJob::CleanDrive(char letter) {
  _job.SetStatus(DriveStatus::Ok);
  std::optional<int> foldersCounted; // by the slack cleaner, for the name walk's bar
  _job.Pump();
  if (_job.Stopped() || VolumeGone(letter) || !PreCheckDrive(letter)) // mount check hook
    return;

  bool volumeRead = _volume.Open(letter);
  if (!volumeRead) {
    if (_osFamily != kOsFamilyNt) {
      _job.SetStatus(DriveStatus::NotAccessible);
      return;
    }
    // On NT a sector 0 that cannot be read means no administrator rights: the rest of the job
    // goes on without raw access. One that was read but is no volume handled here (exFAT, say)
    // says nothing about the rights, and the later drives keep their raw access.
    if (!_volume.WasBootSectorRead())
      _rawAccess = false;
  }
  _clusterSize = _rawAccess && volumeRead ? _volume.GetBytesPerCluster()
                                          : GetSystemClusterSize(_platform, letter);
  // A size of 0 means the query failed; no phase can work without the cluster size.
  if (_clusterSize == 0 || _clusterSize % 512 != 0) {
    _job.MessageBox("Failed to read drive information, run ScanDisk to search for errors.",
                    "Drive Access Error", kMbOk | kMbIconError);
    _job.SetStatus(DriveStatus::NotAccessible);
    return;
  }

  bool fixed = _platform.Drives().GetDriveType(letter) == DriveType::Fixed;
  _quickDate.reset();
  if (fixed && _settings.SlackMode == 0)
    _quickDate = _settings.LastCleanedDate(_platform, letter);

  if (_settings.EmptyRecycleBin) {
    EmptyRecycleBin(letter);
    if (_job.Stopped())
      return;
  }
  if (VolumeGone(letter)) // mount check hook
    return;

  if (_platform.System().GetVersion().PlatformId == kPlatformWin32Nt && _clusterSize == 512 &&
      fixed) {
    ShowSkipped(Format("512 byte cluster size detected on Drive %c:", letter),
                Format("File Slack already cleaned by NT on Drive %c:", letter), 1500);
  } else if (_phases.Slack) {
    foldersCounted = CleanSlack(letter);
    if (_job.Stopped())
      return;
  }

  std::string root = Format("%c:\\", letter);
  _job.SetDetail(root);
  _job.SaveCurrentFolder(root);
  _job.SetDetail("");
  bool wipe = true;
  if (_osFamily != kOsFamilyNt && !_settings.SwapFilePath.empty()) {
    // The 9x swap file is cleaned outside Windows after a shut-down cleaning.
    char swapDrive = Upper(_settings.SwapFilePath[0]);
    wipe = !(_settings.CleanSwapFile && letter == swapDrive && _job.Mode() == JobMode::Shutdown);
  }
  if (VolumeGone(letter)) // mount check hook
    return;
  if (wipe)
    WipeFreeSpace(letter);

  if (_job.Stopped() || VolumeGone(letter)) // mount check hook
    return;
  _job.SetDetail("");
  if (!_settings.CleanFileNames)
    return;
  if (!_rawAccess) {
    ShowSkipped("No local-machine administrator rights detected.",
                "Skipping cleaning file and folder names.", 2000);
    _job.SetProcess("");
  } else if (_phases.Names && _volume.GetFileSystemType() != FileSystemType::Ntfs) {
    CleanDriveNames(letter, foldersCounted);
    _job.SetDetail("");
  }
}

void CCleaningJob::FinishDrive(char letter) {
  _job.SaveCurrentFolder("");
  if (!_job.Stopped())
    VolumeGone(letter); // mount check hook: a volume gone during the last phase
  (_job.Stopped() ? _notCleanedList : _cleanedList) += Format("%c:, ", letter);
  if (_job.Status() == DriveStatus::Ok)
    _settings.RecordCleaning(_platform, letter); // removable drives are left unchanged by it
}

void CCleaningJob::ShowReport() {
  auto trimmed = [](const std::string& list) {
    return list.size() >= 2 ? list.substr(0, list.size() - 2) : std::string("None");
  };
  if (_notCleanedList.empty() && _job.Status() != DriveStatus::Aborted)
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
    if (_job.Mode() != JobMode::Interactive ||
        _job.MessageBox(Format("Drive %c: could not be accessed.", letter), "Drive Error",
                        kMbRetryCancel | kMbIconError) != kIdRetry) {
      _job.SetStatus(DriveStatus::NotAccessible);
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
    if (_job.Mode() != JobMode::Interactive ||
        _job.MessageBox(
            Format("Drive %c: is write protected.  Remove the protection to continue.", letter),
            "Drive Error", kMbRetryCancel | kMbIconError) != kIdRetry) {
      _job.SetStatus(DriveStatus::WriteProtected);
      return false;
    }
  }
}

bool CCleaningJob::VolumeGone(char letter) {
  std::string reason;
  if (_platform.Drives().CheckMounted(letter, reason))
    return false;
  _job.SetStatus(DriveStatus::NotAccessible);
  return true;
}

void CCleaningJob::OnCancel() {
  _view.StopAnimation();
  if (_view.MessageBox("Are you sure you want to quit cleaning?", "Abort",
                       kMbYesNo | kMbIconQuestion) == kIdYes) {
    _job.SetStatus(DriveStatus::Aborted);
    _view.EnableCancel(false);
  } else {
    _view.StartAnimation();
  }
}

void CCleaningJob::OnClose() {
  _job.SetStatus(DriveStatus::Aborted);
  _view.EnableCancel(false);
}

void CCleaningJob::EmptyTempFolder() {
  CFolderEmptier(_job).EmptyTempFolder(_settings.TempFolder);
}

void CCleaningJob::EmptySpoolFolder() {
  CFolderEmptier(_job).EmptySpoolFolder(_settings.SpoolFolder);
}

void CCleaningJob::EmptyRecycleBin(char letter) {
  CFolderEmptier(_job).EmptyRecycleBin(letter);
}

std::optional<int> CCleaningJob::CleanSlack(char letter) {
  return CSlackCleaner(_job, _clusterSize, _quickDate, PassCount()).Clean(letter);
}

void CCleaningJob::WipeFreeSpace(char letter) {
  // What NTFS keeps outside its free space: small files inside free file records, and names in
  // folder indexes. Done first, so that the index blocks its fillers free are wiped with the
  // rest of the free space; the fillers hold the last pass's byte, as the free space will.
  if (PassCount() > 0 && _rawAccess && _volume.GetFileSystemType() == FileSystemType::Ntfs) {
    CNtfsMft mft(_volume);
    CNtfsRemnants(_job, &mft, PassByte(PassCount())).Run(letter);
    if (_job.Stopped())
      return;
  }
  CFreeSpaceWipe(_job, _wipeMarker, _osFamily, _clusterSize, PassCount()).Run(letter);
}

void CCleaningJob::CleanDriveNames(char letter, std::optional<int> foldersCounted) {
  CDriveNameWalk(_job, _volume).Run(letter, foldersCounted);
}

void CCleaningJob::ShowSkipped(const std::string& first, const std::string& second,
                               uint32_t pause) {
  _job.SetProcess(first);
  _job.Progress().Show(0);
  _platform.System().Sleep(pause);
  _job.SetProcess(second);
  _job.Progress().Show(100);
  _platform.System().Sleep(pause);
}

uint32_t CCleaningJob::PassCount() const {
  return bw::PassCount(_settings.OverwriteCount);
}

} // namespace bw
