#include "shell/ShellCommands.h"

#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "shell/ShellMenu.h"
#include "tray/RemoteCommand.h"
#include "tray/Selections.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using memory::CScriptedMessageBox;

constexpr const char* kRegistryText = "Cannot access registry, access denied.";
constexpr const char* kLocateText =
    "Could not locate Blankwright, make sure that Blankwright is running.";

class ShellCommandsTest : public ::testing::Test {
protected:
  ShellCommandsTest() {
    platform.AddDrive('C', DriveType::Fixed, 1 << 20);
    platform.AddDrive('D', DriveType::Removable, 1 << 20);
    platform.AddDrive('E', DriveType::CdRom, 0);
  }

  WindowId StartMainWindow() { return windows().AddWindow("AfxFrameOrView42s", kMainWindowTitle); }
  void SetProgramFolder(const std::string& folder) {
    registry().Put(RegistryRoot::LocalMachine, kSettingsKey,
                   {"UFilePath", kRegSz, std::vector<uint8_t>(folder.begin(), folder.end())});
  }
  ShellInvokeResult Invoke(ShellCommand command, std::vector<std::string> paths) {
    return InvokeShellCommand(static_cast<uint32_t>(command), paths, services);
  }
  std::vector<uint32_t> Words() {
    std::vector<uint32_t> words;
    for (const auto& sent : windows().Commands)
      words.push_back(sent.Word);
    return words;
  }
  std::vector<RegistryValue> Selections() {
    std::vector<RegistryValue> values;
    if (auto key = registry().OpenKey(RegistryRoot::LocalMachine, kSelectionsKey)) {
      RegistryValue value;
      for (uint32_t i = 0; key->EnumValue(i, value); ++i)
        values.push_back(value);
    }
    return values;
  }
  memory::CMemoryWindowCommands& windows() { return platform.WindowCommandsFake; }
  memory::CMemoryRegistry& registry() { return platform.RegistryFake; }

  CMemoryPlatform platform;
  CScriptedMessageBox explorerBox;
  CScriptedMessageBox unownedBox;
  CShellServices services{platform.Registry(), platform.WindowCommands(), platform.Drives(),
                          explorerBox, unownedBox};
};

TEST_F(ShellCommandsTest, EachCommandSendsItsWordToTheFrontedMainWindow) {
  WindowId main = StartMainWindow();
  const std::vector<std::string> selection = {"d:\\Letters\\a.txt", "C:\\b.txt"};
  EXPECT_EQ(Invoke(ShellCommand::CleanDrive, selection), ShellInvokeResult::Handled);
  EXPECT_EQ(Invoke(ShellCommand::ScanDrive, selection), ShellInvokeResult::Handled);
  EXPECT_EQ(Invoke(ShellCommand::Configure, selection), ShellInvokeResult::Handled);
  EXPECT_EQ(Invoke(ShellCommand::Zap, selection), ShellInvokeResult::Handled);
  // The letter goes as Explorer spelled it, from the first path only.
  EXPECT_EQ(Words(), (std::vector<uint32_t>{0x00640002, 0x00640003, 4, 1}));
  EXPECT_EQ(windows().Fronted, (std::vector<WindowId>(4, main)));
  EXPECT_TRUE(windows().Starts.empty());
  EXPECT_TRUE(explorerBox.Boxes.empty());
  EXPECT_TRUE(unownedBox.Boxes.empty());

  // A window that will not come to the front still gets the command.
  windows().FrontRefused = true;
  Invoke(ShellCommand::Configure, selection);
  EXPECT_EQ(Words().back(), 4u);
}

TEST_F(ShellCommandsTest, ZapWritesEveryPathIntoAFreshSelectionsKey) {
  StartMainWindow();
  // Paths left from an earlier zap that the tray program never read.
  registry().Put(RegistryRoot::LocalMachine, kSelectionsKey, {"c:\\stale.txt", kRegBinary, {0}});
  const std::vector<std::string> selection = {"C:\\Docs\\Report.DOC", "C:\\Docs", "D:\\",
                                              "C:\\" + std::string(kSelectionNameMax - 3, 'x')};
  ASSERT_EQ(Invoke(ShellCommand::Zap, selection), ShellInvokeResult::Handled);

  auto values = Selections();
  ASSERT_EQ(values.size(), selection.size());
  for (size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(values[i].Name, selection[i]); // as Explorer gave it, in its order
    EXPECT_EQ(values[i].Type, kRegBinary);
    EXPECT_EQ(values[i].Data, std::vector<uint8_t>{0});
  }
  EXPECT_EQ(Words(), std::vector<uint32_t>{1});

  // What was written is what the tray program reads back.
  std::vector<std::string> read;
  ASSERT_TRUE(ReadSelections(registry(), explorerBox, read));
  EXPECT_EQ(read.size(), selection.size());
}

