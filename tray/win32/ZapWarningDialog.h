// "File Destruction Warning": every selection about to be destroyed, each with its small shell
// icon, and the overwrite count, asked once more before the Zapping Progress dialog starts.
#pragma once

#include "ui/Dialog.h"
#include "zap/ZapWarning.h"

#include <string>
#include <vector>

namespace bw {

/// Run modally from kZapWarningDialog, it ends with kZapWarningYes, kZapWarningNo (also Enter)
/// or kZapWarningClosed (Esc, the close box).
class CZapWarningDialog final : public ui::CDialog {
public:
  CZapWarningDialog(HINSTANCE instance, std::vector<std::string> selections,
                    uint32_t overwriteCount);
  ~CZapWarningDialog() override;
  CZapWarningDialog(const CZapWarningDialog&) = delete;
  CZapWarningDialog& operator=(const CZapWarningDialog&) = delete;

private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  void OnCancel() override { End(kZapWarningClosed); }
  COLORREF TextColour(int controlId) const override;
  void SetWarningFont();
  void FillList();

  HINSTANCE _instance;
  std::vector<std::string> _selections;
  CZapWarningModel _model;
  HFONT _warningFont = nullptr;
};

} // namespace bw
