// Small value types and Win32 constants shared by the seam and the portable code.
//
// The portable code speaks the system's own vocabulary (attribute bits, error codes, drive
// types, file times), so these carry the Win32 values. They are constants in our namespace, not
// macros, so that they can sit beside <windows.h> in the win32 implementation.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// Error codes as GetLastError reports them. Every platform translates its own errors to these.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorNoMoreFiles = 18;
constexpr uint32_t kErrorWriteProtect = 19;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorHandleDiskFull = 39;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorBadNetPath = 53;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorNegativeSeek = 131;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameExcedRange = 206;
constexpr uint32_t kErrorDirectory = 267;
constexpr uint32_t kErrorCantResolveFilename = 1921;

// File attribute bits (FILE_ATTRIBUTE_*).
constexpr uint32_t kFileAttributeReadOnly = 0x1;
constexpr uint32_t kFileAttributeHidden = 0x2;
constexpr uint32_t kFileAttributeSystem = 0x4;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeNormal = 0x80;
constexpr uint32_t kFileAttributeTemporary = 0x100;
constexpr uint32_t kFileAttributeSparseFile = 0x200;
constexpr uint32_t kFileAttributeReparsePoint = 0x400;
constexpr uint32_t kFileAttributeCompressed = 0x800;
constexpr uint32_t kFileAttributeOffline = 0x1000;
constexpr uint32_t kFileAttributeNotContentIndexed = 0x2000;
constexpr uint32_t kFileAttributeEncrypted = 0x4000;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
/// The bits SetFileAttributesA can change; the others belong to the file system.
constexpr uint32_t kSettableFileAttributes =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive |
    kFileAttributeTemporary | kFileAttributeOffline | kFileAttributeNotContentIndexed;

// CreateFile access, sharing, disposition and flags.
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kFileShareRead = 0x1;
constexpr uint32_t kFileShareWrite = 0x2;
constexpr uint32_t kFileShareDelete = 0x4;
constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kTruncateExisting = 5;
constexpr uint32_t kFileFlagWriteThrough = 0x80000000;
/// Writes past the system's cache (platform/Unbuffered.h has what such a write must fit).
constexpr uint32_t kFileFlagNoBuffering = 0x20000000;

// GetVersionExA platform ids.
constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;

/// Drive types as GetDriveTypeA reports them.
enum class DriveType : uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

/// 100-nanosecond intervals since 1 January 1601 UTC, as in FILETIME.
using FileTime = uint64_t;

/// A calendar time of the local clock, as in SYSTEMTIME (DayOfWeek 0 = Sunday).
struct LocalTime {
  int Year = 0;
  int Month = 0;
  int DayOfWeek = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Milliseconds = 0;
};

/// One directory entry as FindFirstFileA/FindNextFileA report it.
struct FindData {
  uint32_t Attributes = 0;
  FileTime CreationTime = 0;
  FileTime LastAccessTime = 0;
  FileTime LastWriteTime = 0;
  uint64_t Size = 0;     ///< nFileSizeHigh * 2^32 + nFileSizeLow
  std::string Name;      ///< cFileName
  std::string ShortName; ///< cAlternateFileName; empty where the file system keeps none
};

/// What GetVersionExA reports.
struct VersionInfo {
  uint32_t PlatformId = kPlatformWin32Nt;
  uint32_t Major = 0;
  uint32_t Minor = 0;
  uint32_t BuildNumber = 0; ///< the low 16 bits are the build on the 9x family
};

} // namespace bw
