#include "engine/LeftoverCleanup.h"

#include "engine/CurrentFolder.h"
#include "engine/NtfsFillerNames.h"
#include "engine/SlackJournal.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace bw {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         StartsWithNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Deletes the files in folder (ending with a backslash) that match pattern and keep.
template <typename Keep>
void DeleteMatching(IFileSystem& files, const std::string& folder, const std::string& pattern,
                    Keep ours) {
  FindData entry;
  auto search = files.FindFirstFile(folder + pattern, entry);
  if (!search)
    return;
  do {
    if (!(entry.Attributes & kFileAttributeDirectory) && ours(entry.Name))
      files.DeleteFile(folder + entry.Name);
  } while (search->FindNextFile(entry));
}

} // namespace

bool IsBlankwrightTemporaryName(const std::string& name) {
  std::string_view n(name);
  if (!EndsWithNoCase(n, ".~BW"))
    return false;
  std::string_view stem = n.substr(0, n.size() - 4);
  if (stem.size() == 15 && StartsWithNoCase(stem, "BlankwrightTMPa"))
    return true;
  size_t digits = 0;
  while (digits < stem.size() && std::isdigit(static_cast<unsigned char>(stem[digits])))
    ++digits;
  return digits > 0 && StartsWithNoCase("BlankwrightBlankwrig", stem.substr(digits));
}

bool IsWipeFileName(const std::string& name) {
  std::string_view n(name);
  if (!StartsWithNoCase(n, "BlankwrightTMP") || !EndsWithNoCase(n, ".gf"))
    return false;
  std::string_view number = n.substr(14, n.size() - 14 - 3);
  if (number.empty())
    return false;
  for (char c : number)
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
  return true;
}

namespace {

void ReportSlackReplay(SlackReplay replay, const std::string& path, IMessageBox& asker) {
  std::string text;
  switch (replay) {
  case SlackReplay::Changed:
    text = path + " was changed after an interrupted slack cleaning and was left as it is.";
    break;
  case SlackReplay::Damaged:
    text = "The note of an interrupted slack cleaning could not be read; no file was changed.";
    break;
  case SlackReplay::Failed:
    text = path + " could not be put back after an interrupted slack cleaning; this is tried "
                  "again at the next start.";
    break;
  default:
    return; // put back, or gone: nothing for the user to do
  }
  asker.Show(text, "Slack Space", kMbOk | kMbIconWarning);
}

} // namespace

void CleanUpLeftovers(IPlatform& platform, const CSettings& settings, IMessageBox& asker) {
  IFileSystem& files = platform.Files();
  for (const SlackReplayResult& result : ReplaySlackJournal(platform))
    ReportSlackReplay(result.Replay, result.Path, asker);

  std::string folder = ReadCurrentFolder(platform);

  if (!settings.SwapFilePath.empty()) {
    char drive = settings.SwapFilePath[0];
    char path[64];
    for (const char* name : {"swpbtmgr.pif", "swpclnr.exe"}) {
      std::snprintf(path, sizeof(path), "%c:\\%s", drive, name);
      files.DeleteFile(path);
    }
    for (unsigned n = 0;; ++n) {
      std::snprintf(path, sizeof(path), "%c:\\BlankwrightTMP%u.~bw", drive, n);
      if (!files.DeleteFile(path))
        break;
    }
    // The boot-time cleaner's own fill files, left by a power-off while it ran: up to the whole
    // free space of the swap drive. Only these exact names.
    std::snprintf(path, sizeof(path), "%c:\\BWTMPA.~BW", drive);
    files.DeleteFile(path);
    for (unsigned n = 0;; ++n) {
      std::snprintf(path, sizeof(path), "%c:\\BWTMP%u.~BW", drive, n);
      if (!files.DeleteFile(path))
        break;
    }
  }

  if (folder.empty())
    return;
  if (folder.back() != '\\')
    folder += '\\';
  bool reachable = false;
  for (;;) {
    FindData entry;
    if (files.FindFirstFile(folder + "*.*", entry)) {
      reachable = true;
      break;
    }
    if (files.GetLastError() == kErrorFileNotFound)
      break;
    char text[64];
    std::snprintf(text, sizeof(text), "Drive %c: could not be accessed.", folder[0]);
    if (asker.Show(text, "Drive Error", kMbRetryCancel | kMbIconError) != kIdRetry)
      break;
  }
  if (reachable) {
    DeleteMatching(files, folder, "*.~BW", IsBlankwrightTemporaryName);
    // NTFS remnant fillers, and their own folder in the root once nothing else is in it.
    DeleteMatching(files, folder, "*", IsNtfsFillerName);
    std::string ownFolder = folder.substr(0, 3) + kRecordFillerFolder + "\\";
    if (folder.size() == ownFolder.size() && StartsWithNoCase(folder, ownFolder))
      files.RemoveDirectory(folder.substr(0, folder.size() - 1));
    // A wipe cut short by a crash leaves files that fill the drive: they are in its root.
    if (folder.size() >= 3 && folder[1] == ':')
      DeleteMatching(files, folder.substr(0, 3), "BlankwrightTMP*.gf", IsWipeFileName);
  }
  SaveCurrentFolder(platform, "");
}

} // namespace bw
