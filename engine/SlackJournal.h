// The slack phase's note of the one file it has made longer. Between a file's slack write and
// its cut-back, a crash or power loss would leave that live file longer by the slack bytes; so
// before the file is touched its path, size, attributes and times are written durably to the
// registry (value "SlackJournal" under the Settings key), and the note is cleared once the
// file is back as it was. The start-up clean-up replays a note it finds.
#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bw {

class IPlatform;

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

/// The note as stored: fields separated by '|', which no Windows path can hold, path last.
std::string FormatSlackJournal(const SlackJournalEntry& entry);

/// The note read back; nothing when the text is not a whole, well-formed note.
std::optional<SlackJournalEntry> ParseSlackJournal(const std::string& text);

/// Writes the note and flushes the key; false when it could not be stored.
bool WriteSlackJournal(IPlatform& platform, const SlackJournalEntry& entry);

/// Removes the note and flushes the key.
void ClearSlackJournal(IPlatform& platform);

/// What a replay found.
enum class SlackReplay {
  None,     ///< no note
  Restored, ///< the file was cut back to its size and given its attributes and times again
  Changed,  ///< the file is not as a cut-short slack pass leaves it: left alone
  Missing,  ///< the file is gone
  Damaged,  ///< the note could not be read
  Failed,   ///< the file looked as expected but could not be opened or cut back
};

/// Replays a note left by an interrupted slack phase and clears it, except after Failed, so
/// that the next start tries again. path receives the note's file when there is one.
SlackReplay ReplaySlackJournal(IPlatform& platform, std::string& path);

} // namespace bw
