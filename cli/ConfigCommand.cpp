// blankwright config — the settings record, the schedule and the drive list, edited with the
// same rules as the configuration sheet's pages.
#include "cli/Commands.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"
#include "platform/RegFile.h"
#include "settings/DriveListModel.h"
#include "settings/Settings.h"
#include "settings/SettingsEditing.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace bw::cli {
namespace {

constexpr const char* kDayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                     "Friday", "Saturday", "Sunday"};
// A settings export is a few KiB; a file far larger than that is not one.
constexpr std::streamoff kMaxImportSize = 16 * 1024 * 1024;

int SaveFailed(IPlatform& platform) {
  std::string where = platform.Registry().Location();
  PrintError("the settings could not be saved" + (where.empty() ? "" : " to " + where));
  return kExitFailure;
}

int SaveSettings(IPlatform& platform, CSettings& settings) {
  return settings.Save(platform) ? kExitOk : SaveFailed(platform);
}

std::string FieldValueText(const SettingsField& f, const CSettings& settings) {
  if (f.IsText())
    return "\"" + f.TextIn(settings) + "\"";
  return std::to_string(f.NumberIn(settings));
}

void PrintField(const SettingsField& f, const CSettings& settings) {
  std::printf("%-20s %-10s %s\n", f.FieldName.c_str(), f.ValueName.c_str(),
              FieldValueText(f, settings).c_str());
}

int Show(IPlatform& platform, const Arguments& arguments) {
  if (arguments.size() != 1) {
    PrintError("usage: blankwright config show");
    return kExitFailure;
  }
  CSettings settings = LoadSettings(platform);
  for (const SettingsField& f : SettingsFields())
    PrintField(f, settings);
  return kExitOk;
}

int Set(IPlatform& platform, const Arguments& arguments) {
  if (arguments.size() != 3) {
    PrintError("usage: blankwright config set NAME VALUE  (or: config set OverwriteCount "
               "--level N)");
    return kExitFailure;
  }
  const SettingsField* f = FindSettingsField(arguments[1]);
  if (!f) {
    PrintError("no setting is named " + arguments[1] + " (see blankwright config show)");
    return kExitFailure;
  }
  std::string value = arguments[2];
  CSettings settings = LoadSettings(platform);
  std::string reason;
  if (!EditSettingsField(platform, settings, *f, value, reason)) {
    PrintError(reason);
    return kExitFailure;
  }
  int result = SaveSettings(platform, settings);
  if (result == kExitOk)
    PrintField(*f, settings);
  return result;
}

int SetLevel(IPlatform& platform, const Arguments& arguments) {
  // config set OverwriteCount --level N
  const SettingsField* f = arguments.size() == 4 ? FindSettingsField(arguments[1]) : nullptr;
  const std::string& level = arguments.back();
  if (!f || f->ValueName != "OW" || arguments[2] != "--level" || level.size() != 1 ||
      level[0] < '1' || level[0] > '5') {
    PrintError("usage: blankwright config set OverwriteCount --level N  (N from 1 to 5)");
    return kExitFailure;
  }
  CSettings settings = LoadSettings(platform);
  SetOverwriteLevel(settings, level[0] - '0');
  int result = SaveSettings(platform, settings);
  if (result == kExitOk)
    PrintField(*f, settings);
  return result;
}

bool ParseDay(const std::string& text, int& day) {
  for (int i = 0; i < 7; ++i) {
    std::string full = kDayNames[i];
    if (SameName(text, full) || SameName(text, kScheduleDayPrefixes[i]) ||
        SameName(text, full.substr(0, 3))) {
      day = i;
      return true;
    }
  }
  return false;
}

void PrintDay(const CSettings& settings, int day) {
  const ScheduleDay& d = settings.Schedule[day];
  std::printf("%-10s %-3s %2d:%02d %s\n", kDayNames[day], d.Enabled ? "on" : "off", d.Hour,
              d.Minute, d.PM ? "PM" : "AM");
}

