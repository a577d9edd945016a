// What a setup or removal program asks for before it replaces or removes the programs' files:
// the tray program ends and the drive viewer closes.
#pragma once

#include <cstdint>

namespace bw {

class IWindowCommands;

/// Sends the tray program's main window (the first two class names only) the end command,
/// without bringing it to the front, then asks the drive viewer's window to close. Either
/// program that is not running is skipped. Returns what the viewer answered, 0 without one.
int32_t ShutDownPrograms(IWindowCommands& windows);

} // namespace bw
