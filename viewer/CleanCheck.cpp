#include "viewer/CleanCheck.h"

#include "engine/OverwritePasses.h"
#include "engine/volume/DeletedNames.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/MessageBox.h"
#include "viewer/DriveScan.h"
#include "viewer/ViewerView.h"

#include <algorithm>

namespace bw {
namespace {

// The scan's window, without a window: it names the drive, answers every message box with OK
// and keeps the first message as the reason the check could not finish.
class CQuietViewerView final : public IViewerView {
public:
  explicit CQuietViewerView(char letter) : _entry{letter, ':'} {}

  std::string SelectedDriveEntry() override { return _entry; }
  DisplayMode GetDisplayMode() override { return DisplayMode::Text; }
  void SetStatisticText(StatisticText which, const std::string& text) override {
    if (which == StatisticText::DriveFormat)
      Format = text;
  }
  void RefreshTexts() override {}
  void ClearClusterList() override {}
  void AppendCluster(const std::string&) override {}
  void SetDataLines(const std::vector<std::string>&) override {}
  void SetScanning(bool) override {}
  void PumpMessage() override {}
  int MessageBox(const std::string& text, const std::string&, uint32_t) override {
    if (Message.empty())
      Message = text;
    return kIdOk;
  }
  void ShowReport(const ScanReport&) override {}

  std::string Format;
  std::string Message;

private:
  std::string _entry;
};

} // namespace

uint8_t LastPassByte(int32_t overwriteCount) {
  return PassByte(std::max<uint32_t>(1, PassCount(overwriteCount)));
}

CleanCheckResult CheckCleanDrive(IPlatform& platform, char letter, uint8_t fill) {
  CleanCheckResult result;
  CQuietViewerView view(letter);
  CDriveScan scan(platform, view);
  scan.RequireFill(fill);
  ScanOutcome outcome = scan.Scan();
  result.Format = view.Format;
  result.ResidualClusters = scan.GetHitCount();
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

} // namespace bw
