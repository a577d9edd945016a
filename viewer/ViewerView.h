// What the drive viewer's window shows and asks, as the scan sees it. The Win32 dialog and the
// command line each provide one.
#pragma once

#include "viewer/ScanReportRes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

/// The value texts beside the window's statistic labels.
enum class StatisticText {
  ClusterSize,     ///< "Cluster size:"
  FreeSpace,       ///< "Free space:"
  DriveFormat,     ///< "Drive format:"
  ValidClusters,   ///< "Valid clusters:"
  ReadTo,          ///< "Read to cluster:"
  DeletedClusters, ///< "Clusters with deleted data:"
};

/// How the data display shows a cluster.
enum class DisplayMode { Text, Hex };

/// The fields of the report dialog shown after a scan that was not cancelled.
struct ScanReport {
  bool WindowsDrive = false; ///< IDD_REPORT_WITH_NOTE (swap-file note), else IDD_REPORT
  std::string Percentage;    ///< share of the free clusters, "%.2f%%"
  std::string Clusters;      ///< clusters with deleted data
  std::string Size;          ///< their size in bytes
};

class IViewerView {
public:
  virtual ~IViewerView() = default;

  /// The text of the chosen drive list entry ("C: Fixed drive"); empty when none is chosen.
  virtual std::string SelectedDriveEntry() = 0;

  /// The display mode the radio buttons show.
  virtual DisplayMode GetDisplayMode() = 0;

  /// Sets one statistic text; it is shown at the next RefreshTexts.
  virtual void SetStatisticText(StatisticText which, const std::string& text) = 0;

  /// Shows the statistic texts as they now stand.
  virtual void RefreshTexts() = 0;

  /// Empties the cluster list.
  virtual void ClearClusterList() = 0;

  /// Appends a cluster number (decimal) to the cluster list and selects the list's first entry.
  virtual void AppendCluster(const std::string& number) = 0;

  /// Empties the data display and fills it with lines.
  virtual void SetDataLines(const std::vector<std::string>& lines) = 0;

  /// Scanning: Close, Begin Scan and Clean Selected Drive disabled, Cancel Scan enabled; idle:
  /// the reverse.
  virtual void SetScanning(bool scanning) = 0;

  /// Takes and dispatches one waiting message, if any (this is where Cancel Scan is handled).
  virtual void PumpMessage() = 0;

  /// Shows a message box owned by the window; returns the button chosen (kId*).
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;

  /// Shows the modal report dialog.
  virtual void ShowReport(const ScanReport& report) = 0;
};

} // namespace bw
