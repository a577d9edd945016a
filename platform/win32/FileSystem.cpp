#include "platform/win32/FileSystem.h"

#include "platform/win32/ScopedHandle.h"

#include <cstring>

namespace bw::win32 {
namespace {

static_assert(FSCTL_SET_COMPRESSION == 0x9C040);
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

class CWin32File final : public IFile {
public:
  CWin32File(HANDLE handle, uint32_t& lastError) : _handle(handle), _lastError(lastError) {}

  bool Write(const void* data, uint32_t size, uint32_t& written) override {
    written = 0;
    if (!Live())
      return false;
    DWORD done = 0;
    bool ok = ::WriteFile(_handle.Get(), data, size, &done, nullptr) != FALSE;
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
  ScopedKernelHandle file(::CreateFileA(path.c_str(), access, shareMode, nullptr, disposition,
                                        flagsAndAttributes, nullptr));
  if (!file) {
    _lastError = ::GetLastError();
    return nullptr;
  }
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
