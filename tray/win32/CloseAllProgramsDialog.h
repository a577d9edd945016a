// "Close All Programs": the confirmation before an interactive or log-off cleaning, showing
// the drives to clean in dark red. Ends with IDOK (Clean Drives) or IDCANCEL.
#pragma once

#include "ui/Dialog.h"

#include <string>

namespace bw {

class CCloseAllProgramsDialog final : public ui::CDialog {
public:
  explicit CCloseAllProgramsDialog(std::string driveText) : _driveText(std::move(driveText)) {}

private:
  bool OnInit() override;
  COLORREF TextColour(int controlId) const override;

  std::string _driveText;
};

} // namespace bw