TEST_F(ShellCommandsTest, ZapRefusalsSendNothing) {
  StartMainWindow();
  struct Case {
    const char* What;
    std::vector<std::string> Paths;
  };
  const Case cases[] = {
      {"a path the reader would not take whole", {"C:\\a.txt", "C:\\" + std::string(253, 'y')}},
      {"a name the code page could not show", {"C:\\a.txt", "C:\\?.txt"}},
      {"a wildcard", {"C:\\*.*"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    explorerBox.Boxes.clear();
    EXPECT_EQ(Invoke(ShellCommand::Zap, c.Paths), ShellInvokeResult::Handled);
    ASSERT_EQ(explorerBox.Boxes.size(), 1u);
    EXPECT_EQ(explorerBox.Boxes[0].Text, kRegistryText);
    EXPECT_EQ(explorerBox.Boxes[0].Caption, "Registry IO Error");
    EXPECT_EQ(explorerBox.Boxes[0].Style, kMbOk | kMbIconError);
    EXPECT_TRUE(Selections().empty());
  }
  EXPECT_TRUE(IsSelectionPath("C:\\" + std::string(kSelectionNameMax - 3, 'y')));

  // The product key cannot be opened for writing.
  registry().FailingCreates.insert(kProductKey);
  Invoke(ShellCommand::Zap, {"C:\\a.txt"});
  registry().FailingCreates.clear();

  // An old Selections key that a plain delete cannot remove would mix its paths in.
  registry().Put(RegistryRoot::LocalMachine, std::string(kSelectionsKey) + "\\inner",
                 {"x", kRegBinary, {0}});
  Invoke(ShellCommand::Zap, {"C:\\a.txt"});
  EXPECT_EQ(explorerBox.Boxes.size(), 3u);

  // The Selections key cannot be made after the window was found.
  registry().Clear();
  registry().FailingCreates.insert(kSelectionsKey);
  Invoke(ShellCommand::Zap, {"C:\\a.txt"});
  EXPECT_EQ(explorerBox.Boxes.size(), 4u);
  EXPECT_TRUE(Words().empty());

  // Greyed in the menu: zap on a CD-ROM, an empty selection.
  EXPECT_EQ(Invoke(ShellCommand::Zap, {"E:\\setup.exe"}), ShellInvokeResult::Refused);
  EXPECT_EQ(Invoke(ShellCommand::Zap, {}), ShellInvokeResult::Refused);
  EXPECT_TRUE(Words().empty());
}

TEST_F(ShellCommandsTest, AFailedValueStopsTheWritingButTheZapGoes) {
  StartMainWindow();
  registry().FailingSets.insert("C:\\b.txt");
  Invoke(ShellCommand::Zap, {"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"});
  auto values = Selections();
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].Name, "C:\\a.txt");
  EXPECT_EQ(explorerBox.Boxes.size(), 1u);
  EXPECT_EQ(Words(), std::vector<uint32_t>{1});
}

TEST_F(ShellCommandsTest, DriveCommandsAndOffsetsOutsideTheMenuAreRefused) {
  StartMainWindow();
  EXPECT_EQ(Invoke(ShellCommand::CleanDrive, {"\\\\server\\share\\a"}), ShellInvokeResult::Refused);
  EXPECT_EQ(Invoke(ShellCommand::ScanDrive, {"E:\\"}), ShellInvokeResult::Refused);
  EXPECT_EQ(Invoke(ShellCommand::CleanDrive, {}), ShellInvokeResult::Refused);
  EXPECT_EQ(InvokeShellCommand(4, {"C:\\a"}, services), ShellInvokeResult::Refused);
  EXPECT_EQ(InvokeShellCommand(0xFFFF, {"C:\\a"}, services), ShellInvokeResult::Refused);
  EXPECT_TRUE(Words().empty());
  // Configuration needs no drive at all.
  EXPECT_EQ(Invoke(ShellCommand::Configure, {"\\\\server\\share\\a"}), ShellInvokeResult::Handled);
  EXPECT_EQ(Words(), std::vector<uint32_t>{4});
}

