// Entries of the host file system as the Linux file services see them: descriptors that close
// themselves, an entry's type, size and times, and the case-blind lookup of a name.
#pragma once

#include "platform/Types.h"

#include <ctime>
#include <string>
#include <sys/types.h>

namespace bw::posix {

/// A file descriptor that is closed when it goes out of scope.
class CFd {
public:
  CFd() = default;
  explicit CFd(int fd) : _fd(fd) {}
  CFd(CFd&& other) noexcept : _fd(other.Release()) {}
  CFd& operator=(CFd&& other) noexcept;
  CFd(const CFd&) = delete;
  CFd& operator=(const CFd&) = delete;
  ~CFd() { Close(); }

  int Get() const { return _fd; }
  bool Valid() const { return _fd >= 0; }
  int Release();
  /// Closes the descriptor now; false when close reported an error.
  bool Close();

private:
  int _fd = -1;
};

/// What lstat says of one entry, times already as file times.
struct EntryInfo {
  mode_t Mode = 0; ///< type and permission bits of the entry itself (a link stays one)
  uint64_t Size = 0;
  FileTime Creation = 0; ///< birth time where the file system keeps one, else change time
  FileTime LastAccess = 0;
  FileTime LastWrite = 0;
  bool LinkToFolder = false; ///< a symbolic link whose target is a folder
};

FileTime ToFileTime(const struct timespec& time);
/// The timespec of a file time; times before 1970 come out negative.
struct timespec ToTimespec(FileTime time);

/// Describes name in the folder dirFd without following a link; errno is set on failure.
bool StatEntry(int dirFd, const std::string& name, EntryInfo& info);

/// Describes the open file fd; errno is set on failure.
bool StatDescriptor(int fd, EntryInfo& info);

/// Finds name in the folder dirFd as Windows would: the exact name when it exists, else an entry
/// whose name differs only in letter case (the first in byte order when there are several).
/// Returns true when found, with the name as stored and its description; false with errno
/// ENOENT when there is none, or another errno when the folder cannot be searched.
bool FindName(int dirFd, const std::string& name, std::string& stored, EntryInfo& info);

} // namespace bw::posix
