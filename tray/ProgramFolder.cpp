#include "tray/ProgramFolder.h"

#include <cctype>

namespace bw {

std::string ProgramFolderFromCommandLine(const std::string& commandLine) {
  std::string folder = commandLine;
  for (char& c : folder)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!folder.empty() && folder.front() == '"')
    folder.erase(0, 1);
  size_t lastBackslash = folder.rfind('\\');
  if (lastBackslash != std::string::npos)
    folder.erase(lastBackslash + 1);
  return folder;
}

} // namespace bw
