#include "platform/win32/Process.h"
#include "platform/win32/Win32Platform.h"

namespace bw::win32 {
namespace {

// The folder queries of this system use 256-byte buffers; a longer path is refused rather than
// cut.
constexpr DWORD kFolderBufferSize = 256;

LocalTime FromSystemTime(const SYSTEMTIME& st) {
  LocalTime t;
  t.Year = st.wYear;
  t.Month = st.wMonth;
  t.DayOfWeek = st.wDayOfWeek;
  t.Day = st.wDay;
  t.Hour = st.wHour;
  t.Minute = st.wMinute;
  t.Second = st.wSecond;
  t.Milliseconds = st.wMilliseconds;
  return t;
}

bool InRange(int value, int low, int high) {
  return value >= low && value <= high;
}

bool ToSystemTime(const LocalTime& t, SYSTEMTIME& st) {
  // SYSTEMTIME holds 16-bit fields: anything out of range would wrap into a valid-looking date.
  if (!InRange(t.Year, 1601, 30827) || !InRange(t.Month, 1, 12) || !InRange(t.Day, 1, 31) ||
      !InRange(t.Hour, 0, 23) || !InRange(t.Minute, 0, 59) || !InRange(t.Second, 0, 59) ||
      !InRange(t.Milliseconds, 0, 999))
    return false;
  st = SYSTEMTIME{};
  st.wYear = static_cast<WORD>(t.Year);
  st.wMonth = static_cast<WORD>(t.Month);
  st.wDay = static_cast<WORD>(t.Day);
  st.wHour = static_cast<WORD>(t.Hour);
  st.wMinute = static_cast<WORD>(t.Minute);
  st.wSecond = static_cast<WORD>(t.Second);
  st.wMilliseconds = static_cast<WORD>(t.Milliseconds);
  return true;
}

// The conversions that apply the daylight saving rule of the date itself. Looked up at run time:
// the 9x family has neither, NT 4 and 2000 only the first, and a program that imported them
// would not start there at all.
using TimeZoneConversion = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*,
                                         SYSTEMTIME*);

TimeZoneConversion FindKernelFunction(const char* name) {
  // Kernel32 is mapped into every process for its whole life: no reference is taken.
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr)
    return nullptr;
  // GetProcAddress hands back a generic function pointer; void (*)() is the one type GCC lets
  // it pass through without a cast-function-type warning.
  return reinterpret_cast<TimeZoneConversion>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel, name)));
}

// UTC to local time. Where the system lacks the per-date conversion, the bias in force now is
// applied, as every version can do.
bool UtcToLocal(const FILETIME& utc, SYSTEMTIME& local) {
  static const TimeZoneConversion convert = FindKernelFunction("SystemTimeToTzSpecificLocalTime");
  if (convert != nullptr) {
    SYSTEMTIME st;
    return ::FileTimeToSystemTime(&utc, &st) && convert(nullptr, &st, &local);
  }
  FILETIME localTime;
  return ::FileTimeToLocalFileTime(&utc, &localTime) && ::FileTimeToSystemTime(&localTime, &local);
}

// Local time to UTC, the same way round.
bool LocalToUtc(const SYSTEMTIME& local, FILETIME& utc) {
  static const TimeZoneConversion convert = FindKernelFunction("TzSpecificLocalTimeToSystemTime");
  if (convert != nullptr) {
    SYSTEMTIME st;
    return convert(nullptr, &local, &st) && ::SystemTimeToFileTime(&st, &utc);
  }
  FILETIME localTime;
  return ::SystemTimeToFileTime(&local, &localTime) && ::LocalFileTimeToFileTime(&localTime, &utc);
}

} // namespace

VersionInfo CWin32System::GetVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  VersionInfo version;
  if (!::GetVersionExA(&info))
    return version;
  version.PlatformId = info.dwPlatformId;
  version.Major = info.dwMajorVersion;
  version.Minor = info.dwMinorVersion;
  version.BuildNumber = info.dwBuildNumber;
  return version;
}

void CWin32System::Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

LocalTime CWin32System::GetLocalTime() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

bool CWin32System::FileTimeToLocalTime(FileTime time, LocalTime& local) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(time);
  ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
  SYSTEMTIME st;
  if (!UtcToLocal(ft, st))
    return false;
  local = FromSystemTime(st);
  return true;
}

bool CWin32System::LocalTimeToFileTime(const LocalTime& local, FileTime& time) {
  SYSTEMTIME st;
  FILETIME ft;
  if (!ToSystemTime(local, st) || !LocalToUtc(st, ft))
    return false;
  time = (FileTime{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
  return true;
}

bool CWin32System::GetWindowsDirectory(std::string& folder) {
  char buffer[kFolderBufferSize];
  UINT length = ::GetWindowsDirectoryA(buffer, kFolderBufferSize);
  if (length == 0 || length >= kFolderBufferSize)
    return false;
  folder.assign(buffer, length);
  return true;
}

bool CWin32System::GetTempPath(std::string& path) {
  char buffer[kFolderBufferSize];
  DWORD length = ::GetTempPathA(kFolderBufferSize, buffer);
  if (length == 0 || length >= kFolderBufferSize)
    return false;
  path.assign(buffer, length);
  return true;
}

std::string CWin32System::GetProgramFolder() {
  char path[MAX_PATH + 1];
  DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  if (length == 0 || length >= sizeof(path))
    return ".\\";
  std::string self(path, length);
  size_t slash = self.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".\\") : self.substr(0, slash + 1);
}

std::string CWin32System::GetCompanionProgram(const std::string& windowsName) {
  // The short form keeps the path free of blanks, as older programs expect of argv[0].
  std::string folder = GetProgramFolder();
  char buffer[MAX_PATH];
  DWORD length = ::GetShortPathNameA(folder.c_str(), buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    folder.assign(buffer, length);
    if (folder.back() != '\\' && folder.back() != '/')
      folder += '\\';
  }
  return folder + windowsName;
}

bool CWin32System::RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                              uint32_t& exitCode) {
  ScopedKernelHandle process;
  if (!StartProcess(program, arguments, process))
    return false;
  DWORD code = 0;
  if (::WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process.Get(), &code))
    return false;
  exitCode = code;
  return true;
}

} // namespace bw::win32
