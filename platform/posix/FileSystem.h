// Files and folders on Linux, reached through each mapped drive's mount folder.
//
// Every name below a mount folder is looked up without regard to letter case (an exact match
// wins), one folder at a time through descriptors that never follow a symbolic link, so that
// no path ever leaves its drive: a link inside a path is a missing folder, and a link named by
// a path is the link itself (it cannot be opened, entered or listed through, only reported and
// removed). ".." is resolved in the path's text before anything is looked up.
//
// As on Windows, the current folder is held open. A path into it, spelled as the folder was
// set, starts from that descriptor rather than from the drive's root: a walk over a folder's
// files costs no lookups of the folders above it. A folder moved away by another process
// while held is still reached under its old name, as Windows reaches a relative path through
// its handle; one removed makes the path walk from the root again.
#pragma once

#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/posix/FileAttributes.h"
#include "platform/posix/HostEntry.h"
#include "platform/posix/PosixPlatform.h"

#include <optional>

namespace bw::posix {

/// An open file. Share modes are not enforced here: Linux has no mandatory locks, so another
/// program (or another handle of this one) may open, write or delete a file this one holds.
///
/// Unbuffered (kFileFlagNoBuffering) is O_DIRECT without O_DSYNC: a sync per write would cost
/// the disk's speed, so one fdatasync at Flush (or at Close) puts the file's writes on the disk.
/// When the file leaves O_DIRECT, a write-through file syncs after each cached write instead,
/// as O_DSYNC would (Linux cannot add O_DSYNC to an open descriptor).
class CPosixFile final : public IFile {
public:
  /// direct: the descriptor has O_DIRECT set; writeThrough: cached writes must reach the disk
  /// before they return; syncEachWrite: they do so by a sync (O_DSYNC is not set).
  CPosixFile(CFd fd, uint32_t access, uint32_t& lastError, bool direct = false,
             bool writeThrough = false, bool syncEachWrite = false)
      : _fd(std::move(fd)), _access(access), _lastError(lastError), _direct(direct),
        _syncEachWrite(syncEachWrite), _writeThrough(writeThrough) {}

  bool Write(const void* data, uint32_t size, uint32_t& written) override;
  bool Read(void* data, uint32_t size, uint32_t& read) override;
  bool Seek(int64_t distance, SeekOrigin origin, uint64_t& position) override;
  bool SetEndOfFile() override;
  bool Flush() override;
  bool GetTimes(FileTime& creation, FileTime& lastAccess, FileTime& lastWrite) override;
  bool SetTimes(const FileTime* creation, const FileTime* lastAccess,
                const FileTime* lastWrite) override;
  bool SetCompressionNone() override;
  bool Close() override;

  /// The descriptor, for tests that look at how the file was opened; -1 once closed.
  int Descriptor() const { return _fd.Get(); }
  /// True while writes that fit go past the cache.
  bool IsDirect() const { return _direct; }

private:
  bool CanWrite();
  bool Fail(uint32_t error);
  bool FailErrno();
  /// Turns the file into a cached one for the rest of its life.
  void LeaveDirect();
  /// Syncs the data of writes that have not reached the disk yet.
  bool SyncPending();

  CFd _fd;
  uint32_t _access;
  uint32_t& _lastError;
  bool _direct;        ///< O_DIRECT is set
  bool _syncEachWrite; ///< cached and write-through without O_DSYNC: sync after each write
  bool _writeThrough;
  bool _unsynced = false; ///< direct writes since the last sync
  uint64_t _position = 0; ///< the descriptor's offset, which only this object moves
};

/// The folder a path resolves to: opened for one call, or the current folder's descriptor,
/// borrowed. Neither copied nor moved, so that a borrowed descriptor never outlives its call.
class CFolderHandle {
public:
  CFolderHandle() = default;
  CFolderHandle(const CFolderHandle&) = delete;
  CFolderHandle& operator=(const CFolderHandle&) = delete;

  int Get() const { return _fd; }
  bool Borrowed() const { return _fd >= 0 && !_owned.Valid(); }
  void Own(CFd fd);
  void Borrow(int fd, AttributeStore store);
  /// How the folder's file system keeps attributes, asked once.
  AttributeStore Store();

private:
  CFd _owned;
  int _fd = -1;
  std::optional<AttributeStore> _store;
};

class CPosixFileSystem final : public IFileSystem {
public:
  explicit CPosixFileSystem(CDriveTable& table) : _table(table) {}

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
  bool FlushVolume(char letter) override;

private:
  /// What a path names on the host.
  struct Target {
    CFolderHandle Folder; ///< the folder holding Name (O_PATH); for a drive root, the root
    std::string Name;     ///< as stored when it exists, else as written; empty for a root
    bool Exists = false;
    EntryInfo Info;      ///< when it exists
    std::string Spelled; ///< the full path with each existing name as stored
  };

  const FullPath* Current();
  bool Parse(const std::string& path, FullPath& full);
  /// mayBorrow: the held current folder may stand for the path's first depth names.
  bool OpenFolder(const FullPath& path, size_t depth, CFolderHandle& folder, std::string& spelled,
                  bool mayBorrow = true);
  /// Keeps the new current folder open, as Windows does, for the paths that lie in it.
  void HoldCurrent(const FullPath& full, const Target& target);
  bool Locate(const FullPath& path, Target& target);
  bool IsCurrentFolder(const Target& target);
  bool Fail(uint32_t error);
  bool FailErrno();

  CDriveTable& _table;
  std::optional<FullPath> _current;
  /// The current folder, open: a file in it is reached without walking from the drive's root.
  /// The names are those _current was set with; a path spelled otherwise walks as before.
  struct HeldFolder {
    FullPath Path;
    CFd Fd;
    std::string Spelled; ///< as OpenFolder spells it: "X:" for a root
    AttributeStore Store = AttributeStore::ModeBits;
    uint64_t Generation = 0; ///< of the drive table it was opened under
  };
  std::optional<HeldFolder> _held;
  uint32_t _lastError = kErrorSuccess;
};

} // namespace bw::posix
