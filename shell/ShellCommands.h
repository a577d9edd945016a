// What the context menu's commands do: each is handed to the tray program as a command word,
// after starting it when it is not running; a zap first writes the selected paths into the
// Selections key for the tray program to read.
#pragma once

#include "platform/WindowCommands.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class IDrives;
class IMessageBox;
class IRegistry;

/// The services a command uses. The two boxes differ in their owner: the registry messages
/// belong to the Explorer window the command came from, "Could not locate" to no window (an
/// empty caption stands for the platform's default caption).
struct CShellServices {
  IRegistry& Registry;
  IWindowCommands& Windows;
  IDrives& Drives;
  IMessageBox& ExplorerBox;
  IMessageBox& UnownedBox;
  /// Where the tray program is looked for when UFilePath names no folder: the sender's own
  /// folder (the desktop zap icon is installed beside it); empty for none.
  std::string FallbackFolder = {};
};

/// How an invoked command ended.
enum class ShellInvokeResult {
  Handled, ///< done, or stopped after telling the user why
  Refused, ///< no such command, or it does not apply to the selection (E_INVALIDARG)
};

/// Whether path can go into the Selections key as it is: not empty, not longer than the
/// tray program reads (kSelectionNameMax), and free of '?' and '*', which no real name holds (the
/// single-byte form of a name with characters outside the code page has '?' in their place). A path
/// that cannot be handed over whole must not go at all: a cut or changed one may name some other
/// file.
bool IsSelectionPath(const std::string& path);

/// The tray program's main window, found by its class names and title; when there is none, the
/// tray program is started from the folder named by UFilePath (else from fallbackFolder), and
/// after 4000 ms looked for again. kNoWindow when it is still not there (or could not be
/// started).
WindowId FindOrStartTrayProgram(IRegistry& registry, IWindowCommands& windows,
                                const std::string& fallbackFolder = {});

/// Carries out the command at offset for the selected paths (Explorer's order).
///   zap: refuses a selection that cannot be handed over whole (IsSelectionPath) with the
///        registry message; clears the Selections key, finds or starts the tray program,
///        writes the paths (one REG_BINARY value of one 0x00 byte each) and sends code 1;
///   clean, scan: codes 2 and 3 with the first path's first character;
///   configuration: code 4.
/// Commands the menu shows greyed for the selection are refused, as is every other offset.
ShellInvokeResult InvokeShellCommand(uint32_t offset, const std::vector<std::string>& paths,
                                     CShellServices& services);

} // namespace bw
