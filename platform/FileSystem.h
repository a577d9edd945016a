// Files and folders through the ordinary file system, with Win32 semantics on every platform.
//
// Paths are single-byte strings in drive-letter form ("X:\a\b") or relative to the current
// folder, which is one process-wide value as on Win32; "\" and "/" both separate names, names
// compare without regard to letter case, and a full path longer than MAX_PATH - 1 characters
// fails with kErrorFilenameExcedRange. A call that fails returns false (or a null object) and
// leaves its error code for GetLastError; out arguments are defined only on success. Open files
// and searches report their errors through the file system that made them and must not outlive
// it.
//
// Symbolic links, junctions and other reparse points are reported with
// kFileAttributeReparsePoint (and kFileAttributeDirectory when they stand for a folder). Deleting
// or removing one removes the link, never what it points at.
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
  /// also when the call fails part-way: a full disk writes what fits and fails with
  /// kErrorDiskFull. Needs kGenericWrite.
  virtual bool Write(const void* data, uint32_t size, uint32_t& written) = 0;

  /// Reads up to size bytes; read is 0 at the end of the file.
  virtual bool Read(void* data, uint32_t size, uint32_t& read) = 0;

  /// Moves the file pointer; position receives the new offset from the beginning. A position
  /// before the beginning fails with kErrorNegativeSeek; one past the end is allowed.
  virtual bool Seek(int64_t distance, SeekOrigin origin, uint64_t& position) = 0;

  /// Cuts or extends the file at the file pointer (SetEndOfFile). Needs kGenericWrite.
  virtual bool SetEndOfFile() = 0;

  /// FlushFileBuffers. Needs kGenericWrite.
  virtual bool Flush() = 0;

  /// GetFileTime.
  virtual bool GetTimes(FileTime& creation, FileTime& lastAccess, FileTime& lastWrite) = 0;

  /// SetFileTime; a null pointer (or a time of 0) leaves that time as it is. Where a file
  /// system cannot set the creation time, it is accepted and ignored. Needs kGenericWrite.
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
  /// null when nothing matches (kErrorFileNotFound; also for a pattern ending with a
  /// separator) or the folder cannot be listed (kErrorPathNotFound when it does not exist, any
  /// other error otherwise). As on Win32, "*.*" matches every name, a folder other than a drive
  /// root lists "." and ".." first, and a name without wildcards finds that one entry with its
  /// name as stored. Entries come in the file system's own order.
  virtual std::unique_ptr<IFindSearch> FindFirstFile(const std::string& pattern,
                                                     FindData& data) = 0;

  /// SetCurrentDirectoryA: an absolute path also switches the current drive; ".." at a root
  /// stays there. The path is kept as written. kErrorFileNotFound when the folder does not
  /// exist, kErrorDirectory when it names a file.
  virtual bool SetCurrentDirectory(const std::string& path) = 0;

  /// GetCurrentDirectoryA, in drive-letter form ("X:\" for a root, "X:\a\b" below it).
  virtual bool GetCurrentDirectory(std::string& path) = 0;

  /// CreateFileA with access (kGeneric*), share mode (kFileShare*), disposition (kCreate*,
  /// kOpen*, kTruncateExisting) and flags and attributes (kFileAttribute*, kFileFlag*). As on
  /// Win32: kErrorFileExists for kCreateNew on an existing file, kErrorFileNotFound for
  /// kOpenExisting or kTruncateExisting on a missing one, kErrorPathNotFound for a missing
  /// folder, kErrorAccessDenied for a folder, for a read-only file opened for writing or
  /// overwritten, and for a hidden or system file overwritten without naming those attributes;
  /// on success GetLastError is kErrorAlreadyExists when kCreateAlways or kOpenAlways found the
  /// file, else kErrorSuccess. A new or overwritten file gets the attributes given and the
  /// archive bit, where the file system keeps them.
  /// kFileFlagNoBuffering writes past the system's cache where the file system allows it, and
  /// through it otherwise, without an error either way (platform/Unbuffered.h).
  virtual std::unique_ptr<IFile> CreateFile(const std::string& path, uint32_t access,
                                            uint32_t shareMode, uint32_t disposition,
                                            uint32_t flagsAndAttributes) = 0;

  /// DeleteFileA: kErrorAccessDenied for a read-only file or a folder (also a link that stands
  /// for a folder: RemoveDirectory removes those).
  virtual bool DeleteFile(const std::string& path) = 0;
  /// CreateDirectoryA: kErrorAlreadyExists when the name is taken; paths up to kMaxFolderPath.
  virtual bool CreateDirectory(const std::string& path) = 0;
  /// RemoveDirectoryA: an empty folder, or a link that stands for a folder (removed as a link).
  /// kErrorDirNotEmpty, kErrorDirectory for a file, kErrorSharingViolation for the current
  /// folder, kErrorAccessDenied for a drive root or a read-only folder.
  virtual bool RemoveDirectory(const std::string& path) = 0;

  /// GetFileAttributesA; kInvalidFileAttributes on failure. kFileAttributeNormal when no other
  /// bit is set. A link is reported itself, never what it points at.
  virtual uint32_t GetFileAttributes(const std::string& path) = 0;
  /// SetFileAttributesA: read-only, hidden, system, archive, temporary, offline and
  /// not-content-indexed are set as given and the other bits ignored; kFileAttributeNormal (or
  /// 0) clears them all. Bits the file system cannot hold are dropped without an error.
  virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;

  /// SHFileOperationA FO_DELETE with FOF_SILENT | FOF_NOCONFIRMATION: removes a file (also a
  /// read-only, hidden or system one), or a folder that holds nothing (else
  /// kErrorDirNotEmpty); never uses the Recycle Bin. A symbolic link is removed itself, never
  /// its target.
  virtual bool ShellDelete(const std::string& path) = 0;

  /// GetShortPathNameA: the full path of an existing file or folder; where a file system keeps
  /// no short names each name comes back as stored.
  virtual bool GetShortPathName(const std::string& path, std::string& shortPath) = 0;

  /// The number the file system knows an existing file or folder by, as
  /// GetFileInformationByHandle's file index (on NTFS the file record number in its low 48
  /// bits; elsewhere the inode number). False where the file system keeps no such number.
  virtual bool GetFileId(const std::string& path, uint64_t& id) {
    (void)path;
    (void)id;
    return false;
  }

  /// Makes every change to the files of drive letter's volume durable before it returns, in
  /// one call (Linux: syncfs; Windows: FlushFileBuffers on the volume, which needs
  /// administrator rights). False where that is not possible: callers then flush file by file.
  virtual bool FlushVolume(char letter) {
    (void)letter;
    return false;
  }
};

} // namespace bw
