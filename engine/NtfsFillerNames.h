// The names of the files the NTFS remnant cleaning makes and deletes again.
//
// Every name ends with "~", a seven-digit number and one or more "~", so that the start-up
// clean-up can tell them from the user's files after a crash. What comes before that suffix
// decides where a name sorts in a folder's index: the file-record fillers have nothing there,
// the folder-index fillers the name of a live entry, so that they land in the index block that
// entry lives in. The names carry nothing else: no product name, no meaning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bw {

/// The folder in a drive's root that holds the file-record fillers while they exist.
constexpr const char* kRecordFillerFolder = "~F";

/// The shortest filler name: "~", seven digits, "~".
constexpr size_t kMinFillerNameLength = 9;

/// Filler n (0 to 9999999) after prefix, padded with "~" to length characters (never shorter
/// than prefix plus kMinFillerNameLength; a longer prefix is cut to fit length).
std::string NtfsFillerName(const std::string& prefix, uint32_t n, size_t length);

/// True for a name NtfsFillerName makes.
bool IsNtfsFillerName(const std::string& name);

/// The bytes an index entry for a name of length characters takes in an NTFS folder index:
/// a 16-byte header and the file-name value of 66 bytes plus the name in UTF-16, 8-aligned.
constexpr uint32_t IndexEntrySize(size_t length) {
  return static_cast<uint32_t>((16 + 66 + 2 * length + 7) / 8 * 8);
}

} // namespace bw
