#include "tray/win32/Splash.h"

#include "tray/win32/BaseRes.h"

namespace bw {
namespace {

constexpr const char* kSplashClass = "BlankwrightSplash";
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShowMilliseconds = 2000;

} // namespace

void CSplash::Show(HINSTANCE instance) {
  HDC screen = ::GetDC(nullptr);
  int bits = ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(nullptr, screen);
  int id = bits < 8 ? IDB_SPLASH_16 : IDB_SPLASH_256;
  // A DIB section keeps the picture's own colours whatever the screen's palette.
  auto* picture = static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!picture)
    return;
  BITMAP size = {};
  ::GetObjectA(picture, sizeof(size), &size);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kSplashClass;
  ::RegisterClassA(&windowClass);
  int x = (::GetSystemMetrics(SM_CXSCREEN) - size.bmWidth) / 2;
  int y = (::GetSystemMetrics(SM_CYSCREEN) - size.bmHeight) / 2;
  // No title: the shut-down path closes the window titled "Blankwright", which must be the
  // main window, never this picture.
  _window =
      ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP | WS_VISIBLE,
                        x, y, size.bmWidth, size.bmHeight, nullptr, nullptr, instance, picture);
  if (!_window) {
    ::DeleteObject(picture);
    return;
  }
  ::UpdateWindow(_window);
  ::SetTimer(_window, kCloseTimer, kShowMilliseconds, nullptr);
}

void CSplash::OnInput(const MSG& message) {
  if (!_window || !::IsWindow(_window)) {
    _window = nullptr;
    return;
  }
  switch (message.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_NCLBUTTONDOWN:
  case WM_NCRBUTTONDOWN:
  case WM_NCMBUTTONDOWN:
    ::DestroyWindow(_window);
    _window = nullptr;
    break;
  default:
    break;
  }
}

LRESULT CALLBACK CSplash::WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
  switch (message) {
  case WM_CREATE:
    ::SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC target = ::BeginPaint(window, &paint);
    auto picture = reinterpret_cast<HBITMAP>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    HDC source = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(source, picture);
    BITMAP size = {};
    ::GetObjectA(picture, sizeof(size), &size);
    ::BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    ::EndPaint(window, &paint);
    return 0;
  }
  case WM_TIMER:
    ::DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    ::DeleteObject(reinterpret_cast<HBITMAP>(::GetWindowLongPtrA(window, GWLP_USERDATA)));
    return 0;
  default:
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

} // namespace bw
