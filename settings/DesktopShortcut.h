// Where the desktop zap icon points and where it is written: the zap program beside the tray
// program, named by its short (8.3) path, and "Blankwright File Zap.lnk" in the user's Desktop
// folder as the shell records it.
#pragma once

#include <string>

namespace bw {

class IPlatform;

struct ShortcutPaths {
  std::string Target;   ///< the zap program's short path
  std::string LinkFile; ///< the .lnk file on the desktop
};

/// The shortcut's paths for a program folder ending with a backslash. False when the zap
/// program is not there or the Desktop folder is not recorded: a shortcut to nothing, or to a
/// file in an unknown place, is not made.
bool DesktopShortcutPaths(IPlatform& platform, const std::string& programFolder,
                          ShortcutPaths& paths);

} // namespace bw
