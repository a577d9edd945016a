// The slack phase's note of the files it is about to make longer. Between a file's slack write
// and its cut-back, a crash or power loss would leave that live file longer by the slack
// bytes; so before a file is touched its path, size, attributes and times are on the disk in a
// small note file in the root of the drive being cleaned ("BlankwrightSlack.~BW", which
// CURRENTDRIVE names during the phase). One note covers a batch of files: it is written once,
// the batch is cleaned, the volume is flushed, and only then does the next batch's note
// replace it. The start-up clean-up replays a note it finds and removes it.
#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bw {

class IFile;
class IPlatform;

/// The note file's name, in the root of the drive being cleaned.
constexpr const char* kSlackJournalName = "BlankwrightSlack.~BW";
/// The registry value (under the Settings key) where earlier versions kept a one-file note.
constexpr const char* kSlackJournalValue = "SlackJournal";

/// What the slack phase records before it extends a file.
struct SlackJournalEntry {
  std::string Path;   ///< full path in drive-letter form
  uint64_t Size = 0;  ///< the file's size before the first pass
  uint32_t Slack = 0; ///< the most bytes a pass appends
  uint32_t Attributes = 0;
  FileTime Creation = 0;
  FileTime LastAccess = 0;
  FileTime LastWrite = 0;
  FileTime Written = 0; ///< when the note was written (UTC)
};

/// One entry as stored: fields separated by '|', which no Windows path can hold, path last.
std::string FormatSlackJournal(const SlackJournalEntry& entry);

/// One entry read back; nothing when the text is not a whole, well-formed entry.
std::optional<SlackJournalEntry> ParseSlackJournal(const std::string& text);

/// The note file's text: a header line, then one line per entry with a check sum, so that a
/// line a crash cut short is known as such.
std::string FormatSlackJournalFile(const std::vector<SlackJournalEntry>& entries);

/// The entries of a note file that read back whole; damaged counts the lines that did not.
std::vector<SlackJournalEntry> ParseSlackJournalFile(const std::string& text, size_t& damaged);

/// The note file of one slack phase, kept open from its first batch to Remove.
class CSlackJournal {
public:
  CSlackJournal(IPlatform& platform, char letter);
  ~CSlackJournal();
  CSlackJournal(const CSlackJournal&) = delete;
  CSlackJournal& operator=(const CSlackJournal&) = delete;

  /// Replaces the note with entries and flushes it; false when it could not be stored, and
  /// then none of those files may be touched.
  bool Write(const std::vector<SlackJournalEntry>& entries);

  /// Closes and deletes the note: every file it named is back as it was, on the disk.
  void Remove();

private:
  IPlatform& _platform;
  std::string _path;
  std::unique_ptr<IFile> _file;
};

/// Keeps a note of one file whose cut-back failed in the registry, where it outlives the
/// phase and the next start finds it; false when it could not be stored.
bool KeepSlackNote(IPlatform& platform, const SlackJournalEntry& entry);

/// What a replay found for one file.
enum class SlackReplay {
  None,      ///< no note
  Untouched, ///< the file is exactly as noted: the phase had not reached it, or had finished it
  Restored,  ///< the file was cut back to its size and given its attributes and times again
  Changed,   ///< the file is not as a cut-short slack pass leaves it: left alone
  Missing,   ///< the file is gone
  Damaged,   ///< the note (or a line of it) could not be read
  Failed,    ///< the file looked as expected but could not be opened or cut back
};

struct SlackReplayResult {
  SlackReplay Replay = SlackReplay::None;
  std::string Path; ///< the entry's file; empty for a damaged note
};

/// Replays the note an interrupted slack phase left in the root of the drive CURRENTDRIVE
/// names (and a note of an earlier version in the registry), one result per entry, and removes
/// it, except when an entry Failed, so that the next start tries again. Empty when there is
/// no note.
std::vector<SlackReplayResult> ReplaySlackJournal(IPlatform& platform);

} // namespace bw
