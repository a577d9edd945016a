// CDriveNameWalk: the deleted-name cleaning of a whole FAT drive. The root first, then every
// folder after the folders below it, each through CDirectoryNameCleaner, with CURRENTDRIVE naming
// the folder whose filler files exist meanwhile and the bar advancing per folder.
#pragma once

#include <optional>

namespace bw {

class CCleaningContext;
class CDirectoryNameCleaner;
class CVolumeInfo;

class CDriveNameWalk {
public:
  /// volume: the opened record of the drive.
  CDriveNameWalk(CCleaningContext& job, CVolumeInfo& volume) : _job(job), _volume(volume) {}

  /// Cleans the deleted names of every folder on letter. foldersCounted: the folders the slack
  /// cleaner counted on this drive with the same rules, when it did; else they are counted
  /// here, so that the bar still moves per folder.
  void Run(char letter, std::optional<int> foldersCounted);

private:
  void Walk(CDirectoryNameCleaner& cleaner, int depth);
  void CountFolders(int depth, int& count);

  CCleaningContext& _job;
  CVolumeInfo& _volume;
};

} // namespace bw
