#include "platform/win32/FileSystem.h"

#include "platform/Unbuffered.h"
#include "platform/win32/ScopedHandle.h"

#include <cstring>

namespace bw::win32 {
namespace {

static_assert(FSCTL_SET_COMPRESSION == 0x9C040);
static_assert(FILE_FLAG_NO_BUFFERING == kFileFlagNoBuffering &&
              FILE_FLAG_WRITE_THROUGH == kFileFlagWriteThrough);
static_assert(FILE_BEGIN == static_cast<DWORD>(SeekOrigin::Begin) &&
              FILE_CURRENT == static_cast<DWORD>(SeekOrigin::Current) &&
              FILE_END == static_cast<DWORD>(SeekOrigin::End));

// The source buffer of a shell deletion: one path, then the list's closing zero.
constexpr size_t kShellDeleteBufferSize = 257;
// The current directory is read into a buffer of this size.
constexpr DWORD kCurrentDirectoryBufferSize = 256;

FileTime FromFileTime(const FILETIME& ft) {
  return (FileTime{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(FileTime time) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(time);
  ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return ft;
}

void ToFindData(const WIN32_FIND_DATAA& in, FindData& out) {
  out.Attributes = in.dwFileAttributes;
  out.CreationTime = FromFileTime(in.ftCreationTime);
  out.LastAccessTime = FromFileTime(in.ftLastAccessTime);
  out.LastWriteTime = FromFileTime(in.ftLastWriteTime);
  out.Size = (uint64_t{in.nFileSizeHigh} << 32) | in.nFileSizeLow;
  out.Name.assign(in.cFileName, strnlen(in.cFileName, sizeof(in.cFileName)));
  out.ShortName.assign(in.cAlternateFileName,
                       strnlen(in.cAlternateFileName, sizeof(in.cAlternateFileName)));
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// SHFileOperationA answers with codes of its own (the DE_* values of the old shell) as well as
// Win32 error codes; the ones a deletion can meet are translated, the rest pass as they are.
uint32_t TranslateShellResult(int result) {
  switch (result) {
  case 0x75: // DE_OPCANCELLED
  case 0x78: // DE_ACCESSDENIEDSRC
    return kErrorAccessDenied;
  case 0x79: // DE_PATHTOODEEP
  case 0x81: // DE_FILENAMETOOLONG
    return kErrorFilenameExcedRange;
  case 0x7C: // DE_INVALIDFILES
    return kErrorFileNotFound;
  case 0x402:   // an unknown error on the source
  case 0x10000: // an error on the destination
    return kErrorAccessDenied;
  default:
    return static_cast<uint32_t>(result);
  }
}

// True when the sectors of the drive path names divide the unbuffered alignment, so that what
// fits it fits them. Only drive-letter paths are asked about; others are written cached.
bool SectorsFitUnbuffered(const std::string& path) {
  if (path.size() < 2 || path[1] != ':')
    return false;
  const std::string root = path.substr(0, 2) + "\\";
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  return ::GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                             &clusters) &&
         bytesPerSector != 0 && kUnbufferedAlignment % bytesPerSector == 0;
}

// How a file opened with FILE_FLAG_NO_BUFFERING is opened again without it: the flag cannot be
// taken off a handle, and the file was opened without sharing, so the handle is closed first.
struct CReopen {
  std::string Path;
  DWORD Access = 0;
  DWORD Share = 0;
  DWORD Flags = 0; ///< without FILE_FLAG_NO_BUFFERING
};

class CWin32File final : public IFile {
public:
  CWin32File(HANDLE handle, uint32_t& lastError) : _handle(handle), _lastError(lastError) {}
  /// An unbuffered file, and how to open it cached when a write does not fit.
  CWin32File(HANDLE handle, uint32_t& lastError, CReopen reopen)
      : _handle(handle), _lastError(lastError), _reopen(std::move(reopen)), _unbuffered(true) {}

  bool Write(const void* data, uint32_t size, uint32_t& written) override {
    written = 0;
    if (!Live())
      return false;
    if (_unbuffered && (!FitsUnbuffered(data, size) || !AtAlignedOffset()) && !LeaveUnbuffered())
      return Fail();
    DWORD done = 0;
    bool ok = ::WriteFile(_handle.Get(), data, size, &done, nullptr) != FALSE;
    // A volume may still refuse the write past its cache (a sector larger than it said).
    if (!ok && done == 0 && _unbuffered && ::GetLastError() == ERROR_INVALID_PARAMETER) {
      if (!LeaveUnbuffered())
        return Fail();
      ok = ::WriteFile(_handle.Get(), data, size, &done, nullptr) != FALSE;
    }
    written = done; // what reached the file, also when a full disk stopped the write
    return ok || Fail();
  }

  bool Read(void* data, uint32_t size, uint32_t& read) override {
    read = 0;
    if (!Live())
      return false;
    DWORD done = 0;
    bool ok = ::ReadFile(_handle.Get(), data, size, &done, nullptr) != FALSE;
    read = done;
    return ok || Fail();
  }

  bool Seek(int64_t distance, SeekOrigin origin, uint64_t& position) override {
    if (!Live())
      return false;
    LONG high = static_cast<LONG>(static_cast<uint64_t>(distance) >> 32);
    // A low part of all ones is also a valid position: only the error value tells them apart.
    ::SetLastError(NO_ERROR);
    DWORD low = ::SetFilePointer(_handle.Get(), static_cast<LONG>(distance & 0xFFFFFFFF), &high,
                                 static_cast<DWORD>(origin));
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
      return Fail();
    position = (uint64_t{static_cast<DWORD>(high)} << 32) | low;
    return true;
  }

  bool SetEndOfFile() override { return Live() && (::SetEndOfFile(_handle.Get()) || Fail()); }

  bool Flush() override { return Live() && (::FlushFileBuffers(_handle.Get()) || Fail()); }

  bool GetTimes(FileTime& creation, FileTime& lastAccess, FileTime& lastWrite) override {
    FILETIME c, a, w;
    if (!Live())
      return false;
    if (!::GetFileTime(_handle.Get(), &c, &a, &w))
      return Fail();
    creation = FromFileTime(c);
    lastAccess = FromFileTime(a);
    lastWrite = FromFileTime(w);
    return true;
  }

  bool SetTimes(const FileTime* creation, const FileTime* lastAccess,
                const FileTime* lastWrite) override {
    if (!Live())
      return false;
    FILETIME c = ToFileTime(creation ? *creation : 0);
    FILETIME a = ToFileTime(lastAccess ? *lastAccess : 0);
    FILETIME w = ToFileTime(lastWrite ? *lastWrite : 0);
    return ::SetFileTime(_handle.Get(), creation ? &c : nullptr, lastAccess ? &a : nullptr,
                         lastWrite ? &w : nullptr) ||
           Fail();
  }

  bool SetCompressionNone() override {
    if (!Live())
      return false;
    USHORT format = COMPRESSION_FORMAT_NONE;
    DWORD returned = 0;
    if (::DeviceIoControl(_handle.Get(), FSCTL_SET_COMPRESSION, &format, sizeof(format), nullptr, 0,
                          &returned, nullptr))
      return true;
    // FAT and the like know no compression, so their files are already uncompressed.
    DWORD error = ::GetLastError();
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || Fail();
  }

  bool Close() override { return Live() && (_handle.Close() || Fail()); }

private:
  bool AtAlignedOffset() {
    LARGE_INTEGER zero{}, position{};
    return ::SetFilePointerEx(_handle.Get(), zero, &position, FILE_CURRENT) &&
           position.QuadPart % kUnbufferedAlignment == 0;
  }

  // Opens the file again without FILE_FLAG_NO_BUFFERING at the same position; false, with the
  // thread's error set and the handle gone, when it cannot be had again.
  bool LeaveUnbuffered() {
    _unbuffered = false;
    LARGE_INTEGER zero{}, position{};
    if (!::SetFilePointerEx(_handle.Get(), zero, &position, FILE_CURRENT))
      return false;
    _handle.Close();
    _handle = ScopedKernelHandle(::CreateFileA(_reopen.Path.c_str(), _reopen.Access, _reopen.Share,
                                               nullptr, OPEN_EXISTING, _reopen.Flags, nullptr));
    return _handle && ::SetFilePointerEx(_handle.Get(), position, nullptr, FILE_BEGIN);
  }

  // After Close the handle is gone; every call then fails as Win32 fails on a closed handle
  // (and never reaches the value INVALID_HANDLE_VALUE, which also names the process itself).
  bool Live() {
    if (_handle)
      return true;
    _lastError = kErrorInvalidHandle;
    return false;
  }

  bool Fail() {
    _lastError = ::GetLastError();
    return false;
  }

  ScopedKernelHandle _handle;
  uint32_t& _lastError;
  CReopen _reopen;
  bool _unbuffered = false; ///< opened with FILE_FLAG_NO_BUFFERING and not yet opened again
};

class CWin32FindSearch final : public IFindSearch {
public:
  CWin32FindSearch(HANDLE handle, uint32_t& lastError) : _handle(handle), _lastError(lastError) {}

  bool FindNextFile(FindData& data) override {
    WIN32_FIND_DATAA found;
    if (!::FindNextFileA(_handle.Get(), &found)) {
      _lastError = ::GetLastError();
      return false;
    }
    ToFindData(found, data);
    return true;
  }

private:
  ScopedFindHandle _handle;
  uint32_t& _lastError;
};

} // namespace

std::unique_ptr<IFindSearch> CWin32FileSystem::FindFirstFile(const std::string& pattern,
                                                             FindData& data) {
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(::FindFirstFileA(pattern.c_str(), &found));
  if (!search) {
    _lastError = ::GetLastError();
    return nullptr;
  }
  ToFindData(found, data);
  return std::make_unique<CWin32FindSearch>(search.Release(), _lastError);
}

bool CWin32FileSystem::SetCurrentDirectory(const std::string& path) {
  if (::SetCurrentDirectoryA(path.c_str()))
    return true;
  _lastError = ::GetLastError();
  return false;
}

bool CWin32FileSystem::GetCurrentDirectory(std::string& path) {
  char buffer[kCurrentDirectoryBufferSize];
  DWORD length = ::GetCurrentDirectoryA(kCurrentDirectoryBufferSize, buffer);
  if (length == 0) {
    _lastError = ::GetLastError();
    return false;
  }
  // Too long for the buffer: the call then returns the size it would need and copies nothing.
  if (length >= kCurrentDirectoryBufferSize) {
    _lastError = kErrorFilenameExcedRange;
    return false;
  }
  path.assign(buffer, length);
  return true;
}

std::unique_ptr<IFile> CWin32FileSystem::CreateFile(const std::string& path, uint32_t access,
                                                    uint32_t shareMode, uint32_t disposition,
                                                    uint32_t flagsAndAttributes) {
  DWORD flags = flagsAndAttributes;
  if ((flags & FILE_FLAG_NO_BUFFERING) && !SectorsFitUnbuffered(path))
    flags &= ~FILE_FLAG_NO_BUFFERING;
  ScopedKernelHandle file(
      ::CreateFileA(path.c_str(), access, shareMode, nullptr, disposition, flags, nullptr));
  // A file system that takes no unbuffered writes refuses the flag: the file is written cached.
  if (!file && (flags & FILE_FLAG_NO_BUFFERING) && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    flags &= ~FILE_FLAG_NO_BUFFERING;
    file = ScopedKernelHandle(
        ::CreateFileA(path.c_str(), access, shareMode, nullptr, disposition, flags, nullptr));
  }
  if (!file) {
    _lastError = ::GetLastError();
    return nullptr;
  }
  if (flags & FILE_FLAG_NO_BUFFERING)
    return std::make_unique<CWin32File>(
        file.Release(), _lastError,
        CReopen{path, access, shareMode, flags & ~static_cast<DWORD>(FILE_FLAG_NO_BUFFERING)});
  return std::make_unique<CWin32File>(file.Release(), _lastError);
}

bool CWin32FileSystem::DeleteFile(const std::string& path) {
  if (::DeleteFileA(path.c_str()))
    return true;
  _lastError = ::GetLastError();
  return false;
}

bool CWin32FileSystem::CreateDirectory(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr))
    return true;
  _lastError = ::GetLastError();
  return false;
}

bool CWin32FileSystem::RemoveDirectory(const std::string& path) {
  if (::RemoveDirectoryA(path.c_str()))
    return true;
  _lastError = ::GetLastError();
  return false;
}

uint32_t CWin32FileSystem::GetFileAttributes(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    _lastError = ::GetLastError();
  return attributes;
}

bool CWin32FileSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
  if (::SetFileAttributesA(path.c_str(), attributes))
    return true;
  _lastError = ::GetLastError();
  return false;
}

