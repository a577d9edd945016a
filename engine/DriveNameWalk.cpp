#include "engine/DriveNameWalk.h"

#include "engine/CleaningContext.h"
#include "engine/DirectoryNameCleaner.h"
#include "platform/Platform.h"

#include <cstdio>

namespace bw {

void CDriveNameWalk::Run(char letter, std::optional<int> foldersCounted) {
  CDirectoryNameCleaner cleaner(_job.Platform(), _volume, _job);
  if (!cleaner.LoadRoot())
    return; // NTFS, an unknown format (reported) or an unreadable root
  char text[96];
  std::snprintf(text, sizeof(text), "Cleaning folder and file names on Drive %c:", letter);
  _job.SetProcess(text);
  char root[4] = {letter, ':', '\\', '\0'};
  IFileSystem& files = _job.Platform().Files();

  if (!foldersCounted) {
    int count = 0;
    if (files.SetCurrentDirectory(root))
      CountFolders(0, count);
    if (_job.Stopped())
      return;
    foldersCounted = count;
  }
  _job.Progress().Start(static_cast<uint64_t>(*foldersCounted > 0 ? *foldersCounted : 0));
  _job.Progress().Show(0);

  cleaner.CleanDirectoryNames(root);
  if (!_job.Stopped() && files.SetCurrentDirectory(root))
    Walk(cleaner, 0);
  _job.Progress().Show(100);
}

void CDriveNameWalk::Walk(CDirectoryNameCleaner& cleaner, int depth) {
  if (_job.Stopped())
    return;
  IFileSystem& files = _job.Platform().Files();
  if (CFolderListing listing(files, _job); listing.Open()) {
    while (listing.Next()) {
      const FindData& entry = listing.Entry();
      if (!IsFolderToWalk(entry) || depth >= kMaxWalkDepth)
        continue;
      Descent descent = listing.Descend(entry.Name, [&] {
        // The folders below first, so that each folder's own fillers come last.
        Walk(cleaner, depth + 1);
        std::string path;
        if (!_job.Stopped() && files.GetCurrentDirectory(path)) {
          _job.ShowPathDetail(path);
          _job.SaveCurrentFolder(path);
          cleaner.CleanDirectoryNames(path);
          _job.Progress().Advance();
        }
        return true;
      });
      if (descent == Descent::Lost) {
        _job.SetStatus(DriveStatus::NotAccessible); // lost the way back
        break;
      }
    }
  }
  _job.DismissNotices();
}

void CDriveNameWalk::CountFolders(int depth, int& count) {
  CFolderListing listing(_job.Platform().Files(), _job);
  if (!listing.Open())
    return;
  while (listing.Next()) {
    const FindData& entry = listing.Entry();
    if (!IsFolderToWalk(entry))
      continue;
    ++count;
    if (depth < kMaxWalkDepth && listing.Descend(entry.Name, [&] {
          CountFolders(depth + 1, count);
          return true;
        }) == Descent::Lost) {
      _job.SetStatus(DriveStatus::NotAccessible);
      break;
    }
  }
}

} // namespace bw
