// Values set from outside the configuration sheet go through the sheet's own rules, and a
// settings file is imported through the record.
#include "settings/SettingsEditing.h"

#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

// Every field's registry form, to compare whole records.
std::vector<RegistryValue> Encoded(const CSettings& settings) {
  std::vector<RegistryValue> values;
  for (const SettingsField& f : SettingsFields())
    values.push_back(f.Encode(settings));
  return values;
}

bool SameRecord(const CSettings& a, const CSettings& b) {
  std::vector<RegistryValue> x = Encoded(a), y = Encoded(b);
  for (size_t i = 0; i < x.size(); ++i)
    if (x[i].Type != y[i].Type || x[i].Data != y[i].Data)
      return false;
  return true;
}

class SettingsEditingTest : public ::testing::Test {
protected:
  CMemoryPlatform platform;
};

TEST_F(SettingsEditingTest, EachValueIsCorrectedByItsPage) {
  struct Case {
    const char* Name;
    const char* Value;
    const char* Stored; // as the record shows it afterwards
  };
  const Case cases[] = {
      {"OW", "12", "12"},
      {"QC", "standard", "1"},
      {"QC", "0", "0"},
      {"RWS", "0", "0"},
      {"ERB", "1", "1"},
      {"CSCH", "1", "1"},
      {"WTD", " D:\\T ", " D:\\T "},
      {"SFP", "C:\\WIN386.SWP", "C:\\WIN386.SWP"},
      {"MonChk", "1", "1"},
      {"MonHR", "0", "1"},
      {"MonHR", "99", "12"},
      {"MonMin", "59", "45"},
      {"MonMin", "14", "0"},
      {"MonMarid", "1", "1"},
      {"MonMarid", "PM", "1"},
      {"MonMarid", "pm", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + c.Value);
    CSettings settings;
    const SettingsField* f = FindSettingsField(c.Name);
    ASSERT_NE(f, nullptr);
    std::string reason;
    ASSERT_TRUE(EditSettingsField(platform, settings, *f, c.Value, reason)) << reason;
    EXPECT_EQ(f->IsText() ? f->TextIn(settings) : std::to_string(f->NumberIn(settings)), c.Stored);
  }
}

TEST_F(SettingsEditingTest, ARefusedValueChangesNothingAndSaysWhy) {
  const std::pair<const char*, const char*> refused[] = {
      {"DRVS", "C1--------"}, {"OW", "5"}, {"OW", "40000"},   {"QC", "fast"},    {"CFN", "2"},
      {"CFN", "yes"},         {"SF", ""},  {"TuesChk", "on"}, {"TuesHR", "9am"}, {"TuesMin", "-15"},
  };
  for (const auto& [name, value] : refused) {
    SCOPED_TRACE(std::string(name) + " " + value);
    CSettings settings;
    settings.Schedule[1] = {1, 9, 15, 1};
    const CSettings before = settings;
    std::string reason;
    EXPECT_FALSE(EditSettingsField(platform, settings, *FindSettingsField(name), value, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(SameRecord(settings, before));
  }
}

TEST_F(SettingsEditingTest, LevelsAndWeekdayTimes) {
  CSettings settings;
  EXPECT_TRUE(SetOverwriteLevel(settings, 4));
  EXPECT_EQ(settings.OverwriteCount, 12);
  EXPECT_FALSE(SetOverwriteLevel(settings, 0));
  EXPECT_FALSE(SetOverwriteLevel(settings, 6));
  EXPECT_EQ(settings.OverwriteCount, 12);

  std::string reason;
  ASSERT_TRUE(SetScheduleDayTime(platform, settings, 4, "13", "50", "PM", reason)) << reason;
  EXPECT_EQ(settings.Schedule[4].Enabled, 1);
  EXPECT_EQ(settings.Schedule[4].Hour, 12);
  EXPECT_EQ(settings.Schedule[4].Minute, 45);
  EXPECT_EQ(settings.Schedule[4].PM, 1);
  EXPECT_FALSE(SetScheduleDayTime(platform, settings, 4, "9", "1x", "AM", reason));
  EXPECT_EQ(settings.Schedule[4].Hour, 12) << "unchanged";
  SetScheduleDayOff(platform, settings, 4);
  EXPECT_EQ(settings.Schedule[4].Enabled, 0);
  EXPECT_EQ(settings.Schedule[4].Hour, 12) << "the time stays for the next time it is on";
}

RegFileKey Section(RegistryRoot root, const std::string& path) {
  RegFileKey key;
  key.Root = root;
  key.Path = path;
  return key;
}

TEST_F(SettingsEditingTest, ImportTakesOnlyTheSettingsKeyAndReloadsTheRecord) {
  CSettings stored;
  stored.OverwriteCount = 7;
  stored.CleanFileNames = 1;
  ASSERT_TRUE(stored.Save(platform));

  RegFileKey settingsKey = Section(RegistryRoot::LocalMachine, "SOFTWARE\\Tarnhollow\\"
                                                               "Blankwright\\Settings");
  settingsKey.Values.push_back({{"QC", kRegDword, {1, 0, 0, 0}}, false});
  settingsKey.Values.push_back({{"OW", kRegNone, {}}, true}); // deleted: back to the default
  RegFileKey other = Section(RegistryRoot::LocalMachine, "Software\\Other");
  other.Values.push_back({{"x", kRegBinary, {1}}, false});
  RegFileKey user = Section(RegistryRoot::CurrentUser, kSettingsKey);

  CSettings settings;
  settings.OverwriteCount = 40; // in memory only: the import starts from what is stored
  size_t imported = 0, skipped = 0;
  std::vector<std::string> skippedKeys;
  EXPECT_EQ(settings.Import(platform, {settingsKey, other, user}, imported, skipped, skippedKeys),
            CSettings::ImportResult::Done);
  EXPECT_EQ(imported, 2u);
  EXPECT_EQ(skipped, 2u);
  ASSERT_EQ(skippedKeys.size(), 2u);
  EXPECT_EQ(skippedKeys[0], "HKEY_LOCAL_MACHINE\\Software\\Other");
  EXPECT_FALSE(platform.RegistryFake.KeyExists(RegistryRoot::LocalMachine, "Software\\Other"));

  EXPECT_EQ(settings.SlackMode, 1);
  EXPECT_EQ(settings.OverwriteCount, 1);
  EXPECT_EQ(settings.CleanFileNames, 1);
  // Saved again in the record's own form.
  std::optional<RegistryValue> qc =
      platform.RegistryFake.Get(RegistryRoot::LocalMachine, kSettingsKey, "QC");
  ASSERT_TRUE(qc);
  EXPECT_EQ(qc->Type, kRegBinary);
  EXPECT_EQ(qc->Data, std::vector<uint8_t>{1});
}

TEST_F(SettingsEditingTest, ImportFailuresAreTold) {
  CSettings settings;
  size_t imported = 0, skipped = 0;
  std::vector<std::string> skippedKeys;
  platform.RegistryFake.FailingCreates.insert(kSettingsKey);
  EXPECT_EQ(settings.Import(platform, {}, imported, skipped, skippedKeys),
            CSettings::ImportResult::KeyNotOpened);
  platform.RegistryFake.FailingCreates.clear();
  platform.RegistryFake.FailingCommits = true;
  RegFileKey section = Section(RegistryRoot::LocalMachine, kSettingsKey);
  section.Values.push_back({{"CFN", kRegBinary, {1}}, false});
  EXPECT_EQ(settings.Import(platform, {section}, imported, skipped, skippedKeys),
            CSettings::ImportResult::NotStored);
}

} // namespace
} // namespace bw
