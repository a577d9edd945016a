// The operating system itself: version, clock, sleeping, well-known folders, processes.
#pragma once

#include "platform/JobLock.h"
#include "platform/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace bw {

class ISystem {
public:
  virtual ~ISystem() = default;

  /// What GetVersionExA reports. The posix platform reports the NT family.
  virtual VersionInfo GetVersion() = 0;

  virtual void Sleep(uint32_t milliseconds) = 0;

  /// The local clock now.
  virtual LocalTime GetLocalTime() = 0;

  /// Converts a file time (UTC) to the local calendar time; false when out of range.
  virtual bool FileTimeToLocalTime(FileTime time, LocalTime& local) = 0;

  /// Converts a local calendar time to a file time (UTC), daylight saving as the system
  /// determines it; false when out of range.
  virtual bool LocalTimeToFileTime(const LocalTime& local, FileTime& time) = 0;

  /// The Windows folder (GetWindowsDirectoryA), without a trailing backslash; false when the
  /// platform has none.
  virtual bool GetWindowsDirectory(std::string& folder) = 0;

  /// The temp path (GetTempPathA), with its trailing backslash; false when there is none.
  virtual bool GetTempPath(std::string& path) = 0;

  /// The folder of the running program, ending with a separator, in the platform's own form.
  virtual std::string GetProgramFolder() = 0;

  /// The path to start a companion program that ships in the running program's folder, given by
  /// its Windows file name ("BWSingle.exe"): on Windows the short form of the program folder
  /// followed by that name; elsewhere the platform's own name for it in the program folder.
  virtual std::string GetCompanionProgram(const std::string& windowsName) = 0;

  /// Starts program with arguments (each passed as one argument) and waits for it to end.
  /// False when it could not be started; exitCode is defined only on success.
  virtual bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                          uint32_t& exitCode) = 0;

  /// Takes the per-machine job lock without waiting; lock is set only when Taken is returned.
  virtual JobLockResult TryLockJob(std::unique_ptr<CJobLock>& lock) = 0;
};

} // namespace bw
