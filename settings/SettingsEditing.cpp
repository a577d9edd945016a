#include "settings/SettingsEditing.h"

#include "platform/PathRules.h"
#include "settings/AdvancedOverwritesModel.h"
#include "settings/ScheduleTabModel.h"
#include "settings/SecurityTabModel.h"
#include "settings/Settings.h"
#include "settings/TempFilesTabModel.h"

#include <algorithm>

namespace bw {
namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ParseFlag(const std::string& text, bool& flag) {
  if (text == "0" || text == "1") {
    flag = text == "1";
    return true;
  }
  return false;
}

bool EditOverwriteCount(CSettings& settings, const std::string& value, std::string& reason) {
  CAdvancedOverwritesModel dialog;
  dialog.Open(settings);
  dialog.Selected = CAdvancedOverwritesModel::LevelOf(
      AllDigits(value) && value.size() < 4 ? std::stoi(value) : -1);
  if (dialog.Selected < 0) {
    reason = "OverwriteCount is one of 1, 3, 7, 12 or 40 (or --level 1 to 5)";
    return false;
  }
  dialog.Confirm(settings);
  return true;
}

bool EditScheduleField(IPlatform& platform, CSettings& settings, const SettingsField& f,
                       const std::string& value, std::string& reason) {
  CScheduleTabModel page;
  page.Load(platform, settings);
  const int day = f.Day;
  if (f.DayNumber == &ScheduleDay::Enabled) {
    bool flag = false;
    if (!ParseFlag(value, flag)) {
      reason = f.ValueName + " is 0 or 1";
      return false;
    }
    page.SetDayChecked(day, flag);
  } else if (f.DayNumber == &ScheduleDay::PM) {
    page.Days[day].AmPmText = value == "0" ? "AM" : value == "1" ? "PM" : value;
    page.AmPmFocusLeft(day);
  } else {
    // The hour and minute edits take digits only, and correct the number as focus leaves.
    if (!AllDigits(value)) {
      reason = f.ValueName + " takes digits only";
      return false;
    }
    if (f.DayNumber == &ScheduleDay::Hour) {
      page.Days[day].HourText = value;
      page.HourFocusLeft(day);
    } else {
      page.Days[day].MinuteText = value;
      page.MinuteFocusLeft(day);
    }
  }
  page.SaveDay(day, settings.Schedule[day]);
  return true;
}

bool EditSlackMode(CSettings& settings, const std::string& value, std::string& reason) {
  int radio = value == "0" || SameName(value, "QUICK")      ? 0
              : value == "1" || SameName(value, "STANDARD") ? 1
                                                            : -1;
  if (radio < 0) {
    reason = "SlackMode is 0 (QUICK) or 1 (STANDARD)";
    return false;
  }
  CSecurityTabModel page;
  page.Open(settings);
  page.SlackRadio = radio;
  page.Confirm(settings);
  return true;
}

} // namespace

bool EditSettingsField(IPlatform& platform, CSettings& settings, const SettingsField& f,
                       const std::string& value, std::string& reason) {
  const std::string& name = f.ValueName;
  if (name == "DRVS") {
    reason = "the drive list is changed with 'blankwright config drives --check X:' or "
             "'--uncheck X:'";
    return false;
  }
  if (name == "OW")
    return EditOverwriteCount(settings, value, reason);
  if (f.IsText()) {
    // Folder and swap-file paths are taken as typed.
    if (name == "WTD" || name == "WSD") {
      CTempFilesTabModel page;
      page.Open(settings);
      (name == "WTD" ? page.TempFolder : page.SpoolFolder) = value;
      page.Confirm(settings);
    } else {
      f.TextIn(settings) = value;
    }
    return true;
  }
  if (f.DayNumber)
    return EditScheduleField(platform, settings, f, value, reason);
  if (name == "QC")
    return EditSlackMode(settings, value, reason);
  bool flag = false;
  if (!ParseFlag(value, flag)) {
    reason = f.FieldName + " is 0 or 1";
    return false;
  }
  if (name == "CFN" || name == "RWS") {
    CSecurityTabModel page;
    page.Open(settings);
    (name == "CFN" ? page.CleanFileNames : page.StartWithWindows) = flag;
    page.Confirm(settings);
  } else if (name == "ERB" || name == "CWT" || name == "CWS") {
    CTempFilesTabModel page;
    page.Open(settings);
    (name == "ERB"   ? page.EmptyRecycleBin
     : name == "CWT" ? page.EmptyTempFolder
                     : page.EmptySpoolFolder) = flag;
    page.Confirm(settings);
  } else {
    // CSCH, COLO and the System Shutdown dialog's SF.
    f.NumberIn(settings) = flag ? 1 : 0;
  }
  return true;
}

bool SetOverwriteLevel(CSettings& settings, int level) {
  if (level < 1 || level > static_cast<int>(CAdvancedOverwritesModel::kLevelCounts.size()))
    return false;
  CAdvancedOverwritesModel dialog;
  dialog.Open(settings);
  dialog.Selected = level - 1;
  dialog.Confirm(settings);
  return true;
}

void SetScheduleDayOff(IPlatform& platform, CSettings& settings, int day) {
  CScheduleTabModel page;
  page.Load(platform, settings);
  page.SetDayChecked(day, false);
  page.SaveDay(day, settings.Schedule[day]);
}

bool SetScheduleDayTime(IPlatform& platform, CSettings& settings, int day, const std::string& hour,
                        const std::string& minute, const std::string& amPm, std::string& reason) {
  if (!AllDigits(hour) || !AllDigits(minute)) {
    reason = "the hour and minute take digits only";
    return false;
  }
  CScheduleTabModel page;
  page.Load(platform, settings);
  // The page's corrections, as when focus leaves each edit.
  page.SetDayChecked(day, true);
  page.Days[day].HourText = hour;
  page.HourFocusLeft(day);
  page.Days[day].MinuteText = minute;
  page.MinuteFocusLeft(day);
  page.Days[day].AmPmText = amPm;
  page.AmPmFocusLeft(day);
  page.SaveDay(day, settings.Schedule[day]);
  return true;
}

} // namespace bw
