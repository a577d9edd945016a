#include "settings/Settings.h"

#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "settings/DriveList.h"

#include <algorithm>

namespace bw {

const std::array<const char*, 7> kScheduleDayPrefixes = {"Mon", "Tues", "Wed", "Thurs",
                                                         "Fri", "Sat",  "Sun"};

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), Lower);
  return text;
}

std::vector<SettingsField> MakeFields() {
  std::vector<SettingsField> fields;
  auto number = [&](const char* field, const char* value, int32_t CSettings::*member) {
    SettingsField f;
    f.FieldName = field;
    f.ValueName = value;
    f.Number = member;
    fields.push_back(f);
  };
  auto text = [&](const char* field, const char* value, std::string CSettings::*member) {
    SettingsField f;
    f.FieldName = field;
    f.ValueName = value;
    f.Text = member;
    fields.push_back(f);
  };
  number("SlackMode", "QC", &CSettings::SlackMode);
  text("DriveList", "DRVS", &CSettings::DriveList);
  number("CleanFileNames", "CFN", &CSettings::CleanFileNames);
  number("StartWithWindows", "RWS", &CSettings::StartWithWindows);
  number("EmptyRecycleBin", "ERB", &CSettings::EmptyRecycleBin);
  number("OverwriteCount", "OW", &CSettings::OverwriteCount);
  number("CleanSwapFile", "SF", &CSettings::CleanSwapFile);
  text("SwapFilePath", "SFP", &CSettings::SwapFilePath);
  number("EmptyTempFolder", "CWT", &CSettings::EmptyTempFolder);
  text("TempFolder", "WTD", &CSettings::TempFolder);
  number("EmptySpoolFolder", "CWS", &CSettings::EmptySpoolFolder);
  text("SpoolFolder", "WSD", &CSettings::SpoolFolder);
  number("ScheduleEnabled", "CSCH", &CSettings::ScheduleEnabled);
  number("CleanAtLogout", "COLO", &CSettings::CleanAtLogout);
  struct DayPart {
    const char* Field;
    const char* Suffix;
    int32_t ScheduleDay::*Member;
  };
  static constexpr DayPart kParts[] = {{"Enabled", "Chk", &ScheduleDay::Enabled},
                                       {"Hour", "HR", &ScheduleDay::Hour},
                                       {"Minute", "Min", &ScheduleDay::Minute},
                                       {"PM", "Marid", &ScheduleDay::PM}};
  for (int day = 0; day < 7; ++day)
    for (const DayPart& part : kParts) {
      SettingsField f;
      f.FieldName = "Schedule[";
      f.FieldName += std::to_string(day);
      f.FieldName += "].";
      f.FieldName += part.Field;
      f.ValueName = std::string(kScheduleDayPrefixes[day]) + part.Suffix;
      f.Day = day;
      f.DayNumber = part.Member;
      fields.push_back(f);
    }
  number("VerifyAfterCleaning", "VAC", &CSettings::VerifyAfterCleaning);
  return fields;
}

} // namespace

int32_t& SettingsField::NumberIn(CSettings& settings) const {
  return DayNumber ? settings.Schedule[Day].*DayNumber : settings.*Number;
}

int32_t SettingsField::NumberIn(const CSettings& settings) const {
  return DayNumber ? settings.Schedule[Day].*DayNumber : settings.*Number;
}

RegistryValue SettingsField::Encode(const CSettings& settings) const {
  RegistryValue value;
  value.Name = ValueName;
  if (IsText()) {
    value.Type = kRegSz;
    value.Data.assign(TextIn(settings).begin(), TextIn(settings).end());
  } else {
    value.Type = kRegBinary;
    value.Data = {static_cast<uint8_t>(NumberIn(settings) & 0xFF)};
  }
  return value;
}

bool SettingsField::Decode(const std::vector<uint8_t>& data, CSettings& settings) const {
  if (IsText()) {
    // The text ends at the first NUL, whether or not the writer stored one.
    auto end = std::find(data.begin(), data.end(), uint8_t{0});
    TextIn(settings).assign(data.begin(), end);
    return true;
  }
  // An empty value holds no byte to take; the field keeps its value.
  if (data.empty())
    return false;
  NumberIn(settings) = data[0];
  return true;
}

const std::vector<SettingsField>& SettingsFields() {
  static const std::vector<SettingsField> fields = MakeFields();
  return fields;
}

const SettingsField* FindSettingsField(std::string_view name) {
  for (const SettingsField& f : SettingsFields())
    if (SameName(f.FieldName, name) || SameName(f.ValueName, name))
      return &f;
  return nullptr;
}

void CSettings::Load(IPlatform& platform) {
  if (std::unique_ptr<IRegistryKey> key =
          platform.Registry().OpenKey(RegistryRoot::LocalMachine, kSettingsKey)) {
    for (const SettingsField& f : SettingsFields()) {
      uint32_t type;
      std::vector<uint8_t> data;
      if (key->QueryValue(f.ValueName, type, data, kRegistryBufferSize))
        f.Decode(data, *this);
    }
    key->Close();
  }
  ApplyFolderDefaults(platform);
  if (DriveList.empty())
    MakeDefaultDriveList(platform);
}

