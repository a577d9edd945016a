// Deleted-name cleaning of a whole FAT drive: the root first, then every folder after the
// folders below it, each through CNameCleaner, with CURRENTDRIVE naming the folder whose
// filler files exist meanwhile and the bar advancing per folder.
#include "engine/CleaningJob.h"

#include <cstdio>

namespace bw {

void CCleaningJob::CleanDriveNames(char letter) {
  CNameCleaner cleaner(_platform, _volume, *this);
  if (!cleaner.LoadRoot())
    return; // NTFS, an unknown format (reported) or an unreadable root
  char text[96];
  std::snprintf(text, sizeof(text), "Cleaning folder and file names on Drive %c:", letter);
  SetProcess(text);
  char root[4] = {letter, ':', '\\', '\0'};
  IFileSystem& files = _platform.Files();

  // The slack phase counted the folders of this drive with the same rules as the walk below;
  // when it did not run, they are counted here, so that the bar still moves per folder.
  if (!_slackRan) {
    _foldersCounted = 0;
    if (files.SetCurrentDirectory(root))
      CountFolders(0);
    if (Stopped())
      return;
  }
  _progress.Start(static_cast<uint64_t>(_foldersCounted));
  SetBar(0);

  _currentPath = root;
  cleaner.CleanDirectoryNames(root);
  if (!Stopped() && files.SetCurrentDirectory(root))
    NameWalk(cleaner, 0);
  SetBar(100);
}

void CCleaningJob::NameWalk(CNameCleaner& cleaner, int depth) {
  if (Stopped())
    return;
  IFileSystem& files = _platform.Files();
  if (CFolderListing listing(files, *this); listing.Open()) {
    while (listing.Next()) {
      const FindData& entry = listing.Entry();
      if (!IsFolderToWalk(entry) || depth >= kMaxWalkDepth)
        continue;
      Descent descent = listing.Descend(entry.Name, [&] {
        // The folders below first, so that each folder's own fillers come last.
        NameWalk(cleaner, depth + 1);
        std::string path;
        if (!Stopped() && files.GetCurrentDirectory(path)) {
          _currentPath = path;
          ShowPathDetail(path);
          SaveCurrentFolder(path);
          cleaner.CleanDirectoryNames(path);
          AdvanceProgress();
        }
        return true;
      });
      if (descent == Descent::Lost) {
        _driveStatus = DriveStatus::NotAccessible; // lost the way back
        break;
      }
    }
  }
  DismissDiskSpaceNotices();
}

void CCleaningJob::CountFolders(int depth) {
  CFolderListing listing(_platform.Files(), *this);
  if (!listing.Open())
    return;
  while (listing.Next()) {
    const FindData& entry = listing.Entry();
    if (!IsFolderToWalk(entry))
      continue;
    ++_foldersCounted;
    if (depth < kMaxWalkDepth && listing.Descend(entry.Name, [&] {
          CountFolders(depth + 1);
          return true;
        }) == Descent::Lost) {
      _driveStatus = DriveStatus::NotAccessible;
      break;
    }
  }
}

} // namespace bw
