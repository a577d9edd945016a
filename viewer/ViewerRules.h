// The rules of the viewer window that are not windows: its command line, its drive list and
// the clean-drive request it sends the tray program.
#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class IDrives;

/// The drive named on the command line: the last argument without a leading "-" or "/",
/// upper-cased; empty when there is none or when its first character is not a letter.
std::string CommandLineDrive(const std::vector<std::string>& arguments);

/// The viewer's folder from its command line: the program path with a leading quote
/// removed, cut after its last backslash (which is kept); empty when it has none.
std::string ViewerProgramFolder(const std::string& commandLine);

/// "%c: Fixed drive" or "%c: Removable disk" with letter upper-cased; empty for any other
/// drive type, which the list leaves out.
std::string DriveListEntry(char letter, DriveType type);

/// The drive list: an entry for every fixed or removable drive of the logical-drive mask,
/// sorted.
std::vector<std::string> DriveListEntries(IDrives& drives);

/// The entry whose letter is the first character of commandLineDrive; -1 when there is none
/// (and the window then selects its first entry without scanning).
int FindDriveEntry(const std::vector<std::string>& entries, const std::string& commandLineDrive);

/// The drive letter a scan uses: the first character of the chosen entry, "C" when none is
/// chosen.
char ScanDriveLetter(const std::string& selectedEntry);

/// The command word that asks the tray program to clean one drive: the letter's character code
/// shifted left by 16 bits plus code 2 (drive C gives 0x00430002).
uint32_t CleanDriveCommandWord(char letter);

} // namespace bw
