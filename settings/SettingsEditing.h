// Changing one setting from a typed value, through the rules of the page or dialog that edits
// it, so that a value set from outside the configuration sheet (the command line) is corrected
// or refused exactly as the sheet would do it.
#pragma once

#include <string>

namespace bw {

class CSettings;
class IPlatform;
struct SettingsField;

/// Sets field from value as its page or dialog takes it: flags are "0" or "1"; OverwriteCount
/// a count of the Advanced Overwrites dialog (1, 3, 7, 12, 40); SlackMode 0/QUICK or
/// 1/STANDARD on the General page; folders as typed on the Temp Files page; a weekday's hour,
/// minute and AM/PM corrected by the Cleaning Schedule page as focus leaves each edit. The
/// drive list has its own control and is refused here. False, with a one-line reason and the
/// settings unchanged, when the page would not take the value.
bool EditSettingsField(IPlatform& platform, CSettings& settings, const SettingsField& field,
                       const std::string& value, std::string& reason);

/// Selects a level (1 to 5) in the Advanced Overwrites dialog and confirms it; false for any
/// other level.
bool SetOverwriteLevel(CSettings& settings, int level);

/// Turns a weekday (0 Monday to 6 Sunday) off on the Cleaning Schedule page.
void SetScheduleDayOff(IPlatform& platform, CSettings& settings, int day);

/// Turns a weekday on with a time typed into its three edits, corrected as the page corrects
/// them when focus leaves each. False, with a reason, when the hour or minute holds anything
/// but digits (the edits take no other characters).
bool SetScheduleDayTime(IPlatform& platform, CSettings& settings, int day, const std::string& hour,
                        const std::string& minute, const std::string& amPm, std::string& reason);

} // namespace bw
