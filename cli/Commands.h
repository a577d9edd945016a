// The commands of the blankwright program. Each one parses its own arguments and returns the
// process exit status.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace bw {

class IPlatform;
class CJobLock;
class CSettings;

namespace cli {

using Arguments = std::vector<std::string>;

struct Command {
  const char* Name;
  const char* Summary; ///< one line for the program's help
  const char* Help;    ///< the command's own --help text
  int (*Run)(IPlatform& platform, const Arguments& arguments);
};

constexpr int kExitOk = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitFailure = 2;
/// The check after a clean found free clusters or deleted names still holding data.
constexpr int kExitResidue = 3;

extern const Command kConfigCommand;
extern const Command kDriveCommand;
extern const Command kInfoCommand;
extern const Command kCleanCommand;
extern const Command kScanCommand;
extern const Command kVerifyCommand;
extern const Command kZapCommand;

/// True when arguments ask for help ("--help" or "-h" anywhere).
bool WantsHelp(const Arguments& arguments);

/// Parses "X", "X:" or "X:\" (any case) into an upper-case letter; false otherwise.
bool ParseDriveLetter(const std::string& text, char& letter);

/// The settings as the tray program has them after its start: loaded, with folder defaults
/// and the default drive list. Where drive letters are mapped by hand there is no tray
/// program; the Run value then names this program.
CSettings LoadSettings(IPlatform& platform);

/// Checks, before a job touches them, that the volumes of the drives in letters are really
/// there (on Linux: mounted at their folders). Prints "blankwright: command: reason; nothing
/// was done" for the first that is not, and returns false.
bool CheckDrivesMounted(IPlatform& platform, const std::string& letters, const std::string& command,
                        const std::string& nothingDone);

/// Takes the machine's job lock for command. When another job holds it, prints "blankwright:
/// command: a cleaning is already running; nothing was done" and returns kExitIncomplete; when
/// the lock cannot be made, says so and returns kExitFailure; kExitOk with lock held.
int TakeJobLock(IPlatform& platform, const std::string& command, std::unique_ptr<CJobLock>& lock);

/// Checks each drive of letters as the viewer scans it, the free clusters held to the byte of
/// the last of the settings' passes, and prints a line of figures per drive. kExitResidue when
/// something was left, kExitFailure when a drive could not be checked to the end, else kExitOk.
int VerifyDrives(IPlatform& platform, const CSettings& settings, const std::string& letters);

/// Writes "blankwright: message" to standard error.
void PrintError(const std::string& message);

} // namespace cli
} // namespace bw
