#include "tray/win32/CloseAllProgramsDialog.h"

#include "tray/win32/BaseRes.h"

namespace bw {

bool CCloseAllProgramsDialog::OnInit() {
  Item(IDC_DRIVES).SetText(_driveText);
  BringToFront();
  return true;
}

COLORREF CCloseAllProgramsDialog::TextColour(int controlId) const {
  return controlId == IDC_DRIVES ? RGB(128, 0, 0) : CLR_INVALID;
}

} // namespace bw
