// The three confirmations a zap asks before destroying an item (162 for a file, 163 for a
// folder, 229 for a compressed file): the item's name, the question, and Yes, Yes to All, No
// and Abort, each ending the dialog with its own identifier.
#pragma once

#include "ui/Dialog.h"
#include "zap/ZapPrompts.h"

namespace bw {

class CZapPromptDialog final : public ui::CDialog {
public:
  explicit CZapPromptDialog(const ZapPrompt& prompt) : _prompt(prompt) {}

  /// The button pressed; Esc, the close box and Enter without a default button answer No.
  INT_PTR Run(HINSTANCE instance, HWND parent) { return DoModal(instance, _prompt.Dialog, parent); }

private:
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  void OnOK() override { End(static_cast<INT_PTR>(ZapPromptResult::No)); }
  void OnCancel() override { End(static_cast<INT_PTR>(ZapPromptResult::No)); }

  const ZapPrompt& _prompt;
};

} // namespace bw
