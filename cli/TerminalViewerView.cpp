#include "cli/TerminalViewerView.h"

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "viewer/DriveScan.h"
#include "viewer/ScanReport.h"
#include "viewer/ViewerRules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bw::cli {
namespace {

const char* StatisticLabel(StatisticText which) {
  switch (which) {
  case StatisticText::ClusterSize:
    return "Cluster size:";
  case StatisticText::FreeSpace:
    return "Free space:";
  case StatisticText::DriveFormat:
    return "Drive format:";
  case StatisticText::ValidClusters:
    return "Valid clusters:";
  case StatisticText::ReadTo:
    return "Read to cluster:";
  default:
    return "Clusters with deleted data:";
  }
}

} // namespace

CTerminalViewerView::CTerminalViewerView(IPlatform& platform, const ScanOptions& options)
    : _platform(platform), _options(options), _interactive(platform.Console().IsInteractive()) {}

std::string CTerminalViewerView::SelectedDriveEntry() {
  std::string entry =
      DriveListEntry(_options.Letter, _platform.Drives().GetDriveType(_options.Letter));
  return entry.empty() ? std::string(1, _options.Letter) + ":" : entry;
}

DisplayMode CTerminalViewerView::GetDisplayMode() {
  return _options.Hex ? DisplayMode::Hex : DisplayMode::Text;
}

void CTerminalViewerView::SetStatisticText(StatisticText which, const std::string& text) {
  _texts[static_cast<size_t>(which)] = text;
}

void CTerminalViewerView::RefreshTexts() {
  if (_options.Show)
    return;
  if (!_scanning) {
    // The figures Begin scan shows, each once.
    for (StatisticText which : {StatisticText::ClusterSize, StatisticText::FreeSpace,
                                StatisticText::DriveFormat, StatisticText::ValidClusters}) {
      const std::string& text = Text(which);
      if (!text.empty() && !_printed[static_cast<size_t>(which)]) {
        std::printf("%s %s\n", StatisticLabel(which), text.c_str());
        _printed[static_cast<size_t>(which)] = true;
      }
    }
    std::fflush(stdout);
    return;
  }
  const std::string& readTo = Text(StatisticText::ReadTo);
  if (readTo.empty() || readTo == _shownReadTo)
    return;
  if (_interactive) {
    _shownReadTo = readTo;
    DrawProgress();
  } else if (ReadToAdvanced(readTo)) {
    _shownReadTo = readTo;
    std::printf("%s %s\n", StatisticLabel(StatisticText::ReadTo), readTo.c_str());
    std::fflush(stdout);
  }
}

void CTerminalViewerView::AppendCluster(const std::string& number) {
  if (!_options.List)
    return;
  ClearProgress();
  std::printf("%s\n", number.c_str());
  std::fflush(stdout);
  if (_interactive && _scanning)
    DrawProgress();
}

void CTerminalViewerView::SetScanning(bool scanning) {
  if (_options.Show)
    return;
  _scanning = scanning;
  if (scanning) {
    _shownReadTo.clear();
    _lastReadTo = 0;
    return;
  }
  ClearProgress();
  for (StatisticText which : {StatisticText::ReadTo, StatisticText::DeletedClusters})
    std::printf("%s %s\n", StatisticLabel(which), Text(which).c_str());
  std::fflush(stdout);
}

void CTerminalViewerView::PumpMessage() {
  if (!_scan || !_platform.Console().TakeInterrupt())
    return;
  // Ctrl-C is the Cancel Scan button: with someone at the terminal it asks first.
  if (_interactive)
    _scan->OnCancel();
  else
    _scan->OnClose();
}

int CTerminalViewerView::MessageBox(const std::string& text, const std::string& caption,
                                    uint32_t style) {
  ClearProgress();
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  int answer = DefaultMessageBoxAnswer(style);
  if ((style & kMbButtonMask) == kMbYesNo && _interactive) {
    for (;;) {
      std::fprintf(stderr, "[y/n] ");
      std::fflush(stderr);
      std::string line;
      if (!_platform.Console().ReadLine(line))
        break;
      if (line == "y" || line == "Y" || line == "yes") {
        answer = kIdYes;
        break;
      }
      if (line == "n" || line == "N" || line == "no") {
        answer = kIdNo;
        break;
      }
    }
  }
  if (_interactive && _scanning)
    DrawProgress();
  return answer;
}

void CTerminalViewerView::ShowReport(const ScanReport& report) {
  std::printf("\n%s\n%s\n", kReportCaption, kReportHeading);
  std::printf("%s %s %s %s\n", kReportLeadIn, report.Percentage.c_str(), kReportShareOf,
              kReportFreeSpace);
  std::printf("%s %s\n", kReportClustersLabel, report.Clusters.c_str());
  std::printf("%s %s\n", kReportSizeLabel, report.Size.c_str());
  if (report.WindowsDrive)
    std::printf("%s\n", kReportSwapNote);
  std::fflush(stdout);
}

void CTerminalViewerView::DrawProgress() {
  std::fprintf(stderr, "\r%s %s  %s %s\x1b[K", StatisticLabel(StatisticText::ReadTo),
               Text(StatisticText::ReadTo).c_str(), StatisticLabel(StatisticText::DeletedClusters),
               Text(StatisticText::DeletedClusters).c_str());
  std::fflush(stderr);
  _progressDrawn = true;
}

void CTerminalViewerView::ClearProgress() {
  if (!_progressDrawn)
    return;
  std::fprintf(stderr, "\r\x1b[K");
  std::fflush(stderr);
  _progressDrawn = false;
}

// Plain output gets a line per sixteenth of the volume, not one per 100 clusters.
bool CTerminalViewerView::ReadToAdvanced(const std::string& readTo) {
  uint64_t value = std::strtoull(readTo.c_str(), nullptr, 10);
  const std::string& valid = Text(StatisticText::ValidClusters);
  size_t dash = valid.find("- ");
  uint64_t total =
      dash == std::string::npos ? 0 : std::strtoull(valid.c_str() + dash + 2, nullptr, 10);
  uint64_t step = std::max<uint64_t>(total / 16, 100);
  if (value < _lastReadTo + step)
    return false;
  _lastReadTo = value;
  return true;
}

} // namespace bw::cli
