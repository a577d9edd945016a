#include "zap/FileClassification.h"

#include "platform/PathRules.h"

namespace bw {
namespace {

constexpr std::string_view kOwnFiles[] = {"Blankwright Base.exe", "THBWshell.dll"};

// The extensions of program, driver, font, help and settings files of the system.
constexpr std::string_view kSystemTypeExtensions[] = {
    ".exe", ".dll", ".com", ".drv", ".sys", ".bat", ".386", ".ocx", ".olb", ".hlp",
    ".cpl", ".inf", ".fon", ".ttf", ".nls", ".tsk", ".swp", ".vxd", ".ini", ".lnk",
};

} // namespace

std::string_view NameOfPath(std::string_view path) {
  size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

FileClass ClassifyFile(std::string_view path) {
  std::string_view name = NameOfPath(path);
  for (std::string_view own : kOwnFiles)
    if (SameName(name, own))
      return FileClass::OwnFile;
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return FileClass::Ordinary;
  std::string_view extension = name.substr(dot);
  for (std::string_view known : kSystemTypeExtensions)
    if (SameName(extension, known))
      return FileClass::SystemType;
  return FileClass::Ordinary;
}

} // namespace bw
