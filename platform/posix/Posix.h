// Shared pieces of the Linux platform: the state folder, error translation, and the drive map
// that gives each letter a mounted volume and a raw source.
#pragma once

#include "platform/DriveMap.h"
#include "platform/PathRules.h"

#include <optional>
#include <string>
#include <vector>

namespace bw::posix {

/// BLANKWRIGHT_HOME, else $XDG_STATE_HOME/blankwright, else ~/.local/state/blankwright.
std::string StateFolder();

/// Creates folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

/// Writes text to path through a temporary file that is flushed and renamed over it, so that a
/// crash or a full disk leaves either the old file or the new one, never a mix.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);

/// Starts program with arguments (argv[0] is the program) without waiting; false when it could
/// not be executed (glibc reports a missing or non-executable program as the spawn's failure).
bool SpawnProgram(const std::string& program, const std::vector<std::string>& arguments, int& pid);

/// Translates an errno value to the Win32 error code the portable code expects.
uint32_t TranslateErrno(int error);

/// Where hostPath (absolute, its folders resolved) lies on one of drives: the drive whose mount
/// folder holds it most deeply, and each name below that folder as given. False when it lies
/// on none (reason empty) or holds a name a drive path cannot hold (a separator, a drive colon,
/// a wildcard; reason says which).
bool HostPathOnDrive(const std::vector<DriveMapEntry>& drives, const std::string& hostPath,
                     FullPath& path, std::string& reason);

/// The drive map, kept as a text file "drives" in the state folder: one line per letter with
/// letter, type, mount folder and raw source separated by tabs.
class CDriveMapFile final : public IDriveMap {
public:
  bool List(std::vector<DriveMapEntry>& entries) override;
  bool Add(const DriveMapEntry& entry, std::string& error) override;
  bool Remove(char letter, std::string& error) override;
  std::string Location() override;
  bool FindMountSource(const std::string& folder, std::string& source,
                       std::string& reason) override;
  bool CheckMount(const DriveMapEntry& entry, std::string& reason) override;
  bool ToDrivePath(const std::string& hostPath, std::string& drivePath,
                   std::string& reason) override;

  /// The entry of letter (any case), read afresh from the file.
  std::optional<DriveMapEntry> Find(char letter);

private:
  bool Save(const std::vector<DriveMapEntry>& entries, std::string& error);
};

} // namespace bw::posix
