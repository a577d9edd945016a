// The Cleaning Schedule page's state and rules: the drive list, the two schedule check boxes,
// and per weekday a check box with hour, minute and AM/PM texts and their spins.
//
// Models hold what a page shows and the rules of its reactions; they know no windows. The
// Win32 page CScheduleTab holds one, copies its texts and enabled states into the controls,
// and calls the reactions from its notifications; the command line drives the same rules.
#pragma once

#include "settings/DriveListModel.h"

#include <array>
#include <string>

namespace bw {

class CSettings;
class IMessageBox;
class IPlatform;
struct ScheduleDay;

class CScheduleTabModel {
public:
  // The spins' ranges and steps.
  static constexpr int kHourMin = 1;
  static constexpr int kHourMax = 12;
  static constexpr int kMinuteMin = 0;
  static constexpr int kMinuteMax = 45;
  static constexpr int kMinuteStep = 15;

  struct Day {
    bool Checked = false;
    std::string HourText;
    std::string MinuteText;
    std::string AmPmText;
    bool CheckEnabled = false; ///< the day's check box
    bool TimeEnabled = false;  ///< its three edits and three spins
    // The spins' own positions: an edit text a spin cannot read leaves its position as it was.
    int HourPosition = kHourMin;
    int MinutePosition = kMinuteMin;
  };

  CDriveListModel Drives;
  bool ScheduleEnabled = false; ///< check box IDC_SCHEDULE_ENABLED
  bool CleanAtLogout = false;   ///< check box IDC_CLEAN_AT_LOGOUT
  std::array<Day, 7> Days;      ///< Monday first
  bool CleanNow = false;        ///< set by Clean Selected Drives; read after the sheet closes

  /// Page open: fills everything from the settings and applies the enabling rule.
  void Load(IPlatform& platform, const CSettings& settings);

  /// Page save: the drive list, the two flags, and per day the check box, the spins'
  /// positions and PM unless the AM/PM text is exactly "AM".
  void Save(CSettings& settings);

  /// The part of the page save that concerns one day.
  void SaveDay(int day, ScheduleDay& stored);

  /// Check box IDC_SCHEDULE_ENABLED clicked: the 7 day boxes follow it, and each day's time
  /// controls follow their box; unchecked disables all 49 weekday controls.
  void SetScheduleEnabled(bool checked);

  /// A day's check box clicked: its edits and spins follow it.
  void SetDayChecked(int day, bool checked);

  /// Focus leaves the hour edit: above 12 becomes "12", 0 or no number becomes "1".
  void HourFocusLeft(int day);

  /// Focus leaves the minute edit: rounded down to "00", "15", "30" or "45".
  void MinuteFocusLeft(int day);

  /// Focus leaves the AM/PM edit: anything but exactly "AM" or "PM" becomes "AM".
  void AmPmFocusLeft(int day);

  /// A click on the hour or minute spin (direction +1 up, -1 down): the spin reads its edit,
  /// moves by its step within its range and shows the new position.
  void SpinHour(int day, int direction);
  void SpinMinute(int day, int direction);

  /// A click on the AM/PM spin, either arrow: "AM" becomes "PM", anything else "AM".
  void SpinAmPm(int day);

  /// The spins' positions as they read their edits now.
  int HourPosition(int day);
  int MinutePosition(int day);

  /// Clean Selected Drives: with a checked drive, sets CleanNow, saves the page into settings
  /// and returns true (the sheet then closes as on OK). Otherwise shows "No drives have been
  /// checked for cleaning." through page (the page's own box, so that the sheet is its owner)
  /// and returns false with nothing changed.
  bool CleanSelectedDrives(IMessageBox& page, CSettings& settings);

  /// The leading decimal number of an edit text (after blanks); 0 when there is none.
  static int LeadingNumber(const std::string& text);

private:
  void ApplyEnabling();
};

} // namespace bw
