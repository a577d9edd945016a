// An in-memory file tree with Win32 semantics, for unit tests.
//
// Each drive letter has a tree of folders and files, a cluster size and a free-space budget:
// a file takes its size rounded up to whole clusters, and a write that does not fit writes what
// fits and fails with kErrorDiskFull. Paths, wildcards, "." and "..", errors, attributes,
// read-only rules, share modes and the current folder (until set, the root of the lowest drive
// letter) behave as on Win32; entries are listed in the order of their upper-case names, as NTFS
// lists them. Links (reparse points with a target) are followed when a path goes through them,
// as Windows does, so that a walk that wrongly enters one is seen doing harm. Tests set the
// tree up, inject faults, watch every call through the logs and hooks, and read back what each
// region of a file holds.
#pragma once

#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/memory/Contents.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace bw::memory {

/// The settings of one drive.
struct MemoryVolume {
  uint32_t ClusterSize = 4096;
  uint64_t FreeBytes = 0;      ///< the budget: bytes of whole clusters files may still take
  uint64_t UsedBytes = 0;      ///< bytes of the clusters files take now
  bool WriteProtected = false; ///< anything that writes fails with kErrorWriteProtect
  bool Ready = true;           ///< false (no medium): every call fails with kErrorNotReady
  /// A write that does not fit writes nothing, as NTFS answers on a full disk; otherwise it
  /// writes what fits, as a FAT or POSIX file system does.
  bool WholeWritesOnly = false;
  /// Files opened with kFileFlagNoBuffering write through the cache all the same, as on a file
  /// system that takes no unbuffered writes.
  bool RefusesUnbuffered = false;
};

/// A CreateFile call, as asked; Error is what GetLastError said afterwards.
struct CreateRecord {
  std::string Path;
  uint32_t Access = 0;
  uint32_t ShareMode = 0;
  uint32_t Disposition = 0;
  uint32_t FlagsAndAttributes = 0;
  uint32_t Error = 0;
  bool Opened = false;
};

/// A Write call on an open file.
struct WriteRecord {
  std::string Path; ///< as the file was opened
  uint64_t Offset = 0;
  uint32_t Size = 0;               ///< asked for
  uint32_t Written = 0;            ///< reached the file
  int Fill = -1;                   ///< the byte repeated over the data, or -1 where it varies
  uint32_t FlagsAndAttributes = 0; ///< of the CreateFile that opened the file
  /// Went past the cache: the file was opened with kFileFlagNoBuffering, the volume takes such
  /// writes, and this write and every one before it on the handle fit (platform/Unbuffered.h).
  bool Unbuffered = false;
};

enum class RemoveCall { DeleteFile, RemoveDirectory, ShellDelete };

/// A DeleteFile, RemoveDirectory or ShellDelete call.
struct RemoveRecord {
  std::string Path;
  RemoveCall Call = RemoveCall::DeleteFile;
  uint32_t Error = 0; ///< kErrorSuccess when it removed the entry
};

/// A SetFileAttributes call.
struct AttributeRecord {
  std::string Path;
  uint32_t Attributes = 0;
  uint32_t Error = 0;
};

/// A SetTimes call; an absent time was left as it was.
struct TimesRecord {
  std::string Path;
  std::optional<FileTime> Creation;
  std::optional<FileTime> LastAccess;
  std::optional<FileTime> LastWrite;
};

/// One step of a search: FindFirstFile (First) or FindNextFile, before it picks its entry.
struct FindStep {
  std::string Pattern;
  bool First = false;
};

/// What a test can learn of one entry.
struct EntryState {
  bool Folder = false;
  uint32_t Attributes = 0; ///< as GetFileAttributes reports them
  uint64_t Size = 0;
  FileTime Creation = 0;
  FileTime LastAccess = 0;
  FileTime LastWrite = 0;
  int OpenHandles = 0;
  std::string Name;       ///< as stored
  std::string LinkTarget; ///< a link's target; empty for anything else
};

class CMemoryFileSystem final : public IFileSystem {
public:
  CMemoryFileSystem();
  ~CMemoryFileSystem() override;
  CMemoryFileSystem(const CMemoryFileSystem&) = delete;
  CMemoryFileSystem& operator=(const CMemoryFileSystem&) = delete;

  uint32_t GetLastError() override { return _lastError; }
  std::unique_ptr<IFindSearch> FindFirstFile(const std::string& pattern, FindData& data) override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool GetCurrentDirectory(std::string& path) override;
  std::unique_ptr<IFile> CreateFile(const std::string& path, uint32_t access, uint32_t shareMode,
                                    uint32_t disposition, uint32_t flagsAndAttributes) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  bool ShellDelete(const std::string& path) override;
  bool GetShortPathName(const std::string& path, std::string& shortPath) override;
  bool GetFileId(const std::string& path, uint64_t& id) override;
  /// Succeeds (and is counted in VolumeFlushes) unless VolumeFlushFails is set.
  bool FlushVolume(char letter) override {
    (void)letter;
    ++VolumeFlushes;
    if (OnVolumeFlush)
      OnVolumeFlush();
    return !VolumeFlushFails;
  }
  int VolumeFlushes = 0;
  bool VolumeFlushFails = false;
  std::function<void()> OnVolumeFlush;

  // ---- Setting up (no faults, no logs, no hooks; missing parent folders are made) ---------

