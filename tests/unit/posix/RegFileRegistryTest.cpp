// The Linux registry file: saved atomically, read back exactly, and left alone when damaged.
#include "platform/posix/Registry.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>

namespace bw::posix {
namespace {

namespace fs = std::filesystem;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr const char* kSettings = "software\\Tarnhollow\\Blankwright\\Settings";

class RegFileRegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/bw-registry-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder = pattern;
    file = folder + "/state/registry.reg";
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Read() const {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  void Write(const std::string& text) const {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  std::optional<RegistryValue> Query(const std::string& name) const {
    CRegFileRegistry registry(file);
    auto key = registry.OpenKey(kLm, kSettings);
    RegistryValue value;
    uint32_t type;
    if (!key || !key->QueryValue(name, type, value.Data, 1 << 16))
      return std::nullopt;
    value.Type = type;
    return value;
  }

  size_t FilesInFolder() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(fs::path(file).parent_path()))
      ++n;
    return n;
  }

  std::string folder;
  std::string file;
};

TEST_F(RegFileRegistryTest, ValuesOfEveryTypeSurviveAReload) {
  {
    CRegFileRegistry registry(file);
    auto key = registry.CreateKey(kLm, kSettings);
    ASSERT_TRUE(key);
    SetByteValue(*key, "OW", 40);
    SetStringValue(*key, "DRVS", "C1 3 72026");
    SetStringValue(*key, "WTD", "c:\\temp \"x\"");
    SetDwordValue(*key, "ClearPageFileAtShutdown", 1);
    key->SetValue("odd", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(key->Close());
  }
  std::string text = Read();
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\software\\Tarnhollow\\Blankwright\\Settings]\r\n"
                      "\"OW\"=hex:28\r\n\"DRVS\"=\"C1 3 72026\"\r\n"),
            std::string::npos)
      << text;
  struct Case {
    const char* Name;
    uint32_t Type;
    std::vector<uint8_t> Data;
  };
  Case cases[] = {{"ow", kRegBinary, {40}},
                  {"DRVS", kRegSz, {'C', '1', ' ', '3', ' ', '7', '2', '0', '2', '6'}},
                  {"WTD", kRegSz, {'c', ':', '\\', 't', 'e', 'm', 'p', ' ', '"', 'x', '"'}},
                  {"ClearPageFileAtShutdown", kRegDword, {1, 0, 0, 0}},
                  {"odd", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::optional<RegistryValue> value = Query(c.Name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Type, c.Type);
    EXPECT_EQ(value->Data, c.Data);
  }
}

// A full disk during the save: the write of the temporary file fails part-way. The file
// size limit makes that happen for real, in the same write calls a full disk would fail.
TEST_F(RegFileRegistryTest, AFailedSaveLeavesThePreviousFile) {
  {
    CRegFileRegistry registry(file);
    SetStringValue(*registry.CreateKey(kLm, kSettings), "DRVS", "C1--------");
  }
  const std::string before = Read();
  ASSERT_FALSE(before.empty());

  CRegFileRegistry registry(file);
  auto key = registry.CreateKey(kLm, kSettings);
  SetStringValue(*key, "SFP", std::string(4000, 'x'));
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = before.size() + 100;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool flushed = key->Flush();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(flushed);
  EXPECT_FALSE(registry.LastError().empty());
  EXPECT_EQ(Read(), before);
  EXPECT_EQ(FilesInFolder(), 1u) << "the temporary file is removed";
  // The change is still pending and reaches the file with the next save.
  EXPECT_TRUE(key->Close());
  EXPECT_EQ(Query("SFP")->Data.size(), 4000u);
}

TEST_F(RegFileRegistryTest, ADamagedFileIsReadAsFarAsPossibleAndLeftAlone) {
  const std::string damaged =
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\software\\Tarnhollow\\Blankwright\\Settings]\r\n"
      "\"OW\"=hex:07\r\n"
      "\"CFN\"=hex:0\xFF\r\n"
      "\"DRVS\"=\"C1--------\r\n"
      "\"QC\"=hex:01\r\n"
      "[HKEY_LOCAL_MACHINE\\software\\Tarn";
  Write(damaged);
  // A leftover of a save that crashed before its rename is not the registry.
  std::ofstream(file + ".tmp.12345") << "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\x]\r\n\"OW\"=hex:";
  {
    CRegFileRegistry registry(file);
    auto key = registry.OpenKey(kLm, kSettings);
    ASSERT_TRUE(key);
    uint32_t count = 0;
    EXPECT_TRUE(key->QueryValueCount(count));
    EXPECT_EQ(count, 2u) << "OW and QC";
    EXPECT_EQ(registry.LoadReport().ProblemCount, 3u);
    key->Close();
    // A key opened for writing that changes nothing does not save either.
    registry.CreateKey(kLm, kSettings)->Close();
  }
  EXPECT_EQ(Read(), damaged);
  EXPECT_EQ(Query("ow")->Data, std::vector<uint8_t>{7});

  CRegFileRegistry registry(file);
  auto key = registry.CreateKey(kLm, kSettings);
  SetByteValue(*key, "CFN", 1);
  EXPECT_TRUE(key->Close());
  EXPECT_EQ(Read().find("Tarn\r\n"), std::string::npos) << "rewritten whole";
  EXPECT_EQ(Query("QC")->Data, std::vector<uint8_t>{1});
  EXPECT_EQ(Query("CFN")->Data, std::vector<uint8_t>{1});
}

} // namespace
} // namespace bw::posix
