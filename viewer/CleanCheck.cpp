#include "viewer/CleanCheck.h"

#include "engine/OverwritePasses.h"
#include "engine/volume/DeletedNames.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/MessageBox.h"
#include "viewer/DriveScan.h"
#include "viewer/ViewerView.h"

#include <algorithm>
#include <cstdlib>

namespace bw {
namespace {

// The scan's window, without a window: it names the drive, answers every message box with OK
// and keeps the first message as the reason the check could not finish. With a progress sink it
// turns the scan's read-to figure into a share of the drive and stops the scan when asked.
class CQuietViewerView final : public IViewerView {
public:
  CQuietViewerView(char letter, ICleanCheckProgress* progress)
      : _entry{letter, ':'}, _progress(progress) {}

  /// The scan this view stops; set once the scan exists.
  void Attach(IJobControl* scan) { _scan = scan; }

  std::string SelectedDriveEntry() override { return _entry; }
  DisplayMode GetDisplayMode() override { return DisplayMode::Text; }
  void SetStatisticText(StatisticText which, const std::string& text) override {
    switch (which) {
    case StatisticText::DriveFormat:
      Format = text;
      break;
    case StatisticText::ValidClusters: {
      // "2 - 4085" on FAT, "0 - 32767" on NTFS: the last cluster follows the dash.
      size_t dash = text.find('-');
      _lastCluster =
          dash == std::string::npos ? 0 : std::strtoull(text.c_str() + dash + 1, nullptr, 10);
      break;
    }
    case StatisticText::ReadTo:
      if (!text.empty() && _lastCluster > 0)
        Report(
            std::min<uint64_t>(100, std::strtoull(text.c_str(), nullptr, 10) * 100 / _lastCluster));
      break;
    default:
      break;
    }
  }
  void RefreshTexts() override {}
  void ClearClusterList() override {}
  void AppendCluster(const std::string&) override {}
  void SetDataLines(const std::vector<std::string>&) override {}
  void SetScanning(bool) override {}
  void PumpMessage() override {
    if (_progress && !Stopped && _progress->PumpMessage()) {
      Stopped = true;
      if (_scan)
        _scan->OnClose();
    }
  }
  int MessageBox(const std::string& text, const std::string&, uint32_t) override {
    if (Message.empty())
      Message = text;
    return kIdOk;
  }
  void ShowReport(const ScanReport&) override {}

  std::string Format;
  std::string Message;
  bool Stopped = false;

private:
  void Report(uint64_t percent) {
    if (_progress && static_cast<int>(percent) != _percent) {
      _percent = static_cast<int>(percent);
      _progress->SetProgress(_percent);
    }
  }

  std::string _entry;
  ICleanCheckProgress* _progress;
  IJobControl* _scan = nullptr;
  uint64_t _lastCluster = 0;
  int _percent = 0; // where the check puts the bar as it begins
};

constexpr const char* kStopped = "the check was stopped";

std::string Count(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

uint8_t LastPassByte(int32_t overwriteCount) {
  return PassByte(std::max<uint32_t>(1, PassCount(overwriteCount)));
}

CleanCheckResult CheckCleanDrive(IPlatform& platform, char letter, uint8_t fill,
                                 ICleanCheckProgress* progress) {
  CleanCheckResult result;
  if (progress)
    progress->SetProgress(0);
  CQuietViewerView view(letter, progress);
  CDriveScan scan(platform, view);
  view.Attach(&scan);
  scan.RequireFill(fill);
  ScanOutcome outcome = scan.Scan();
  result.Format = view.Format;
  result.ResidualClusters = scan.GetHitCount();
  if (view.Stopped) {
    result.Stopped = true;
    result.Failure = kStopped;
    return result;
  }
  if (outcome != ScanOutcome::Completed) {
    result.Failure = !scan.GetFailureDetail().empty() ? scan.GetFailureDetail()
                     : !view.Message.empty()          ? view.Message
                                                      : "the free space could not be read";
    return result;
  }

  CVolumeInfo volume(platform);
  if (!volume.Open(letter)) {
    result.Failure = "the volume could not be read again for its folders";
    return result;
  }
  result.BytesPerCluster = volume.GetBytesPerCluster();
  if (volume.GetFileSystemType() != FileSystemType::Ntfs) {
    DeletedNameCount names;
    if (!CountVolumeDeletedNames(volume, names)) {
      result.Failure = "the root folder could not be read";
      return result;
    }
    result.NamesCounted = true;
    result.ResidualNames = names.Names;
    result.FoldersSkipped = names.FoldersSkipped;
  }
  result.Completed = true;
  return result;
}

std::string CleanCheckText(char letter, const CleanCheckResult& result) {
  std::string drive = std::string("Verify drive ") + letter + ": ";
  if (!result.Completed)
    return drive + "not checked to the end: " + result.Failure + "\n";
  std::string text = drive + std::to_string(result.ResidualClusters) +
                     (result.ResidualClusters == 1 ? " cluster" : " clusters") +
                     " of free space still hold data";
  if (result.NamesCounted) {
    text += ", " + std::to_string(result.ResidualNames) +
            (result.ResidualNames == 1 ? " deleted name" : " deleted names") + " still readable";
    if (result.FoldersSkipped > 0)
      text += ", " + std::to_string(result.FoldersSkipped) + " folders not read";
  }
  text += result.IsClean() ? " (clean)\n" : "\n";
  return text;
}

std::vector<CleanCheckDrive> CheckCleanDrives(IPlatform& platform, const std::string& driveList,
                                              uint8_t fill, ICleanCheckProgress& progress) {
  std::vector<CleanCheckDrive> drives;
  bool stopped = false;
  // "C:, D:": a letter every four characters, each followed by its colon.
  for (size_t at = 0; at + 1 < driveList.size(); at += 4) {
    char letter = driveList[at];
    if (driveList[at + 1] != ':' || letter < 'A' || letter > 'Z')
      continue;
    CleanCheckDrive drive;
    drive.Letter = letter;
    if (stopped) {
      drive.Result.Stopped = true;
      drive.Result.Failure = kStopped;
    } else {
      progress.CheckingDrive(letter);
      drive.Result = CheckCleanDrive(platform, letter, fill, &progress);
      stopped = drive.Result.Stopped;
    }
    drives.push_back(drive);
  }
  return drives;
}

std::string CleanCheckReportText(const std::vector<CleanCheckDrive>& drives, bool namesCleaned) {
  if (drives.empty())
    return {};
  std::string text = "Verified after cleaning (0 is the goal):";
  for (const CleanCheckDrive& drive : drives) {
    const CleanCheckResult& result = drive.Result;
    text += "\r\n";
    text += drive.Letter;
    text += ": ";
    if (!result.Completed) {
      text += "not checked to the end: " + result.Failure + ".";
      continue;
    }
    text += Count(result.ResidualClusters, "cluster", "clusters") + " of free space " +
            (result.ResidualClusters == 1 ? "holds" : "hold") + " data";
    // The wipe overwrites what was free while it ran; space a program gives up later is not.
    if (result.ResidualClusters > 0)
      text += " (freed by programs during or after the wipe)";
    if (result.NamesCounted) {
      text += ", " + Count(result.ResidualNames, "deleted name", "deleted names") + " readable";
      if (result.ResidualNames > 0)
        text += namesCleaned ? " (files deleted after their folders were cleaned)"
                             : " (name cleaning is off on the General page)";
      if (result.FoldersSkipped > 0)
        text += ", " + Count(result.FoldersSkipped, "folder", "folders") + " could not be read";
    }
    text += ".";
  }
  return text;
}

} // namespace bw