  /// Adds an empty drive, replacing any of the same letter. Returns its settings.
  MemoryVolume& AddVolume(char letter, uint64_t freeBytes, uint32_t clusterSize = 4096);
  /// The settings of a drive; null when there is none.
  MemoryVolume* Volume(char letter);
  bool AddFolder(const std::string& path, uint32_t attributes = 0);
  /// A file holding contents; false when it does not fit the budget.
  bool AddFile(const std::string& path, std::string_view contents,
               uint32_t attributes = kFileAttributeArchive);
  /// A file of size bytes of fill; false when it does not fit the budget.
  bool AddFile(const std::string& path, uint64_t size, uint8_t fill,
               uint32_t attributes = kFileAttributeArchive);
  /// A link to target (an absolute path), standing for a folder or for a file.
  bool AddLink(const std::string& path, const std::string& target, bool toFolder);
  /// Sets any attribute bits (the directory bit follows the entry's kind).
  bool SetEntryAttributes(const std::string& path, uint32_t attributes);
  bool SetEntryTimes(const std::string& path, FileTime creation, FileTime lastAccess,
                     FileTime lastWrite);
  /// Removes an entry (a folder with everything in it) as another program would: no faults,
  /// no share modes, no log. An open file's clusters are freed when its last handle closes.
  bool RemoveEntry(const std::string& path);

  // ---- Looking (a link named last is described itself) ------------------------------------

  std::optional<EntryState> Entry(const std::string& path);
  bool Exists(const std::string& path) { return Entry(path).has_value(); }
  /// The names in a folder, in listing order; empty when there is no such folder.
  std::vector<std::string> Names(const std::string& folder);
  /// Reads up to size bytes of a file from offset; false when there is no such file.
  bool ReadBack(const std::string& path, uint64_t offset, uint64_t size,
                std::vector<uint8_t>& bytes);
  /// The whole of a (small) file as text; empty when there is no such file.
  std::string Text(const std::string& path);
  /// What each region of a file holds; empty when there is no such file.
  std::vector<ContentRun> Contents(const std::string& path);

  // ---- Faults (paths are made absolute against the current folder when given) -------------

  /// CreateFile, DeleteFile, RemoveDirectory, ShellDelete and SetFileAttributes on path fail
  /// with kErrorAccessDenied.
  void DenyAccess(const std::string& path);
  /// SetFileAttributes on path fails with error.
  void FailSetAttributes(const std::string& path, uint32_t error = kErrorAccessDenied);
  /// FindFirstFile fails with error for this pattern, or for any pattern in this folder.
  void FailFind(const std::string& patternOrFolder, uint32_t error);
  /// SetCurrentDirectory into folder fails with kErrorAccessDenied.
  void BlockEntering(const std::string& folder);

  // ---- Hooks and logs -----------------------------------------------------------------------

  /// Called after every write, with what it did (a test may cancel or delete things here).
  std::function<void(const WriteRecord&)> OnWrite;
  /// Called at every step of every search, before the step picks its entry.
  std::function<void(const FindStep&)> OnFindStep;

  std::vector<CreateRecord> Creates;
  std::vector<WriteRecord> Writes;
  std::vector<std::string> Flushes; ///< paths of the files flushed
  std::vector<RemoveRecord> Removes;
  std::vector<std::string> CompressionSets; ///< paths of the files sent SetCompressionNone
  std::vector<TimesRecord> TimeSets;
  std::vector<AttributeRecord> AttributeSets;
  std::vector<std::string> Searches; ///< FindFirstFile patterns, as given

  /// The clock new and written files take their times from.
  FileTime Now = 133500000000000000ull; // 2024-01-19

  // The tree's own parts, defined where they are used.
  struct Node;
  class CFile;
  class CSearch;

private:
  struct VolumeState;
  struct Located;

  const FullPath* Current();
  bool Parse(const std::string& path, FullPath& full);
  bool Locate(const FullPath& path, Located& located, bool followLast, int depth = 0);
  bool Follow(std::shared_ptr<Node>& node, int depth);
  VolumeState* VolumeOf(const Node& node);
  bool Fail(uint32_t error);
  std::string Key(const std::string& path);
  bool IsDenied(const FullPath& path) const;
  bool IsCurrentFolder(const Node& node);
  std::shared_ptr<Node> MakeNode(Node& folder, const std::string& name, bool isFolder,
                                 uint32_t attributes);
  std::shared_ptr<Node> MakeFolders(const FullPath& path);
  std::shared_ptr<Node> LookUp(const std::string& path, bool followLast);
  std::shared_ptr<Node> NewFileForSetUp(const std::string& path, uint64_t size,
                                        uint32_t attributes);
  void Detach(Node& node);
  void MarkRemoved(Node& node);
  void Charge(Node& node, uint64_t allocated);
  bool Resize(Node& node, uint64_t size);
  uint32_t WriteAt(Node& node, uint64_t offset, const uint8_t* data, uint32_t size);
  bool Remove(const std::string& path, RemoveCall call);
  void Closed(CFile& file);

  std::map<char, VolumeState> _volumes;
  std::optional<FullPath> _current;
  std::set<std::string> _denied;
  std::map<std::string, uint32_t> _attributeFaults;
  std::map<std::string, uint32_t> _findFaults;
  std::set<std::string> _blocked;
  uint32_t _lastError = kErrorSuccess;
};

} // namespace bw::memory
