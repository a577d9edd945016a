#include "shell/ShellCommands.h"

#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "settings/Settings.h"
#include "shell/ShellMenu.h"
#include "tray/RemoteCommand.h"
#include "tray/Selections.h"

#include <algorithm>

namespace bw {
namespace {

constexpr const char* kFolderValue = "UFilePath";
/// The buffer UFilePath is read into.
constexpr size_t kFolderValueMax = 256;

void RegistryMessage(IMessageBox& box) {
  box.Show("Cannot access registry, access denied.", "Registry IO Error", kMbOk | kMbIconError);
}

// The folder the installation put the tray program in; empty when it is not recorded.
std::string TrayProgramFolder(IRegistry& registry) {
  auto key = registry.OpenKey(RegistryRoot::LocalMachine, kSettingsKey);
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
  if (!key || !key->QueryValue(kFolderValue, type, data, kFolderValueMax))
    return {};
  // Stored with or without its terminating zero.
  auto end = std::find(data.begin(), data.end(), uint8_t{0});
  return {data.begin(), end};
}

// Deletes any Selections key left from before, so that the tray program reads only the paths
// written now. A key that was not there is fine; one that stays (access denied, or a subkey
// inside it that a plain delete cannot remove) would mix old paths into the zap.
bool ClearSelections(IRegistry& registry) {
  auto product = registry.CreateKey(RegistryRoot::LocalMachine, kProductKey);
  if (!product)
    return false;
  if (!product->DeleteSubKey("Selections") &&
      registry.OpenKey(RegistryRoot::LocalMachine, kSelectionsKey) != nullptr) {
    product->Close();
    return false;
  }
  product->Flush();
  product->Close();
  return true;
}

// Writes the paths in order, one value each; stops at the first that fails with the registry
// message. False only when the key itself could not be made: then nothing may be sent.
bool WriteSelections(IRegistry& registry, const std::vector<std::string>& paths, IMessageBox& box) {
  auto key = registry.CreateKey(RegistryRoot::LocalMachine, kSelectionsKey);
  if (!key) {
    RegistryMessage(box);
    return false;
  }
  for (const std::string& path : paths) {
    if (!key->SetValue(path, kRegBinary, {0})) {
      RegistryMessage(box);
      break;
    }
  }
  key->Flush();
  key->Close();
  return true;
}

} // namespace

bool IsSelectionPath(const std::string& path) {
  return !path.empty() && path.size() <= kSelectionNameMax &&
         path.find_first_of("?*") == std::string::npos;
}

WindowId FindOrStartTrayProgram(IRegistry& registry, IWindowCommands& windows,
                                const std::string& fallbackFolder) {
  WindowId window = windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle);
  if (window != kNoWindow)
    return window;
  std::string program = TrayProgramFolder(registry);
  if (program.empty())
    program = fallbackFolder;
  if (program.empty())
    return kNoWindow;
  if (program.back() != '\\')
    program += '\\';
  program += kTrayProgramName;
  if (!windows.Start(program, {}))
    return kNoWindow;
  windows.Wait(kStartWaitMilliseconds);
  return windows.FindMainWindow(MainWindowClasses(), kMainWindowTitle);
}

ShellInvokeResult InvokeShellCommand(uint32_t offset, const std::vector<std::string>& paths,
                                     CShellServices& services) {
  if (offset >= kShellCommandCount)
    return ShellInvokeResult::Refused;
  auto command = static_cast<ShellCommand>(offset);
  CShellTarget target = FindShellTarget(paths, services.Drives);
  uint32_t word = 0;
  switch (command) {
  case ShellCommand::Zap:
    if (!target.ZapAvailable)
      return ShellInvokeResult::Refused;
    if (!std::all_of(paths.begin(), paths.end(), IsSelectionPath) ||
        !ClearSelections(services.Registry)) {
      RegistryMessage(services.ExplorerBox);
      return ShellInvokeResult::Handled;
    }
    word = MakeCommandWord(RemoteCommand::Zap);
    break;
  case ShellCommand::CleanDrive:
  case ShellCommand::ScanDrive:
    if (!target.DriveAvailable)
      return ShellInvokeResult::Refused;
    word = MakeCommandWord(command == ShellCommand::CleanDrive ? RemoteCommand::CleanDrive
                                                               : RemoteCommand::ScanDrive,
                           target.Letter);
    break;
  case ShellCommand::Configure:
    word = MakeCommandWord(RemoteCommand::Configure);
    break;
  }

  WindowId window =
      FindOrStartTrayProgram(services.Registry, services.Windows, services.FallbackFolder);
  if (window == kNoWindow) {
    services.UnownedBox.Show("Could not locate Blankwright, make sure that Blankwright is running.",
                             "", kMbOk);
    return ShellInvokeResult::Handled;
  }
  if (command == ShellCommand::Zap &&
      !WriteSelections(services.Registry, paths, services.ExplorerBox))
    return ShellInvokeResult::Handled;
  // A window that refuses to come to the front still takes the command.
  services.Windows.BringToFront(window);
  services.Windows.SendCommand(window, word);
  return ShellInvokeResult::Handled;
}

} // namespace bw
