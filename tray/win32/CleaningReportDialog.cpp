#include "tray/win32/CleaningReportDialog.h"

#include "platform/Desktop.h"
#include "tray/win32/BaseRes.h"

namespace bw {
namespace {

constexpr UINT kWatchComplete = WM_USER + 10;
constexpr UINT kWatchPartial = WM_USER + 11;
// Between two looks for a notice the loop sleeps this long unless a message comes: the notices
// are still closed within a fraction of a second, and an open report costs no processor time.
constexpr DWORD kWatchPause = 100;

} // namespace

int CCleaningReportDialog::ResourceId() const {
  return _notCleaned.empty() ? IDD_CLEANING_DONE : IDD_CLEANING_REPORT;
}

bool CCleaningReportDialog::OnInit() {
  Item(IDC_CLEANED).SetText(_cleaned);
  if (!_notCleaned.empty())
    Item(IDC_NOT_CLEANED).SetText(_notCleaned);
  return true;
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
