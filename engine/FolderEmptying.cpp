// Folder emptying: the Windows temp and spool folders once per job, each fixed drive's Recycle
// Bin per drive. Ordinary deletes; the free-space phase overwrites the space afterwards.
#include "engine/CleaningJob.h"
#include "platform/PathRules.h"
#include "settings/Settings.h"

#include <cstdio>

namespace bw {
namespace {

std::string Format(const char* format, const std::string& value) {
  char text[400];
  std::snprintf(text, sizeof(text), format, value.c_str());
  return text;
}

} // namespace

void CCleaningJob::EmptyTempFolder() {
  EmptyFolder(_settings.TempFolder, "Could not access the Windows' temp folder:\n%s.",
              "Emptying Windows' temp folder.");
}

void CCleaningJob::EmptySpoolFolder() {
  EmptyFolder(_settings.SpoolFolder, "Could not access the Windows' printer spool folder:\n%s.",
              "Emptying Windows' spool folder.");
}

bool CCleaningJob::EmptyFolder(const std::string& folder, const std::string& failureText,
                               const std::string& processText) {
  if (folder.size() >= kMaxPath || !_platform.Files().SetCurrentDirectory(folder)) {
    AskMessage(Format(failureText.c_str(), folder), "Folder Error", kMbOk | kMbIconError);
    return false;
  }
  SetProcess(processText);
  SetDetail(folder);
  DeleteWalk(0);
  return true;
}

void CCleaningJob::EmptyRecycleBin(char letter) {
  if (_platform.Drives().GetDriveType(letter) != DriveType::Fixed)
    return;
  char text[64];
  std::snprintf(text, sizeof(text), "Emptying Recycle Bin on Drive %c:", letter);
  SetProcess(text);
  IFileSystem& files = _platform.Files();
  for (const char* name : {"recycler", "recycled"}) {
    std::snprintf(text, sizeof(text), "%c:\\%s", letter, name);
    FindData data;
    if (!files.FindFirstFile(text, data))
      continue;
    // A link in the bin's place would lead the delete walk somewhere else entirely.
    if ((data.Attributes & kFileAttributeReparsePoint) == 0 && files.SetCurrentDirectory(text)) {
      SetDetail(text);
      DeleteWalk(0);
    }
    break;
  }
  SetDetail("");
  SetProcess("");
}

bool CCleaningJob::DeleteWalk(int depth) {
  IFileSystem& files = _platform.Files();
  CFolderListing listing(files, *this);
  if (!listing.Open())
    return true;
  while (listing.Next()) {
    const FindData& entry = listing.Entry();
    std::optional<std::string> path = FullPath(listing, entry.Name);
    if (!path)
      continue; // too long to name safely: left alone
    bool directory = entry.Attributes & kFileAttributeDirectory;
    bool link = entry.Attributes & kFileAttributeReparsePoint;
    if (link) {
      // Never followed: the link itself goes, whatever it points at stays.
      ShowPathDetail(*path);
      if (directory)
        files.RemoveDirectory(entry.Name);
      else
        files.DeleteFile(entry.Name);
    } else if (!directory) {
      if ((entry.Attributes & kFileAttributeHidden) && SameName(entry.Name, "desktop.ini"))
        continue; // the folder's own look stays
      ShowPathDetail(*path);
      files.SetFileAttributes(entry.Name, kFileAttributeNormal);
      files.DeleteFile(entry.Name);
    } else if (entry.Name[0] != '.' && depth < kMaxWalkDepth) {
      // The deletes that follow use names relative to this folder: without the way back they
      // would land in whatever folder the walk is left in.
      Descent descent = listing.Descend(entry.Name, [&] { return DeleteWalk(depth + 1); });
      if (descent == Descent::Lost)
        return false;
      if (descent == Descent::NotEntered || Stopped())
        continue;
      if (HoldsOnlyDotEntries(files, entry.Name))
        files.RemoveDirectory(entry.Name);
    }
  }
  return true;
}

} // namespace bw
