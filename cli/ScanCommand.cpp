// blankwright scan X: — the drive viewer's scan of a drive's free clusters, on a terminal.
#include "cli/Commands.h"
#include "cli/TerminalViewerView.h"
#include "platform/Platform.h"
#include "viewer/DriveScan.h"

#include <cstdio>
#include <string>

namespace bw::cli {
namespace {

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
  if (!CheckDrivesMounted(platform, std::string(1, options.Letter), "scan", "nothing was read"))
    return kExitFailure;
  CTerminalViewerView view(platform, options);
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
    "be read (or not to the end), or its volume is not mounted where the drive map says.\n",
    RunScan,
};

} // namespace bw::cli
