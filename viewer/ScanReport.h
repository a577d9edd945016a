// The figures and texts of the Deleted Data Report.
#pragma once

#include "viewer/ScanReportRes.h"
#include "viewer/ViewerView.h"

#include <cstdint>

namespace bw {

/// Dialog numbers of the two report dialogs.
constexpr int kReportDialogWithNote = IDD_REPORT_WITH_NOTE;
constexpr int kReportDialog = IDD_REPORT;

// The texts of the report dialogs, in the order they are laid out.
constexpr const char* kReportCaption = "Report";
constexpr const char* kReportHeading = "Deleted Data Report:";
constexpr const char* kReportLeadIn = "Drive Viewer has determined that";
constexpr const char* kReportShareOf = "of your drive's";
constexpr const char* kReportFreeSpace = "free space contains deleted files.";
constexpr const char* kReportClustersLabel = "Clusters containing deleted files:";
constexpr const char* kReportSizeLabel = "Size in bytes of deleted files:";
constexpr const char* kReportSwapNote =
    "NOTE:  If you just cleaned and scanned your operating system drive, there may be some new "
    "uncleaned clusters on it.  This is because Windows deleted some information from its swap "
    "file before or during the drive scanning operation.";

/// The report after a scan that found hits clusters with deleted data on a drive with
/// clusters of bytesPerCluster bytes and freeBytes free (all ones when that query failed).
/// The percentage is hits / free clusters * 100 as a 32-bit float, 0 with no free clusters;
/// the size is hits * bytesPerCluster in 64 bits.
ScanReport MakeScanReport(uint64_t hits, uint32_t bytesPerCluster, uint64_t freeBytes,
                          bool windowsDrive);

/// The dialog a report is shown in.
inline int ReportDialog(const ScanReport& report) {
  return report.WindowsDrive ? kReportDialogWithNote : kReportDialog;
}

} // namespace bw