bool CWin32FileSystem::IsEmptyFolder(const std::string& folder) {
  std::string pattern = folder;
  if (pattern.back() != '\\')
    pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(::FindFirstFileA(pattern.c_str(), &found));
  if (!search) {
    // A folder that cannot be listed is not known to be empty.
    _lastError = ::GetLastError();
    return _lastError == ERROR_FILE_NOT_FOUND;
  }
  do {
    if (!IsDotEntry(found.cFileName)) {
      _lastError = kErrorDirNotEmpty;
      return false;
    }
  } while (::FindNextFileA(search.Get(), &found));
  return true;
}

bool CWin32FileSystem::ShellDelete(const std::string& path) {
  if (path.empty() || path.size() > kShellDeleteBufferSize - 2) {
    _lastError = path.empty() ? kErrorInvalidName : kErrorFilenameExcedRange;
    return false;
  }
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    _lastError = ::GetLastError();
    return false;
  }
  // A link or junction goes by itself, whatever it points to: the shell's own deletion is not
  // trusted to leave a junction's target alone.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectory(path) : DeleteFile(path);
  // The shell deletes a folder with everything in it; this call removes only empty ones, so
  // that nothing the caller decided to keep goes with its folder.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsEmptyFolder(path))
    return false;

  char from[kShellDeleteBufferSize] = {};
  std::memcpy(from, path.data(), path.size());
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from;
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  int result = ::SHFileOperationA(&operation);
  if (result == 0 && !operation.fAnyOperationsAborted)
    return true;
  _lastError = result != 0 ? TranslateShellResult(result) : kErrorAccessDenied;
  return false;
}

bool CWin32FileSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
  char buffer[MAX_PATH];
  DWORD length = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  if (length == 0) {
    _lastError = ::GetLastError();
    return false;
  }
  if (length >= MAX_PATH) {
    _lastError = kErrorFilenameExcedRange;
    return false;
  }
  shortPath.assign(buffer, length);
  return true;
}

bool CWin32FileSystem::GetFileId(const std::string& path, uint64_t& id) {
  // No access is asked: the file index is read from any handle, also of a folder in use.
  ScopedKernelHandle file(::CreateFileA(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.Get(), &info)) {
    _lastError = ::GetLastError();
    return false;
  }
  id = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

bool CWin32FileSystem::FlushVolume(char letter) {
  char volume[] = "\\\\.\\A:";
  volume[4] = letter;
  // Flushing a volume flushes every file open on it, and needs write access to the volume.
  ScopedKernelHandle handle(::CreateFileA(volume, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  if (!handle || !::FlushFileBuffers(handle.Get())) {
    _lastError = ::GetLastError();
    return false;
  }
  return true;
}

} // namespace bw::win32
