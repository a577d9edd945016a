// blankwright scan X: — the drive viewer's scan of a drive's free clusters, on a terminal.
#include "cli/Commands.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "viewer/DriveScan.h"
#include "viewer/ScanReport.h"
#include "viewer/ViewerRules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

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

struct ScanOptions {
  char Letter = 0;
  bool List = false;
  bool Show = false;
  bool Hex = false;
  std::string Cluster;
};

// The viewer window as lines of text: the statistic texts once they are known, the read-to
// cluster as a progress line (redrawn in place on standard error when someone is at the
// terminal, plain lines on standard output otherwise), the cluster list as it grows, message
// boxes as prompts, and the report as its dialog's texts.
class CTerminalView final : public IViewerView {
public:
  CTerminalView(IPlatform& platform, const ScanOptions& options)
      : _platform(platform), _options(options), _interactive(platform.Console().IsInteractive()) {}

  void Attach(CDriveScan& scan) { _scan = &scan; }
  const std::vector<std::string>& DataLines() const { return _dataLines; }

  std::string SelectedDriveEntry() override {
    std::string entry =
        DriveListEntry(_options.Letter, _platform.Drives().GetDriveType(_options.Letter));
    return entry.empty() ? std::string(1, _options.Letter) + ":" : entry;
  }

  DisplayMode GetDisplayMode() override {
    return _options.Hex ? DisplayMode::Hex : DisplayMode::Text;
  }

  void SetStatisticText(StatisticText which, const std::string& text) override {
    _texts[static_cast<size_t>(which)] = text;
  }

  void RefreshTexts() override {
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

  void ClearClusterList() override {}

  void AppendCluster(const std::string& number) override {
    if (!_options.List)
      return;
    ClearProgress();
    std::printf("%s\n", number.c_str());
    std::fflush(stdout);
    if (_interactive && _scanning)
      DrawProgress();
  }

  void SetDataLines(const std::vector<std::string>& lines) override { _dataLines = lines; }

  void SetScanning(bool scanning) override {
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

  void PumpMessage() override {
    if (!_scan || !_platform.Console().TakeInterrupt())
      return;
    // Ctrl-C is the Cancel Scan button: with someone at the terminal it asks first.
    if (_interactive)
      _scan->OnCancel();
    else
      _scan->OnClose();
  }

  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
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

  void ShowReport(const ScanReport& report) override {
    std::printf("\n%s\n%s\n", kReportCaption, kReportHeading);
    std::printf("%s %s %s %s\n", kReportLeadIn, report.Percentage.c_str(), kReportShareOf,
                kReportFreeSpace);
    std::printf("%s %s\n", kReportClustersLabel, report.Clusters.c_str());
    std::printf("%s %s\n", kReportSizeLabel, report.Size.c_str());
    if (report.WindowsDrive)
      std::printf("%s\n", kReportSwapNote);
    std::fflush(stdout);
  }

private:
  const std::string& Text(StatisticText which) const { return _texts[static_cast<size_t>(which)]; }

  void DrawProgress() {
    std::fprintf(stderr, "\r%s %s  %s %s\x1b[K", StatisticLabel(StatisticText::ReadTo),
                 Text(StatisticText::ReadTo).c_str(),
                 StatisticLabel(StatisticText::DeletedClusters),
                 Text(StatisticText::DeletedClusters).c_str());
    std::fflush(stderr);
    _progressDrawn = true;
  }

  void ClearProgress() {
    if (!_progressDrawn)
      return;
    std::fprintf(stderr, "\r\x1b[K");
    std::fflush(stderr);
    _progressDrawn = false;
  }

  // Plain output gets a line per sixteenth of the volume, not one per 100 clusters.
  bool ReadToAdvanced(const std::string& readTo) {
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

  IPlatform& _platform;
  const ScanOptions& _options;
  CDriveScan* _scan = nullptr;
  bool _interactive;
  bool _scanning = false;
  bool _progressDrawn = false;
  std::array<std::string, 6> _texts;
  std::array<bool, 6> _printed{};
  std::string _shownReadTo;
  uint64_t _lastReadTo = 0;
  std::vector<std::string> _dataLines;
};

bool ParseOptions(const Arguments& arguments, ScanOptions& options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--list") {
      options.List = true;
    } else if (a == "--hex") {
      options.Hex = true;
    } else if (a == "--show" && i + 1 < arguments.size()) {
      options.Show = true;
      options.Cluster = arguments[++i];
      if (options.Cluster.empty() ||
          options.Cluster.find_first_not_of("0123456789") != std::string::npos)
        return false;
    } else if (options.Letter == 0 && ParseDriveLetter(a, options.Letter)) {
    } else {
      return false;
    }
  }
  return options.Letter != 0 && (!options.Hex || options.Show);
}

int RunScan(IPlatform& platform, const Arguments& arguments) {
  ScanOptions options;
  if (!ParseOptions(arguments, options)) {
    PrintError("usage: blankwright scan X: [--list] | blankwright scan X: --show N [--hex]");
    return kExitFailure;
  }
  CTerminalView view(platform, options);
  CDriveScan scan(platform, view);
  view.Attach(scan);

  if (options.Show) {
    if (!scan.OpenDrive() || !scan.ShowCluster(options.Cluster, ShowRequest::ListSelection))
      return kExitFailure;
    for (const std::string& line : view.DataLines())
      std::printf("%s\n", line.c_str());
    return kExitOk;
  }

  platform.Console().CatchInterrupt();
  ScanOutcome outcome = scan.Scan();
  switch (outcome) {
  case ScanOutcome::Completed:
    return kExitOk;
  case ScanOutcome::Cancelled:
    return kExitIncomplete;
  case ScanOutcome::Incomplete:
    PrintError(std::string("drive ") + scan.GetDriveLetter() +
               ": was not read to the end: " + scan.GetFailureDetail());
    return kExitFailure;
  default:
    return kExitFailure;
  }
}

} // namespace

const Command kScanCommand = {
    "scan",
    "count the free clusters of a drive that still hold deleted data",
    "usage: blankwright scan X: [--list]\n"
    "       blankwright scan X: --show N [--hex]\n"
    "\n"
    "Reads every free cluster of drive X: (FAT12, FAT16, FAT32 or NTFS) and counts those that\n"
    "hold anything but the bytes 0x00, 0xFF and 0xF6. Prints the cluster size, free space,\n"
    "drive format and valid clusters, a progress line with the cluster read to, and the\n"
    "Deleted Data Report. Ctrl-C stops the scan (on a terminal, after asking).\n"
    "\n"
    "  --list     print the number of each cluster with deleted data as it is found\n"
    "  --show N   print cluster N as the viewer's text display does (letters, digits,\n"
    "             spaces and @ only, 70 to a line)\n"
    "  --hex      with --show: as the hex display does (offset, 16 bytes, characters)\n"
    "\n"
    "Exit status: 0 after a completed scan, 1 when it was stopped, 2 when the drive could not\n"
    "be read (or not to the end).\n",
    RunScan,
};

} // namespace bw::cli
