#include "platform/posix/HostEntry.h"

#include "platform/PathRules.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::posix {
namespace {

// 100-nanosecond ticks between 1 January 1601 and 1 January 1970.
constexpr int64_t kEpochTicks = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

struct timespec FromStatx(const struct statx_timestamp& t) {
  struct timespec ts {};
  ts.tv_sec = static_cast<time_t>(t.tv_sec);
  ts.tv_nsec = static_cast<long>(t.tv_nsec);
  return ts;
}

void FromStatxRecord(const struct statx& sx, EntryInfo& info) {
  info.Mode = sx.stx_mode;
  info.Size = sx.stx_size;
  info.LastAccess = ToFileTime(FromStatx(sx.stx_atime));
  info.LastWrite = ToFileTime(FromStatx(sx.stx_mtime));
  info.Creation = ToFileTime(FromStatx((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime));
}

bool Describe(int dirFd, const char* name, int flags, EntryInfo& info) {
  struct statx sx {};
  if (::statx(dirFd, name, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
    return false;
  info = EntryInfo{};
  FromStatxRecord(sx, info);
  if (S_ISLNK(info.Mode)) {
    // Asked only to report the link as a folder link; nothing is ever done through it.
    struct stat target;
    info.LinkToFolder = ::fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
  }
  return true;
}

} // namespace

CFd& CFd::operator=(CFd&& other) noexcept {
  if (this != &other) {
    Close();
    _fd = other.Release();
  }
  return *this;
}

int CFd::Release() {
  int fd = _fd;
  _fd = -1;
  return fd;
}

bool CFd::Close() {
  if (_fd < 0)
    return true;
  int fd = Release();
  return ::close(fd) == 0;
}

FileTime ToFileTime(const struct timespec& time) {
  int64_t ticks = static_cast<int64_t>(time.tv_sec) * kTicksPerSecond + time.tv_nsec / 100;
  return ticks < -kEpochTicks ? 0 : static_cast<FileTime>(ticks + kEpochTicks);
}

struct timespec ToTimespec(FileTime time) {
  // Before 1970 the seconds go negative; floor division keeps the nanoseconds in range.
  int64_t ticks = static_cast<int64_t>(time) - kEpochTicks;
  int64_t seconds = ticks / kTicksPerSecond;
  int64_t rest = ticks % kTicksPerSecond;
  if (rest < 0) {
    rest += kTicksPerSecond;
    --seconds;
  }
  struct timespec ts {};
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

bool StatEntry(int dirFd, const std::string& name, EntryInfo& info) {
  return Describe(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW, info);
}

bool StatDescriptor(int fd, EntryInfo& info) {
  return Describe(fd, "", AT_EMPTY_PATH, info);
}

bool FindName(int dirFd, const std::string& name, std::string& stored, EntryInfo& info) {
  if (StatEntry(dirFd, name, info)) {
    stored = name;
    return true;
  }
  if (errno != ENOENT)
    return false;
  int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0)
    return false;
  DIR* dir = ::fdopendir(listFd);
  if (!dir) {
    int error = errno;
    ::close(listFd);
    errno = error;
    return false;
  }
  std::string best;
  while (true) {
    errno = 0;
    struct dirent* entry = ::readdir(dir);
    if (!entry)
      break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
      continue;
    if (SameName(entry->d_name, name) && (best.empty() || best > entry->d_name))
      best = entry->d_name;
  }
  int error = errno;
  ::closedir(dir);
  if (error != 0) {
    errno = error;
    return false;
  }
  if (best.empty()) {
    errno = ENOENT;
    return false;
  }
  if (!StatEntry(dirFd, best, info))
    return false;
  stored = best;
  return true;
}

} // namespace bw::posix
