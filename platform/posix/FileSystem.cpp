#include "platform/posix/FileSystem.h"

#include "platform/FileRules.h"
#include "platform/Unbuffered.h"
#include "platform/posix/FileAttributes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::posix {
namespace {

// False for a folder that was removed while this process held it open.
bool StillLinked(int folderFd) {
  struct stat st;
  bool linked = ::fstat(folderFd, &st) != 0 || st.st_nlink > 0;
  errno = ENOENT; // what the caller was asking about
  return linked;
}

bool IsDots(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// One directory entry as a find record; false when it vanished since it was listed.
bool MakeRecord(int dirFd, const std::string& name, AttributeStore store, FindData& data) {
  EntryInfo info;
  if (!StatEntry(dirFd, name, info))
    return false;
  data = FindData{};
  data.Attributes = ReadAttributes(dirFd, name, info, store);
  data.Size = S_ISREG(info.Mode) ? info.Size : 0;
  data.CreationTime = info.Creation;
  data.LastAccessTime = info.LastAccess;
  data.LastWriteTime = info.LastWrite;
  data.Name = name;
  return true;
}

/// A search over one folder, read as the folder is listed (not a snapshot): "." and ".." first
/// where the folder has them, then the entries in the file system's order.
class CPosixFindSearch final : public IFindSearch {
public:
  // dir null: a search for one name, already reported.
  CPosixFindSearch(DIR* dir, std::string pattern, bool listDots, AttributeStore store,
                   uint32_t& lastError)
      : _dir(dir), _pattern(std::move(pattern)), _stage(listDots ? 0 : 2), _store(store),
        _lastError(lastError) {}
  ~CPosixFindSearch() override {
    if (_dir)
      ::closedir(_dir);
  }
  CPosixFindSearch(const CPosixFindSearch&) = delete;
  CPosixFindSearch& operator=(const CPosixFindSearch&) = delete;

  bool FindNextFile(FindData& data) override {
    int error = 0;
    if (Next(data, error)) {
      _lastError = kErrorSuccess;
      return true;
    }
    _lastError = error == 0 ? kErrorNoMoreFiles : TranslateErrno(error);
    return false;
  }

  /// The next matching entry; false at the end (error 0) or on a listing error (errno value).
  bool Next(FindData& data, int& error) {
    if (!_dir)
      return false;
    while (_stage < 2) {
      const char* dots = _stage++ == 0 ? "." : "..";
      if (MatchesPattern(dots, _pattern) && MakeRecord(::dirfd(_dir), dots, _store, data))
        return true;
    }
    while (true) {
      errno = 0;
      struct dirent* entry = ::readdir(_dir);
      if (!entry) {
        error = errno;
        return false;
      }
      if (IsDots(entry->d_name) || !MatchesPattern(entry->d_name, _pattern))
        continue;
      if (MakeRecord(::dirfd(_dir), entry->d_name, _store, data))
        return true;
    }
  }

private:
  DIR* _dir;
  std::string _pattern;
  int _stage; // 0: ".", 1: "..", 2: the folder's entries
  AttributeStore _store;
  uint32_t& _lastError;
};

// Where the host's working folder lies on a mapped drive, the drive-letter path to it.
std::optional<FullPath> HostWorkingFolder(const std::vector<DriveMapEntry>& drives) {
  char cwd[PATH_MAX];
  FullPath path;
  std::string reason;
  if (!::getcwd(cwd, sizeof(cwd)) || !HostPathOnDrive(drives, cwd, path, reason))
    return std::nullopt;
  return path;
}

} // namespace

// ---- the file -------------------------------------------------------------------------------

bool CPosixFile::Fail(uint32_t error) {
  _lastError = error;
  return false;
}

bool CPosixFile::FailErrno() {
  return Fail(TranslateErrno(errno));
}

bool CPosixFile::CanWrite() {
  if (!_fd.Valid())
    return Fail(kErrorInvalidHandle);
  if (!(_access & kGenericWrite))
    return Fail(kErrorAccessDenied);
  return true;
}

void CPosixFile::LeaveDirect() {
  int flags = ::fcntl(_fd.Get(), F_GETFL);
  if (flags >= 0)
    ::fcntl(_fd.Get(), F_SETFL, flags & ~O_DIRECT);
  _direct = false;
  _syncEachWrite = _writeThrough;
}

bool CPosixFile::SyncPending() {
  if (::fdatasync(_fd.Get()) != 0)
    return false;
  _unsynced = false;
  return true;
}

bool CPosixFile::Write(const void* data, uint32_t size, uint32_t& written) {
  written = 0;
  if (!CanWrite())
    return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (_direct && !FitsUnbuffered(bytes, size))
    LeaveDirect();
  // A write that meets a full disk returns what it managed; the next one reports ENOSPC.
  uint32_t error = kErrorSuccess;
  while (written < size) {
    ssize_t n = ::write(_fd.Get(), bytes + written, size - written);
    if (n < 0 && errno == EINTR)
      continue;
    // A file system may refuse O_DIRECT only when a write comes (an offset it cannot take, or
    // no direct path at all): the write is made again through the cache.
    if (n < 0 && errno == EINVAL && _direct) {
      LeaveDirect();
      continue;
    }
    if (n < 0) {
      error = TranslateErrno(errno);
      break;
    }
    if (n == 0) {
      error = kErrorDiskFull;
      break;
    }
    written += static_cast<uint32_t>(n);
    _position += static_cast<uint64_t>(n);
    if (_direct) {
      _unsynced = true;
      if (written < size && !FitsUnbuffered(bytes + written, size - written))
        LeaveDirect();
    }
  }
  // What reached the file is on the disk before the call returns, also on a full disk.
  if (_syncEachWrite && written > 0 && !SyncPending() && error == kErrorSuccess)
    error = TranslateErrno(errno);
  if (error != kErrorSuccess)
    return Fail(error);
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::Read(void* data, uint32_t size, uint32_t& read) {
  read = 0;
  if (!_fd.Valid())
    return Fail(kErrorInvalidHandle);
  if (!(_access & kGenericRead))
    return Fail(kErrorAccessDenied);
  auto* bytes = static_cast<uint8_t*>(data);
  while (read < size) {
    ssize_t n = ::read(_fd.Get(), bytes + read, size - read);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return FailErrno();
    if (n == 0)
      break;
    read += static_cast<uint32_t>(n);
    _position += static_cast<uint64_t>(n);
  }
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::Seek(int64_t distance, SeekOrigin origin, uint64_t& position) {
  if (!_fd.Valid())
    return Fail(kErrorInvalidHandle);
  int whence = origin == SeekOrigin::Begin     ? SEEK_SET
               : origin == SeekOrigin::Current ? SEEK_CUR
                                               : SEEK_END;
  off_t result = ::lseek(_fd.Get(), static_cast<off_t>(distance), whence);
  if (result < 0)
    return Fail(errno == EINVAL ? kErrorNegativeSeek : TranslateErrno(errno));
  position = static_cast<uint64_t>(result);
  _position = position;
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::SetEndOfFile() {
  if (!CanWrite())
    return false;
  if (::ftruncate(_fd.Get(), static_cast<off_t>(_position)) != 0)
    return FailErrno();
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::Flush() {
  if (!CanWrite())
    return false;
  // The data and what it takes to read it back (the size); times and the like need no wait.
  if (!SyncPending())
    return FailErrno();
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::GetTimes(FileTime& creation, FileTime& lastAccess, FileTime& lastWrite) {
  if (!_fd.Valid())
    return Fail(kErrorInvalidHandle);
  EntryInfo info;
  if (!StatDescriptor(_fd.Get(), info))
    return FailErrno();
  creation = info.Creation;
  lastAccess = info.LastAccess;
  lastWrite = info.LastWrite;
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::SetTimes(const FileTime*, const FileTime* lastAccess, const FileTime* lastWrite) {
  // Linux cannot set a birth time: the creation time is accepted and left as it is.
  if (!CanWrite())
    return false;
  auto pick = [](const FileTime* time) {
    struct timespec ts {};
    if (!time || *time == 0 || *time == ~FileTime{0})
      ts.tv_nsec = UTIME_OMIT;
    else
      ts = ToTimespec(*time);
    return ts;
  };
  struct timespec times[2] = {pick(lastAccess), pick(lastWrite)};
  if (::futimens(_fd.Get(), times) != 0)
    return FailErrno();
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::SetCompressionNone() {
  // No Linux file system here compresses on the Windows caller's behalf.
  if (!_fd.Valid())
    return Fail(kErrorInvalidHandle);
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFile::Close() {
  if (!_fd.Valid())
    return Fail(kErrorInvalidHandle);
  // Writes past the cache are not on the disk until a sync, and a file that is deleted next
  // must not take them with it.
  if (_unsynced && !SyncPending()) {
    FailErrno();
    _fd.Close();
    return false;
  }
  if (!_fd.Close())
    return FailErrno();
  _lastError = kErrorSuccess;
  return true;
}

// ---- path resolution ------------------------------------------------------------------------

void CFolderHandle::Own(CFd fd) {
  _owned = std::move(fd);
  _fd = _owned.Get();
  _store.reset();
}

void CFolderHandle::Borrow(int fd, AttributeStore store) {
  _owned = CFd();
  _fd = fd;
  _store = store;
}

AttributeStore CFolderHandle::Store() {
  if (!_store)
    _store = AttributeStoreOf(_fd);
  return *_store;
}

bool CPosixFileSystem::Fail(uint32_t error) {
  _lastError = error;
  return false;
}

bool CPosixFileSystem::FailErrno() {
  return Fail(TranslateErrno(errno));
}

const FullPath* CPosixFileSystem::Current() {
  // Until the first change, the current folder is the host's working folder where it lies on a
  // mapped drive, else the root of the first drive (as a Windows process starts somewhere).
  if (!_current) {
    _current = HostWorkingFolder(_table.Entries());
    if (!_current && !_table.Entries().empty()) {
      FullPath root;
      root.Drive = _table.Entries().front().Letter;
      _current = root;
    }
  }
  return _current ? &*_current : nullptr;
}

bool CPosixFileSystem::Parse(const std::string& path, FullPath& full) {
  uint32_t error = kErrorSuccess;
  if (!MakeFullPath(path, Current(), full, error))
    return Fail(error);
  return true;
}

bool CPosixFileSystem::OpenFolder(const FullPath& path, size_t depth, CFolderHandle& folder,
                                  std::string& spelled, bool mayBorrow) {
  if (mayBorrow && _held && _held->Generation == _table.Generation() &&
      _held->Path.Letter() == path.Letter() && _held->Path.Names.size() == depth &&
      std::equal(_held->Path.Names.begin(), _held->Path.Names.end(), path.Names.begin())) {
    folder.Borrow(_held->Fd.Get(), _held->Store);
    spelled = _held->Spelled;
    return true;
  }
  const DriveMapEntry* drive = _table.Find(path.Letter());
  if (!drive)
    return Fail(kErrorPathNotFound);
  CFd current(::open(drive->MountFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!current.Valid())
    return Fail(errno == ENOENT || errno == ENOTDIR ? kErrorNotReady : TranslateErrno(errno));
  // A volume checked to be mounted and gone since: the bare folder is not the drive.
  if (!_table.OnPinnedDevice(drive->Letter, current.Get()))
    return Fail(kErrorNotReady);
  spelled = std::string{path.Drive, ':'};
  for (size_t i = 0; i < depth; ++i) {
    std::string stored;
    EntryInfo info;
    if (!FindName(current.Get(), path.Names[i], stored, info))
      return Fail(errno == ENOENT ? kErrorPathNotFound : TranslateErrno(errno));
    // A link on the way is not followed: the path does not exist on this drive.
    if (!S_ISDIR(info.Mode))
      return Fail(kErrorPathNotFound);
    CFd next(
        ::openat(current.Get(), stored.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.Valid())
      return Fail(errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? kErrorPathNotFound
                                                                        : TranslateErrno(errno));
    current = std::move(next);
    spelled += '\\' + stored;
  }
  folder.Own(std::move(current));
  return true;
}

bool CPosixFileSystem::Locate(const FullPath& path, Target& target) {
  if (path.IsRoot()) {
    if (!OpenFolder(path, 0, target.Folder, target.Spelled))
      return false;
    target.Spelled += '\\';
    target.Name.clear();
    target.Exists = true;
    return StatDescriptor(target.Folder.Get(), target.Info) || FailErrno();
  }
  if (!OpenFolder(path, path.Names.size() - 1, target.Folder, target.Spelled))
    return false;
  const std::string& name = path.Names.back();
  std::string stored;
  bool found = FindName(target.Folder.Get(), name, stored, target.Info);
  // Not in the held folder, which another process may have removed (Windows would not let
  // it): the path is walked afresh, so that it fails as a missing folder.
  if (!found && errno == ENOENT && target.Folder.Borrowed() && !StillLinked(target.Folder.Get())) {
    if (!OpenFolder(path, path.Names.size() - 1, target.Folder, target.Spelled, false))
      return false;
    found = FindName(target.Folder.Get(), name, stored, target.Info);
  }
  if (found) {
    target.Exists = true;
    target.Name = stored;
  } else if (errno == ENOENT) {
    target.Exists = false;
    target.Name = name;
  } else {
    return FailErrno();
  }
  target.Spelled += '\\' + target.Name;
  return true;
}

bool CPosixFileSystem::IsCurrentFolder(const Target& target) {
  // Windows holds the current folder open, so that nobody can remove it. The names compare
  // as stored; only the drive letter may be written either way.
  const FullPath* current = Current();
  const uint32_t saved = _lastError;
  Target here;
  bool same = current && Locate(*current, here) && here.Exists &&
              SameName(here.Spelled.substr(0, 1), target.Spelled.substr(0, 1)) &&
              here.Spelled.compare(1, std::string::npos, target.Spelled, 1) == 0;
  _lastError = saved;
  return same;
}

// ---- the services ---------------------------------------------------------------------------

std::unique_ptr<IFindSearch> CPosixFileSystem::FindFirstFile(const std::string& pattern,
                                                             FindData& data) {
  FullPath full;
  if (!Parse(pattern, full))
    return nullptr;
  CFolderHandle folder;
  std::string spelled;
  // "X:\folder\" names no entry to look for.
  if (full.IsRoot() || EndsWithSeparator(pattern)) {
    if (OpenFolder(full, full.Names.size(), folder, spelled))
      Fail(kErrorFileNotFound);
    return nullptr;
  }
  const size_t depth = full.Names.size() - 1;
  for (size_t i = 0; i < depth; ++i)
    if (HasWildcards(full.Names[i])) {
      Fail(kErrorInvalidName);
      return nullptr;
    }
  // Walked afresh: a listing is made once per folder, and a folder removed behind this
  // process's back then fails as a missing path.
  if (!OpenFolder(full, depth, folder, spelled, false))
    return nullptr;
  const AttributeStore store = folder.Store();
  const std::string& name = full.Names.back();
  if (!HasWildcards(name)) {
    std::string stored;
    EntryInfo info;
    if (!FindName(folder.Get(), name, stored, info)) {
      Fail(errno == ENOENT ? kErrorFileNotFound : TranslateErrno(errno));
      return nullptr;
    }
    if (!MakeRecord(folder.Get(), stored, store, data)) {
      FailErrno();
      return nullptr;
    }
    _lastError = kErrorSuccess;
    return std::make_unique<CPosixFindSearch>(nullptr, name, false, store, _lastError);
  }
  CFd listing(::openat(folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* dir = listing.Valid() ? ::fdopendir(listing.Get()) : nullptr;
  if (!dir) {
    FailErrno();
    return nullptr;
  }
  listing.Release();
  auto search = std::make_unique<CPosixFindSearch>(dir, name, depth > 0, store, _lastError);
  int error = 0;
  if (!search->Next(data, error)) {
    Fail(error == 0 ? kErrorFileNotFound : TranslateErrno(error));
    return nullptr;
  }
  _lastError = kErrorSuccess;
  return search;
}

bool CPosixFileSystem::SetCurrentDirectory(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  // The current folder is kept with a closing separator, which must fit as well.
  if (full.Text().size() + (full.IsRoot() ? 0 : 1) > kMaxPath - 1)
    return Fail(kErrorFilenameExcedRange);
  Target target;
  if (!Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  if (!S_ISDIR(target.Info.Mode))
    return Fail(kErrorDirectory);
  _current = full;
  HoldCurrent(full, target);
  _lastError = kErrorSuccess;
  return true;
}

void CPosixFileSystem::HoldCurrent(const FullPath& full, const Target& target) {
  // Opened before the old one goes: target.Folder may be borrowed from it.
  const char* name = target.Name.empty() ? "." : target.Name.c_str();
  CFd fd(::openat(target.Folder.Get(), name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.Valid()) {
    _held.reset(); // every path walks from its drive's root, as before
    return;
  }
  HeldFolder held;
  held.Path = full;
  held.Store = AttributeStoreOf(fd.Get());
  held.Fd = std::move(fd);
  held.Spelled = full.IsRoot() ? target.Spelled.substr(0, 2) : target.Spelled;
  held.Generation = _table.Generation();
  _held = std::move(held);
}

bool CPosixFileSystem::GetCurrentDirectory(std::string& path) {
  const FullPath* current = Current();
  if (!current)
    return Fail(kErrorPathNotFound);
  path = current->Text();
  _lastError = kErrorSuccess;
  return true;
}

std::unique_ptr<IFile> CPosixFileSystem::CreateFile(const std::string& path, uint32_t access,
                                                    uint32_t, uint32_t disposition,
                                                    uint32_t flagsAndAttributes) {
  if (uint32_t error = CheckCreateArguments(access, disposition); error != kErrorSuccess) {
    Fail(error);
    return nullptr;
  }
  FullPath full;
  if (!Parse(path, full))
    return nullptr;
  if (full.IsRoot()) {
    Fail(kErrorAccessDenied);
    return nullptr;
  }
  if (EndsWithSeparator(path) || HasWildcards(full.Text())) {
    Fail(kErrorInvalidName);
    return nullptr;
  }
  Target target;
  if (!Locate(full, target))
    return nullptr;
  const bool write = (access & kGenericWrite) != 0;
  int flags = (write && (access & kGenericRead)) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  flags |= O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
  const bool writeThrough = (flagsAndAttributes & kFileFlagWriteThrough) != 0;
  const bool unbuffered = write && (flagsAndAttributes & kFileFlagNoBuffering);
  if (writeThrough && !unbuffered)
    flags |= O_DSYNC;
  const AttributeStore store = target.Folder.Store();
  const bool existed = target.Exists;
  CFd fd;
  if (existed) {
    // Folders, links (never followed) and anything but a plain file cannot be opened as files.
    if (!S_ISREG(target.Info.Mode)) {
      Fail(kErrorAccessDenied);
      return nullptr;
    }
    // Checked here because root may write any file the permission bits forbid. Only
    // CREATE_ALWAYS asks more than whether the file is read-only, which vfat keeps in the
    // permission bits: the file is not opened once more for its attribute byte.
    const AttributeStore asked = store == AttributeStore::FatIoctl && disposition != kCreateAlways
                                     ? AttributeStore::ModeBits
                                     : store;
    uint32_t attributes = ReadAttributes(target.Folder.Get(), target.Name, target.Info, asked);
    if (uint32_t error = CheckCreateExisting(attributes, access, disposition, flagsAndAttributes);
        error != kErrorSuccess) {
      Fail(error);
      return nullptr;
    }
    const bool overwrite = CreateOverwrites(disposition);
    // Cut to nothing, a system file would turn into an Interix FIFO under ntfs-3g.
    if (overwrite && store == AttributeStore::NtfsXattr && (attributes & kFileAttributeSystem))
      WriteAttributes(target.Folder.Get(), target.Name, target.Info, store,
                      attributes & ~kFileAttributeSystem);
    fd = CFd(::openat(target.Folder.Get(), target.Name.c_str(), flags | (overwrite ? O_TRUNC : 0)));
  } else {
    if (uint32_t error = CheckCreateMissing(disposition); error != kErrorSuccess) {
      Fail(error);
      return nullptr;
    }
    mode_t mode = (flagsAndAttributes & kFileAttributeReadOnly) ? 0444 : 0666;
    fd = CFd(::openat(target.Folder.Get(), target.Name.c_str(), flags | O_CREAT | O_EXCL, mode));
  }
  if (!fd.Valid()) {
    FailErrno();
    return nullptr;
  }
  if (CreateSetsAttributes(existed, disposition)) {
    // A new or overwritten file takes the attributes asked for, as far as the store holds them.
    EntryInfo info;
    if (StatEntry(target.Folder.Get(), target.Name, info))
      WriteAttributes(target.Folder.Get(), target.Name, info, store,
                      CreatedAttributes(flagsAndAttributes));
  }
  // O_DIRECT is asked for once the file is open, so that a file system that refuses it still
  // opens the file, which then writes through the cache.
  bool direct = false;
  if (unbuffered) {
    int status = ::fcntl(fd.Get(), F_GETFL);
    direct = status >= 0 && ::fcntl(fd.Get(), F_SETFL, status | O_DIRECT) == 0;
  }
  _lastError = CreateSucceeded(existed, disposition);
  return std::make_unique<CPosixFile>(std::move(fd), access, _lastError, direct, writeThrough,
                                      unbuffered && !direct && writeThrough);
}

bool CPosixFileSystem::DeleteFile(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  Target target;
  if (full.IsRoot())
    return Fail(kErrorAccessDenied);
  if (!Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  const bool folder = S_ISDIR(target.Info.Mode) || target.Info.LinkToFolder;
  uint32_t attributes =
      folder ? 0
             : ReadAttributes(target.Folder.Get(), target.Name, target.Info, target.Folder.Store());
  if (uint32_t error = CheckDeleteFile(folder, attributes); error != kErrorSuccess)
    return Fail(error);
  if (::unlinkat(target.Folder.Get(), target.Name.c_str(), 0) != 0)
    return FailErrno();
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFileSystem::CreateDirectory(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  if (full.Text().size() > kMaxFolderPath)
    return Fail(kErrorFilenameExcedRange);
  if (full.IsRoot())
    return Fail(kErrorAccessDenied);
  if (HasWildcards(full.Text()))
    return Fail(kErrorInvalidName);
  Target target;
  if (!Locate(full, target))
    return false;
  if (target.Exists)
    return Fail(kErrorAlreadyExists);
  if (::mkdirat(target.Folder.Get(), target.Name.c_str(), 0777) != 0)
    return Fail(errno == EEXIST ? kErrorAlreadyExists : TranslateErrno(errno));
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFileSystem::RemoveDirectory(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  if (full.IsRoot())
    return Fail(kErrorAccessDenied);
  Target target;
  if (!Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  if (S_ISLNK(target.Info.Mode)) {
    // A link that stands for a folder goes as a link; its target is never touched.
    if (!target.Info.LinkToFolder)
      return Fail(kErrorDirectory);
    if (::unlinkat(target.Folder.Get(), target.Name.c_str(), 0) != 0)
      return FailErrno();
    _lastError = kErrorSuccess;
    return true;
  }
  if (!S_ISDIR(target.Info.Mode))
    return Fail(CheckRemoveDirectory(false, 0));
  // The current folder is held open: it goes before the folder's own attributes.
  if (IsCurrentFolder(target))
    return Fail(kErrorSharingViolation);
  uint32_t attributes =
      ReadAttributes(target.Folder.Get(), target.Name, target.Info, target.Folder.Store());
  if (uint32_t error = CheckRemoveDirectory(true, attributes); error != kErrorSuccess)
    return Fail(error);
  if (::unlinkat(target.Folder.Get(), target.Name.c_str(), AT_REMOVEDIR) != 0)
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty : TranslateErrno(errno));
  _lastError = kErrorSuccess;
  return true;
}

uint32_t CPosixFileSystem::GetFileAttributes(const std::string& path) {
  FullPath full;
  Target target;
  if (!Parse(path, full) || !Locate(full, target))
    return kInvalidFileAttributes;
  if (!target.Exists) {
    Fail(kErrorFileNotFound);
    return kInvalidFileAttributes;
  }
  _lastError = kErrorSuccess;
  return ReadAttributes(target.Folder.Get(), target.Name, target.Info, target.Folder.Store());
}

bool CPosixFileSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
  FullPath full;
  Target target;
  if (!Parse(path, full) || !Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  if (!WriteAttributes(target.Folder.Get(), target.Name, target.Info, target.Folder.Store(),
                       attributes))
    return FailErrno();
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFileSystem::ShellDelete(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  if (full.IsRoot())
    return Fail(kErrorAccessDenied);
  Target target;
  if (!Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  const int folder = target.Folder.Get();
  const char* name = target.Name.c_str();
  if (S_ISLNK(target.Info.Mode)) {
    if (::unlinkat(folder, name, 0) != 0)
      return FailErrno();
    _lastError = kErrorSuccess;
    return true;
  }
  const bool isFolder = S_ISDIR(target.Info.Mode);
  if (isFolder && IsCurrentFolder(target))
    return Fail(kErrorSharingViolation);
  // The shell deletes read-only, hidden and system items without asking when told not to ask;
  // clear those bits first where the file system would otherwise refuse.
  const AttributeStore store = target.Folder.Store();
  if (store != AttributeStore::ModeBits &&
      (ReadAttributes(folder, target.Name, target.Info, store) &
       (kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem)))
    WriteAttributes(folder, target.Name, target.Info, store, kFileAttributeNormal);
  if (::unlinkat(folder, name, isFolder ? AT_REMOVEDIR : 0) != 0)
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty : TranslateErrno(errno));
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFileSystem::FlushVolume(char letter) {
  const DriveMapEntry* drive = _table.Find(letter);
  if (!drive)
    return Fail(kErrorPathNotFound);
  CFd folder(::open(drive->MountFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Only the drive's own volume: a bare folder would flush whatever file system holds it.
  if (folder.Get() < 0 || !_table.OnPinnedDevice(drive->Letter, folder.Get()) ||
      ::syncfs(folder.Get()) != 0)
    return Fail(kErrorNotSupported);
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFileSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
  FullPath full;
  Target target;
  if (!Parse(path, full) || !Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  shortPath = target.Spelled;
  _lastError = kErrorSuccess;
  return true;
}

bool CPosixFileSystem::GetFileId(const std::string& path, uint64_t& id) {
  FullPath full;
  Target target;
  if (!Parse(path, full) || !Locate(full, target))
    return false;
  if (!target.Exists)
    return Fail(kErrorFileNotFound);
  struct stat info {};
  // ntfs-3g numbers each file by its file record, as Windows' file index does.
  const char* name = target.Name.empty() ? "." : target.Name.c_str();
  if (::fstatat(target.Folder.Get(), name, &info, AT_SYMLINK_NOFOLLOW | AT_EMPTY_PATH) != 0)
    return FailErrno();
  id = static_cast<uint64_t>(info.st_ino);
  _lastError = kErrorSuccess;
  return true;
}

} // namespace bw::posix
