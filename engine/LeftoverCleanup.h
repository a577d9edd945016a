// The tidying the tray program does at every start, and the command line before every job:
// files that an interrupted cleaning or a boot-time swap-file cleaning left behind.
#pragma once

#include <string>

namespace bw {

class IPlatform;
class IMessageBox;
class CSettings;

/// Puts back the file an interrupted slack phase left longer (telling asker about a file it
/// left alone), removes the boot files and the swap cleaner's fill files on the swap drive, then
/// the temporary files of an interrupted cleaning in the folder CURRENTDRIVE names (asking
/// Retry/Cancel through asker, the front end's own box, while that drive cannot be reached)
/// and empties CURRENTDRIVE. The NTFS remnant fillers there go too (NtfsFillerNames.h), with
/// their folder in the root when it is left empty.
void CleanUpLeftovers(IPlatform& platform, const CSettings& settings, IMessageBox& asker);

/// True for the names Blankwright gives its own temporary ".~BW" files: the filler files of
/// name cleaning ("1Blankwr.~BW", "12BlankwrightBlankw.~BW" ...) and "BlankwrightTMPa.~BW".
bool IsBlankwrightTemporaryName(const std::string& name);

/// True for the free-space wipe's files "BlankwrightTMP<n>.gf".
bool IsWipeFileName(const std::string& name);

} // namespace bw
