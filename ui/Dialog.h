// Dialogs from the program's resources: one message switch per dialog class, `this` kept with
// the window (DWLP_USER) from WM_INITDIALOG on, so every message reaches the object that made
// it. Modal (DoModal) or modeless (Create).
#pragma once

#include "ui/Window.h"

namespace bw::ui {

class CDialog : public CWindow {
public:
  virtual ~CDialog() = default;

  /// Runs the dialog template resourceId modally; its EndDialog result, or -1 when it could
  /// not be made.
  INT_PTR DoModal(HINSTANCE instance, int resourceId, HWND parent = nullptr);
  /// Makes the dialog modeless and returns at once; false when it could not be made.
  bool Create(HINSTANCE instance, int resourceId, HWND parent = nullptr);
  /// Ends a modal dialog with result, or destroys a modeless one.
  void End(INT_PTR result);
  bool IsModal() const { return _modal; }

protected:
  /// The one message switch; the default hands each message to the handlers below. Returns
  /// what the dialog procedure returns (TRUE when handled).
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  /// WM_INITDIALOG: true lets the system set the focus.
  virtual bool OnInit() { return true; }
  /// WM_COMMAND: true when handled. The default sends IDOK and IDCANCEL to OnOK and OnCancel.
  virtual bool OnCommand(int notifyCode, int id, HWND control);
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual void OnOK() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  /// WM_CLOSE: the same as Cancel unless a dialog says otherwise.
  virtual void OnClose() { OnCancel(); }
  /// The text colour of a static control, CLR_INVALID for the system's own.
  virtual COLORREF TextColour(int /*controlId*/) const { return CLR_INVALID; }

private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  bool _modal = false;
};

} // namespace bw::ui
