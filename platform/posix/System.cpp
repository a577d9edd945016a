#include "platform/PathRules.h"
#include "platform/posix/PosixPlatform.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <spawn.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bw::posix {
namespace {

// Seconds between 1 January 1601 and 1 January 1970.
constexpr int64_t kEpochDifference = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

LocalTime FromTm(const std::tm& tm, int milliseconds) {
  LocalTime t;
  t.Year = tm.tm_year + 1900;
  t.Month = tm.tm_mon + 1;
  t.DayOfWeek = tm.tm_wday;
  t.Day = tm.tm_mday;
  t.Hour = tm.tm_hour;
  t.Minute = tm.tm_min;
  t.Second = tm.tm_sec;
  t.Milliseconds = milliseconds;
  return t;
}

} // namespace

VersionInfo CPosixSystem::GetVersion() {
  VersionInfo v;
  v.PlatformId = kPlatformWin32Nt;
  v.Major = 10;
  return v;
}

void CPosixSystem::Sleep(uint32_t milliseconds) {
  struct timespec ts {
    static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L
  };
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

LocalTime CPosixSystem::GetLocalTime() {
  struct timeval tv;
  ::gettimeofday(&tv, nullptr);
  std::tm tm{};
  ::localtime_r(&tv.tv_sec, &tm);
  return FromTm(tm, static_cast<int>(tv.tv_usec / 1000));
}

bool CPosixSystem::FileTimeToLocalTime(FileTime time, LocalTime& local) {
  int64_t seconds = static_cast<int64_t>(time / kTicksPerSecond) - kEpochDifference;
  time_t t = static_cast<time_t>(seconds);
  std::tm tm{};
  if (!::localtime_r(&t, &tm))
    return false;
  local = FromTm(tm, static_cast<int>((time % kTicksPerSecond) / 10000));
  return true;
}

bool CPosixSystem::LocalTimeToFileTime(const LocalTime& local, FileTime& time) {
  std::tm tm{};
  tm.tm_year = local.Year - 1900;
  tm.tm_mon = local.Month - 1;
  tm.tm_mday = local.Day;
  tm.tm_hour = local.Hour;
  tm.tm_min = local.Minute;
  tm.tm_sec = local.Second;
  tm.tm_isdst = -1; // daylight saving as the system determines it
  time_t t = std::mktime(&tm);
  if (t == static_cast<time_t>(-1) || t < -kEpochDifference)
    return false;
  time = static_cast<FileTime>((static_cast<int64_t>(t) + kEpochDifference) * kTicksPerSecond +
                               int64_t{local.Milliseconds} * 10000);
  return true;
}

bool CPosixSystem::GetWindowsDirectory(std::string&) {
  return false;
}

bool CPosixSystem::GetTempPath(std::string&) {
  return false;
}

std::string CPosixSystem::GetProgramFolder() {
  char path[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n <= 0)
    return "./";
  std::string self(path, static_cast<size_t>(n));
  return self.substr(0, self.rfind('/') + 1);
}

std::string CPosixSystem::GetCompanionProgram(const std::string& windowsName) {
  // Linux programs go without the extension and in lower case: "BWSingle.exe" is "bwsingle".
  std::string name = windowsName;
  if (name.size() > 4 && SameName(name.substr(name.size() - 4), ".exe"))
    name.resize(name.size() - 4);
  for (char& c : name)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return GetProgramFolder() + name;
}

bool SpawnProgram(const std::string& program, const std::vector<std::string>& arguments, int& pid) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t spawned;
  if (::posix_spawn(&spawned, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  pid = spawned;
  return true;
}

bool CPosixSystem::RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                              uint32_t& exitCode) {
  int pid;
  if (!SpawnProgram(program, arguments, pid))
    return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR)
      return false;
  if (WIFEXITED(status)) {
    exitCode = static_cast<uint32_t>(WEXITSTATUS(status));
    return true;
  }
  exitCode = 0xFFFFFFFFu; // killed by a signal
  return true;
}

int CStderrMessageBox::Show(const std::string& text, const std::string& caption, uint32_t style) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return DefaultMessageBoxAnswer(style);
}

} // namespace bw::posix
