#include "shell/ShellMenu.h"

#include "platform/Drives.h"

#include <array>

namespace bw {
namespace {

constexpr const char* kStartMenu = "Start Menu";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

char UpperLetter(char c) {
  if (c >= 'a' && c <= 'z')
    return static_cast<char>(c - 'a' + 'A');
  return c >= 'A' && c <= 'Z' ? c : '\0';
}

} // namespace

CShellTarget FindShellTarget(const std::vector<std::string>& paths, IDrives& drives) {
  CShellTarget target;
  if (paths.empty() || paths.front().empty())
    return target;
  target.Letter = paths.front().front();
  target.ZapAvailable = true;
  // Network paths, CD-ROMs, RAM disks and whatever else has no drive the job can clean.
  char letter = UpperLetter(target.Letter);
  if (letter == '\0')
    return target;
  DriveType type = drives.GetDriveType(letter);
  if (type == DriveType::Removable || type == DriveType::Fixed) {
    target.DriveText = std::string{letter, ':'};
    target.DriveAvailable = true;
  }
  if (type == DriveType::CdRom)
    target.ZapAvailable = false;
  return target;
}

bool WantsShellMenu(uint32_t flags, const std::vector<std::string>& paths) {
  // The double-click's default-only request must not grow a submenu even in Explorer's tree
  // view, where it comes with the explore flag.
  if ((flags & kCmfDefaultOnly) != 0)
    return false;
  bool normal = (flags & 0xF) == 0;
  if (!normal && (flags & (kCmfVerbsOnly | kCmfExplore)) == 0)
    return false;
  return !paths.empty() && !EndsWith(paths.front(), kStartMenu);
}

std::vector<CShellMenuItem> ShellMenuItems(const CShellTarget& target) {
  std::vector<CShellMenuItem> items(6);
  items[0] = {false, ShellCommand::Zap, "ZAP Selected File(s)", !target.ZapAvailable};
  items[1].Separator = true;
  items[2] = {false, ShellCommand::CleanDrive, "Clean Drive " + target.DriveText,
              !target.DriveAvailable};
  items[3] = {false, ShellCommand::ScanDrive, "Scan " + target.DriveText + " for Deleted Data",
              !target.DriveAvailable};
  items[4].Separator = true;
  items[5] = {false, ShellCommand::Configure, "Configuration", false};
  return items;
}

const char* ShellCommandHelpText(uint32_t offset) {
  static constexpr std::array<const char*, kShellCommandCount> kHelpTexts = {
      "ZAP selected file(s)", "Clean the selected drive", "Scan selected drive for deleted data",
      "Blankwright configuration settings"};
  return offset < kHelpTexts.size() ? kHelpTexts[offset] : nullptr;
}

} // namespace bw
