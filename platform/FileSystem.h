// Files and folders through the ordinary file system, with Win32 semantics on every platform.
//
// Paths are single-byte strings in drive-letter form ("X:\a\b") or relative to the current
// folder, which is one process-wide value as on Win32. A call that fails returns false (or a
// null object) and leaves its error code for GetLastError; out arguments are defined only on
// success.
#pragma once

#include "platform/Types.h"

#include <memory>
#include <string>

namespace bw {

enum class SeekOrigin : uint32_t { Begin = 0, Current = 1, End = 2 };

/// An open file (a HANDLE from CreateFileA). Destroying it closes it.
class IFile {
public:
  virtual ~IFile() = default;

  /// Writes size bytes at the file pointer. written receives the bytes that reached the file,
  /// also when the call fails part-way (a full disk).
  virtual bool Write(const void* data, uint32_t size, uint32_t& written) = 0;

  /// Reads up to size bytes; read is 0 at the end of the file.
  virtual bool Read(void* data, uint32_t size, uint32_t& read) = 0;

  /// Moves the file pointer; position receives the new offset from the beginning.
  virtual bool Seek(int64_t distance, SeekOrigin origin, uint64_t& position) = 0;

  /// Cuts or extends the file at the file pointer (SetEndOfFile).
  virtual bool SetEndOfFile() = 0;

  /// FlushFileBuffers.
  virtual bool Flush() = 0;

  /// GetFileTime.
  virtual bool GetTimes(FileTime& creation, FileTime& lastAccess, FileTime& lastWrite) = 0;

  /// SetFileTime; a null pointer leaves that time as it is.
  virtual bool SetTimes(const FileTime* creation, const FileTime* lastAccess,
                        const FileTime* lastWrite) = 0;

  /// FSCTL_SET_COMPRESSION with COMPRESSION_FORMAT_NONE. Succeeds without doing anything where
  /// the file system has no compression.
  virtual bool SetCompressionNone() = 0;

  /// Closes the file now; later calls fail. True when the close succeeded.
  virtual bool Close() = 0;
};

/// An open directory search (FindFirstFileA). Destroying it closes it (FindClose).
class IFindSearch {
public:
  virtual ~IFindSearch() = default;
  /// The next entry; false with kErrorNoMoreFiles at the end.
  virtual bool FindNextFile(FindData& data) = 0;
};

class IFileSystem {
public:
  virtual ~IFileSystem() = default;

  /// The error code of the last call that failed, as GetLastError.
  virtual uint32_t GetLastError() = 0;

  /// Starts a search for pattern (a folder followed by a name that may hold * and ?). Returns
  /// null when nothing matches (kErrorFileNotFound) or the folder cannot be listed (any other
  /// error). As on Win32, "*.*" matches every name and a folder other than a drive root also
  /// lists "." and "..".
  virtual std::unique_ptr<IFindSearch> FindFirstFile(const std::string& pattern,
                                                     FindData& data) = 0;

  /// SetCurrentDirectoryA: an absolute path also switches the current drive.
  virtual bool SetCurrentDirectory(const std::string& path) = 0;

  /// GetCurrentDirectoryA, in drive-letter form ("X:\" for a root, "X:\a\b" below it).
  virtual bool GetCurrentDirectory(std::string& path) = 0;

  /// CreateFileA with access (kGeneric*), share mode (kFileShare*), disposition (kCreate*,
  /// kOpen*, kTruncateExisting) and flags and attributes (kFileAttribute*, kFileFlag*).
  virtual std::unique_ptr<IFile> CreateFile(const std::string& path, uint32_t access,
                                            uint32_t shareMode, uint32_t disposition,
                                            uint32_t flagsAndAttributes) = 0;

  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  virtual bool RemoveDirectory(const std::string& path) = 0;

  /// GetFileAttributesA; kInvalidFileAttributes on failure.
  virtual uint32_t GetFileAttributes(const std::string& path) = 0;
  virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;

  /// SHFileOperationA FO_DELETE with FOF_SILENT | FOF_NOCONFIRMATION: removes a file, or a
  /// folder that holds nothing; never uses the Recycle Bin. A symbolic link is removed itself,
  /// never its target.
  virtual bool ShellDelete(const std::string& path) = 0;

  /// GetShortPathNameA; where a file system keeps no short names the path comes back as it is.
  virtual bool GetShortPathName(const std::string& path, std::string& shortPath) = 0;
};

} // namespace bw
