#include "tray/win32/CleaningReportDialog.h"

#include "platform/Desktop.h"
#include "tray/win32/BaseRes.h"

#include <algorithm>

namespace bw {
namespace {

constexpr UINT kWatchComplete = WM_USER + 10;
constexpr UINT kWatchPartial = WM_USER + 11;
// Between two looks for a notice the loop sleeps this long unless a message comes: the notices
// are still closed within a fraction of a second, and an open report costs no processor time.
constexpr DWORD kWatchPause = 100;
// A verified report is at least as wide as the larger report (dialog units), so that a drive's
// figures fit on a line or two.
constexpr int kVerifiedWidth = 232;
constexpr int kMargin = 7;
constexpr int kTextLeft = 40;

RECT WindowRectIn(HWND window, HWND parent) {
  RECT box = {};
  ::GetWindowRect(window, &box);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

} // namespace

int CCleaningReportDialog::ResourceId() const {
  return _notCleaned.empty() ? IDD_CLEANING_DONE : IDD_CLEANING_REPORT;
}

bool CCleaningReportDialog::OnInit() {
  Item(IDC_CLEANED).SetText(_cleaned);
  if (!_notCleaned.empty())
    Item(IDC_NOT_CLEANED).SetText(_notCleaned);
  if (!_verified.empty())
    ShowVerified();
  return true;
}

void CCleaningReportDialog::ShowVerified() {
  // In pixels: left the texts' column and right the verified width; top the margin, across
  // and down alike in dialog units.
  RECT units = {kTextLeft, kMargin, kVerifiedWidth, kMargin};
  ::MapDialogRect(Handle(), &units);
  RECT across = {kMargin, 0, 0, 0};
  ::MapDialogRect(Handle(), &across);
  RECT client = {};
  ::GetClientRect(Handle(), &client);
  int width = std::max<int>(client.right, units.right);
  ui::CWindow ok = Item(IDOK);
  RECT button = WindowRectIn(ok, Handle());

  // The lines' height where they wrap, in the static's font.
  ui::CWindow lines = Item(IDC_VERIFIED);
  RECT text = {0, 0, width - units.left - across.left, 0};
  HDC context = ::GetDC(lines);
  HGDIOBJ old = ::SelectObject(context, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
  ::DrawTextA(context, _verified.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(context, old);
  ::ReleaseDC(lines, context);

  // The lines take OK's place; OK moves down below them, centred again.
  int grow = text.bottom + units.top;
  ::SetWindowPos(lines, nullptr, units.left, button.top, text.right, text.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  lines.SetText(_verified);
  lines.Show(SW_SHOW);
  int buttonWidth = button.right - button.left;
  ::SetWindowPos(ok, nullptr, (width - buttonWidth) / 2, button.top + grow, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Grown about its centre, where the dialog was placed.
  RECT frame = {};
  ::GetWindowRect(Handle(), &frame);
  int wider = width - client.right;
  ::SetWindowPos(Handle(), nullptr, frame.left - wider / 2, frame.top - grow / 2,
                 frame.right - frame.left + wider, frame.bottom - frame.top + grow,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CCleaningReportDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SHOWWINDOW:
    if (wParam) {
      _done = false;
      Post(_notCleaned.empty() ? kWatchComplete : kWatchPartial);
    }
    return FALSE;
  case kWatchComplete:
  case kWatchPartial:
    WatchWhileOpen();
    return TRUE;
  default:
    return CDialog::OnMessage(message, wParam, lParam);
  }
}

void CCleaningReportDialog::WatchWhileOpen() {
  if (_watching)
    return;
  _watching = true;
  while (!_done) {
    bool closed = _desktop.CloseLowSpaceWarning();
    MSG message;
    if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      // Enter acts as OK wherever the focus is.
      if (message.message == WM_CHAR && message.wParam == VK_RETURN)
        OnOK();
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    } else {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kWatchPause, QS_ALLINPUT);
    }
    if (closed)
      BringToFront();
  }
  _watching = false;
  End(IDOK);
}

} // namespace bw
