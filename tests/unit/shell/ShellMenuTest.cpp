#include "shell/ShellMenu.h"

#include "platform/memory/MemoryPlatform.h"
#include "shell/BoundedCopy.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

class ShellMenuTest : public ::testing::Test {
protected:
  ShellMenuTest() {
    platform.AddDrive('A', DriveType::Removable, 1 << 20);
    platform.AddDrive('C', DriveType::Fixed, 1 << 20);
    platform.AddDrive('E', DriveType::CdRom, 0);
    platform.AddDrive('N', DriveType::Remote, 0);
    platform.AddDrive('R', DriveType::RamDisk, 0);
  }
  CShellTarget Target(std::vector<std::string> paths) {
    return FindShellTarget(paths, platform.Drives());
  }
  CMemoryPlatform platform;
};

TEST_F(ShellMenuTest, DriveTypeDecidesTextsAndGreyStates) {
  struct Case {
    const char* Path;
    const char* DriveText;
    bool Drive;
    bool Zap;
  };
  const Case cases[] = {
      {"C:\\Documents\\report.doc", "C:", true, true},
      {"c:\\lower", "C:", true, true}, // the text is upper-cased, the sent letter is not
      {"A:\\", "A:", true, true},
      {"E:\\Setup", "n/a", false, false},
      {"N:\\shared.txt", "n/a", false, true},
      {"R:\\temp", "n/a", false, true},
      {"Q:\\no such drive", "n/a", false, true},
      {"\\\\server\\share\\file.txt", "n/a", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    CShellTarget target = Target({c.Path, "E:\\only the first path counts"});
    EXPECT_EQ(target.Letter, c.Path[0]);
    EXPECT_EQ(target.DriveText, c.DriveText);
    EXPECT_EQ(target.DriveAvailable, c.Drive);
    EXPECT_EQ(target.ZapAvailable, c.Zap);

    auto items = ShellMenuItems(target);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].Text, "ZAP Selected File(s)");
    EXPECT_EQ(items[0].Grayed, !c.Zap);
    EXPECT_EQ(items[2].Text, std::string("Clean Drive ") + c.DriveText);
    EXPECT_EQ(items[3].Text, std::string("Scan ") + c.DriveText + " for Deleted Data");
    EXPECT_EQ(items[2].Grayed, !c.Drive);
    EXPECT_EQ(items[3].Grayed, !c.Drive);
    EXPECT_EQ(items[5].Text, "Configuration");
    EXPECT_FALSE(items[5].Grayed);
  }
  EXPECT_FALSE(Target({}).ZapAvailable);
}

TEST_F(ShellMenuTest, SubmenuOrderAndCommands) {
  auto items = ShellMenuItems(Target({"C:\\a"}));
  const bool separators[] = {false, true, false, false, true, false};
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(items[i].Separator, separators[i]) << i;
  EXPECT_EQ(items[0].Command, ShellCommand::Zap);
  EXPECT_EQ(items[2].Command, ShellCommand::CleanDrive);
  EXPECT_EQ(items[3].Command, ShellCommand::ScanDrive);
  EXPECT_EQ(items[5].Command, ShellCommand::Configure);
}

TEST_F(ShellMenuTest, WhichRequestsGetTheSubmenu) {
  const std::vector<std::string> file = {"C:\\a.txt"};
  struct Case {
    uint32_t Flags;
    bool Wanted;
  };
  const Case cases[] = {
      {0, true},                              // CMF_NORMAL
      {0x10 | 0x40, true},                    // rename and static items: still normal
      {kCmfVerbsOnly, true},                  // a shortcut's menu
      {kCmfExplore, true},                    // Explorer's tree
      {kCmfDefaultOnly, false},               // a double-click
      {kCmfDefaultOnly | kCmfExplore, false}, // a double-click in the tree
      {kCmfNoVerbs, false},                   // the File menu of a common dialog
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Flags);
    EXPECT_EQ(WantsShellMenu(c.Flags, file), c.Wanted);
  }
  EXPECT_FALSE(WantsShellMenu(0, {}));
  EXPECT_FALSE(WantsShellMenu(0, {"C:\\Windows\\Start Menu", "C:\\a.txt"}));
  EXPECT_TRUE(WantsShellMenu(0, {"C:\\a.txt", "C:\\Windows\\Start Menu"}));
  EXPECT_TRUE(WantsShellMenu(0, {"C:\\Windows\\start menu"})); // exact spelling only
}

TEST_F(ShellMenuTest, HelpTextsAndTheirBoundedCopy) {
  EXPECT_STREQ(ShellCommandHelpText(0), "ZAP selected file(s)");
  EXPECT_STREQ(ShellCommandHelpText(1), "Clean the selected drive");
  EXPECT_STREQ(ShellCommandHelpText(2), "Scan selected drive for deleted data");
  EXPECT_STREQ(ShellCommandHelpText(3), "Blankwright configuration settings");
  EXPECT_EQ(ShellCommandHelpText(4), nullptr);

  // A small buffer gets what fits and its terminator, and nothing past its end.
  char narrow[8];
  std::fill(std::begin(narrow), std::end(narrow), '#');
  EXPECT_FALSE(CopyTerminated("ZAP selected file(s)", narrow, 5));
  EXPECT_STREQ(narrow, "ZAP ");
  EXPECT_EQ(narrow[5], '#');

  char16_t wide[40];
  EXPECT_TRUE(CopyTerminated("Configuration", wide, std::size(wide)));
  EXPECT_EQ(std::u16string(wide), u"Configuration");
  EXPECT_TRUE(CopyTerminated("abc", wide, 4)); // exactly fits
  EXPECT_EQ(std::u16string(wide), u"abc");

  EXPECT_FALSE(CopyTerminated("abc", narrow, 0));
  EXPECT_EQ(narrow[0], 'Z');
  EXPECT_FALSE(CopyTerminated<char>("abc", nullptr, 10));
}

} // namespace
} // namespace bw
