// "Cleaning": the progress dialog in which a cleaning job runs, on the user-interface thread.
// The job starts when the dialog is first shown and closes it when it ends; the job pumps one
// message between its units of work, so the Cancel button, Enter and the close box reach it.
#pragma once

#include "engine/CleaningJob.h"
#include "engine/CleaningView.h"
#include "ui/Dialog.h"

#include <string>

namespace bw {

class CCleaningDialog final : public ui::CDialog, private ICleaningView {
public:
  CCleaningDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                  CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                  bool logOffCleaning);

  INT_PTR Run(HWND parent = nullptr);
  /// The status of the last drive the job handled: 0 when it was cleaned.
  DriveStatus GetDriveStatus() const { return _job.GetDriveStatus(); }

private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  void OnCancel() override { _job.OnCancel(); }
  void OnClose() override { _job.OnClose(); }
  COLORREF TextColour(int controlId) const override;

  // ICleaningView
  void SetProgress(int percent) override;
  void StartAnimation() override;
  void StopAnimation() override;
  void EnableCancel(bool enabled) override;
  void PumpMessage() override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  void Close() override { End(IDOK); }
  void SetDriveListText(const std::string& text) override;
  void SetProcessText(const std::string& text) override;
  void SetDetailText(const std::string& text) override;
  void ShowShutdownIcon(bool visible) override;
  int DetailWidth() override;
  int MeasureDetailText(const std::string& text) override;
  void ShowCompleteReport(const std::string& cleaned) override;
  void ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) override;

  HINSTANCE _instance;
  IPlatform& _platform;
  JobMode _mode;
  std::string _driveListText;
  CCleaningJob _job;
  bool _started = false;
};

} // namespace bw
