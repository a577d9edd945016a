#include "settings/Settings.h"

#include "platform/memory/MemoryPlatform.h"
#include "settings/DriveList.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

class SettingsTest : public ::testing::Test {
protected:
  SettingsTest() {
    AddDrive('A', DriveType::Removable);
    AddDrive('C', DriveType::Fixed);
    AddDrive('D', DriveType::Fixed);
    AddDrive('E', DriveType::CdRom);
    platform.SystemFake.Now = {2026, 3, 6, 7, 12, 0, 0, 0}; // Saturday, 7 March 2026
  }

  void AddDrive(char letter, DriveType type) { platform.DrivesFake.Drives[letter].Type = type; }

  void Store(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
    platform.RegistryFake.Put(RegistryRoot::LocalMachine, kSettingsKey, {name, type, data});
  }

  std::optional<RegistryValue> Stored(const std::string& path, const std::string& name) {
    return platform.RegistryFake.Get(RegistryRoot::LocalMachine, path, name);
  }

  CMemoryPlatform platform;
};

TEST_F(SettingsTest, FirstStartHasTheDefaultsAndEveryFixedDriveSelected) {
  platform.SystemFake.WindowsDirectory = "C:\\WINNT";
  platform.SystemFake.TempPath = "C:\\WINNT\\TEMP\\";
  CSettings settings;
  settings.Load(platform);

  EXPECT_EQ(settings.SlackMode, 0);
  EXPECT_EQ(settings.StartWithWindows, 1);
  EXPECT_EQ(settings.OverwriteCount, 1);
  EXPECT_EQ(settings.CleanSwapFile, 1);
  for (int32_t flag : {settings.CleanFileNames, settings.EmptyRecycleBin, settings.EmptyTempFolder,
                       settings.EmptySpoolFolder, settings.ScheduleEnabled, settings.CleanAtLogout})
    EXPECT_EQ(flag, 0);
  for (const ScheduleDay& day : settings.Schedule) {
    EXPECT_EQ(day.Enabled, 0);
    EXPECT_EQ(day.Hour, 0);
  }
  EXPECT_EQ(settings.DriveList, "C1--------D1--------");
  EXPECT_EQ(settings.TempFolder, "c:\\winnt\\temp");
  EXPECT_EQ(settings.SpoolFolder, "c:\\winnt\\system32\\spool\\printers");
  EXPECT_EQ(settings.SwapFilePath, "");
}

