#include "tray/win32/ShutdownDialog.h"

#include "platform/Platform.h"
#include "settings/Settings.h"
#include "settings/win32/SheetRes.h"
#include "settings/win32/SwapFilePathDlg.h"
#include "tray/win32/BaseRes.h"
#include "ui/Controls.h"

namespace bw {

CShutdownDialog::CShutdownDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings)
    : _instance(instance), _platform(platform), _settings(settings),
      _drives(instance, platform.Drives()) {}

bool CShutdownDialog::OnInit() {
  _drives.Attach(Item(IDC_DRIVES));
  _drives.LoadFromDriveList(_settings.DriveList);
  ui::CCheckBox(Item(IDC_SWAP_FILE)).SetCheck(_settings.CleanSwapFile != 0);
  BringToFront();
  return true;
}

INT_PTR CShutdownDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_DRAWITEM:
    if (wParam != IDC_DRIVES)
      break;
    _drives.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  case WM_VKEYTOITEM:
    if (reinterpret_cast<HWND>(lParam) != Item(IDC_DRIVES).Handle())
      break;
    return _drives.VKeyToItem(LOWORD(wParam));
  default:
    break;
  }
  return CDialog::OnMessage(message, wParam, lParam);
}

bool CShutdownDialog::OnCommand(int notifyCode, int id, HWND control) {
  if (id != IDC_SHUTDOWN_AND_CLEAN)
    return CDialog::OnCommand(notifyCode, id, control);
  bool swap = ui::CCheckBox(Item(IDC_SWAP_FILE)).IsChecked();
  if (ConfirmShutdown(_platform, _settings, _drives.Model(), swap, *this))
    End(IDOK);
  return true;
}

int CShutdownDialog::MessageBox(const std::string& text, const std::string& caption,
                                uint32_t style) {
  return ::MessageBoxA(Handle(), text.c_str(), caption.c_str(), style);
}

std::optional<std::string> CShutdownDialog::AskSwapFilePath(const std::string& preset) {
  CSwapFilePathDlg dialog(_platform, preset);
  if (dialog.DoModal(_instance, IDD_SWAP_FILE_PATH, Handle()) != IDOK)
    return std::nullopt;
  return dialog.Path();
}

} // namespace bw
