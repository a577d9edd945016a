// "Blankwright System Shutdown": the drives to clean before the system shuts down, and whether
// the swap file is cleaned too. Ends with IDOK when the user confirmed (the settings record then
// holds the choice, for the caller to save), IDCANCEL otherwise.
#pragma once

#include "tray/ShutdownConfirm.h"
#include "ui/Dialog.h"
#include "ui/DriveListBox.h"

namespace bw {

class CSettings;
class IPlatform;

class CShutdownDialog final : public ui::CDialog, private IShutdownPrompts {
public:
  CShutdownDialog(HINSTANCE instance, IPlatform& platform, CSettings& settings);

private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;

  // The confirmation's questions.
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  std::optional<std::string> AskSwapFilePath(const std::string& preset) override;
  void DriveListChanged() override { _drives.Refresh(); }

  HINSTANCE _instance;
  IPlatform& _platform;
  CSettings& _settings;
  ui::CDriveListBox _drives;
};

} // namespace bw
