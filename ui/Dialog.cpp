#include "ui/Dialog.h"

namespace bw::ui {

INT_PTR CDialog::DoModal(HINSTANCE instance, int resourceId, HWND parent) {
  _modal = true;
  return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(resourceId), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HINSTANCE instance, int resourceId, HWND parent) {
  _modal = false;
  HWND window = ::CreateDialogParamA(instance, MAKEINTRESOURCEA(resourceId), parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  return window != nullptr;
}

void CDialog::End(INT_PTR result) {
  if (_modal)
    ::EndDialog(Handle(), result);
  else
    Destroy();
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInit() ? TRUE : FALSE;
  case WM_COMMAND:
    return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
  case WM_TIMER:
    OnTimer(wParam);
    return TRUE;
  case WM_CLOSE:
    OnClose();
    return TRUE;
  case WM_CTLCOLORSTATIC: {
    COLORREF colour = TextColour(::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    if (colour == CLR_INVALID)
      return FALSE;
    HDC context = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(context, colour);
    ::SetBkColor(context, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
  }
  default:
    return FALSE;
  }
}

bool CDialog::OnCommand(int /*notifyCode*/, int id, HWND /*control*/) {
  switch (id) {
  case IDOK:
    OnOK();
    return true;
  case IDCANCEL:
    OnCancel();
    return true;
  default:
    return false;
  }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
  CDialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->Attach(window);
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
  } else {
    dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) have no object yet.
  if (!dialog)
    return FALSE;
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, DWLP_USER, 0);
    dialog->Attach(nullptr);
    return FALSE;
  }
  return dialog->OnMessage(message, wParam, lParam);
}

} // namespace bw::ui
