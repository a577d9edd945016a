// "Cleaning": the progress dialog in which a cleaning job runs, on the user-interface thread.
// The job starts when the dialog is first shown and closes it when it ends; the job pumps one
// message between its units of work, so the Cancel button, Enter and the close box reach it.
// With VerifyAfterCleaning set, the drives cleaned are checked in the same dialog before the
// report, which then shows the figures; Cancel then stops the check.
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
  class CVerification;

  bool OnInit() override;
  IJobControl& Job() override;
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
  /// The check of the drives cleaned, when it is asked for: the report's lines, else nothing.
  std::string Verify(const std::string& cleaned);

  HINSTANCE _instance;
  IPlatform& _platform;
  const CSettings& _settings;
  JobMode _mode;
  std::string _driveListText;
  CCleaningJob _job;
  CVerification* _verification = nullptr; ///< while the check runs: Cancel goes to it
};

} // namespace bw
