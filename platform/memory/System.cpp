#include "platform/memory/MemoryPlatform.h"

namespace bw::memory {
namespace {

// The fake clock has no time zone: local time is UTC.
constexpr int64_t kTicksPerSecond = 10000000LL;
constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

} // namespace

bool CMemorySystem::FileTimeToLocalTime(FileTime time, LocalTime& local) {
  int64_t seconds = static_cast<int64_t>(time / kTicksPerSecond);
  int64_t days = seconds / 86400 - kDaysFrom1601To1970;
  int64_t rest = seconds % 86400;
  CivilFromDays(days, local.Year, local.Month, local.Day);
  local.DayOfWeek = static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
  local.Hour = static_cast<int>(rest / 3600);
  local.Minute = static_cast<int>(rest / 60 % 60);
  local.Second = static_cast<int>(rest % 60);
  local.Milliseconds = static_cast<int>(time % kTicksPerSecond / 10000);
  return true;
}

bool CMemorySystem::LocalTimeToFileTime(const LocalTime& local, FileTime& time) {
  int64_t days = DaysFromCivil(local.Year, local.Month, local.Day) + kDaysFrom1601To1970;
  if (days < 0)
    return false;
  int64_t seconds = days * 86400 + local.Hour * 3600 + local.Minute * 60 + local.Second;
  time = static_cast<FileTime>(seconds * kTicksPerSecond + int64_t{local.Milliseconds} * 10000);
  return true;
}

bool CMemorySystem::GetWindowsDirectory(std::string& folder) {
  if (!WindowsDirectory)
    return false;
  folder = *WindowsDirectory;
  return true;
}

bool CMemorySystem::GetTempPath(std::string& path) {
  if (!TempPath)
    return false;
  path = *TempPath;
  return true;
}

bool CMemorySystem::RunAndWait(const std::string& program,
                               const std::vector<std::string>& arguments, uint32_t& exitCode) {
  std::vector<std::string> run{program};
  run.insert(run.end(), arguments.begin(), arguments.end());
  Runs.push_back(run);
  if (!OnRun)
    return false;
  exitCode = OnRun(program, arguments);
  return true;
}

} // namespace bw::memory
