// Blankwright File Zap.exe, the desktop zap icon: files and folders dropped on it arrive as its
// arguments and are handed to the tray program to zap, exactly as the Explorer menu's "ZAP
// Selected File(s)" hands them over (the Selections key, then code 1).
#include "platform/Platform.h"
#include "platform/win32/Win32.h"
#include "shell/ShellCommands.h"
#include "shell/ShellMenu.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class CBox final : public bw::IMessageBox {
public:
  int Show(const std::string& text, const std::string& caption, uint32_t style) override {
    return ::MessageBoxA(nullptr, text.c_str(), caption.empty() ? nullptr : caption.c_str(), style);
  }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> paths;
  for (int i = 1; i < __argc; ++i)
    paths.emplace_back(__argv[i]);
  CBox box;
  if (paths.empty()) {
    box.Show("Drop files or folders on this icon to zap them.", "Blankwright File Zap",
             MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  auto platform = bw::CreateNativePlatform();
  // Installed beside the tray program: its own folder serves when UFilePath is not set.
  bw::CShellServices services{platform->Registry(),
                              platform->WindowCommands(),
                              platform->Drives(),
                              box,
                              box,
                              platform->System().GetProgramFolder()};
  return bw::InvokeShellCommand(static_cast<uint32_t>(bw::ShellCommand::Zap), paths, services) ==
                 bw::ShellInvokeResult::Handled
             ? 0
             : 1;
}
