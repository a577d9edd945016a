// blankwright verify X: [Y: ...] — the check a clean makes afterwards, on its own.
#include "cli/Commands.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

namespace bw::cli {
namespace {

int RunVerify(IPlatform& platform, const Arguments& arguments) {
  std::string letters;
  for (const std::string& a : arguments) {
    char letter;
    if (!ParseDriveLetter(a, letter)) {
      PrintError("usage: blankwright verify X: [Y: ...]");
      return kExitFailure;
    }
    if (letters.find(letter) == std::string::npos)
      letters += letter;
  }
  if (letters.empty()) {
    PrintError("usage: blankwright verify X: [Y: ...]");
    return kExitFailure;
  }
  if (!CheckDrivesMounted(platform, letters, "verify", "nothing was read"))
    return kExitFailure;
  // A clean running meanwhile would be counted half done.
  std::unique_ptr<CJobLock> lock;
  if (int refused = TakeJobLock(platform, "verify", lock); refused != kExitOk)
    return refused;
  return VerifyDrives(platform, LoadSettings(platform), letters);
}

} // namespace

const Command kVerifyCommand = {
    "verify",
    "check that a cleaned drive's free space and deleted names hold nothing",
    "usage: blankwright verify X: [Y: ...]\n"
    "\n"
    "Reads every free cluster of each drive as 'blankwright scan' does, but counts every\n"
    "cluster that holds anything but the byte the last overwrite pass writes (0x00 after an\n"
    "odd OverwriteCount, 0xFF after an even one), and on FAT drives the deleted directory\n"
    "entries whose names can still be read (Blankwright's own fillers and wipe files aside).\n"
    "Prints one line of figures per drive. 'blankwright clean --verify' runs the same check\n"
    "after cleaning.\n"
    "\n"
    "Exit status: 0 when nothing was left, 3 when something was, 1 when another cleaning is\n"
    "running, 2 when a drive could not be read to the end or is not mounted where the drive\n"
    "map says.\n",
    RunVerify,
};

} // namespace bw::cli
