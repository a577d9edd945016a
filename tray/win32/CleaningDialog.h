// "Cleaning": the progress dialog in which a cleaning job runs, on the user-interface thread.
// The job starts when the dialog is first shown and closes it when it ends; the job pumps one
// message between its units of work, so the Cancel button, Enter and the close box reach it.
#pragma once

#include "engine/CleaningJob.h"
#include "engine/CleaningView.h"
#include "ui/JobDialog.h"

#include <string>

namespace bw {

class CCleaningDialog final : public ui::CJobDialog<ICleaningView> {
public:
  CCleaningDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                  CWipeMarker& wipeMarker, JobMode mode, std::string driveListText,
                  bool logOffCleaning);

  INT_PTR Run(HWND parent = nullptr);
  /// The status of the last drive the job handled: 0 when it was cleaned.
  DriveStatus GetDriveStatus() const { return _job.GetDriveStatus(); }

private:
  bool OnInit() override;
  IJobControl& Job() override { return _job; }
  void RunJob() override { _job.Run(); }
  COLORREF TextColour(int controlId) const override;

  // ICleaningView, beyond what every job dialog does
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
};

} // namespace bw
