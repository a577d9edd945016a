#include "viewer/DriveScan.h"

#include "engine/volume/OsFamily.h"
#include "platform/Bytes.h"
#include "platform/Platform.h"
#include "viewer/DataDisplay.h"
#include "viewer/ScanReport.h"
#include "viewer/ViewerRules.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace bw {
namespace {

std::string WithLetter(const char* before, char letter, const char* after) {
  return std::string(before) + letter + after;
}

} // namespace

bool IsBlankCluster(const uint8_t* data, size_t size) {
  // Most free space is all zeros or all ones: whole words of those are passed over at once.
  size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    uint64_t word;
    std::memcpy(&word, data + at, 8);
    if (word == 0 || word == ~uint64_t{0})
      continue;
    for (size_t i = 0; i < 8; ++i) {
      uint8_t b = data[at + i];
      if (b != 0x00 && b != 0xFF && b != 0xF6)
        return false;
    }
  }
  for (; at < size; ++at)
    if (data[at] != 0x00 && data[at] != 0xFF && data[at] != 0xF6)
      return false;
  return true;
}

bool IsFilledWith(const uint8_t* data, size_t size, uint8_t fill) {
  for (size_t at = 0; at < size; ++at)
    if (data[at] != fill)
      return false;
  return true;
}

CDriveScan::CDriveScan(IPlatform& platform, IViewerView& view)
    : _platform(platform), _view(view), _volume(platform) {}

CDriveScan::~CDriveScan() = default;

bool CDriveScan::AllocateClusterBuffer() {
  return _clusterBuffer.size() == kClusterBufferSize ||
         TryResize(_clusterBuffer, kClusterBufferSize);
}

void CDriveScan::ReleaseClusterBuffer() {
  std::vector<uint8_t>().swap(_clusterBuffer);
  _opened = false;
}

int CDriveScan::Message(const std::string& text, const std::string& caption, uint32_t style) {
  return _view.MessageBox(text, caption, style);
}

void CDriveScan::SetText(StatisticText which, uint64_t value) {
  _view.SetStatisticText(which, std::to_string(value));
}

bool CDriveScan::OpenDrive() {
  std::string entry = _view.SelectedDriveEntry();
  _opened = false;
  _cancelled = false;
  _readFailed = false;
  _hits = 0;
  _failureDetail.clear();
  for (StatisticText which :
       {StatisticText::ClusterSize, StatisticText::DriveFormat, StatisticText::FreeSpace,
        StatisticText::ValidClusters, StatisticText::ReadTo})
    _view.SetStatisticText(which, "");
  _view.SetStatisticText(StatisticText::DeletedClusters, "0");
  _view.SetDataLines({});
  _view.ClearClusterList();
  _view.RefreshTexts();

  _letter = ScanDriveLetter(entry);

  // An empty drive (no file at all) is ready; any other failure is not.
  IFileSystem& files = _platform.Files();
  FindData found;
  if (!files.FindFirstFile(std::string(1, _letter) + ":\\*.*", found) &&
      files.GetLastError() != kErrorFileNotFound) {
    Message(WithLetter("Failed to access drive ", _letter, ":."), "Drive Not Ready",
            kMbOk | kMbIconError);
    return false;
  }

  if (!_volume.Open(_letter)) {
    // Sector 0 was read but is no volume this program can scan: the format is the problem,
    // not the rights of the user.
    if (!_volume.WasBootSectorRead() && _volume.GetOsFamily() == kOsFamilyNt)
      Message("Drive access denied. You must have local administrator rights to scan this "
              "system.",
              "Access Error", kMbOk | kMbIconError);
    else
      Message(WithLetter("Failed to read format on drive ", _letter, ":."), "Drive Not Ready",
              kMbOk | kMbIconError);
    return false;
  }
  uint32_t bytesPerCluster = _volume.GetBytesPerCluster();
  if (bytesPerCluster > kClusterBufferSize) {
    Message(WithLetter("Drive ", _letter, ": has clusters of ") + std::to_string(bytesPerCluster) +
                " bytes. Drive Viewer scans clusters of up to 131072 bytes.",
            "Drive Not Ready", kMbOk | kMbIconError);
    return false;
  }
  if (!AllocateClusterBuffer() || !_window.Allocate()) {
    Message(WithLetter("Not enough memory to scan drive ", _letter, ":."), kViewerTitle,
            kMbOk | kMbIconWarning);
    return false;
  }

  std::string windows;
  _windowsDrive = _platform.System().GetWindowsDirectory(windows) && !windows.empty() &&
                  std::toupper(static_cast<unsigned char>(windows[0])) == _letter;

  bool ntfs = _volume.GetFileSystemType() == FileSystemType::Ntfs;
  _firstCluster = ntfs ? 0 : 2;
  SetText(StatisticText::ClusterSize, bytesPerCluster);
  // A failed free-space query answers all ones, which reads -1 as a signed number.
  _view.SetStatisticText(StatisticText::FreeSpace,
                         std::to_string(static_cast<int64_t>(_volume.GetFreeBytes())));
  _view.SetStatisticText(StatisticText::DriveFormat,
                         FileSystemTypeName(_volume.GetFileSystemType()));
  _view.SetStatisticText(StatisticText::ValidClusters,
                         ntfs ? "0 - " + std::to_string(_volume.GetNtfsClusterCount())
                              : "2 - " + std::to_string(uint64_t{_volume.GetClusterCount()} + 1));
  _view.RefreshTexts();
  _opened = true;
  return true;
}