bool CSettings::Save(IPlatform& platform) {
  IRegistry& registry = platform.Registry();
  bool saved = false;
  if (std::unique_ptr<IRegistryKey> key =
          registry.CreateKey(RegistryRoot::LocalMachine, kSettingsKey)) {
    for (const SettingsField& f : SettingsFields()) {
      RegistryValue value = f.Encode(*this);
      key->SetValue(value.Name, value.Type, value.Data);
    }
    bool flushed = key->Flush();
    saved = key->Close() && flushed;
  }
  if (std::unique_ptr<IRegistryKey> key =
          registry.CreateKey(RegistryRoot::LocalMachine, kMemoryManagementKey)) {
    SetDwordValue(*key, kClearPageFileValue, static_cast<uint32_t>(CleanSwapFile));
    key->Close();
  }
  if (std::unique_ptr<IRegistryKey> key = registry.CreateKey(RegistryRoot::LocalMachine, kRunKey)) {
    if (StartWithWindows) {
      std::string program = StartupProgram.empty()
                                ? platform.System().GetProgramFolder() + kTrayProgramName
                                : StartupProgram;
      SetStringValue(*key, kRunValue, program);
    } else {
      key->DeleteValue(kRunValue); // a value that is already gone is no error
    }
    key->Close();
  }
  return saved;
}

CSettings::ImportResult CSettings::Import(IPlatform& platform, const std::vector<RegFileKey>& keys,
                                          size_t& imported, size_t& skipped,
                                          std::vector<std::string>& skippedKeys) {
  imported = skipped = 0;
  skippedKeys.clear();
  {
    std::unique_ptr<IRegistryKey> key =
        platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
    if (!key)
      return ImportResult::KeyNotOpened;
    for (const RegFileKey& section : keys) {
      // A settings file has no business elsewhere in the registry.
      if (section.Delete || section.Root != RegistryRoot::LocalMachine ||
          !SameName(section.Path, kSettingsKey)) {
        skippedKeys.push_back((section.Delete ? "-" : "") +
                              FormatRegistryKeyName(section.Root, section.Path));
        ++skipped;
        continue;
      }
      for (const RegFileValue& v : section.Values) {
        bool done = v.Delete ? key->DeleteValue(v.Value.Name)
                             : key->SetValue(v.Value.Name, v.Value.Type, v.Value.Data);
        done ? ++imported : ++skipped;
      }
    }
    if (!key->Close())
      return ImportResult::NotStored;
  }
  // The record as a fresh start loads it: defaults first, then what is stored.
  CSettings loaded;
  loaded.StartupProgram = StartupProgram;
  loaded.Load(platform);
  *this = loaded;
  return Save(platform) ? ImportResult::Done : ImportResult::NotSaved;
}

void CSettings::ApplyFolderDefaults(IPlatform& platform) {
  ISystem& system = platform.System();
  bool nt = system.GetVersion().PlatformId == kPlatformWin32Nt;
  std::string windows;
  bool windowsKnown = system.GetWindowsDirectory(windows) && !windows.empty();

  if (SpoolFolder.empty() && windowsKnown)
    SpoolFolder = LowerCase(windows + (nt ? "\\system32\\spool\\printers" : "\\spool\\printers"));

  std::string temp;
  if (TempFolder.empty() && system.GetTempPath(temp) && !temp.empty()) {
    if (temp.back() == '\\')
      temp.pop_back();
    size_t slash = temp.rfind('\\');
    std::string last = slash == std::string::npos ? std::string() : temp.substr(slash + 1);
    bool isTemp = SameName(last, "temp") || (!nt && SameName(last, "tmp"));
    if (isTemp)
      TempFolder = temp;
    else if (windowsKnown)
      TempFolder = std::string(1, windows[0]) + (nt ? ":\\temp" : ":\\windows\\temp");
    TempFolder = LowerCase(TempFolder);
  }
}

void CSettings::MakeDefaultDriveList(IPlatform& platform) {
  IDrives& drives = platform.Drives();
  uint32_t mask = drives.GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    if (mask & (1u << (letter - 'A')) && drives.GetDriveType(letter) == DriveType::Fixed)
      DriveList += MakeDriveRecord(letter, true, kNeverCleaned);
}

std::string CSettings::SelectedDrivesText() const {
  return bw::SelectedDrivesText(DriveList);
}

void CSettings::RecordCleaning(IPlatform& platform, char letter) {
  letter = Upper(letter);
  if (letter < 'A' || letter > 'Z' || platform.Drives().GetDriveType(letter) != DriveType::Fixed)
    return;
  LocalTime today = platform.System().GetLocalTime();
  if (std::optional<std::string> date = FormatDriveDate({today.Year, today.Month, today.Day}))
    SetDriveRecordDate(DriveList, letter, *date);
}

std::optional<FileTime> CSettings::LastCleanedDate(IPlatform& platform, char letter) const {
  std::optional<size_t> offset = FindDriveRecord(DriveList, Upper(letter));
  if (!offset)
    return std::nullopt;
  std::string_view text = DriveRecordDate(DriveList, *offset);
  if (text.empty() || text.front() == '-')
    return std::nullopt;
  std::optional<DriveDate> date = ParseDriveDate(text);
  if (!date)
    return std::nullopt;
  LocalTime midnight;
  midnight.Year = date->Year;
  midnight.Month = date->Month;
  midnight.Day = date->Day;
  FileTime time;
  if (!platform.System().LocalTimeToFileTime(midnight, time))
    return std::nullopt;
  return time;
}

} // namespace bw
