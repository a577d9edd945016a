// The drive viewer's one window: a modal dialog that is the program's main window. It binds
// the scan (CDriveScan) and the window's rules to the controls; the scan runs inside its
// handlers and pumps this window's messages as it goes.
#pragma once

#include "platform/Platform.h"
#include "ui/Dialog.h"
#include "viewer/DriveScan.h"
#include "viewer/UpdatePacing.h"
#include "viewer/ViewerView.h"

#include <array>
#include <string>

namespace bw {

/// Private messages: the two walks that Begin scan posts, the first showing of the window and
/// the scan it may start.
constexpr UINT kMsgFatScan = WM_USER + 1;
constexpr UINT kMsgNtfsScan = WM_USER + 2;
constexpr UINT kMsgFirstShown = WM_USER + 3;
constexpr UINT kMsgBeginScan = WM_USER + 4;

class CViewerDialog final : public ui::CDialog, public IViewerView {
public:
  /// commandLineDrive as CommandLineDrive gives it; programFolder ends with a backslash.
  CViewerDialog(IPlatform& platform, HINSTANCE instance, std::string commandLineDrive,
                std::string programFolder);
  ~CViewerDialog() override;
  CViewerDialog(const CViewerDialog&) = delete;
  CViewerDialog& operator=(const CViewerDialog&) = delete;

  /// Runs the window until it closes.
  INT_PTR Run();

  std::string SelectedDriveEntry() override;
  DisplayMode GetDisplayMode() override;
  void SetStatisticText(StatisticText which, const std::string& text) override;
  void RefreshTexts() override;
  void ClearClusterList() override;
  void AppendCluster(const std::string& number) override;
  void SetDataLines(const std::vector<std::string>& lines) override;
  void SetScanning(bool scanning) override;
  void PumpMessage() override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  void ShowReport(const ScanReport& report) override;

protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  void OnOK() override {}
  void OnCancel() override;
  void OnClose() override;

private:
  void CreateFonts();
  void FillDriveList();
  void OnBeginScan();
  void OnShowCluster(ShowRequest request);
  void OnCleanDrive();
  void OnHelp();
  void OnDestroy();
  bool OnPaintIconic();
  std::string HelpFile() const;

  IPlatform& _platform;
  HINSTANCE _instance;
  CDriveScan _scan;
  std::string _commandLineDrive;
  std::string _programFolder;
  bool _autoScan = false;
  bool _shown = false;
  bool _helpOpened = false;
  uint64_t _listedHits = 0; // hits offered to the cluster list since it was last emptied
  HFONT _introFont = nullptr;
  HFONT _dataFont = nullptr;
  HICON _icon = nullptr;
  HICON _smallIcon = nullptr;
  std::array<std::string, 6> _texts;
  std::array<std::string, 6> _shownTexts;
  CUpdatePacing _pacing;
  CUpdatePacing _pumpPacing{kScanPumpMilliseconds};
};

} // namespace bw
