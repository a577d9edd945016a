#include "tray/win32/ScheduledCleaningDialog.h"

#include "tray/win32/BaseRes.h"

namespace bw {
namespace {

constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT kSecond = 1000;

} // namespace

CScheduledCleaningDialog::~CScheduledCleaningDialog() {
  if (_bold)
    ::DeleteObject(_bold);
}

bool CScheduledCleaningDialog::OnInit() {
  ui::CWindow countdown = Item(IDC_COUNTDOWN);
  LOGFONTA font = {};
  auto current = reinterpret_cast<HFONT>(countdown.Send(WM_GETFONT));
  ::GetObjectA(current ? static_cast<HGDIOBJ>(current) : ::GetStockObject(DEFAULT_GUI_FONT),
               sizeof font, &font);
  HDC screen = ::GetDC(Handle());
  font.lfHeight = -::MulDiv(18, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
  ::ReleaseDC(Handle(), screen);
  font.lfWeight = FW_BOLD;
  _bold = ::CreateFontIndirectA(&font);
  if (_bold)
    countdown.Send(WM_SETFONT, reinterpret_cast<WPARAM>(_bold), TRUE);

  _countdown = CCountdown();
  countdown.SetText(_countdown.Text());
  Item(IDC_DRIVES).SetText(_driveText);
  _timer = SetTimer(kCountdownTimer, kSecond);
  BringToFront();
  return true;
}

void CScheduledCleaningDialog::OnTimer(UINT_PTR id) {
  if (id != kCountdownTimer)
    return;
  if (_countdown.Tick()) {
    KillTimer(kCountdownTimer);
    _timer = 0;
    End(IDOK);
    return;
  }
  _timer = SetTimer(kCountdownTimer, kSecond);
  Item(IDC_COUNTDOWN).SetText(_countdown.Text());
}

void CScheduledCleaningDialog::OnCancel() {
  if (_timer)
    KillTimer(kCountdownTimer);
  _timer = 0;
  End(IDCANCEL);
}

COLORREF CScheduledCleaningDialog::TextColour(int controlId) const {
  switch (controlId) {
  case IDC_DRIVES:
    return RGB(128, 0, 0);
  case IDC_COUNTDOWN:
    return RGB(255, 0, 0);
  default:
    return CLR_INVALID;
  }
}

} // namespace bw
