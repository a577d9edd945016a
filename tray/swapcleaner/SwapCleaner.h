// The boot-time swap-file cleaner: deletes the swap file and its own boot files, fills the free
// space of the swap drive with 1, 3 or 7 passes of alternating 0x00 and 0xFF through ordinary
// files, deletes them, and says when the computer may be turned off.
#pragma once

#include "tray/swapcleaner/DosServices.h"

namespace swpclnr {

/// Runs the cleaner. arguments[0] is the program's own path; then the pass count, G, R and the
/// swap file's path. Any other count of arguments ends it at once, silently. Returns the exit
/// code (0).
int RunCleaner(IDosServices& dos, int argc, const char* const* argv);

} // namespace swpclnr
