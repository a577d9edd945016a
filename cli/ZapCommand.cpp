// blankwright zap PATH... — shows the File Destruction Warning as text, asks once more, and
// runs the zap job with a terminal view.
#include "cli/Commands.h"
#include "cli/TerminalPrompt.h"
#include "cli/TerminalZapView.h"
#include "cli/ZapPaths.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "zap/ZapJob.h"
#include "zap/ZapWarning.h"

#include <algorithm>
#include <cstdio>

namespace bw::cli {
namespace {

int Usage() {
  PrintError("usage: blankwright zap PATH... [--yes] [--yes-to-all]");
  return kExitFailure;
}

// The warning's rows measure one column per character.
int MeasureText(const std::string& text) {
  return static_cast<int>(text.size());
}

void PrintWarning(const CZapWarningModel& warning) {
  std::printf("\n%s\n\n%s\n%s\n%s\n%s\n\n", CZapWarningModel::kCaption,
              CZapWarningModel::kWarningLabel, CZapWarningModel::kFixedLines[0],
              CZapWarningModel::kFixedLines[1], warning.OverwriteLine().c_str());
  // Each row fits the line after its indent; the model keeps 26 of the list for the icon.
  const int listWidth = CTerminalZapView::kWidth - 2 + 26;
  for (const std::string& row : warning.Rows(listWidth, MeasureText))
    std::printf("  %s\n", row.c_str());
  std::printf("\n%s\n", CZapWarningModel::kFixedLines[2]);
  std::fflush(stdout);
}

// True when a selection other than a drive root is still there. Where names are told apart by
// letter case, a twin of another case that the lookup finds instead is not the selection.
bool AnySelectionLeft(IPlatform& platform, const std::vector<std::string>& selections) {
  for (const std::string& path : selections) {
    if (path.size() == 3 && path[1] == ':')
      continue;
    FindData data;
    if (platform.Files().FindFirstFile(path, data)) {
      if (!platform.DriveMap() || data.Name == path.substr(path.rfind('\\') + 1))
        return true;
    } else if (platform.Files().GetLastError() != kErrorFileNotFound) {
      return true;
    }
  }
  return false;
}

int RunZap(IPlatform& platform, const Arguments& arguments) {
  bool yes = false, yesToAll = false;
  std::vector<std::string> given;
  bool pathsOnly = false;
  for (const std::string& a : arguments) {
    if (!pathsOnly && a == "--") {
      pathsOnly = true;
    } else if (!pathsOnly && a == "--yes") {
      yes = true;
    } else if (!pathsOnly && a == "--yes-to-all") {
      yesToAll = true;
    } else if (!pathsOnly && a.size() > 1 && a[0] == '-') {
      PrintError("zap: unknown option " + a);
      return Usage();
    } else {
      given.push_back(a);
    }
  }
  if (given.empty())
    return Usage();

  std::vector<std::string> selections;
  for (const std::string& path : given) {
    std::string selection, error;
    if (!ToSelection(platform, path, selection, error)) {
      PrintError("zap: " + error + "; nothing was zapped");
      return kExitFailure;
    }
    if (std::find(selections.begin(), selections.end(), selection) == selections.end())
      selections.push_back(selection);
  }
  std::string letters;
  for (const std::string& selection : selections)
    if (selection.size() > 1 && selection[1] == ':' &&
        letters.find(selection[0]) == std::string::npos)
      letters += selection[0];
  if (!CheckDrivesMounted(platform, letters, "zap", "nothing was zapped"))
    return kExitFailure;
  std::unique_ptr<CJobLock> lock;
  if (int refused = TakeJobLock(platform, "zap", lock); refused != kExitOk)
    return refused;

  CSettings settings = LoadSettings(platform);
  IConsole& console = platform.Console();
  const bool interactive = console.IsInteractive();
  CZapWarningModel warning(selections,
                           static_cast<uint32_t>(std::clamp(settings.OverwriteCount, 0, 255)));
  PrintWarning(warning);

  // --yes and --yes-to-all answer the warning; only --yes-to-all answers the questions about
  // single files and folders. Without a terminal and without them nothing is destroyed.
  PromptMode boxMode = interactive         ? PromptMode::Ask
                       : (yes || yesToAll) ? PromptMode::Yes
                                           : PromptMode::Nobody;
  CTerminalPrompt prompt(console, boxMode);
  int answer = kZapWarningNo;
  if (yes || yesToAll) {
    answer = kZapWarningYes;
    std::printf("  -> Yes\n");
    std::fflush(stdout);
  } else if (interactive) {
    answer = prompt.Choose("", {{'y', "Yes", kZapWarningYes}, {'n', "No", kZapWarningNo}},
                           CZapWarningModel::ResultOfEnter());
  } else {
    PrintError("zap: no terminal to confirm the destruction; give --yes (and --yes-to-all to "
               "answer every question) to go ahead. Nothing was zapped.");
    return kExitFailure;
  }
  if (!CZapWarningModel::GoesAhead(answer)) {
    std::printf("Nothing was zapped.\n");
    return kExitIncomplete;
  }

  ConfirmMode confirmMode = yesToAll      ? ConfirmMode::YesToAll
                            : interactive ? ConfirmMode::Ask
                                          : ConfirmMode::No;
  platform.SetMessageBoxHandler(&prompt);
  console.CatchInterrupt();
  CTerminalZapView view(console, prompt, confirmMode);
  CZapJob job(platform, settings, view, selections);
  view.Attach(&job);
  job.Run();
  view.Attach(nullptr);
  platform.SetMessageBoxHandler(nullptr);

  if (job.IsCancelled()) {
    std::printf("The zap was stopped.\n");
    return kExitIncomplete;
  }
  if (AnySelectionLeft(platform, selections)) {
    std::printf("Some selections were not zapped.\n");
    return kExitIncomplete;
  }
  std::printf("All selections were zapped.\n");
  return kExitOk;
}

} // namespace

const Command kZapCommand = {
    "zap",
    "destroy files and folders: overwrite them in place, delete them, clean their names",
    "usage: blankwright zap PATH... [--yes] [--yes-to-all]\n"
    "\n"
    "Overwrites every selected file OverwriteCount times (0x00 and 0xFF by turns, to a whole\n"
    "number of clusters) and deletes it; empties every selected folder that way from the\n"
    "bottom up and removes it (a drive root is emptied, never removed); then overwrites the\n"
    "deleted names left in those folders on FAT drives. The File Destruction Warning lists\n"
    "the selections and asks once more (default No).\n"
    "\n"
    "Each PATH is a file or folder inside the mount folder of a mapped drive ('blankwright\n"
    "drive list'), as the shell gives it; on Windows, a drive or network path. Names keep the\n"
    "letter case given, so that of two names differing only in case the one named is zapped.\n"
    "Symbolic links are removed themselves; what they point at is left alone.\n"
    "\n"
    "Files of the system's own type (.exe, .dll, .ini ...), hidden, system, read-only and\n"
    "compressed files, and every selected folder are asked about: [y] Yes, [a] Yes to All,\n"
    "[n] No, [q] Abort; an empty answer is No. A file that is kept keeps its folder, and the\n"
    "zap then stops.\n"
    "\n"
    "  --yes         answer the warning Yes (the questions are still asked at a terminal,\n"
    "                and answered No without one)\n"
    "  --yes-to-all  answer the warning and every question Yes (to All)\n"
    "\n"
    "Without a terminal, and without --yes or --yes-to-all, nothing is zapped. Ctrl-C asks\n"
    "\"Are you sure you want to stop zapping the selected files?\" (without a terminal it stops\n"
    "at once); the file being overwritten is still deleted. Exit status: 0 when every\n"
    "selection is gone, 1 when the zap was declined, stopped or left something, 2 on usage\n"
    "errors, refused paths and drives whose volume is not mounted.\n",
    RunZap,
};

} // namespace bw::cli
