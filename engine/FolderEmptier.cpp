#include "engine/FolderEmptier.h"

#include "engine/CleaningContext.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <cstdio>

namespace bw {
namespace {

std::string Format(const char* format, const std::string& value) {
  char text[400];
  std::snprintf(text, sizeof(text), format, value.c_str());
  return text;
}

} // namespace

void CFolderEmptier::EmptyTempFolder(const std::string& folder) {
  EmptyFolder(folder, "Could not access the Windows' temp folder:\n%s.",
              "Emptying Windows' temp folder.");
}

void CFolderEmptier::EmptySpoolFolder(const std::string& folder) {
  EmptyFolder(folder, "Could not access the Windows' printer spool folder:\n%s.",
              "Emptying Windows' spool folder.");
}

bool CFolderEmptier::EmptyFolder(const std::string& folder, const std::string& failureText,
                                 const std::string& processText) {
  if (folder.size() >= kMaxPath || !_job.Platform().Files().SetCurrentDirectory(folder)) {
    _job.MessageBox(Format(failureText.c_str(), folder), "Folder Error", kMbOk | kMbIconError);
    return false;
  }
  _job.SetProcess(processText);
  _job.SetDetail(folder);
  DeleteWalk(0);
  return true;
}

void CFolderEmptier::EmptyRecycleBin(char letter) {
  IPlatform& platform = _job.Platform();
  if (platform.Drives().GetDriveType(letter) != DriveType::Fixed)
    return;
  char text[64];
  std::snprintf(text, sizeof(text), "Emptying Recycle Bin on Drive %c:", letter);
  _job.SetProcess(text);
  IFileSystem& files = platform.Files();
  for (const char* name : {"recycler", "recycled"}) {
    std::snprintf(text, sizeof(text), "%c:\\%s", letter, name);
    FindData data;
    if (!files.FindFirstFile(text, data))
      continue;
    // A link in the bin's place would lead the delete walk somewhere else entirely.
    if ((data.Attributes & kFileAttributeReparsePoint) == 0 && files.SetCurrentDirectory(text)) {
      _job.SetDetail(text);
      DeleteWalk(0);
    }
    break;
  }
  _job.SetDetail("");
  _job.SetProcess("");
}

bool CFolderEmptier::DeleteWalk(int depth) {
  IFileSystem& files = _job.Platform().Files();
  CFolderListing listing(files, _job);
  if (!listing.Open())
    return true;
  while (listing.Next()) {
    const FindData& entry = listing.Entry();
    std::optional<std::string> path = CCleaningContext::FullPath(listing, entry.Name);
    if (!path)
      continue; // too long to name safely: left alone
    bool directory = entry.Attributes & kFileAttributeDirectory;
    bool link = entry.Attributes & kFileAttributeReparsePoint;
    if (link) {
      // Never followed: the link itself goes, whatever it points at stays.
      _job.ShowPathDetail(*path);
      if (directory)
        files.RemoveDirectory(entry.Name);
      else
        files.DeleteFile(entry.Name);
    } else if (!directory) {
      if ((entry.Attributes & kFileAttributeHidden) && SameName(entry.Name, "desktop.ini"))
        continue; // the folder's own look stays
      _job.ShowPathDetail(*path);
      files.SetFileAttributes(entry.Name, kFileAttributeNormal);
      files.DeleteFile(entry.Name);
    } else if (entry.Name[0] != '.' && depth < kMaxWalkDepth) {
      // The deletes that follow use names relative to this folder: without the way back they
      // would land in whatever folder the walk is left in.
      Descent descent = listing.Descend(entry.Name, [&] { return DeleteWalk(depth + 1); });
      if (descent == Descent::Lost)
        return false;
      if (descent == Descent::NotEntered || _job.Stopped())
        continue;
      if (HoldsOnlyDotEntries(files, entry.Name))
        files.RemoveDirectory(entry.Name);
    }
  }
  return true;
}

} // namespace bw
