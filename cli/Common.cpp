#include "cli/Commands.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "viewer/CleanCheck.h"

#include <cctype>
#include <cstdio>

namespace bw::cli {

bool WantsHelp(const Arguments& arguments) {
  for (const std::string& a : arguments)
    if (a == "--help" || a == "-h")
      return true;
  return false;
}

bool ParseDriveLetter(const std::string& text, char& letter) {
  if (text.empty() || text.size() > 3 || !std::isalpha(static_cast<unsigned char>(text[0])))
    return false;
  if (text.size() >= 2 && text[1] != ':')
    return false;
  if (text.size() == 3 && text[2] != '\\' && text[2] != '/')
    return false;
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return true;
}

CSettings LoadSettings(IPlatform& platform) {
  CSettings settings;
  if (platform.DriveMap())
    settings.StartupProgram = platform.System().GetProgramFolder() + "blankwright";
  settings.Load(platform);
  return settings;
}

bool CheckDrivesMounted(IPlatform& platform, const std::string& letters, const std::string& command,
                        const std::string& nothingDone) {
  for (char letter : letters) {
    std::string reason;
    if (!platform.Drives().CheckMounted(letter, reason)) {
      PrintError(command + ": " + reason + "; " + nothingDone);
      return false;
    }
  }
  return true;
}

int TakeJobLock(IPlatform& platform, const std::string& command, std::unique_ptr<CJobLock>& lock) {
  switch (platform.System().TryLockJob(lock)) {
  case JobLockResult::Taken:
    return kExitOk;
  case JobLockResult::Busy:
    PrintError(command + ": a cleaning is already running; nothing was done");
    return kExitIncomplete;
  default:
    PrintError(command + ": the job lock could not be taken; nothing was done");
    return kExitFailure;
  }
}

int VerifyDrives(IPlatform& platform, const CSettings& settings, const std::string& letters) {
  uint8_t fill = LastPassByte(settings.OverwriteCount);
  int status = kExitOk;
  for (char letter : letters) {
    CleanCheckResult result = CheckCleanDrive(platform, letter, fill);
    std::fputs(CleanCheckText(letter, result).c_str(), stdout);
    if (!result.Completed)
      status = kExitFailure;
    else if (!result.IsClean() && status == kExitOk)
      status = kExitResidue;
  }
  std::fflush(stdout);
  if (status == kExitResidue)
    PrintError("verify: data was left in free space or deleted names (see the figures above)");
  return status;
}

void PrintError(const std::string& message) {
  std::fprintf(stderr, "blankwright: %s\n", message.c_str());
}

} // namespace bw::cli
