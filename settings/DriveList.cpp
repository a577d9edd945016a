#include "settings/DriveList.h"

#include <cstdio>

namespace bw {
namespace {

constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 = Sunday, by Sakamoto's method.
int DayOfWeek(int year, int month, int day) {
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3)
    --year;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

// A column of the date: leading blanks, then at least one digit and nothing else.
std::optional<int> ParseColumn(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  if (text.empty())
    return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

} // namespace

std::optional<size_t> FindDriveRecord(std::string_view list, char letter) {
  for (size_t offset = 0; offset < list.size(); offset += kDriveRecordLength)
    if (list[offset] == letter)
      return offset;
  return std::nullopt;
}

bool DriveRecordSelected(std::string_view list, size_t offset) {
  return offset + 1 < list.size() && list[offset + 1] == '1';
}

std::string_view DriveRecordDate(std::string_view list, size_t offset) {
  if (offset + 2 >= list.size())
    return {};
  return list.substr(offset + 2, kDriveDateLength);
}

std::string MakeDriveRecord(char letter, bool selected, std::string_view date) {
  std::string record;
  record += letter;
  record += selected ? '1' : '0';
  record += date.substr(0, kDriveDateLength);
  record.resize(kDriveRecordLength, '-');
  return record;
}

std::optional<std::string> FormatDriveDate(const DriveDate& date) {
  if (date.Month < 1 || date.Month > 12 || date.Day < 1 || date.Day > 31 || date.Year < 0 ||
      date.Year > 9999)
    return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof(text), "%2d%2d%4d", date.Month, date.Day, date.Year);
  return std::string(text);
}

std::optional<DriveDate> ParseDriveDate(std::string_view date) {
  if (date.size() != kDriveDateLength)
    return std::nullopt;
  std::optional<int> month = ParseColumn(date.substr(0, 2));
  std::optional<int> day = ParseColumn(date.substr(2, 2));
  std::optional<int> year = ParseColumn(date.substr(4, 4));
  if (!month || !day || !year || *month < 1 || *month > 12 || *year < 1601 || *day < 1 ||
      *day > DaysInMonth(*year, *month))
    return std::nullopt;
  return DriveDate{*year, *month, *day};
}

std::string FormatLongDate(const DriveDate& date) {
  if (date.Month < 1 || date.Month > 12 || date.Day < 1 || date.Day > 31)
    return {};
  char text[64];
  std::snprintf(text, sizeof(text), "%s, %s %02d, %d",
                kWeekdays[DayOfWeek(date.Year, date.Month, date.Day)], kMonths[date.Month - 1],
                date.Day, date.Year);
  return text;
}

std::string SelectedDrivesText(std::string_view list) {
  std::string text;
  for (size_t offset = 0; offset < list.size(); offset += kDriveRecordLength) {
    char letter = list[offset];
    if (letter >= 'A' && letter <= 'Z' && DriveRecordSelected(list, offset)) {
      text += letter;
      text += ":, ";
    }
  }
  if (!text.empty())
    text.resize(text.size() - 2);
  return text;
}

void SetDriveRecordDate(std::string& list, char letter, std::string_view date) {
  std::string fullDate(date.substr(0, kDriveDateLength));
  fullDate.resize(kDriveDateLength, '-');
  if (std::optional<size_t> offset = FindDriveRecord(list, letter)) {
    size_t available = list.size() - *offset;
    if (available >= kDriveRecordLength) {
      list.replace(*offset + 2, kDriveDateLength, fullDate);
      return;
    }
    // Only the last record can be cut short: complete it rather than write past the end.
    char mark = available >= 2 ? list[*offset + 1] : '0';
    list.resize(*offset);
    list += letter;
    list += mark;
    list += fullDate;
    return;
  }
  if (size_t tail = list.size() % kDriveRecordLength; tail != 0)
    list.append(kDriveRecordLength - tail, '-');
  list += MakeDriveRecord(letter, false, date);
}

} // namespace bw
