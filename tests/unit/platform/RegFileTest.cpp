#include "platform/RegFile.h"

#include "platform/RegistryTree.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

bool operator==(const RegistryValue& a, const RegistryValue& b) {
  return a.Name == b.Name && a.Type == b.Type && a.Data == b.Data;
}

// name -> value of the one key a file is expected to hold
std::vector<RegistryValue> ValuesOf(const RegFile& file, size_t key = 0) {
  std::vector<RegistryValue> values;
  if (key < file.Keys.size())
    for (const RegFileValue& v : file.Keys[key].Values)
      values.push_back(v.Value);
  return values;
}

TEST(RegFileTest, EveryTypeReadsBackExactly) {
  std::vector<uint8_t> big(300);
  for (size_t i = 0; i < big.size(); ++i)
    big[i] = static_cast<uint8_t>(i);
  std::vector<RegistryValue> values = {
      {"QC", kRegBinary, {0}},
      {"OW", kRegBinary, {0x28}},
      {"empty binary", kRegBinary, {}},
      {"wrapped binary", kRegBinary, big},
      {"DRVS", kRegSz, Bytes("C1 3 72026D0--------")},
      {"empty text", kRegSz, {}},
      {"quotes \"and\" \\slashes\\", kRegSz, Bytes("C:\\Program Files\\\"x\"\\")},
      {"NUL inside", kRegSz, Bytes(std::string("ab\0cd", 5))},
      {"NUL at the end", kRegSz, Bytes(std::string("ab\0", 3))},
      {"line break", kRegSz, Bytes("one\r\ntwo")},
      {"high bytes", kRegSz, Bytes("caf\xE9")},
      {"ClearPageFileAtShutdown", kRegDword, {1, 0, 0, 0}},
      {"short dword", kRegDword, {1, 2, 3}},
      {"qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"multi", kRegMultiSz, Bytes(std::string("a\0b\0\0", 5))},
      {"", kRegExpandSz, Bytes("%TEMP%")},
  };
  RegFileKey key;
  key.Path = "software\\Tarnhollow\\Blankwright\\Settings";
  for (const RegistryValue& v : values)
    key.Values.push_back({v, false});
  RegFileKey user;
  user.Root = RegistryRoot::CurrentUser;
  user.Path = "Software\\x";
  std::string text = FormatRegFile({key, user});
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\software\\Tarnhollow\\Blankwright"
                       "\\Settings]\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("\"QC\"=hex:00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"DRVS\"=\"C1 3 72026D0--------\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"ClearPageFileAtShutdown\"=dword:00000001\r\n"), std::string::npos);
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    EXPECT_LE(end - start, 80u) << "regedit's line width";

  RegFile file = ParseRegFile(text);
  EXPECT_EQ(file.ProblemCount, 0u);
  ASSERT_EQ(file.Keys.size(), 2u);
  EXPECT_EQ(file.Keys[0].Path, key.Path);
  EXPECT_EQ(file.Keys[1].Root, RegistryRoot::CurrentUser);
  std::vector<RegistryValue> read = ValuesOf(file);
  ASSERT_EQ(read.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(values[i].Name);
    EXPECT_TRUE(read[i] == values[i]);
  }
}

TEST(RegFileTest, ReadsWhatRegeditWrites) {
  std::string text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                     "\n"
                     "; exported by hand\n"
                     "[HKLM\\Software\\\\Tarnhollow\\]\n"
                     "\"A\" = dword:0000002A\n"
                     "@=\"default\"\n"
                     "\"B\"=hex:01,02,\\\n"
                     "  03,04\n"
                     "\"C\"=-\n"
                     "[-HKEY_CURRENT_USER\\Old]\n";
  RegFile file = ParseRegFile(text);
  EXPECT_EQ(file.ProblemCount, 0u);
  ASSERT_EQ(file.Keys.size(), 2u);
  EXPECT_EQ(file.Keys[0].Path, "Software\\Tarnhollow");
  std::vector<RegistryValue> values = ValuesOf(file);
  ASSERT_EQ(values.size(), 4u);
  EXPECT_TRUE((values[0] == RegistryValue{"A", kRegDword, {42, 0, 0, 0}}));
  EXPECT_TRUE((values[1] == RegistryValue{"", kRegSz, Bytes("default")}));
  EXPECT_TRUE((values[2] == RegistryValue{"B", kRegBinary, {1, 2, 3, 4}}));
  EXPECT_TRUE(file.Keys[0].Values[3].Delete);
  EXPECT_TRUE(file.Keys[1].Delete);

  // The same in UTF-16LE, as regedit saves it.
  std::string wide = "\xFF\xFE";
  for (char c : text.substr(3)) {
    wide += c;
    wide += '\0';
  }
  RegFile fromWide = ParseRegFile(wide);
  EXPECT_EQ(fromWide.ProblemCount, 0u);
  EXPECT_EQ(ValuesOf(fromWide).size(), 4u);
}