int Schedule(IPlatform& platform, const Arguments& arguments) {
  constexpr const char* kUsage = "usage: blankwright config schedule [DAY [off | HH:MM AM|PM]]";
  CSettings settings = LoadSettings(platform);
  if (arguments.size() == 1) {
    std::printf("schedule %s, clean at logout %s\n", settings.ScheduleEnabled ? "on" : "off",
                settings.CleanAtLogout ? "on" : "off");
    for (int day = 0; day < 7; ++day)
      PrintDay(settings, day);
    return kExitOk;
  }
  int day;
  if (!ParseDay(arguments[1], day)) {
    PrintError(std::string(kUsage) + "\n  DAY is Monday to Sunday, or Mon, Tues, Wed, Thurs, "
                                     "Fri, Sat, Sun");
    return kExitFailure;
  }
  if (arguments.size() == 2) {
    PrintDay(settings, day);
    return kExitOk;
  }
  // "9:15 PM" as two arguments or one ("9:15PM").
  std::string time = arguments[2];
  std::string amPm;
  if (arguments.size() == 4)
    amPm = arguments[3];
  else if (arguments.size() == 3 && time.size() > 2 && time != "off") {
    amPm = time.substr(time.size() - 2);
    time.resize(time.size() - 2);
  } else if (arguments.size() != 3) {
    PrintError(kUsage);
    return kExitFailure;
  }
  if (time == "off" && amPm.empty()) {
    SetScheduleDayOff(platform, settings, day);
  } else {
    size_t colon = time.find(':');
    std::string hour = time.substr(0, colon);
    std::string minute = colon == std::string::npos ? "" : time.substr(colon + 1);
    std::string reason;
    if (!SetScheduleDayTime(platform, settings, day, hour, minute, amPm, reason)) {
      PrintError(std::string(kUsage) + "\n  " + reason);
      return kExitFailure;
    }
  }
  int result = SaveSettings(platform, settings);
  if (result != kExitOk)
    return result;
  PrintDay(settings, day);
  if (!settings.ScheduleEnabled)
    std::fprintf(stderr, "note: the schedule is off; 'blankwright config set ScheduleEnabled 1' "
                         "turns it on\n");
  return kExitOk;
}

int Drives(IPlatform& platform, const Arguments& arguments) {
  CSettings settings = LoadSettings(platform);
  CDriveListModel list;
  list.LoadFromDriveList(platform.Drives(), settings.DriveList);
  bool changed = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    char letter;
    if ((a != "--check" && a != "--uncheck") || i + 1 >= arguments.size() ||
        !ParseDriveLetter(arguments[i + 1], letter)) {
      PrintError("usage: blankwright config drives [--check X:] [--uncheck X:] ...");
      return kExitFailure;
    }
    ++i;
    if (!list.SetChecked(letter, a == "--check")) {
      PrintError(std::string(1, letter) + ": is not a hard or removable drive here");
      return kExitFailure;
    }
    changed = true;
  }
  if (changed) {
    settings.DriveList = list.StoreToDriveList();
    if (int result = SaveSettings(platform, settings); result != kExitOk)
      return result;
  }
  if (list.Items().empty())
    std::fprintf(stderr, "no hard or removable drives%s\n",
                 platform.DriveMap() ? " (map one with 'blankwright drive add')" : "");
  for (const CDriveListModel::Item& item : list.Items())
    std::printf("[%c] %s  %s\n", item.Checked ? 'x' : ' ', CDriveListModel::ItemText(item).c_str(),
                CDriveListModel::StatusText(item).c_str());
  return kExitOk;
}

// The Settings key as a .reg section: what is stored, or with nothing stored yet the record as
// it would be saved.
RegFileKey SettingsSection(IPlatform& platform) {
  RegFileKey section;
  section.Root = RegistryRoot::LocalMachine;
  section.Path = kSettingsKey;
  if (std::unique_ptr<IRegistryKey> key =
          platform.Registry().OpenKey(RegistryRoot::LocalMachine, kSettingsKey)) {
    RegistryValue value;
    for (uint32_t i = 0; key->EnumValue(i, value); ++i)
      section.Values.push_back({value, false});
    return section;
  }
  CSettings settings = LoadSettings(platform);
  for (const SettingsField& f : SettingsFields())
    section.Values.push_back({f.Encode(settings), false});
  return section;
}

int Export(IPlatform& platform, const Arguments& arguments) {
  if (arguments.size() != 2) {
    PrintError("usage: blankwright config export FILE");
    return kExitFailure;
  }
  std::string text = FormatRegFile({SettingsSection(platform)});
  std::ofstream out(arguments[1], std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    PrintError("cannot write " + arguments[1]);
    return kExitFailure;
  }
  return kExitOk;
}

