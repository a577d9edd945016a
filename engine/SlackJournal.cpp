#include "engine/SlackJournal.h"

#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <charconv>
#include <vector>

namespace bw {
namespace {

constexpr const char* kJournalVersion = "1";
// A pass rewrites the file's times as it writes; the last-write time a crash leaves behind lies
// shortly after the note was written. FAT keeps that time to 2 seconds, rounded down.
constexpr FileTime kTicksPerSecond = 10000000;
constexpr FileTime kBeforeNote = 4 * kTicksPerSecond;
constexpr FileTime kAfterNote = 600 * kTicksPerSecond;
constexpr uint32_t kMaxSlack = 1u << 24;
constexpr size_t kNumberFields = 8;

template <typename T> bool ParseNumber(std::string_view text, T& value) {
  if (text.empty())
    return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool PassByteTail(IFile& file, uint64_t from, uint64_t to) {
  uint64_t position = 0;
  if (!file.Seek(static_cast<int64_t>(from), SeekOrigin::Begin, position))
    return false;
  std::vector<uint8_t> tail(static_cast<size_t>(to - from));
  uint32_t read = 0;
  if (!file.Read(tail.data(), static_cast<uint32_t>(tail.size()), read) || read != tail.size())
    return false;
  uint8_t first = tail[0];
  if (first != 0x00 && first != 0xFF)
    return false;
  for (uint8_t b : tail)
    if (b != first)
      return false;
  return true;
}

// The file is as a slack pass cut short leaves it: no shorter, at most one pass's bytes longer
// and those bytes all one pass's value, and last written either before the pass or by it.
bool AsLeftByPass(IFileSystem& files, const SlackJournalEntry& entry, const FindData& found) {
  if (found.Attributes & kFileAttributeDirectory)
    return false;
  if (found.Size < entry.Size || found.Size - entry.Size > entry.Slack)
    return false;
  bool writtenByPass = found.LastWriteTime + kBeforeNote >= entry.Written &&
                       found.LastWriteTime <= entry.Written + kAfterNote;
  if (found.LastWriteTime != entry.LastWrite && !writtenByPass)
    return false;
  if (found.Size == entry.Size)
    return true;
  std::unique_ptr<IFile> file =
      files.CreateFile(entry.Path, kGenericRead, kFileShareRead, kOpenExisting, 0);
  return file && PassByteTail(*file, entry.Size, found.Size);
}

bool Restore(IFileSystem& files, const SlackJournalEntry& entry, const FindData& found) {
  if ((found.Attributes & kFileAttributeReadOnly) &&
      !files.SetFileAttributes(entry.Path, kFileAttributeNormal))
    return false;
  std::unique_ptr<IFile> file =
      files.CreateFile(entry.Path, kGenericWrite, kFileShareRead, kOpenExisting, entry.Attributes);
  if (!file)
    return false;
  uint64_t position = 0;
  bool cut = found.Size == entry.Size ||
             (file->Seek(static_cast<int64_t>(entry.Size), SeekOrigin::Begin, position) &&
              file->SetEndOfFile());
  bool timed = cut && file->SetTimes(&entry.Creation, &entry.LastAccess, &entry.LastWrite);
  bool flushed = timed && file->Flush();
  bool closed = file->Close();
  return flushed && closed && files.SetFileAttributes(entry.Path, entry.Attributes);
}

} // namespace

std::string FormatSlackJournal(const SlackJournalEntry& entry) {
  std::string text = kJournalVersion;
  for (uint64_t number : {entry.Size, uint64_t{entry.Slack}, uint64_t{entry.Attributes},
                          entry.Creation, entry.LastAccess, entry.LastWrite, entry.Written}) {
    text += '|';
    text += std::to_string(number);
  }
  text += '|';
  text += entry.Path;
  return text;
}

std::optional<SlackJournalEntry> ParseSlackJournal(const std::string& text) {
  std::vector<std::string_view> fields;
  std::string_view rest(text);
  while (fields.size() < kNumberFields) {
    size_t bar = rest.find('|');
    if (bar == std::string_view::npos)
      return std::nullopt;
    fields.push_back(rest.substr(0, bar));
    rest.remove_prefix(bar + 1);
  }
  SlackJournalEntry entry;
  if (fields[0] != kJournalVersion || !ParseNumber(fields[1], entry.Size) ||
      !ParseNumber(fields[2], entry.Slack) || !ParseNumber(fields[3], entry.Attributes) ||
      !ParseNumber(fields[4], entry.Creation) || !ParseNumber(fields[5], entry.LastAccess) ||
      !ParseNumber(fields[6], entry.LastWrite) || !ParseNumber(fields[7], entry.Written))
    return std::nullopt;
  // A path in drive-letter form, within MAX_PATH, and a slack no cluster could have.
  if (rest.size() < 4 || rest.size() >= kMaxPath || rest[1] != ':' || rest[2] != '\\' ||
      rest.find('\0') != std::string_view::npos || entry.Slack == 0 || entry.Slack > kMaxSlack)
    return std::nullopt;
  entry.Path = std::string(rest);
  return entry;
}

bool WriteSlackJournal(IPlatform& platform, const SlackJournalEntry& entry) {
  auto key = platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
  if (!key)
    return false;
  bool stored = SetStringValue(*key, kSlackJournalValue, FormatSlackJournal(entry)) && key->Flush();
  return key->Close() && stored;
}

void ClearSlackJournal(IPlatform& platform) {
  auto key = platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
  if (!key)
    return;
  key->DeleteValue(kSlackJournalValue);
  key->Flush();
  key->Close();
}

SlackReplay ReplaySlackJournal(IPlatform& platform, std::string& path) {
  std::vector<uint8_t> data;
  {
    auto key = platform.Registry().OpenKey(RegistryRoot::LocalMachine, kSettingsKey);
    uint32_t type = 0;
    if (!key || !key->QueryValue(kSlackJournalValue, type, data))
      return SlackReplay::None;
  }
  std::optional<SlackJournalEntry> entry = ParseSlackJournal(std::string(data.begin(), data.end()));
  if (!entry) {
    ClearSlackJournal(platform);
    return SlackReplay::Damaged;
  }
  path = entry->Path;
  IFileSystem& files = platform.Files();
  FindData found;
  if (!files.FindFirstFile(entry->Path, found)) {
    uint32_t error = files.GetLastError();
    if (error != kErrorFileNotFound && error != kErrorPathNotFound)
      return SlackReplay::Failed; // the drive may just be away: try again next time
    ClearSlackJournal(platform);
    return SlackReplay::Missing;
  }
  if (!AsLeftByPass(files, *entry, found)) {
    ClearSlackJournal(platform);
    return SlackReplay::Changed;
  }
  if (!Restore(files, *entry, found))
    return SlackReplay::Failed;
  ClearSlackJournal(platform);
  return SlackReplay::Restored;
}

} // namespace bw
