// "Zapping Progress": the dialog in which a zap runs, on the user-interface thread. The job
// starts when the dialog is first shown and ends it with result 1; it pumps one message between
// its units of work, so the Cancel button, Enter and the close box reach it.
#pragma once

#include "ui/JobDialog.h"
#include "zap/ZapJob.h"
#include "zap/ZapView.h"

#include <string>
#include <vector>

namespace bw {

/// Run modally from IDD_ZAP_PROGRESS, it ends with 1 once the job has ended, whether it
/// finished, failed or was stopped.
class CZapProgressDialog final : public ui::CJobDialog<IZapView> {
public:
  CZapProgressDialog(HINSTANCE instance, IPlatform& platform, const CSettings& settings,
                     std::vector<std::string> selections);

private:
  bool OnInit() override;
  IJobControl& Job() override { return _job; }
  void RunJob() override { _job.Run(); }

  // IZapView, beyond what every job dialog does
  void Close() override { End(1); }
  void SetPathText(const std::string& text) override;
  void SetPassText(const std::string& text) override;
  int AskConfirmation(const ZapPrompt& prompt) override;
  int PathWidth() override;
  int MeasurePathText(const std::string& text) override;

  HINSTANCE _instance;
  CZapJob _job;
};

} // namespace bw
