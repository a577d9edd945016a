// blankwright config on the memory platform: each run loads the settings afresh from the
// registry, as separate runs of the program do.
#include "cli/Commands.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace bw::cli {
namespace {

using memory::CMemoryPlatform;

class ConfigCommandTest : public ::testing::Test {
protected:
  ConfigCommandTest() {
    platform.DrivesFake.Drives['A'].Type = DriveType::Removable;
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
  }

  // Runs the command; returns its exit code and keeps what it printed.
  int Run(const Arguments& arguments) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int code = kConfigCommand.Run(platform, arguments);
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    return code;
  }

  std::string ShownValue(const std::string& valueName) {
    EXPECT_EQ(Run({"show"}), kExitOk);
    std::istringstream lines(out);
    std::string field, name, value;
    while (lines >> field >> name && std::getline(lines, value))
      if (name == valueName)
        return value.substr(value.find_first_not_of(' '));
    return "(absent)";
  }

  CMemoryPlatform platform;
  std::string out, err;
};

TEST_F(ConfigCommandTest, ShowsTheDefaultsAndKeepsWhatIsSet) {
  EXPECT_EQ(ShownValue("OW"), "1");
  EXPECT_EQ(ShownValue("RWS"), "1");
  EXPECT_EQ(ShownValue("DRVS"), "\"C1--------\"");
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 43);
  EXPECT_EQ(ShownValue("VAC"), "0");

  struct Case {
    Arguments Set;
    const char* Value; // value name
    const char* Shown;
  };
  Case cases[] = {
      {{"set", "OverwriteCount", "7"}, "OW", "7"},
      {{"set", "ow", "--level", "5"}, "OW", "40"},
      {{"set", "CFN", "1"}, "CFN", "1"},
      {{"set", "SlackMode", "STANDARD"}, "QC", "1"},
      {{"set", "WTD", "D:\\My Temp"}, "WTD", "\"D:\\My Temp\""},
      {{"set", "MonHR", "13"}, "MonHR", "12"},
      {{"set", "TuesMin", "44"}, "TuesMin", "30"},
      {{"set", "WedMarid", "pm"}, "WedMarid", "0"},
      {{"schedule", "Thursday", "9:15", "PM"}, "ThursHR", "9"},
      {{"schedule", "thurs", "off"}, "ThursChk", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Set[1]);
    EXPECT_EQ(Run(c.Set), kExitOk) << err;
    EXPECT_EQ(ShownValue(c.Value), c.Shown);
  }
  EXPECT_EQ(ShownValue("ThursMarid"), "1");
  EXPECT_EQ(ShownValue("ThursMin"), "15");
}

TEST_F(ConfigCommandTest, RefusesWhatThePagesRefuse) {
  const Arguments refused[] = {
      {"set", "OW", "5"},          {"set", "ow", "--level", "6"}, {"set", "CFN", "2"},
      {"set", "QC", "fast"},       {"set", "MonHR", "9am"},       {"set", "DRVS", "C1--------"},
      {"set", "Nothing", "1"},     {"schedule", "Funday", "off"}, {"schedule", "Mon", "9-15", "PM"},
      {"drives", "--check", "Q:"},
  };
  for (const Arguments& arguments : refused) {
    SCOPED_TRACE(arguments[1] + " " + arguments[2]);
    EXPECT_EQ(Run(arguments), kExitFailure);
    EXPECT_FALSE(err.empty());
  }
  EXPECT_FALSE(platform.RegistryFake.KeyExists(RegistryRoot::LocalMachine, kSettingsKey))
      << "nothing was saved";
}

TEST_F(ConfigCommandTest, DrivesShowsTheListAndChecksDrives) {
  EXPECT_EQ(Run({"drives"}), kExitOk);
  EXPECT_EQ(out, "[ ] (A:)  Removable Media\n[x] (C:)  Not Cleaned\n");
  EXPECT_EQ(Run({"drives", "--check", "a:", "--uncheck", "C:"}), kExitOk);
  EXPECT_EQ(out, "[x] (A:)  Removable Media\n[ ] (C:)  Not Cleaned\n");
  EXPECT_EQ(ShownValue("DRVS"), "\"A1--------\"");
}

TEST_F(ConfigCommandTest, ExportAndImportCarryTheSettings) {
  ASSERT_EQ(Run({"set", "OW", "12"}), kExitOk);
  char folder[] = "/tmp/bw-config-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  std::string file = std::string(folder) + "/settings.reg";
  ASSERT_EQ(Run({"export", file}), kExitOk);
  {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\"OW\"=hex:0c\r\n"), std::string::npos) << text.str();
  }
  {
    // A file carrying a value of another key as well: only the settings key is taken.
    std::ofstream edit(file, std::ios::app | std::ios::binary);
    edit << "\"CFN\"=dword:00000001\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"x\"=hex:01\r\n";
  }
  platform.RegistryFake.Clear(); // a fresh machine
  EXPECT_EQ(Run({"import", file}), kExitIncomplete) << "one key skipped";
  EXPECT_EQ(ShownValue("OW"), "12");
  EXPECT_EQ(ShownValue("CFN"), "1");
  EXPECT_FALSE(platform.RegistryFake.KeyExists(RegistryRoot::LocalMachine, "Software\\Other"));
  // Saved as the tray program saves: the flag imported as a REG_DWORD is one byte again.
  EXPECT_EQ(platform.RegistryFake.Get(RegistryRoot::LocalMachine, kSettingsKey, "CFN")->Type,
            kRegBinary);
  std::remove(file.c_str());
  ::rmdir(folder);
}

} // namespace
} // namespace bw::cli
