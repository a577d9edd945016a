// "Scheduled Cleaning": a ten-second countdown before a scheduled cleaning, which the user may
// cancel. Ends with IDOK when the countdown ran out, IDCANCEL when cancelled or closed.
#pragma once

#include "tray/Countdown.h"
#include "ui/Dialog.h"

#include <string>

namespace bw {

class CScheduledCleaningDialog final : public ui::CDialog {
public:
  explicit CScheduledCleaningDialog(std::string driveText) : _driveText(std::move(driveText)) {}
  ~CScheduledCleaningDialog() override;

private:
  bool OnInit() override;
  void OnTimer(UINT_PTR id) override;
  void OnCancel() override;
  COLORREF TextColour(int controlId) const override;

  std::string _driveText;
  CCountdown _countdown;
  UINT_PTR _timer = 0;
  HFONT _bold = nullptr;
};

} // namespace bw