TEST_F(SettingsTest, LoadTakesTheFirstByteOrTheTextOfWhatFits) {
  struct Case {
    const char* Name;
    const char* Value;
    uint32_t Type;
    std::vector<uint8_t> Data;
    int32_t Number;   // expected, for numbers
    const char* Text; // expected, for strings
  };
  Case cases[] = {
      {"flag as a 4-byte REG_DWORD", "CFN", kRegDword, {1, 0, 0, 0}, 1, nullptr},
      {"one byte 0x28", "OW", kRegBinary, {0x28}, 40, nullptr},
      {"only the low byte is stored", "OW", kRegBinary, {0x2C, 0x01}, 0x2C, nullptr},
      {"a number stored as text", "OW", kRegSz, Bytes("7"), '7', nullptr},
      {"an empty number keeps the default", "OW", kRegBinary, {}, 1, nullptr},
      {"a number over 260 bytes", "OW", kRegBinary, std::vector<uint8_t>(261, 3), 1, nullptr},
      {"a number of exactly 260 bytes", "OW", kRegBinary, std::vector<uint8_t>(260, 3), 3, nullptr},
      {"text without NUL", "SFP", kRegSz, Bytes("C:\\WIN386.SWP"), 0, "C:\\WIN386.SWP"},
      {"text ends at a NUL", "SFP", kRegSz, Bytes(std::string("ab\0cd", 5)), 0, "ab"},
      {"text over 260 bytes", "SFP", kRegSz, std::vector<uint8_t>(261, 'x'), 0, ""},
      {"text of exactly 260 bytes", "SFP", kRegSz, std::vector<uint8_t>(260, 'x'), 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform.RegistryFake.Clear();
    Store(c.Value, c.Type, c.Data);
    CSettings settings;
    settings.Load(platform);
    const SettingsField* f = FindSettingsField(c.Value);
    ASSERT_NE(f, nullptr);
    if (f->IsText())
      EXPECT_EQ(f->TextIn(settings), c.Text ? c.Text : std::string(260, 'x'));
    else
      EXPECT_EQ(f->NumberIn(settings), c.Number);
  }
}

TEST_F(SettingsTest, AnEmptyOrOverlongDriveListIsReplacedByTheDefault) {
  for (size_t size : {size_t{0}, size_t{261}}) {
    SCOPED_TRACE(size);
    Store("DRVS", kRegSz, std::vector<uint8_t>(size, 'C'));
    CSettings settings;
    settings.Load(platform);
    EXPECT_EQ(settings.DriveList, "C1--------D1--------");
  }
}

TEST_F(SettingsTest, RegistryFailuresLeaveDefaultsAndAreSilent) {
  Store("OW", kRegBinary, {7});
  Store("CFN", kRegBinary, {1});
  platform.RegistryFake.FailingQueries.insert("ow");
  CSettings settings;
  settings.Load(platform);
  EXPECT_EQ(settings.OverwriteCount, 1);
  EXPECT_EQ(settings.CleanFileNames, 1);

  platform.RegistryFake.FailingOpens.insert(kSettingsKey);
  CSettings unopened;
  unopened.Load(platform);
  EXPECT_EQ(unopened.CleanFileNames, 0);
  EXPECT_EQ(unopened.DriveList, "C1--------D1--------");
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
}

TEST_F(SettingsTest, SaveWritesEveryValueInStorageOrderWithItsEncoding) {
  CSettings settings;
  settings.OverwriteCount = 300; // the low 8 bits are what is stored
  settings.DriveList = "C1 3 72026";
  settings.Schedule[3].Hour = 9;
  ASSERT_TRUE(settings.Save(platform));

  std::vector<std::string> names;
  for (const auto& set : platform.RegistryFake.Sets)
    if (set.Key == kSettingsKey)
      names.push_back(set.Value.Name);
  std::vector<std::string> expected = {"QC",  "DRVS", "CFN", "RWS", "ERB", "OW",   "SF",
                                       "SFP", "CWT",  "WTD", "CWS", "WSD", "CSCH", "COLO"};
  for (const char* day : {"Mon", "Tues", "Wed", "Thurs", "Fri", "Sat", "Sun"})
    for (const char* suffix : {"Chk", "HR", "Min", "Marid"})
      expected.push_back(std::string(day) + suffix);
  expected.push_back("VAC");
  EXPECT_EQ(names, expected);

  EXPECT_EQ(Stored(kSettingsKey, "OW")->Data, std::vector<uint8_t>{0x2C});
  EXPECT_EQ(Stored(kSettingsKey, "OW")->Type, kRegBinary);
  EXPECT_EQ(Stored(kSettingsKey, "ThursHR")->Data, std::vector<uint8_t>{9});
  EXPECT_EQ(Stored(kSettingsKey, "DRVS")->Type, kRegSz);
  EXPECT_EQ(Stored(kSettingsKey, "DRVS")->Data, Bytes("C1 3 72026"));
  EXPECT_EQ(Stored(kSettingsKey, "SFP")->Data, Bytes(""));

  std::optional<RegistryValue> clear = Stored(kMemoryManagementKey, kClearPageFileValue);
  ASSERT_TRUE(clear);
  EXPECT_EQ(clear->Type, kRegDword);
  EXPECT_EQ(clear->Data, (std::vector<uint8_t>{1, 0, 0, 0}));
  std::optional<RegistryValue> run = Stored(kRunKey, kRunValue);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Type, kRegSz);
  EXPECT_EQ(run->Data, Bytes("C:\\Program Files\\Blankwright\\Blankwright Base.exe"));
}