int Import(IPlatform& platform, const Arguments& arguments) {
  if (arguments.size() != 2) {
    PrintError("usage: blankwright config import FILE");
    return kExitFailure;
  }
  std::ifstream in(arguments[1], std::ios::binary);
  std::ostringstream buffer;
  if (in) {
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0);
    if (size > kMaxImportSize) {
      PrintError(arguments[1] + " is too large to be a settings file");
      return kExitFailure;
    }
    buffer << in.rdbuf();
  }
  if (!in) {
    PrintError("cannot read " + arguments[1]);
    return kExitFailure;
  }
  RegFile file = ParseRegFile(buffer.str());
  for (const RegFileProblem& p : file.Problems)
    std::fprintf(stderr, "%s:%zu: skipped: %s\n", arguments[1].c_str(), p.Line, p.Reason.c_str());
  size_t imported = 0, skipped = 0;
  std::vector<std::string> skippedKeys;
  CSettings settings = LoadSettings(platform);
  switch (settings.Import(platform, file.Keys, imported, skipped, skippedKeys)) {
  case CSettings::ImportResult::KeyNotOpened:
    PrintError("cannot open the settings key for writing");
    return kExitFailure;
  case CSettings::ImportResult::NotStored:
    PrintError("the imported values could not be saved");
    return kExitFailure;
  case CSettings::ImportResult::NotSaved:
    return SaveFailed(platform);
  case CSettings::ImportResult::Done:
    break;
  }
  for (const std::string& key : skippedKeys)
    std::fprintf(stderr, "%s: skipped [%s]: not the settings key\n", arguments[1].c_str(),
                 key.c_str());
  skipped += file.ProblemCount;
  std::printf("%zu value%s imported, %zu skipped\n", imported, imported == 1 ? "" : "s", skipped);
  return skipped ? kExitIncomplete : kExitOk;
}

int RunConfig(IPlatform& platform, const Arguments& arguments) {
  const std::string verb = arguments.empty() ? "" : arguments[0];
  if (verb == "show")
    return Show(platform, arguments);
  if (verb == "set")
    return arguments.size() == 4 ? SetLevel(platform, arguments) : Set(platform, arguments);
  if (verb == "schedule")
    return Schedule(platform, arguments);
  if (verb == "drives")
    return Drives(platform, arguments);
  if (verb == "export")
    return Export(platform, arguments);
  if (verb == "import")
    return Import(platform, arguments);
  PrintError("usage: blankwright config show|set|schedule|drives|export|import ... "
             "(see blankwright config --help)");
  return kExitFailure;
}

} // namespace

const Command kConfigCommand = {
    "config",
    "show and change the settings, the schedule and the drive list",
    "usage: blankwright config show\n"
    "       blankwright config set NAME VALUE\n"
    "       blankwright config set OverwriteCount --level N\n"
    "       blankwright config schedule [DAY [off | HH:MM AM|PM]]\n"
    "       blankwright config drives [--check X:] [--uncheck X:] ...\n"
    "       blankwright config export FILE\n"
    "       blankwright config import FILE\n"
    "\n"
    "show lists every setting with its field name, registry value name and value. set takes\n"
    "either name (OverwriteCount 7, OW 7) and checks the value as the configuration pages\n"
    "do: flags are 0 or 1; OverwriteCount is 1, 3, 7, 12 or 40, or a level from 1 to 5;\n"
    "hours above 12 become 12 and 0 becomes 1; minutes are rounded down to the quarter\n"
    "hour; an AM/PM text other than AM or PM (upper case) becomes AM.\n"
    "\n"
    "schedule sets one weekday's cleaning time (or turns the day off); the schedule as a\n"
    "whole is switched with 'config set ScheduleEnabled 1'. drives shows the drive list as\n"
    "the configuration sheet does and checks or unchecks drives for cleaning.\n"
    "\n"
    "export writes the settings key as a REGEDIT4 .reg file; import reads one back (values\n"
    "of other keys are skipped). On Linux the settings are kept in registry.reg in the\n"
    "folder named by BLANKWRIGHT_HOME (default ~/.local/state/blankwright); on Windows in\n"
    "HKEY_LOCAL_MACHINE\\software\\Tarnhollow\\Blankwright\\Settings.\n",
    RunConfig,
};

} // namespace bw::cli