ScanKind CDriveScan::BeginScan() {
  if (!OpenDrive())
    return ScanKind::None;
  return _volume.GetFileSystemType() == FileSystemType::Ntfs ? ScanKind::Ntfs : ScanKind::Fat;
}

ScanOutcome CDriveScan::Scan() {
  switch (BeginScan()) {
  case ScanKind::Fat:
    return RunFatScan();
  case ScanKind::Ntfs:
    return RunNtfsScan();
  default:
    return ScanOutcome::NotRun;
  }
}

ClusterTest CDriveScan::TestCluster(uint64_t cluster, uint64_t runEnd) {
  _lastRead = _opened ? _window.Get(cluster, runEnd) : nullptr;
  if (!_lastRead) {
    Message("Failed to read a cluster from the disk, it may contain errors.", kViewerTitle,
            kMbOk | kMbIconWarning);
    _cancelled = true;
    _readFailed = true;
    return ClusterTest::ReadFailed;
  }
  uint32_t size = _volume.GetBytesPerCluster();
  bool blank = _requiredFill ? IsFilledWith(_lastRead, size, *_requiredFill)
                             : IsBlankCluster(_lastRead, size);
  return blank ? ClusterTest::Blank : ClusterTest::DeletedData;
}

void CDriveScan::RecordHit(uint64_t cluster) {
  ++_hits;
  if (_hits == 1 && _lastRead)
    _view.SetDataLines(
        DisplayLines(_view.GetDisplayMode(), _lastRead, _volume.GetBytesPerCluster()));
  SetText(StatisticText::DeletedClusters, _hits);
  _view.AppendCluster(std::to_string(cluster));
  _view.RefreshTexts();
}

void CDriveScan::FinishScan(ScanOutcome& outcome, std::optional<uint64_t> readTo) {
  if (!_cancelled) {
    if (readTo)
      SetText(StatisticText::ReadTo, *readTo);
    SetText(StatisticText::DeletedClusters, _hits);
    _view.RefreshTexts();
  }
  SetScanning(false);
  if (_cancelled) {
    outcome = _readFailed ? ScanOutcome::ReadFailed : ScanOutcome::Cancelled;
    return;
  }
  _view.ShowReport(
      MakeScanReport(_hits, _volume.GetBytesPerCluster(), _volume.GetFreeBytes(), _windowsDrive));
}

void CDriveScan::SetScanning(bool scanning) {
  // The cluster buffer keeps the last cluster the scan read, as it did when every cluster was
  // read into it.
  if (!scanning && _lastRead && _clusterBuffer.size() >= _volume.GetBytesPerCluster())
    std::memcpy(_clusterBuffer.data(), _lastRead, _volume.GetBytesPerCluster());
  _lastRead = nullptr;
  _running = scanning;
  _view.SetScanning(scanning);
}

void CDriveScan::OnCancel() {
  if (Message("Are you sure you want to stop scanning?", "Abort", kMbYesNo | kMbIconQuestion) ==
      kIdYes)
    _cancelled = true;
}

bool CDriveScan::ShowCluster(const std::string& entry, ShowRequest request) {
  if (entry.empty())
    return false;
  uint64_t cluster = 0;
  auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), cluster);
  bool read = error == std::errc() && end == entry.data() + entry.size() && _opened &&
              _volume.ReadCluster(_clusterBuffer.data(), cluster);
  if (!read) {
    if (request == ShowRequest::ListSelection)
      Message("Failed to read cluster.", kViewerTitle, kMbOk | kMbIconWarning);
    else
      Message("Failed to read cluster.", "Drive Access Error", kMbOk | kMbIconError);
    return false;
  }
  _view.SetDataLines(
      DisplayLines(_view.GetDisplayMode(), _clusterBuffer.data(), _volume.GetBytesPerCluster()));
  return true;
}

} // namespace bw