TEST_F(ShellCommandsTest, TheTrayProgramIsStartedFromItsInstalledFolder) {
  struct Case {
    const char* Folder;
    const char* Program;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Blankwright", "C:\\Program Files\\Blankwright\\Blankwright Base.exe"},
      {"C:\\BW\\", "C:\\BW\\Blankwright Base.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Folder);
    windows().Windows.clear();
    windows().Starts.clear();
    windows().Commands.clear();
    windows().WaitedMilliseconds = 0;
    SetProgramFolder(c.Folder);
    bool windowAfterWait = false;
    windows().OnStart = [&](const std::string&, const std::vector<std::string>& arguments) {
      EXPECT_TRUE(arguments.empty());
      return true;
    };
    // The window appears while the sender waits, as a starting program's does.
    windows().OnWait = [&](uint32_t) {
      StartMainWindow();
      windowAfterWait = true;
    };
    Invoke(ShellCommand::ScanDrive, {"C:\\a"});
    EXPECT_TRUE(windowAfterWait);
    ASSERT_EQ(windows().Starts.size(), 1u);
    EXPECT_EQ(windows().Starts[0], std::vector<std::string>{c.Program});
    EXPECT_EQ(windows().WaitedMilliseconds, 4000u);
    EXPECT_EQ(Words(), std::vector<uint32_t>{0x00430003});
  }
  // A value stored with its terminating zero names the same folder. The loop's wait hook
  // refers to its own locals, so it is replaced before they are gone.
  windows().OnWait = [this](uint32_t) { StartMainWindow(); };
  windows().Windows.clear();
  windows().Starts.clear();
  registry().Put(RegistryRoot::LocalMachine, kSettingsKey,
                 {"UFilePath", kRegSz, {'C', ':', '\\', 'Z', 0}});
  Invoke(ShellCommand::Configure, {"C:\\a"});
  EXPECT_EQ(windows().Starts[0][0], "C:\\Z\\Blankwright Base.exe");
  EXPECT_TRUE(unownedBox.Boxes.empty());
}

TEST_F(ShellCommandsTest, NoTrayProgramMeansNoCommandAndOneMessage) {
  // The main window answers to any of the three class names.
  WindowId third = windows().AddWindow("AfxFrameOrView42d", kMainWindowTitle);
  EXPECT_EQ(FindOrStartTrayProgram(registry(), windows()), third);
  windows().Windows.clear();

  auto expectLocateMessage = [&](const char* what) {
    SCOPED_TRACE(what);
    unownedBox.Boxes.clear();
    Invoke(ShellCommand::Zap, {"C:\\a"});
    ASSERT_EQ(unownedBox.Boxes.size(), 1u);
    EXPECT_EQ(unownedBox.Boxes[0].Text, kLocateText);
    EXPECT_EQ(unownedBox.Boxes[0].Caption, "");
    EXPECT_EQ(unownedBox.Boxes[0].Style, kMbOk);
    EXPECT_TRUE(Words().empty());
    EXPECT_TRUE(Selections().empty());
  };
  expectLocateMessage("no UFilePath");
  SetProgramFolder("");
  expectLocateMessage("an empty UFilePath");
  EXPECT_TRUE(windows().Starts.empty());
  EXPECT_EQ(FindOrStartTrayProgram(registry(), windows(), "D:\\Own\\"), kNoWindow);
  ASSERT_EQ(windows().Starts.size(), 1u) << "without UFilePath, from the sender's own folder";
  EXPECT_EQ(windows().Starts[0][0], "D:\\Own\\Blankwright Base.exe");
  windows().Starts.clear();
  SetProgramFolder("C:\\BW");
  expectLocateMessage("the start fails");
  EXPECT_EQ(windows().WaitedMilliseconds, 0u);
  windows().OnStart = [](const std::string&, const std::vector<std::string>&) { return true; };
  expectLocateMessage("started, but no window after the wait");
  EXPECT_EQ(windows().WaitedMilliseconds, 4000u);
  EXPECT_TRUE(explorerBox.Boxes.empty());
}

} // namespace
} // namespace bw
