#include "engine/SlackJournal.h"

#include "engine/CurrentFolder.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <charconv>
#include <cstdio>
#include <string_view>
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
constexpr const char* kFileHeader = "BlankwrightSlack 2";
// A note holds one batch of entries of at most a few hundred bytes each.
constexpr size_t kMaxNoteBytes = 1024 * 1024;

// FNV-1a over a line: enough to know a line that a crash left half written.
uint32_t LineSum(std::string_view line) {
  uint32_t sum = 2166136261u;
  for (char c : line) {
    sum ^= static_cast<uint8_t>(c);
    sum *= 16777619u;
  }
  return sum;
}

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

std::string FormatSlackJournalFile(const std::vector<SlackJournalEntry>& entries) {
  std::string text = kFileHeader;
  text += '\n';
  for (const SlackJournalEntry& entry : entries) {
    std::string line = FormatSlackJournal(entry);
    char sum[16];
    std::snprintf(sum, sizeof(sum), "*%08X\n", LineSum(line));
    text += line;
    text += sum;
  }
  return text;
}

std::vector<SlackJournalEntry> ParseSlackJournalFile(const std::string& text, size_t& damaged) {
  std::vector<SlackJournalEntry> entries;
  damaged = 0;
  std::string_view rest(text);
  size_t end = rest.find('\n');
  if (end == std::string_view::npos || rest.substr(0, end) != kFileHeader) {
    damaged = 1;
    return entries;
  }
  rest.remove_prefix(end + 1);
  while (!rest.empty()) {
    end = rest.find('\n');
    // A line without its end is one a crash cut short.
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    size_t star = line.rfind('*');
    uint32_t sum = 0;
    std::optional<SlackJournalEntry> entry;
    if (end != std::string_view::npos && star != std::string_view::npos &&
        line.size() - star - 1 == 8 &&
        std::from_chars(line.data() + star + 1, line.data() + line.size(), sum, 16).ptr ==
            line.data() + line.size() &&
        sum == LineSum(line.substr(0, star)))
      entry = ParseSlackJournal(std::string(line.substr(0, star)));
    if (entry)
      entries.push_back(std::move(*entry));
    else
      ++damaged;
  }
  return entries;
}

bool KeepSlackNote(IPlatform& platform, const SlackJournalEntry& entry) {
  auto key = platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
  if (!key)
    return false;
  bool stored = SetStringValue(*key, kSlackJournalValue, FormatSlackJournal(entry)) && key->Flush();
  return key->Close() && stored;
}

CSlackJournal::CSlackJournal(IPlatform& platform, char letter)
    : _platform(platform), _path(std::string(1, letter) + ":\\" + kSlackJournalName) {}

CSlackJournal::~CSlackJournal() {
  if (_file)
    _file->Close();
}

bool CSlackJournal::Write(const std::vector<SlackJournalEntry>& entries) {
  if (!_file) {
    // Hidden and system: the slack walk leaves such files alone, and so does the user.
    _file = _platform.Files().CreateFile(_path, kGenericWrite, kFileShareRead, kCreateAlways,
                                         kFileAttributeHidden | kFileAttributeSystem);
    if (!_file)
      return false;
  }
  std::string text = FormatSlackJournalFile(entries);
  uint64_t position = 0;
  uint32_t written = 0;
  return _file->Seek(0, SeekOrigin::Begin, position) &&
         _file->Write(text.data(), static_cast<uint32_t>(text.size()), written) &&
         written == text.size() && _file->SetEndOfFile() && _file->Flush();
}

void CSlackJournal::Remove() {
  if (!_file)
    return;
  _file->Close();
  _file.reset();
  _platform.Files().DeleteFile(_path);
}

namespace {

SlackReplayResult ReplayEntry(IPlatform& platform, const SlackJournalEntry& entry) {
  SlackReplayResult result{SlackReplay::Failed, entry.Path};
  IFileSystem& files = platform.Files();
  FindData found;
  if (!files.FindFirstFile(entry.Path, found)) {
    uint32_t error = files.GetLastError();
    // The drive may just be away: tried again next time.
    if (error == kErrorFileNotFound || error == kErrorPathNotFound)
      result.Replay = SlackReplay::Missing;
    return result;
  }
  if (found.Size == entry.Size && found.LastWriteTime == entry.LastWrite &&
      found.Attributes == entry.Attributes && found.CreationTime == entry.Creation)
    result.Replay = SlackReplay::Untouched;
  else if (!AsLeftByPass(files, entry, found))
    result.Replay = SlackReplay::Changed;
  else if (Restore(files, entry, found))
    result.Replay = SlackReplay::Restored;
  return result;
}

// The one-file note in the registry (of a file whose cut-back failed, or of an earlier
// version): replayed and removed.
bool ReplayRegistryNote(IPlatform& platform, std::vector<SlackReplayResult>& results) {
  std::vector<uint8_t> data;
  {
    auto key = platform.Registry().OpenKey(RegistryRoot::LocalMachine, kSettingsKey);
    uint32_t type = 0;
    if (!key || !key->QueryValue(kSlackJournalValue, type, data))
      return true;
  }
  std::optional<SlackJournalEntry> entry = ParseSlackJournal(std::string(data.begin(), data.end()));
  SlackReplayResult result{SlackReplay::Damaged, {}};
  if (entry)
    result = ReplayEntry(platform, *entry);
  results.push_back(result);
  if (result.Replay == SlackReplay::Failed)
    return false;
  auto key = platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
  if (key) {
    key->DeleteValue(kSlackJournalValue);
    key->Flush();
    key->Close();
  }
  return true;
}

} // namespace

std::vector<SlackReplayResult> ReplaySlackJournal(IPlatform& platform) {
  std::vector<SlackReplayResult> results;
  ReplayRegistryNote(platform, results);

  std::string folder = ReadCurrentFolder(platform);
  if (folder.size() < 2 || folder[1] != ':')
    return results;
  std::string path = folder.substr(0, 2) + "\\" + kSlackJournalName;
  IFileSystem& files = platform.Files();
  std::string text;
  {
    std::unique_ptr<IFile> file =
        files.CreateFile(path, kGenericRead, kFileShareRead, kOpenExisting, 0);
    if (!file)
      return results;
    char chunk[4096];
    uint32_t read = 0;
    while (text.size() < kMaxNoteBytes && file->Read(chunk, sizeof(chunk), read) && read > 0)
      text.append(chunk, read);
    file->Close();
  }
  size_t damaged = 0;
  std::vector<SlackJournalEntry> entries = ParseSlackJournalFile(text, damaged);
  bool keep = false;
  for (const SlackJournalEntry& entry : entries) {
    results.push_back(ReplayEntry(platform, entry));
    keep = keep || results.back().Replay == SlackReplay::Failed;
  }
  if (damaged != 0)
    results.push_back({SlackReplay::Damaged, {}});
  if (!keep)
    files.DeleteFile(path);
  return results;
}

} // namespace bw
