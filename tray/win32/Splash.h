// The start-up picture: a borderless window of the bitmap's size, gone after two seconds or at
// the first key or mouse press the program's message loop sees.
#pragma once

#include "platform/win32/Win32.h"

namespace bw {

class CSplash {
public:
  /// Shows bitmap 234, or 232 on a screen of fewer than 8 bits per pixel; nothing when the
  /// bitmap is missing.
  void Show(HINSTANCE instance);
  /// Closes the picture when message is a key or mouse press (the message loop asks).
  void OnInput(const MSG& message);

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  HWND _window = nullptr;
};

} // namespace bw
