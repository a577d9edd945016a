#include "settings/ScheduleTabModel.h"

#include "platform/Platform.h"
#include "settings/Settings.h"

#include <algorithm>
#include <climits>

namespace bw {
namespace {

// How an up-down control reads its buddy edit: a whole number in its range, else nothing.
bool ReadSpinText(const std::string& text, int low, int high, int& position) {
  if (text.empty() || text.size() > 9 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  int value = std::stoi(text);
  if (value < low || value > high)
    return false;
  position = value;
  return true;
}

} // namespace

int CScheduleTabModel::LeadingNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value > (INT_MAX - 9) / 10 ? INT_MAX : value * 10 + (text[i] - '0');
  return value;
}

void CScheduleTabModel::Load(IPlatform& platform, const CSettings& settings) {
  Drives.LoadFromDriveList(platform.Drives(), settings.DriveList);
  ScheduleEnabled = settings.ScheduleEnabled != 0;
  CleanAtLogout = settings.CleanAtLogout != 0;
  for (int i = 0; i < 7; ++i) {
    const ScheduleDay& stored = settings.Schedule[i];
    Day& day = Days[i];
    day.Checked = stored.Enabled != 0;
    day.AmPmText = stored.PM ? "PM" : "AM";
    // A spin set outside its range takes the nearest end: a day never stored (hour 0) shows 1.
    day.HourPosition = std::clamp<int>(stored.Hour, kHourMin, kHourMax);
    day.MinutePosition = std::clamp<int>(stored.Minute, kMinuteMin, kMinuteMax);
    day.HourText = std::to_string(day.HourPosition);
    day.MinuteText = day.MinutePosition == 0 ? "00" : std::to_string(day.MinutePosition);
  }
  CleanNow = false;
  ApplyEnabling();
}

void CScheduleTabModel::Save(CSettings& settings) {
  settings.DriveList = Drives.StoreToDriveList();
  settings.ScheduleEnabled = ScheduleEnabled ? 1 : 0;
  settings.CleanAtLogout = CleanAtLogout ? 1 : 0;
  for (int i = 0; i < 7; ++i)
    SaveDay(i, settings.Schedule[i]);
}

void CScheduleTabModel::SaveDay(int day, ScheduleDay& stored) {
  stored.Enabled = Days[day].Checked ? 1 : 0;
  stored.Hour = HourPosition(day);
  stored.Minute = MinutePosition(day);
  stored.PM = Days[day].AmPmText == "AM" ? 0 : 1;
}

void CScheduleTabModel::ApplyEnabling() {
  for (Day& day : Days) {
    day.CheckEnabled = ScheduleEnabled;
    day.TimeEnabled = ScheduleEnabled && day.Checked;
  }
}

void CScheduleTabModel::SetScheduleEnabled(bool checked) {
  ScheduleEnabled = checked;
  ApplyEnabling();
}

void CScheduleTabModel::SetDayChecked(int day, bool checked) {
  Days[day].Checked = checked;
  Days[day].TimeEnabled = checked;
}

void CScheduleTabModel::HourFocusLeft(int day) {
  std::string& text = Days[day].HourText;
  int value = LeadingNumber(text);
  if (value > kHourMax)
    text = std::to_string(kHourMax);
  else if (value == 0)
    text = std::to_string(kHourMin);
}

void CScheduleTabModel::MinuteFocusLeft(int day) {
  int value = LeadingNumber(Days[day].MinuteText);
  Days[day].MinuteText = value >= 45 ? "45" : value >= 30 ? "30" : value >= 15 ? "15" : "00";
}

void CScheduleTabModel::AmPmFocusLeft(int day) {
  std::string& text = Days[day].AmPmText;
  if (text != "AM" && text != "PM")
    text = "AM";
}

int CScheduleTabModel::HourPosition(int day) {
  ReadSpinText(Days[day].HourText, kHourMin, kHourMax, Days[day].HourPosition);
  return Days[day].HourPosition;
}

int CScheduleTabModel::MinutePosition(int day) {
  ReadSpinText(Days[day].MinuteText, kMinuteMin, kMinuteMax, Days[day].MinutePosition);
  return Days[day].MinutePosition;
}

void CScheduleTabModel::SpinHour(int day, int direction) {
  int position = std::clamp(HourPosition(day) + (direction > 0 ? 1 : -1), kHourMin, kHourMax);
  Days[day].HourPosition = position;
  Days[day].HourText = std::to_string(position);
}

void CScheduleTabModel::SpinMinute(int day, int direction) {
  int position = std::clamp(MinutePosition(day) + (direction > 0 ? kMinuteStep : -kMinuteStep),
                            kMinuteMin, kMinuteMax);
  Days[day].MinutePosition = position;
  Days[day].MinuteText = std::to_string(position);
}

void CScheduleTabModel::SpinAmPm(int day) {
  Days[day].AmPmText = Days[day].AmPmText == "AM" ? "PM" : "AM";
}

bool CScheduleTabModel::CleanSelectedDrives(IMessageBox& page, CSettings& settings) {
  if (Drives.CheckedCount() == 0) {
    page.Show("No drives have been checked for cleaning.", "Selection Error",
              kMbOk | kMbIconInformation);
    return false;
  }
  CleanNow = true;
  Save(settings);
  return true;
}

} // namespace bw
