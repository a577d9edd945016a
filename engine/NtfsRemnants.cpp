#include "engine/NtfsRemnants.h"

#include "engine/CleaningContext.h"
#include "engine/FolderWalk.h"
#include "engine/LeftoverCleanup.h"
#include "engine/NtfsFillerNames.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>

namespace bw {
namespace {

// NTFS takes names of up to 255 characters.
constexpr size_t kMaxNameLength = 255;
// Small enough to stay inside a file record beside a name of full length (and its short name,
// where the volume makes those), so that the record is written rather than a cluster.
constexpr uint32_t kRecordFillerBytes = 64;
// The index block size every NTFS volume formatted by Windows uses; the fillers are counted so
// that each block overflows at least once.
constexpr uint32_t kIndexBlockSize = 4096;

// The longest name that keeps folder's full path within MAX_PATH.
size_t NameRoom(const std::string& folder) {
  size_t used = JoinPath(folder, "").size();
  return used + kMinFillerNameLength < kMaxPath ? std::min(kMaxNameLength, kMaxPath - 1 - used) : 0;
}

uint64_t DivideUp(uint64_t a, uint64_t b) {
  return (a + b - 1) / b;
}

} // namespace

void CNtfsRemnants::Run(char letter) {
  // The records first: the index fillers' own records, once freed, hold nothing but their
  // names, and the records they take are not counted as free ones.
  FillFreeRecords(letter);
  if (!_job.Stopped())
    CleanFolderIndexes(letter);
  char root[4] = {letter, ':', '\\', '\0'};
  _job.SaveCurrentFolder(root);
  _job.SetDetail("");
}

void CNtfsRemnants::CleanFolderIndexes(char letter) {
  char text[96];
  std::snprintf(text, sizeof(text), "Cleaning folder indexes on drive %c:", letter);
  _job.SetProcess(text);
  _indexFillers = 0;
  IFileSystem& files = _job.Platform().Files();
  char root[4] = {letter, ':', '\\', '\0'};
  int count = 0;
  if (files.SetCurrentDirectory(root))
    WalkFolders(0, count, false);
  if (_job.Stopped())
    return;
  _job.Progress().Start(static_cast<uint64_t>(count) + 1);
  _job.Progress().Show(0);
  CleanFolder(root);
  _job.Progress().Advance();
  if (!_job.Stopped() && files.SetCurrentDirectory(root))
    WalkFolders(0, count, true);
  if (!_job.Stopped())
    _job.Progress().Show(100);
}

void CNtfsRemnants::WalkFolders(int depth, int& count, bool clean) {
  IFileSystem& files = _job.Platform().Files();
  CFolderListing listing(files, _job);
  if (!listing.Open())
    return;
  while (listing.Next()) {
    const FindData& entry = listing.Entry();
    if (!IsFolderToWalk(entry) || IsNtfsFillerName(entry.Name) || depth >= kMaxWalkDepth)
      continue;
    if (!clean)
      ++count;
    Descent descent = listing.Descend(entry.Name, [&] {
      WalkFolders(depth + 1, count, clean);
      std::string path;
      if (clean && !_job.Stopped() && files.GetCurrentDirectory(path)) {
        CleanFolder(path);
        _job.Progress().Advance();
      }
      return true;
    });
    if (descent == Descent::Lost) {
      _job.SetStatus(DriveStatus::NotAccessible); // lost the way back
      return;
    }
  }
}

void CNtfsRemnants::CleanFolder(const std::string& folder) {
  size_t room = NameRoom(folder);
  if (room == 0)
    return;
  IFileSystem& files = _job.Platform().Files();
  // The live names, each the start of fillers that sort beside it.
  std::vector<std::string> prefixes;
  FindData entry;
  if (auto search = files.FindFirstFile(JoinPath(folder, "*"), entry)) {
    do {
      if (!IsDotEntry(entry.Name) && !IsNtfsFillerName(entry.Name) && !IsWipeFileName(entry.Name))
        prefixes.push_back(entry.Name);
    } while (prefixes.size() < _limits.MaxFolderFillers && search->FindNextFile(entry));
  }
  if (prefixes.empty())
    prefixes.emplace_back(); // an empty folder's index may still hold deleted names

  // The blocks the live entries fill, and the blocks of the index beyond them: those are free
  // blocks, whose deleted names only a split that takes them writes over.
  uint64_t liveBytes = 0;
  for (const std::string& prefix : prefixes)
    liveBytes += IndexEntrySize(prefix.size());
  uint64_t liveBlocks = DivideUp(liveBytes, kIndexBlockSize);
  uint64_t indexBytes = 0;
  uint64_t id = 0;
  if (!_layout || !files.GetFileId(folder, id) || !_layout->GetFolderIndexSize(id, indexBytes))
    indexBytes = 0;
  uint64_t allocatedBlocks = indexBytes / kIndexBlockSize;
  // Bounded by the live blocks: the index keeps the blocks the fillers grew it by, and a bound
  // by its whole size would make every cleaning grow it further.
  uint64_t spareBlocks =
      allocatedBlocks > liveBlocks ? std::min(allocatedBlocks - liveBlocks, liveBlocks + 1) : 0;

  _job.ShowPathDetail(folder);
  _job.SaveCurrentFolder(folder);
  // The shortest names first: an index that still lies in the folder's own record grows by
  // small steps to the record's end before it moves out to a block, and so covers the
  // record's slack. Then long names, so that the gap an overflowing block leaves at its end
  // (shorter than the entry that did not fit) falls elsewhere than the first round's.
  for (size_t length : {size_t{0}, room}) {
    uint64_t average = 0;
    for (const std::string& prefix : prefixes)
      average += std::min(room, length ? length : prefix.size() + kMinFillerNameLength);
    uint32_t entry = IndexEntrySize(static_cast<size_t>(average / prefixes.size()));
    // A block overflows once it is offered one entry more than it holds. Each live name's own
    // block would need that many after it; but the live names share the blocks, so twice the
    // fillers that the live blocks (and one more, for the first split) hold is enough, spread
    // over the live names in turn; and a block's worth for each spare block a split takes.
    uint64_t perBlock = DivideUp(kIndexBlockSize, entry) + 1;
    uint64_t count =
        std::min<uint64_t>(prefixes.size() * perBlock, 2 * (liveBlocks + 1) * perBlock) +
        spareBlocks * perBlock;
    FillIndex(folder, prefixes, length,
              static_cast<uint32_t>(std::min<uint64_t>(count, _limits.MaxFolderFillers)));
    if (_job.Stopped())
      return;
  }
}

void CNtfsRemnants::FillIndex(const std::string& folder, const std::vector<std::string>& prefixes,
                              size_t length, uint32_t count) {
  IFileSystem& files = _job.Platform().Files();
  size_t room = NameRoom(folder);
  std::vector<std::string> made;
  for (uint32_t n = 0; n < count; ++n) {
    const std::string& prefix = prefixes[n % prefixes.size()];
    size_t nameLength = std::min(room, length ? length : prefix.size() + kMinFillerNameLength);
    std::string path = JoinPath(folder, NtfsFillerName(prefix, n + 1, nameLength));
    // A new file only: a name that is taken is never the cleaning's to delete.
    if (auto file = files.CreateFile(path, kGenericWrite, 0, kCreateNew, kFileAttributeNormal)) {
      file->Close();
      made.push_back(std::move(path));
    }
    _job.Pump();
    if (_job.Stopped())
      break;
  }
  _indexFillers += made.size();
  DeleteFillers(made);
}

void CNtfsRemnants::DeleteFillers(const std::vector<std::string>& made) {
  IFileSystem& files = _job.Platform().Files();
  // Every filler goes, also after a cancel.
  for (const std::string& path : made)
    files.DeleteFile(path);
}

void CNtfsRemnants::FillFreeRecords(char letter) {
  _recordFillers = 0;
  if (!_layout)
    return;
  char text[96];
  std::snprintf(text, sizeof(text), "Cleaning free file records on drive %c:", letter);
  _job.SetProcess(text);
  IFileSystem& files = _job.Platform().Files();
  char root[4] = {letter, ':', '\\', '\0'};
  std::string folder = JoinPath(root, kRecordFillerFolder);
  bool ownFolder = files.CreateDirectory(folder);
  if (!ownFolder && files.GetLastError() != kErrorAlreadyExists)
    return;
  _job.ShowPathDetail(folder);
  _job.SaveCurrentFolder(folder);
  // Counted once the folder has its own record, so that the fillers take the rest.
  uint64_t freeRecords = 0;
  std::vector<std::string> made;
  if (_layout->CountFreeRecords(freeRecords)) {
    uint32_t count =
        static_cast<uint32_t>(std::min<uint64_t>(freeRecords, _limits.MaxRecordFillers));
    std::vector<uint8_t> contents(kRecordFillerBytes, _fill);
    size_t length = NameRoom(folder);
    _job.Progress().Start(count);
    _job.Progress().Show(0);
    for (uint32_t n = 0; n < count; ++n) {
      std::string path = JoinPath(folder, NtfsFillerName("", n + 1, length));
      auto file = files.CreateFile(path, kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
      if (!file && files.GetLastError() != kErrorFileExists)
        break; // no room for another record
      if (file) {
        made.push_back(path);
        uint32_t written = 0;
        file->Write(contents.data(), kRecordFillerBytes, written);
        file->Close();
      }
      _job.Progress().Advance();
      _job.Pump();
      if (_job.Stopped())
        break;
    }
  }
  _recordFillers = made.size();
  DeleteFillers(made);
  if (ownFolder)
    files.RemoveDirectory(folder);
  if (!_job.Stopped())
    _job.Progress().Show(100);
}

} // namespace bw