TEST_F(SettingsTest, SaveMirrorsFollowTheFlags) {
  CSettings settings;
  settings.StartWithWindows = 0;
  settings.CleanSwapFile = 0;
  // No Run value yet: deleting the missing value is no error.
  EXPECT_TRUE(settings.Save(platform));
  EXPECT_FALSE(Stored(kRunKey, kRunValue));
  settings.StartWithWindows = 1;
  settings.StartupProgram = "/usr/bin/blankwright";
  settings.Save(platform);
  EXPECT_EQ(Stored(kRunKey, kRunValue)->Data, Bytes("/usr/bin/blankwright"));
  settings.StartWithWindows = 0;
  settings.Save(platform);
  EXPECT_FALSE(Stored(kRunKey, kRunValue));
  EXPECT_EQ(Stored(kMemoryManagementKey, kClearPageFileValue)->Data,
            (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(SettingsTest, ALostSaveStillWritesTheMirrors) {
  platform.RegistryFake.FailingCreates.insert(kSettingsKey);
  CSettings settings;
  EXPECT_FALSE(settings.Save(platform));
  EXPECT_FALSE(platform.RegistryFake.KeyExists(RegistryRoot::LocalMachine, kSettingsKey));
  EXPECT_TRUE(Stored(kMemoryManagementKey, kClearPageFileValue));
  EXPECT_TRUE(Stored(kRunKey, kRunValue));

  // A failing write of one value does not stop the others.
  platform.RegistryFake.FailingCreates.clear();
  platform.RegistryFake.FailingSets.insert("CFN");
  settings.Save(platform);
  EXPECT_FALSE(Stored(kSettingsKey, "CFN"));
  EXPECT_TRUE(Stored(kSettingsKey, "SunMarid"));
}

TEST_F(SettingsTest, EveryFieldSurvivesSaveAndLoad) {
  CSettings saved;
  int n = 2;
  for (const SettingsField& f : SettingsFields()) {
    if (f.IsText())
      f.TextIn(saved) = "text of " + f.ValueName;
    else
      f.NumberIn(saved) = n++;
  }
  saved.Save(platform);
  CSettings loaded;
  loaded.Load(platform);
  for (const SettingsField& f : SettingsFields()) {
    SCOPED_TRACE(f.FieldName);
    if (f.IsText())
      EXPECT_EQ(f.TextIn(loaded), f.TextIn(saved));
    else
      EXPECT_EQ(f.NumberIn(loaded), f.NumberIn(saved));
  }
}

TEST_F(SettingsTest, FolderDefaultsOnBothFamilies) {
  struct Case {
    const char* Name;
    uint32_t Family;
    std::optional<std::string> Windows;
    std::optional<std::string> Temp;
    const char* TempFolder;
    const char* SpoolFolder;
  };
  const uint32_t nt = kPlatformWin32Nt, w9x = kPlatformWin32Windows;
  Case cases[] = {
      {"NT temp folder", nt, "C:\\WINNT", "C:\\WINNT\\TEMP\\", "c:\\winnt\\temp",
       "c:\\winnt\\system32\\spool\\printers"},
      {"NT elsewhere", nt, "C:\\WINNT", "D:\\scratch\\", "c:\\temp",
       "c:\\winnt\\system32\\spool\\printers"},
      {"NT does not take tmp", nt, "E:\\WINNT", "C:\\TMP\\", "e:\\temp",
       "e:\\winnt\\system32\\spool\\printers"},
      {"9x tmp folder", w9x, "C:\\WINDOWS", "C:\\WINDOWS\\TMP\\", "c:\\windows\\tmp",
       "c:\\windows\\spool\\printers"},
      {"9x elsewhere", w9x, "D:\\WINDOWS", "C:\\scratch", "d:\\windows\\temp",
       "d:\\windows\\spool\\printers"},
      {"no Windows folder", nt, std::nullopt, "D:\\scratch\\", "", ""},
      {"no temp path", nt, "C:\\WINNT", std::nullopt, "", "c:\\winnt\\system32\\spool\\printers"},
      {"empty temp path", nt, "C:\\WINNT", "", "", "c:\\winnt\\system32\\spool\\printers"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform.SystemFake.Version.PlatformId = c.Family;
    platform.SystemFake.WindowsDirectory = c.Windows;
    platform.SystemFake.TempPath = c.Temp;
    CSettings settings;
    settings.ApplyFolderDefaults(platform);
    EXPECT_EQ(settings.TempFolder, c.TempFolder);
    EXPECT_EQ(settings.SpoolFolder, c.SpoolFolder);
  }
  // Folders that were stored are used as they are.
  CSettings typed;
  typed.TempFolder = "D:\\My Temp";
  typed.ApplyFolderDefaults(platform);
  EXPECT_EQ(typed.TempFolder, "D:\\My Temp");
}

TEST_F(SettingsTest, RecordCleaningStoresTodayInTheDrivesRecord) {
  AddDrive('F', DriveType::Fixed);
  struct Case {
    const char* Name;
    const char* Before;
    char Letter;
    const char* After;
  };
  Case cases[] = {
      {"date of a listed drive", "C1--------", 'C', "C1 3 72026"},
      {"mark stays", "C0 1 12025D1--------", 'C', "C0 3 72026D1--------"},
      {"fixed drive not listed", "C1--------", 'F', "C1--------F0 3 72026"},
      {"lower-case letter", "C1--------", 'c', "C1 3 72026"},
      {"removable drive", "C1--------", 'A', "C1--------"},
      {"CD-ROM drive", "C1--------", 'E', "C1--------"},
      // A damaged list never gets a write outside a record of its own.
      {"last record cut short", "D1--------C1--", 'C', "D1--------C1 3 72026"},
      {"only the letter left", "D1--------C", 'C', "D1--------C0 3 72026"},
      {"letter inside a date", "D1--C-----", 'C', "D1--C-----C0 3 72026"},
      {"trailing fragment", "D1--------F1", 'C', "D1--------F1--------C0 3 72026"},
      {"empty list", "", 'C', "C0 3 72026"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CSettings settings;
    settings.DriveList = c.Before;
    settings.RecordCleaning(platform, c.Letter);
    EXPECT_EQ(settings.DriveList, c.After);
  }
  platform.SystemFake.Now = {2026, 12, 5, 25, 9, 0, 0, 0};
  CSettings december;
  december.DriveList = "C1--------";
  december.RecordCleaning(platform, 'C');
  EXPECT_EQ(december.DriveList, "C112252026");
}

TEST_F(SettingsTest, LastCleanedDateReadsTheRecord) {
  FileTime march7;
  ASSERT_TRUE(platform.SystemFake.LocalTimeToFileTime({2026, 3, 0, 7, 0, 0, 0, 0}, march7));
  struct Case {
    const char* Name;
    const char* List;
    std::optional<FileTime> Date;
  };
  Case cases[] = {
      {"blank-padded date", "D1--------C0 3 72026", march7},
      {"never cleaned", "C1--------", std::nullopt},
      {"no record", "D1 3 72026", std::nullopt},
      {"month 13", "C113 72026", std::nullopt},
      {"30 February", "C1 2302026", std::nullopt},
      {"letters in the date", "C1ab 72026", std::nullopt},
      {"cut short", "C1 3 7", std::nullopt},
      {"letter inside another date", "D1--C 3 72", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CSettings settings;
    settings.DriveList = c.List;
    EXPECT_EQ(settings.LastCleanedDate(platform, 'C'), c.Date);
  }
}

TEST_F(SettingsTest, SelectedDrivesText) {
  struct Case {
    const char* List;
    const char* Text;
  };
  Case cases[] = {
      {"C1--------D0--------E1 3 72026", "C:, E:"},
      {"C0--------D0--------", ""},
      {"", ""},
      {"C1--------D1", "C:, D:"},
      {"C0--D1----E1--------", "E:"}, // the "D1" inside C's date is no record
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.List);
    CSettings settings;
    settings.DriveList = c.List;
    EXPECT_EQ(settings.SelectedDrivesText(), c.Text);
  }
}

TEST(DriveDateTest, FormatsAndReadsTheBlankPaddedColumns) {
  EXPECT_EQ(FormatDriveDate({2026, 3, 7}), " 3 72026");
  EXPECT_EQ(FormatDriveDate({2026, 12, 25}), "12252026");
  EXPECT_EQ(FormatDriveDate({10000, 1, 1}), std::nullopt);
  std::optional<DriveDate> date = ParseDriveDate(" 3 72026");
  ASSERT_TRUE(date);
  EXPECT_EQ(date->Year, 2026);
  EXPECT_EQ(date->Month, 3);
  EXPECT_EQ(date->Day, 7);
  EXPECT_TRUE(ParseDriveDate(" 2292024"));
  EXPECT_FALSE(ParseDriveDate(" 2292025"));
  EXPECT_EQ(FormatLongDate({2026, 3, 7}), "Saturday, March 07, 2026");
  EXPECT_EQ(FormatLongDate({2024, 2, 29}), "Thursday, February 29, 2024");
  EXPECT_EQ(FormatLongDate({2000, 1, 1}), "Saturday, January 01, 2000");
}

} // namespace
} // namespace bw