TEST(RegFileTest, DamagedFilesGiveWhatCanBeRead) {
  const std::string good = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\k]\r\n\"ok\"=hex:01\r\n";
  struct Case {
    const char* Name;
    std::string Text;
    std::vector<std::string> Values; // names read from the first key
    size_t Problems;
  };
  Case cases[] = {
      {"empty", "", {}, 0},
      {"no header", "[HKEY_LOCAL_MACHINE\\k]\n\"ok\"=hex:01\n", {"ok"}, 1},
      {"cut inside a string", good + "\"b\"=\"abc", {"ok"}, 1},
      {"cut inside hex data", good + "\"b\"=hex:01,02,\\", {"ok", "b"}, 0},
      {"bad hex byte", good + "\"b\"=hex:01,2zz\r\n\"c\"=hex:03", {"ok", "c"}, 1},
      {"bad dword", good + "\"b\"=dword:123456789\r\n", {"ok"}, 1},
      {"unknown type", good + "\"b\"=str:x\r\n", {"ok"}, 1},
      {"junk line", good + "garbage\r\n\"c\"=hex:03", {"ok", "c"}, 1},
      {"binary junk", good + std::string("\0\xFF\x01[\"\\\n\"\0=", 11), {"ok"}, 2},
      {"value before any key", "REGEDIT4\n\"x\"=hex:01\n[HKLM\\k]\n\"ok\"=hex:01\n", {"ok"}, 1},
      // Values under a key line that cannot be read must not land in the key before it.
      {"key line cut short", good + "[HKEY_LOCAL_MACHINE\\other\r\n\"b\"=hex:02\r\n", {"ok"}, 2},
      {"unknown root", good + "[HKEY_USERS\\x]\r\n\"b\"=hex:02\r\n", {"ok"}, 2},
      {"broken string swallows no key line",
       good + "\"b\"=\"abc\\\r\n[HKEY_LOCAL_MACHINE\\k2]\r\n\"c\"=hex:03\r\n",
       {"ok"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RegFile file = ParseRegFile(c.Text);
    std::vector<std::string> names;
    for (const RegistryValue& v : ValuesOf(file))
      names.push_back(v.Name);
    EXPECT_EQ(names, c.Values);
    EXPECT_EQ(file.ProblemCount, c.Problems);
  }
  RegFile swallowed = ParseRegFile(cases[12].Text);
  ASSERT_EQ(swallowed.Keys.size(), 2u);
  EXPECT_EQ(ValuesOf(swallowed, 1).size(), 1u) << "k2 keeps its value";
}

class RegistryTreeTest : public ::testing::Test {
protected:
  CRegistryTree tree;
  static constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
};

TEST_F(RegistryTreeTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  auto key = tree.CreateKey(kLm, "Software\\Tarnhollow\\Settings");
  ASSERT_TRUE(key);
  EXPECT_TRUE(SetStringValue(*key, "DRVS", "C1--------"));
  EXPECT_TRUE(SetByteValue(*key, "drvs", 1)); // replaces, keeps "DRVS"
  EXPECT_TRUE(key->Close());
  EXPECT_FALSE(SetByteValue(*key, "x", 1)) << "closed";

  auto read = tree.OpenKey(kLm, "SOFTWARE\\tarnhollow\\settings\\");
  ASSERT_TRUE(read);
  uint32_t type;
  std::vector<uint8_t> data;
  ASSERT_TRUE(read->QueryValue("Drvs", type, data));
  EXPECT_EQ(type, kRegBinary);
  RegistryValue value;
  ASSERT_TRUE(read->EnumValue(0, value));
  EXPECT_EQ(value.Name, "DRVS");
  EXPECT_TRUE(tree.OpenKey(kLm, "software")) << "parents are created";
  EXPECT_FALSE(tree.OpenKey(kLm, "software\\other"));
  EXPECT_FALSE(tree.OpenKey(RegistryRoot::CurrentUser, "software"));
  EXPECT_EQ(tree.Snapshot().size(), 1u);
  EXPECT_EQ(tree.Snapshot()[0].Path, "Software\\Tarnhollow\\Settings");
  tree.CreateKey(kLm, "SOFTWARE\\TARNHOLLOW\\Other");
  EXPECT_EQ(tree.Snapshot()[0].Path, "Software\\Tarnhollow\\Other")
      << "below the parents' spelling";
}

TEST_F(RegistryTreeTest, AccessModesSizesAndDeletion) {
  auto write = tree.CreateKey(kLm, "a\\b");
  ASSERT_TRUE(SetStringValue(*write, "text", std::string(261, 'x')));
  ASSERT_TRUE(SetStringValue(*write, "fits", std::string(260, 'x')));
  uint32_t type, count;
  std::vector<uint8_t> data;
  EXPECT_FALSE(write->QueryValue("fits", type, data)) << "a key opened for writing";
  auto read = tree.OpenKey(kLm, "a\\b");
  EXPECT_FALSE(SetByteValue(*read, "x", 1)) << "a key opened for reading";
  EXPECT_FALSE(read->QueryValue("text", type, data)) << "over the 260-byte buffer";
  EXPECT_TRUE(read->QueryValue("text", type, data, 261));
  EXPECT_TRUE(read->QueryValue("fits", type, data));
  EXPECT_TRUE(read->QueryValueCount(count));
  EXPECT_EQ(count, 2u);

  EXPECT_TRUE(write->DeleteValue("TEXT"));
  EXPECT_FALSE(write->DeleteValue("text")) << "already gone";
  auto parent = tree.CreateKey(kLm, "a");
  EXPECT_TRUE(parent->DeleteSubKey("B"));
  EXPECT_FALSE(read->QueryValue("fits", type, data)) << "its key was deleted";
  EXPECT_FALSE(SetByteValue(*write, "x", 1));
  tree.CreateKey(kLm, "a\\b\\c");
  EXPECT_FALSE(parent->DeleteSubKey("b")) << "it has a subkey";

  RegFileKey remove;
  remove.Path = "a";
  remove.Delete = true;
  tree.Apply({remove});
  EXPECT_FALSE(tree.KeyExists(kLm, "a\\b\\c"));
  EXPECT_TRUE(tree.Snapshot().empty());
}

} // namespace
} // namespace bw
