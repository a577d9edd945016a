#include "tray/win32/ZapPromptDialog.h"

namespace bw {

bool CZapPromptDialog::OnInit() {
  if (!_prompt.Caption.empty())
    SetText(_prompt.Caption);
  Item(IDC_PROMPT_NAME).SetText(_prompt.Name);
  Item(IDC_PROMPT_QUESTION).SetText(_prompt.Question);
  if (!_prompt.FinalQuestion.empty())
    Item(IDC_PROMPT_FINAL).SetText(_prompt.FinalQuestion);
  Item(IDC_PROMPT_YES_TO_ALL).Enable(_prompt.YesToAllEnabled);
  BringToFront();
  // A focused push button takes Enter: where no button is the default, the focus rests on No,
  // so that a key pressed to get away destroys nothing.
  const int focus =
      _prompt.DefaultButton ? _prompt.DefaultButton : static_cast<int>(ZapPromptResult::No);
  Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(focus).Handle()), TRUE);
  return false;
}

bool CZapPromptDialog::OnCommand(int notifyCode, int id, HWND control) {
  switch (id) {
  case IDC_PROMPT_YES:
  case IDC_PROMPT_YES_TO_ALL:
  case IDC_PROMPT_NO:
  case IDC_PROMPT_ABORT:
    End(id);
    return true;
  default:
    return CDialog::OnCommand(notifyCode, id, control);
  }
}

} // namespace bw
