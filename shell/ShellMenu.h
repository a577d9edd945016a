// What the Explorer context menu shows for a selection: whether it adds its "Blankwright"
// submenu at all, which drive the selection is on, and the six positions of the submenu with
// their texts and grey states. The COM object (shell/contextmenu) only copies this into a menu.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class IDrives;

// QueryContextMenu flags (CMF_*) the menu looks at.
constexpr uint32_t kCmfDefaultOnly = 0x1;
constexpr uint32_t kCmfVerbsOnly = 0x2;
constexpr uint32_t kCmfExplore = 0x4;
constexpr uint32_t kCmfNoVerbs = 0x8;

/// The submenu's commands by their offset from the first command id Explorer gives.
enum class ShellCommand : uint32_t {
  Zap = 0,        ///< "ZAP Selected File(s)"
  CleanDrive = 1, ///< "Clean Drive C:"
  ScanDrive = 2,  ///< "Scan C: for Deleted Data"
  Configure = 3,  ///< "Configuration"
};
/// How many command ids the submenu uses.
constexpr uint32_t kShellCommandCount = 4;

/// The title of the submenu in Explorer's menu.
inline constexpr const char* kSubmenuText = "Blankwright";

/// What the first selected path says about the drive the commands act on.
struct CShellTarget {
  /// The path's first character as Explorer gave it, the letter the drive commands send;
  /// '\0' when there is no path.
  char Letter = '\0';
  /// "C:" for a removable or fixed drive, else "n/a".
  std::string DriveText = "n/a";
  /// Clean and scan apply: the path starts with the letter of a removable or fixed drive.
  bool DriveAvailable = false;
  /// Zap applies: there is a path and it is not on a CD-ROM drive.
  bool ZapAvailable = false;
};

/// The target of a selection, from its first path only.
CShellTarget FindShellTarget(const std::vector<std::string>& paths, IDrives& drives);

/// Whether a QueryContextMenu with flags gets the submenu for paths: not for a default-only
/// or no-verbs request, not for an empty selection, and not for the Start button's own menu
/// (a first path ending in "Start Menu").
bool WantsShellMenu(uint32_t flags, const std::vector<std::string>& paths);

/// One position of the submenu.
struct CShellMenuItem {
  bool Separator = false;
  ShellCommand Command = ShellCommand::Zap; ///< meaningless for a separator
  std::string Text;
  bool Grayed = false;
};

/// The submenu from top to bottom: zap, separator, clean, scan, separator, configuration.
std::vector<CShellMenuItem> ShellMenuItems(const CShellTarget& target);

/// The status-bar help text of the command at offset; null for any other offset.
const char* ShellCommandHelpText(uint32_t offset);

} // namespace bw
