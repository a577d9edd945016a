// "Zapping Progress": the dialog in which a zap runs, on the user-interface thread. The job
// starts when the dialog is first shown and ends it with result 1; it pumps one message between
// its units of work, so the Cancel button, Enter and the close box reach it.
#pragma once

#include "ui/Dialog.h"
#include "zap/ZapJob.h"
#include "zap/ZapView.h"

#include <string>
#include <vector>

namespace bw {

/// Run modally from IDD_ZAP_PROGRESS, it ends with 1 once the job has ended, whether it
/// finished, failed or was stopped.
class CZapProgressDialog final : public ui::CDialog, private IZapView {
public:
  CZapProgressDialog(HINSTANCE instance, IPlatform& platform, const CSettings& settings,
                     std::vector<std::string> selections);

private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  void OnCancel() override { _job.OnCancel(); }
  void OnClose() override { _job.OnClose(); }

  // IZapView
  void SetProgress(int percent) override;
  void StartAnimation() override;
  void StopAnimation() override;
  void EnableCancel(bool enabled) override;
  void PumpMessage() override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  void Close() override { End(1); }
  void SetPathText(const std::string& text) override;
  void SetPassText(const std::string& text) override;
  int AskConfirmation(const ZapPrompt& prompt) override;
  int PathWidth() override;
  int MeasurePathText(const std::string& text) override;

  HINSTANCE _instance;
  CZapJob _job;
  bool _started = false;
};

} // namespace bw
