// The tray program's own folder, from which it starts the drive viewer and which the Run value
// names.
#pragma once

#include <string>

namespace bw {

/// The program folder from the process's command line: lower-cased, a leading double quote
/// dropped, cut after its last backslash (kept); a text without a backslash is kept whole.
/// "\"C:\\Program Files\\Blankwright\\Blankwright Base.exe\"" gives
/// "c:\\program files\\blankwright\\".
std::string ProgramFolderFromCommandLine(const std::string& commandLine);

} // namespace bw
