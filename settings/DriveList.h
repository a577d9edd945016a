// The drive list string: the system's persistent list of drives, with each drive's selection
// mark and last-cleaned date, as one run of 10-character records without separators.
//
//   offset 0     drive letter, "A" to "Z"
//   offset 1     "1" selected for cleaning, "0" not
//   offset 2..9  last-cleaned date "%2d%2d%4d" (month, day, year, blank-padded), or "--------"
//
// e.g. "C1 3 72026D0--------". Every reader and writer of the string goes through this file.
//
// The string comes from the registry, where anybody can edit it, so a record is only ever
// looked for at a record start (a multiple of 10). In a well-formed list a letter occurs
// nowhere else, so this finds exactly what a search for the letter's first occurrence would;
// in a damaged one a letter inside a date is not taken for a record, and no write lands in the
// record after it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace bw {

constexpr size_t kDriveRecordLength = 10;
constexpr size_t kDriveDateLength = 8;
constexpr std::string_view kNeverCleaned = "--------";

/// A calendar date as the drive list keeps it.
struct DriveDate {
  int Year = 0;
  int Month = 0;
  int Day = 0;
};

/// The offset of the first record that starts with letter, if any.
std::optional<size_t> FindDriveRecord(std::string_view list, char letter);

/// Whether the record at offset carries the selection mark "1".
bool DriveRecordSelected(std::string_view list, size_t offset);

/// The date characters of the record at offset: 8, or fewer when the string ends inside it.
std::string_view DriveRecordDate(std::string_view list, size_t offset);

/// One record: letter, "1" or "0", then date padded with hyphens to 8 characters so that the
/// records after it stay at their offsets.
std::string MakeDriveRecord(char letter, bool selected, std::string_view date);

/// The date as "%2d%2d%4d"; nothing when a part would not fit its columns, so that a record
/// never grows past 10 characters.
std::optional<std::string> FormatDriveDate(const DriveDate& date);

/// Reads a record's date back: month, day and year are the columns 0-1, 2-3 and 4-7, each a
/// decimal number that may have leading blanks. Nothing unless all three are numbers that make
/// a real calendar date from the year 1601 on.
std::optional<DriveDate> ParseDriveDate(std::string_view date);

/// The date as "%A, %B %d, %Y" with English names, whatever the C locale: "Saturday, March
/// 07, 2026".
std::string FormatLongDate(const DriveDate& date);

/// The letters of the selected drives, each with a colon, joined by ", ": "C:, E:". Empty when
/// no drive is selected.
std::string SelectedDrivesText(std::string_view list);

/// Sets the last-cleaned date of letter's record to date (8 characters), keeping its mark; a
/// drive without a record gets a new one at the end, not selected. A record the string cuts
/// short is completed, and a trailing fragment is padded with hyphens before a new record is
/// appended, so that every record stays at a multiple of 10.
void SetDriveRecordDate(std::string& list, char letter, std::string_view date);

} // namespace bw
