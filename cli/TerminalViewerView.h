// The drive viewer's window as lines of text on a terminal, for 'blankwright scan'.
#pragma once

#include "viewer/ViewerView.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {
class CDriveScan;
class IPlatform;
} // namespace bw

namespace bw::cli {

struct ScanOptions {
  char Letter = 0;
  bool List = false;
  bool Show = false;
  bool Hex = false;
  std::string Cluster;
};

/// The viewer window as lines of text: the statistic texts once they are known, the read-to
/// cluster as a progress line (redrawn in place on standard error when someone is at the
/// terminal, plain lines on standard output otherwise), the cluster list as it grows, message
/// boxes as prompts, and the report as its dialog's texts.
class CTerminalViewerView final : public IViewerView {
public:
  CTerminalViewerView(IPlatform& platform, const ScanOptions& options);

  void Attach(CDriveScan& scan) { _scan = &scan; }
  const std::vector<std::string>& DataLines() const { return _dataLines; }

  std::string SelectedDriveEntry() override;
  DisplayMode GetDisplayMode() override;
  void SetStatisticText(StatisticText which, const std::string& text) override;
  void RefreshTexts() override;
  void ClearClusterList() override {}
  void AppendCluster(const std::string& number) override;
  void SetDataLines(const std::vector<std::string>& lines) override { _dataLines = lines; }
  void SetScanning(bool scanning) override;
  void PumpMessage() override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  void ShowReport(const ScanReport& report) override;

private:
  const std::string& Text(StatisticText which) const { return _texts[static_cast<size_t>(which)]; }
  void DrawProgress();
  void ClearProgress();
  bool ReadToAdvanced(const std::string& readTo);

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

} // namespace bw::cli
