// A window the program did not necessarily make: a non-owning HWND with one-line forwarding
// operations. Destroying a CWindow never destroys its window.
#pragma once

#include "platform/win32/Win32.h"

#include <string>

namespace bw::ui {

class CWindow {
public:
  CWindow(HWND window = nullptr) : _window(window) {}

  HWND Handle() const { return _window; }
  operator HWND() const { return _window; }
  void Attach(HWND window) { _window = window; }
  bool IsValid() const { return _window != nullptr && ::IsWindow(_window); }

  /// The dialog item with the control id id (a null window when there is none).
  CWindow Item(int id) const { return CWindow(::GetDlgItem(_window, id)); }
  int ControlId() const { return ::GetDlgCtrlID(_window); }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(_window, message, wParam, lParam);
  }
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(_window, message, wParam, lParam) != FALSE;
  }

  bool SetText(const std::string& text) const {
    return ::SetWindowTextA(_window, text.c_str()) != FALSE;
  }
  std::string Text() const {
    int length = ::GetWindowTextLengthA(_window);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    int copied = ::GetWindowTextA(_window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
  }

  bool Enable(bool enable) const { return ::EnableWindow(_window, enable ? TRUE : FALSE) != 0; }
  bool IsEnabled() const { return ::IsWindowEnabled(_window) != FALSE; }
  bool Show(int command) const { return ::ShowWindow(_window, command) != FALSE; }
  bool IsVisible() const { return ::IsWindowVisible(_window) != FALSE; }
  bool BringToFront() const { return ::SetForegroundWindow(_window) != FALSE; }
  bool Destroy() {
    bool destroyed = ::DestroyWindow(_window) != FALSE;
    _window = nullptr;
    return destroyed;
  }
  UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds) const {
    return ::SetTimer(_window, id, milliseconds, nullptr);
  }
  bool KillTimer(UINT_PTR id) const { return ::KillTimer(_window, id) != FALSE; }

private:
  HWND _window;
};

} // namespace bw::ui
