#include "engine/SlackCleaner.h"

#include "engine/CleaningContext.h"
#include "engine/OverwritePasses.h"
#include "engine/SlackJournal.h"
#include "platform/Platform.h"

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

std::optional<int> CSlackCleaner::Clean(char letter) {
  char text[96];
  std::snprintf(text, sizeof(text), "Scanning Directories on Drive %c:", letter);
  _job.SetProcess(text);
  _job.Progress().Show(0);

  if (_clusterSize == 0) { // the drive's size query failed: no slack can be measured
    _job.SetStatus(DriveStatus::NotAccessible);
    return std::nullopt;
  }
  CPassBuffers buffers;
  if (!buffers.Allocate(size_t{_clusterSize} + kSlackBufferExtra, _clusterSize)) {
    _job.MemoryError();
    return std::nullopt;
  }

  IFileSystem& files = _job.Platform().Files();
  char root[4] = {letter, ':', '\\', '\0'};
  _mode = SlackWalkMode::Counting;
  _filesToClean = 0;
  _filesCleaned = -1; // below any count, so that the counting walk never stops early
  _foldersCounted = 0;
  _job.SetDetail(ToLower(root));
  if (!files.SetCurrentDirectory(root)) {
    _job.SetStatus(DriveStatus::NotAccessible);
    return std::nullopt;
  }
  Walk(buffers, 0);
  if (_job.Stopped())
    return std::nullopt;
  std::optional<int> counted = _foldersCounted;

  std::snprintf(text, sizeof(text),
                _passes == 1 ? "Cleaning slack space on Drive %c: %u overwrite"
                             : "Cleaning slack space on Drive %c: %u overwrites",
                letter, _passes);
  _job.SetProcess(text);
  _job.Progress().Start(static_cast<uint64_t>(_filesToClean));
  _mode = SlackWalkMode::Cleaning;
  _job.SetDetail(ToLower(root));
  if (_filesToClean != 0) {
    if (!files.SetCurrentDirectory(root)) {
      _job.SetStatus(DriveStatus::NotAccessible);
      return counted;
    }
    _filesCleaned = 0;
    Walk(buffers, 0);
  }
  _job.Progress().Show(100);
  buffers.Free();
  if (!_job.Stopped())
    _job.SetDetail("");
  return counted;
}

void CSlackCleaner::Walk(const CPassBuffers& buffers, int depth) {
  if (_job.Stopped() || _filesCleaned >= _filesToClean)
    return;
  if (CFolderListing listing(_job.Platform().Files(), _job); listing.Open()) {
    while (listing.Next() && _filesCleaned < _filesToClean) {
      const FindData& entry = listing.Entry();
      std::optional<std::string> path = CCleaningContext::FullPath(listing, entry.Name);
      if (!path)
        continue; // too long to name safely: left alone
      bool directory = entry.Attributes & kFileAttributeDirectory;
      if (!directory) {
        if (!Qualifies(entry))
          continue;
        if (_mode == SlackWalkMode::Counting) {
          ++_filesToClean;
        } else {
          Overwrite(buffers, entry, *path);
          ++_filesCleaned;
          _job.Progress().Advance();
        }
      } else if (IsFolderToWalk(entry)) {
        if (_mode == SlackWalkMode::Counting)
          ++_foldersCounted;
        _job.ShowPathDetail(*path);
        if (depth < kMaxWalkDepth && listing.Descend(entry.Name, [&] {
              Walk(buffers, depth + 1);
              return true;
            }) == Descent::Lost) {
          // Lost the way back: nothing further in this folder can be named right.
          _job.SetStatus(DriveStatus::NotAccessible);
          break;
        }
      }
    }
  }
  _job.DismissNotices();
}

bool CSlackCleaner::Qualifies(const FindData& entry) const {
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

void CSlackCleaner::Overwrite(const CPassBuffers& buffers, const FindData& file,
                              const std::string& path) {
  if (_clusterSize == 0 || file.Size % _clusterSize == 0)
    return;
  IPlatform& platform = _job.Platform();
  IFileSystem& files = platform.Files();
  // Nothing is written to a live file before a note of how to put it back is on the disk.
  SlackJournalEntry note;
  note.Path = path;
  note.Size = file.Size;
  note.Slack = static_cast<uint32_t>(_clusterSize - file.Size % _clusterSize);
  note.Attributes = file.Attributes;
  note.Creation = file.CreationTime;
  note.LastAccess = file.LastAccessTime;
  note.LastWrite = file.LastWriteTime;
  if (!platform.System().LocalTimeToFileTime(platform.System().GetLocalTime(), note.Written) ||
      !WriteSlackJournal(platform, note))
    return;

  bool readOnly = file.Attributes & kFileAttributeReadOnly;
  if (readOnly && !files.SetFileAttributes(path, kFileAttributeNormal)) {
    ClearSlackJournal(platform);
    return;
  }

  bool cutBack = true; // every byte a pass appended was taken off again
  for (uint32_t pass = 1; pass <= _passes; ++pass) {
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
      if (written > 0)
        cutBack = handle->Seek(static_cast<int64_t>(end), SeekOrigin::Begin, position) &&
                  handle->SetEndOfFile() && cutBack;
      handle->SetTimes(&creation, &lastAccess, &lastWrite);
      // The cut and the times reach the disk before the note goes.
      if (written > 0)
        handle->Flush();
    }
    handle->Close();
  }
  if (readOnly)
    files.SetFileAttributes(path, file.Attributes);
  // A file still longer than it was keeps its note, for the next start to cut it back.
  if (cutBack)
    ClearSlackJournal(platform);
}

} // namespace bw
