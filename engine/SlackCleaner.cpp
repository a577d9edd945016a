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

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ToLower(a) == ToLower(b);
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
    // The note lies in the root, which CURRENTDRIVE names for the start-up clean-up.
    _job.SaveCurrentFolder(root);
    _letter = letter;
    _journal = std::make_unique<CSlackJournal>(_job.Platform(), letter);
    _flushVolume = true;
    _filesCleaned = 0;
    Walk(buffers, 0);
    CleanBatch(buffers);
    _journal->Remove();
    _journal.reset();
  }
  _job.Progress().Show(100);
  buffers.Free();
  if (!_job.Stopped())
    _job.SetDetail("");
  return counted;
}

void CSlackCleaner::Walk(const CPassBuffers& buffers, int depth) {
  auto pending = [this] { return _filesCleaned + static_cast<int>(_batch.size()); };
  if (_job.Stopped() || pending() >= _filesToClean)
    return;
  if (CFolderListing listing(_job.Platform().Files(), _job); listing.Open()) {
    while (listing.Next() && pending() < _filesToClean) {
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
          _batch.push_back({entry, *path});
          if (_batch.size() >= kSlackBatchFiles)
            CleanBatch(buffers);
        }
      } else if (IsFolderToWalk(entry)) {
        if (_mode == SlackWalkMode::Counting)
          ++_foldersCounted;
        else
          CleanBatch(buffers); // the files of this folder before those below it
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
  if (_mode == SlackWalkMode::Cleaning)
    CleanBatch(buffers);
  _job.DismissNotices();
}

void CSlackCleaner::CleanBatch(const CPassBuffers& buffers) {
  if (_batch.empty())
    return;
  std::vector<Pending> batch;
  batch.swap(_batch);
  if (_job.Stopped())
    return; // noted nowhere, touched never
  IPlatform& platform = _job.Platform();
  // Nothing is written to a live file before a note of how to put it back is on the disk.
  FileTime now = 0;
  if (!platform.System().LocalTimeToFileTime(platform.System().GetLocalTime(), now))
    return;
  std::vector<SlackJournalEntry> notes;
  notes.reserve(batch.size());
  for (const Pending& file : batch) {
    SlackJournalEntry note;
    note.Path = file.Path;
    note.Size = file.File.Size;
    note.Slack = static_cast<uint32_t>(_clusterSize - file.File.Size % _clusterSize);
    note.Attributes = file.File.Attributes;
    note.Creation = file.File.CreationTime;
    note.LastAccess = file.File.LastAccessTime;
    note.LastWrite = file.File.LastWriteTime;
    note.Written = now;
    notes.push_back(std::move(note));
  }
  if (!_journal->Write(notes))
    return;

  std::vector<size_t> longer; // files whose cut-back failed
  for (size_t i = 0; i < batch.size(); ++i) {
    if (i > 0) {
      _job.Pump();
      if (_job.Stopped())
        break;
    }
    if (!Overwrite(buffers, batch[i].File, batch[i].Path))
      longer.push_back(i);
    ++_filesCleaned;
    _job.Progress().Advance();
  }

  // The cut-backs and times reach the disk before the next batch's note replaces this one:
  // in one flush of the volume where the platform has it, else file by file.
  if (_flushVolume && !platform.Files().FlushVolume(_letter))
    _flushVolume = false;
  for (std::unique_ptr<IFile>& file : _open) {
    if (!_flushVolume)
      file->Flush();
    file->Close();
  }
  _open.clear();
  // A file still longer than it was keeps a note of its own, for the next start to cut it back.
  for (size_t i : longer)
    KeepSlackNote(platform, notes[i]);
}

bool CSlackCleaner::Qualifies(const FindData& entry) const {
  if (entry.Attributes & kFileAttributeDirectory)
    return false;
  if (entry.Attributes & ~kCleanableAttributes)
    return false;
  if (_clusterSize == 0 || entry.Size == 0 || entry.Size % _clusterSize == 0)
    return false;
  // The phase's own note, also where the file system cannot keep its system bit.
  if (EqualsNoCase(entry.Name, kSlackJournalName))
    return false;
  // QUICK: only what was written since 00:00:00 local time of the day of the last cleaning.
  if (_quickDate && entry.LastWriteTime < *_quickDate)
    return false;
  return true;
}

bool CSlackCleaner::Overwrite(const CPassBuffers& buffers, const FindData& file,
                              const std::string& path) {
  if (_clusterSize == 0 || file.Size % _clusterSize == 0)
    return true;
  IFileSystem& files = _job.Platform().Files();
  bool readOnly = file.Attributes & kFileAttributeReadOnly;
  if (readOnly && !files.SetFileAttributes(path, kFileAttributeNormal))
    return true;

  bool cutBack = true; // every byte a pass appended was taken off again
  std::unique_ptr<IFile> last;
  for (uint32_t pass = 1; pass <= _passes; ++pass) {
    if (last)
      last->Close();
    last = files.CreateFile(path, kGenericWrite, kFileShareRead, kOpenExisting, file.Attributes);
    if (!last)
      break; // in use or denied: skipped
    FileTime creation, lastAccess, lastWrite;
    if (!last->GetTimes(creation, lastAccess, lastWrite))
      break;
    uint64_t end = 0;
    if (last->Seek(0, SeekOrigin::End, end)) {
      // The slack of the size the file has now, which is what its last cluster holds.
      uint32_t slack = static_cast<uint32_t>((_clusterSize - end % _clusterSize) % _clusterSize);
      uint32_t written = 0;
      if (slack > 0)
        last->Write(buffers.ForPass(pass), slack, written);
      // The pass data must reach the disk before the file is cut back: cut while it is still
      // cached, it is dropped with the cut and the slack keeps what it held.
      if (written > 0)
        last->Flush();
      // Back to exactly the old end, whatever part of the write reached the file.
      uint64_t position = 0;
      if (written > 0)
        cutBack = last->Seek(static_cast<int64_t>(end), SeekOrigin::Begin, position) &&
                  last->SetEndOfFile() && cutBack;
      last->SetTimes(&creation, &lastAccess, &lastWrite);
    }
  }
  // Kept open until the batch's cut-backs are flushed.
  if (last)
    _open.push_back(std::move(last));
  if (readOnly)
    files.SetFileAttributes(path, file.Attributes);
  return cutBack;
}

} // namespace bw
