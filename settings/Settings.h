// The settings record: every user option, its registry value and default, and the operations
// on the drive list that the rest of the system shares.
//
// One CSettings exists for the life of the tray program. It starts with the defaults below, is
// loaded once when the main window is created, changed in memory by the configuration sheet,
// the System Shutdown dialog and the cleaning job, and saved as a whole. Registry failures are
// silent: a value that cannot be read leaves its field as it was, a write that fails is lost.
//
// Registry form, under HKEY_LOCAL_MACHINE\software\Tarnhollow\Blankwright\Settings: flags and
// small numbers as one-byte REG_BINARY values (the low 8 bits; on loading, the first byte of
// whatever is stored), strings as REG_SZ without a terminating NUL. Nothing longer than 260
// bytes is read.
#pragma once

#include "platform/RegFile.h"
#include "platform/Registry.h"
#include "platform/Types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

class IPlatform;

constexpr const char* kSettingsKey = "software\\Tarnhollow\\Blankwright\\Settings";
constexpr const char* kMemoryManagementKey =
    "System\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kClearPageFileValue = "ClearPageFileAtShutdown";
constexpr const char* kRunValue = "BlankwrightBaseEXE";
constexpr const char* kTrayProgramName = "Blankwright Base.exe";

/// One weekday of the cleaning schedule, on a 12-hour clock.
struct ScheduleDay {
  int32_t Enabled = 0; ///< 1 = clean on this weekday
  int32_t Hour = 0;    ///< 1 to 12 once the configuration sheet has stored the day
  int32_t Minute = 0;  ///< 0, 15, 30 or 45
  int32_t PM = 0;      ///< 0 = AM, 1 = PM
};

/// Day prefixes of the schedule's value names, Monday first: "Mon", "Tues", ... "Sun".
extern const std::array<const char*, 7> kScheduleDayPrefixes;

class CSettings {
public:
  // The record, in storage order.
  int32_t SlackMode = 0;      ///< QC: 0 QUICK (files modified since the last cleaning), 1 STANDARD
  std::string DriveList;      ///< DRVS: the drive list string (settings/DriveList.h)
  int32_t CleanFileNames = 0; ///< CFN
  int32_t StartWithWindows = 1; ///< RWS, mirrored into the Run value on every save
  int32_t EmptyRecycleBin = 0;  ///< ERB
  int32_t OverwriteCount = 1;   ///< OW: passes; the interface offers 1, 3, 7, 12 and 40
  int32_t CleanSwapFile = 1;    ///< SF, mirrored into ClearPageFileAtShutdown on every save
  std::string SwapFilePath;     ///< SFP: the 9x swap file, short form; [0] is its drive
  int32_t EmptyTempFolder = 0;  ///< CWT
  std::string TempFolder;       ///< WTD, without trailing backslash
  int32_t EmptySpoolFolder = 0; ///< CWS
  std::string SpoolFolder;      ///< WSD
  int32_t ScheduleEnabled = 0;  ///< CSCH
  int32_t CleanAtLogout = 0;    ///< COLO
  std::array<ScheduleDay, 7> Schedule{}; ///< Monday (0) to Sunday (6): <Day>Chk, HR, Min, Marid
  int32_t VerifyAfterCleaning = 0;       ///< VAC: scan each cleaned drive and report what is left

  /// Not stored in the record: the program the Run value names while StartWithWindows is set.
  /// Empty means the tray program in the running program's folder.
  std::string StartupProgram;

  /// Reads every value of the record that can be read, then ApplyFolderDefaults, then
  /// MakeDefaultDriveList when DriveList is still empty.
  void Load(IPlatform& platform);

  /// Writes every field in storage order, flushes the key, then mirrors CleanSwapFile into
  /// ClearPageFileAtShutdown and StartWithWindows into the Run value (each attempted even when
  /// the Settings key could not be written). True when the Settings key was written and
  /// flushed; callers in the tray program ignore it, as a lost save is not reported.
  bool Save(IPlatform& platform);

  /// Fills SpoolFolder and TempFolder from the system's folders when they are empty.
  void ApplyFolderDefaults(IPlatform& platform);

  /// Appends a selected, never-cleaned record for every fixed drive.
  void MakeDefaultDriveList(IPlatform& platform);

  /// "C:, E:" for the selected drives; empty when none is selected.
  std::string SelectedDrivesText() const;

  /// Stores today's date as the last-cleaned date of letter when it is a fixed drive; in
  /// memory only, until the next Save.
  void RecordCleaning(IPlatform& platform, char letter);

  /// The stored last-cleaned date of letter as local midnight of that day; nothing when the
  /// drive has no record, was never cleaned, or its date cannot be read.
  std::optional<FileTime> LastCleanedDate(IPlatform& platform, char letter) const;

  /// What Import did.
  enum class ImportResult {
    Done,
    KeyNotOpened, ///< the Settings key could not be opened for writing
    NotStored,    ///< the imported values could not be committed
    NotSaved,     ///< taken, but the record could not be saved again
  };

  /// Takes the values of the Settings key from a .reg file's keys (deleting those the file
  /// deletes), then reloads the record from the registry and saves it again as the tray
  /// program would: every field in its own form, the Run and swap-file values following the
  /// imported flags. Sections of other keys are not touched; each is listed in skippedKeys.
  /// imported and skipped count the values.
  ImportResult Import(IPlatform& platform, const std::vector<RegFileKey>& keys, size_t& imported,
                      size_t& skipped, std::vector<std::string>& skippedKeys);
};

/// One field of the record with its registry value name, for loading, saving and the command
/// line. Exactly one of Number, Text and DayNumber is set.
struct SettingsField {
  std::string FieldName; ///< "OverwriteCount", "Schedule[0].Hour"
  std::string ValueName; ///< "OW", "MonHR"
  int32_t CSettings::*Number = nullptr;
  std::string CSettings::*Text = nullptr;
  int Day = -1; ///< with DayNumber: the index into Schedule
  int32_t ScheduleDay::*DayNumber = nullptr;

  bool IsText() const { return Text != nullptr; }
  int32_t& NumberIn(CSettings& settings) const;
  int32_t NumberIn(const CSettings& settings) const;
  std::string& TextIn(CSettings& settings) const { return settings.*Text; }
  const std::string& TextIn(const CSettings& settings) const { return settings.*Text; }

  /// The field's registry value as Save writes it and export shows it: text as REG_SZ without
  /// a terminating NUL, a number as its low 8 bits in a one-byte REG_BINARY.
  RegistryValue Encode(const CSettings& settings) const;
  /// Takes a stored value's data into the field as Load does: text up to the first NUL, a
  /// number from the first byte. False (the field unchanged) for a number without a byte.
  bool Decode(const std::vector<uint8_t>& data, CSettings& settings) const;
};

/// The 43 fields of the record in storage order: QC, DRVS, CFN, RWS, ERB, OW, SF, SFP, CWT,
/// WTD, CWS, WSD, CSCH, COLO, then Chk, HR, Min and Marid of each day from Monday to Sunday,
/// then VAC (last, so that the older values keep their places).
const std::vector<SettingsField>& SettingsFields();

/// The field with this field name or value name, matched without regard to case.
const SettingsField* FindSettingsField(std::string_view name);

} // namespace bw
