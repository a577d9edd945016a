// Slack-space cleaning: the bytes between the end of a file and the end of its last cluster
// keep whatever the disk held before. Every qualifying file gets that many bytes of pass data
// appended and is cut back to its size, once per pass, with its times and read-only bit
// restored. Two walks over the tree: the first counts the files (and the folders, which the
// name phase takes as its progress base), the second cleans and stops at the count.
#include "engine/CleaningJob.h"
#include "settings/Settings.h"

#include <cctype>
#include <cstdio>

namespace bw {
namespace {

// The attribute bits a file may carry and still be cleaned: anything else (system, compressed,
// temporary, offline, encrypted, sparse, a link) means the file is left alone.
constexpr uint32_t kCleanableAttributes =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeArchive | kFileAttributeNormal;

// The slack buffers hold a cluster and one more sector.
constexpr uint32_t kSlackBufferExtra = 512;

std::string ToLower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

} // namespace

void CCleaningJob::CleanSlack(char letter) {
  char text[96];
  std::snprintf(text, sizeof(text), "Scanning Directories on Drive %c:", letter);
  SetProcess(text);
  SetBar(0);

  if (_clusterSize == 0) { // the drive's size query failed: no slack can be measured
    _driveStatus = DriveStatus::NotAccessible;
    return;
  }
  CPassBuffers buffers;
  if (!buffers.Allocate(size_t{_clusterSize} + kSlackBufferExtra, _clusterSize)) {
    MemoryError();
    return;
  }

  IFileSystem& files = _platform.Files();
  char root[4] = {letter, ':', '\\', '\0'};
  _slackMode = 0;
  _filesToClean = 0;
  _filesCleaned = -1; // below any count, so that the counting walk never stops early
  _foldersCounted = 0;
  _currentPath = ToLower(root);
  SetDetail(_currentPath);
  if (!files.SetCurrentDirectory(root)) {
    _driveStatus = DriveStatus::NotAccessible;
    return;
  }
  SlackWalk(buffers, 0);
  if (Stopped())
    return;
  _slackRan = true;

  uint32_t passes = PassCount();
  std::snprintf(text, sizeof(text),
                passes == 1 ? "Cleaning slack space on Drive %c: %u overwrite"
                            : "Cleaning slack space on Drive %c: %u overwrites",
                letter, passes);
  SetProcess(text);
  _progress.Start(static_cast<uint64_t>(_filesToClean));
  _slackMode = 1;
  _currentPath = ToLower(root);
  SetDetail(_currentPath);
  if (_filesToClean != 0) {
    if (!files.SetCurrentDirectory(root)) {
      _driveStatus = DriveStatus::NotAccessible;
      return;
    }
    _filesCleaned = 0;
    SlackWalk(buffers, 0);
  }
  SetBar(100);
  buffers.Free();
  if (!Stopped())
    SetDetail("");
}

void CCleaningJob::SlackWalk(const CPassBuffers& buffers, int depth) {
  if (Stopped() || _filesCleaned >= _filesToClean)
    return;
  if (CFolderListing listing(_platform.Files(), *this); listing.Open()) {
    while (listing.Next() && _filesCleaned < _filesToClean) {
      const FindData& entry = listing.Entry();
      std::optional<std::string> path = FullPath(listing, entry.Name);
      if (!path)
        continue; // too long to name safely: left alone
      bool directory = entry.Attributes & kFileAttributeDirectory;
      if (!directory) {
        if (!QualifiesForSlack(entry))
          continue;
        if (_slackMode == 0) {
          ++_filesToClean;
        } else {
          _findRecord = entry;
          _currentPath = *path;
          OverwriteSlack(buffers);
          ++_filesCleaned;
          AdvanceProgress();
        }
      } else if (IsFolderToWalk(entry)) {
        if (_slackMode == 0)
          ++_foldersCounted;
        _currentPath = *path;
        ShowPathDetail(*path);
        if (depth < kMaxWalkDepth && listing.Descend(entry.Name, [&] {
              SlackWalk(buffers, depth + 1);
              return true;
            }) == Descent::Lost) {
          // Lost the way back: nothing further in this folder can be named right.
          _driveStatus = DriveStatus::NotAccessible;
          break;
        }
      }
    }
  }
  DismissDiskSpaceNotices();
}

bool CCleaningJob::QualifiesForSlack(const FindData& entry) const {
  if (entry.Attributes & kFileAttributeDirectory)
    return false;
  if (entry.Attributes & ~kCleanableAttributes)
    return false;
  if (_clusterSize == 0 || entry.Size == 0 || entry.Size % _clusterSize == 0)
    return false;
  // QUICK: only what was written since 00:00:00 local time of the day of the last cleaning.
  if (_quickDate && entry.LastWriteTime < *_quickDate)
    return false;
  return true;
}

void CCleaningJob::OverwriteSlack(const CPassBuffers& buffers) {
  const FindData& file = _findRecord;
  if (_clusterSize == 0 || file.Size % _clusterSize == 0)
    return;
  IFileSystem& files = _platform.Files();
  const std::string& path = _currentPath;
  bool readOnly = file.Attributes & kFileAttributeReadOnly;
  if (readOnly && !files.SetFileAttributes(path, kFileAttributeNormal))
    return;

  uint32_t passes = PassCount();
  for (uint32_t pass = 1; pass <= passes; ++pass) {
    std::unique_ptr<IFile> handle =
        files.CreateFile(path, kGenericWrite, kFileShareRead, kOpenExisting, file.Attributes);
    if (!handle)
      break; // in use or denied: skipped
    FileTime creation, lastAccess, lastWrite;
    if (!handle->GetTimes(creation, lastAccess, lastWrite)) {
      handle->Close();
      break;
    }
    uint64_t end = 0;
    if (handle->Seek(0, SeekOrigin::End, end)) {
      // The slack of the size the file has now, which is what its last cluster holds.
      uint32_t slack = static_cast<uint32_t>((_clusterSize - end % _clusterSize) % _clusterSize);
      uint32_t written = 0;
      if (slack > 0)
        handle->Write(buffers.ForPass(pass), slack, written);
      // The pass data must reach the disk before the file is cut back: cut while it is still
      // cached, it is dropped with the cut and the slack keeps what it held.
      if (written > 0)
        handle->Flush();
      // Back to exactly the old end, whatever part of the write reached the file.
      uint64_t position = 0;
      if (written > 0 && handle->Seek(static_cast<int64_t>(end), SeekOrigin::Begin, position))
        handle->SetEndOfFile();
      handle->SetTimes(&creation, &lastAccess, &lastWrite);
    }
    handle->Close();
  }
  if (readOnly)
    files.SetFileAttributes(path, file.Attributes);
}

} // namespace bw
