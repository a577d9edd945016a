#include "viewer/ViewerRules.h"

#include "platform/Drives.h"

#include <algorithm>
#include <cctype>

namespace bw {
namespace {

constexpr uint32_t kCommandCleanDrive = 2;

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

std::string CommandLineDrive(const std::vector<std::string>& arguments) {
  if (arguments.empty())
    return {};
  std::string drive = arguments.back();
  if (!drive.empty() && (drive[0] == '-' || drive[0] == '/'))
    drive.erase(0, 1);
  if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0])))
    return {};
  std::transform(drive.begin(), drive.end(), drive.begin(), Upper);
  return drive;
}

std::string ViewerProgramFolder(const std::string& commandLine) {
  std::string path = commandLine;
  if (!path.empty() && path[0] == '"')
    path.erase(0, 1);
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string DriveListEntry(char letter, DriveType type) {
  switch (type) {
  case DriveType::Fixed:
    return std::string(1, Upper(letter)) + ": Fixed drive";
  case DriveType::Removable:
    return std::string(1, Upper(letter)) + ": Removable disk";
  default:
    return {};
  }
}

std::vector<std::string> DriveListEntries(IDrives& drives) {
  std::vector<std::string> entries;
  uint32_t mask = drives.GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i)))
      continue;
    char letter = static_cast<char>('A' + i);
    std::string entry = DriveListEntry(letter, drives.GetDriveType(letter));
    if (!entry.empty())
      entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

int FindDriveEntry(const std::vector<std::string>& entries, const std::string& commandLineDrive) {
  if (commandLineDrive.empty())
    return -1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (!entries[i].empty() && entries[i][0] == commandLineDrive[0])
      return static_cast<int>(i);
  return -1;
}

char ScanDriveLetter(const std::string& selectedEntry) {
  return selectedEntry.empty() ? 'C' : Upper(selectedEntry[0]);
}

uint32_t CleanDriveCommandWord(char letter) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(Upper(letter))) << 16) +
         kCommandCleanDrive;
}

} // namespace bw
