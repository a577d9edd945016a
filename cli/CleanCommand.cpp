// blankwright clean X: [Y: ...] — runs the cleaning job on drives with a terminal view.
#include "cli/Commands.h"
#include "cli/TerminalCleaningView.h"
#include "cli/TerminalPrompt.h"
#include "engine/CleaningJob.h"
#include "engine/LeftoverCleanup.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <cstdio>
#include <map>

namespace bw::cli {
namespace {

const std::map<std::string, JobMode> kModes = {
    {"interactive", JobMode::Interactive},
    {"scheduled", JobMode::Scheduled},
    {"shutdown", JobMode::Shutdown},
    {"logoff", JobMode::Logoff},
};

int Usage() {
  PrintError("usage: blankwright clean X: [Y: ...] [--mode interactive|scheduled|shutdown|logoff] "
             "[--verify] [--yes|--no]");
  return kExitFailure;
}

int RunClean(IPlatform& platform, const Arguments& arguments) {
  std::string drives;
  JobMode mode = JobMode::Interactive;
  bool yes = false, no = false, verify = false;
  CCleaningJob::Phases phases;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    char letter;
    if (a == "--mode" && i + 1 < arguments.size()) {
      auto it = kModes.find(arguments[++i]);
      if (it == kModes.end())
        return Usage();
      mode = it->second;
    } else if (a == "--yes") {
      yes = true;
    } else if (a == "--no") {
      no = true;
    } else if (a == "--verify") {
      verify = true;
    } else if (a == "--no-slack") {
      phases.Slack = false;
    } else if (a == "--no-names") {
      phases.Names = false;
    } else if (ParseDriveLetter(a, letter)) {
      if (drives.find(letter) != std::string::npos)
        continue; // each drive once
      drives += drives.empty() ? "" : ", ";
      drives += letter;
      drives += ':';
    } else {
      PrintError("clean: unknown argument " + a);
      return Usage();
    }
  }
  if (drives.empty() || (yes && no))
    return Usage();
  std::string letters;
  for (size_t i = 0; i < drives.size(); i += 4)
    letters += drives[i];
  if (!CheckDrivesMounted(platform, letters, "clean", "nothing was cleaned"))
    return kExitFailure;

  std::unique_ptr<CJobLock> lock;
  if (int refused = TakeJobLock(platform, "clean", lock); refused != kExitOk)
    return refused;

  CSettings settings = LoadSettings(platform);
  CTerminalPrompt prompt(platform.Console(), ChoosePromptMode(platform.Console(), yes, no));
  platform.SetMessageBoxHandler(&prompt);
  platform.Console().CatchInterrupt();
  CleanUpLeftovers(platform, settings, prompt);

  CTerminalCleaningView view(platform.Console(), prompt);
  CWipeMarker wipeMarker;
  CCleaningJob job(platform, settings, view, wipeMarker, mode, drives, mode == JobMode::Logoff);
  job.SetPhases(phases);
  view.Attach(&job);
  job.Run();
  view.Attach(nullptr);
  settings.Save(platform);
  platform.SetMessageBoxHandler(nullptr);

  if (mode == JobMode::Shutdown || mode == JobMode::Logoff)
    std::printf("Drives cleaned: %s\nDrives not cleaned: %s\n", job.GetCleanedList().c_str(),
                job.GetNotCleanedList().c_str());
  size_t requested = (drives.size() + 2) / 4;
  size_t cleaned = job.GetCleanedList().size() / 4;
  bool complete = job.GetNotCleanedList().empty() && cleaned == requested;
  if (!verify && settings.VerifyAfterCleaning == 0)
    return complete ? kExitOk : kExitIncomplete;

  // Only the drives that were cleaned are checked: a drive left out has nothing to prove.
  std::string cleanedLetters;
  const std::string& list = job.GetCleanedList();
  for (size_t i = 0; i < list.size(); i += 4)
    cleanedLetters += list[i];
  int checked = VerifyDrives(platform, settings, cleanedLetters);
  if (checked == kExitResidue)
    return kExitResidue;
  return complete && checked == kExitOk ? kExitOk : kExitIncomplete;
}

} // namespace

const Command kCleanCommand = {
    "clean",
    "clean drives: temp folders, Recycle Bin, slack, free space, deleted names",
    "usage: blankwright clean X: [Y: ...] [--mode MODE] [--verify] [--yes|--no]\n"
    "\n"
    "Cleans each drive in turn: empties the temp and spool folders (once, when their drive is\n"
    "in the list and the settings say so) and the drive's Recycle Bin, overwrites the slack of\n"
    "every file (SlackMode 0, QUICK: only files written since the drive was last cleaned; 1,\n"
    "STANDARD: all), overwrites all free space OverwriteCount times, and, when CleanFileNames\n"
    "is 1, overwrites the names of deleted files on FAT drives, as 'blankwright config show'\n"
    "has them. Names of one directory entry are filled by the program bwsingle, which must be\n"
    "in the same folder as blankwright.\n"
    "\n"
    "  --mode interactive|scheduled|shutdown|logoff\n"
    "            the job mode (default interactive: access failures ask Retry/Cancel; the\n"
    "            others record the drive as not cleaned and go on; shutdown and logoff show no\n"
    "            report)\n"
    "  --yes     answer questions without a terminal: yes, but never retry unattended\n"
    "  --no      answer every question no / cancel\n"
    "  --verify  afterwards, scan each cleaned drive as 'blankwright verify' does (also when\n"
    "            the setting VerifyAfterCleaning is 1)\n"
    "  --no-slack, --no-names\n"
    "            leave out the slack or deleted-name phase (for testing)\n"
    "\n"
    "Ctrl-C asks \"Are you sure you want to quit cleaning?\" (without a terminal it stops at\n"
    "once). Only one cleaning or zap runs at a time: while another holds the machine's job\n"
    "lock, the clean says so and exits 1 without touching anything. Leftovers of an\n"
    "interrupted cleaning are removed first. The last-cleaned dates are saved afterwards. A\n"
    "mapped drive whose folder is not the mount point of its raw source is\n"
    "refused before anything is done, and a drive whose volume goes away during the job is\n"
    "reported not cleaned. Exit status: 0 when every drive was cleaned, 1 when some were not\n"
    "(or another job was running), 2 on usage errors and refused drives, 3 when the check\n"
    "after the clean found data left.\n",
    RunClean,
};

} // namespace bw::cli
