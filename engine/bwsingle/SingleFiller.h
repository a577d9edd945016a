// The filler program's work: the one-entry filler files of deleted-name cleaning.
//
// A deleted entry that stands alone can only be taken over by a name that needs one directory
// entry, a plain upper-case 8.3 name with no long-name entry. The name cleaner counts those
// entries in a folder and starts this program once with the folder and the count; it makes the
// files and ends, and the cleaner deletes them again.
#pragma once

#include <string>
#include <vector>

namespace bw {

class IPlatform;

constexpr int kFillerOk = 0;         ///< every file was made
constexpr int kFillerIncomplete = 1; ///< some file could not be made
constexpr int kFillerUsage = 2;      ///< the arguments were not understood

/// The most files one start makes: a FAT folder holds at most 65536 entries.
constexpr unsigned long kMaxSingleFillers = 65536;

/// arguments: the folder prefix (ending with "\"), the count in decimal, and optionally the
/// number of the first file (1 when absent). Creates prefix + SingleFillerName(n) for each n
/// from the first on, empty, and closes them. Returns one of the kFiller* codes.
int RunSingleFiller(IPlatform& platform, const std::vector<std::string>& arguments);

} // namespace bw
