#include "tray/ShutdownContinuation.h"

#include "platform/MessageBox.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/volume/FatImage.h"
#include "tray/SwapFill.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace bw {
namespace {

using memory::CMemoryPlatform;

TEST(SwapFillTest, GibibytesAndRemainderInClusters) {
  struct Case {
    uint64_t Total;
    uint32_t Cluster, G, R;
  };
  const Case cases[] = {
      {(3ull << 30) + (5 << 20), 4096, 2, 1078984704},     // small remainder joins a gibibyte
      {25 << 20, 32768, 0, 26214400},                      // halved, already whole clusters
      {(1ull << 30) + (6 << 20) + 1, 4096, 0, 1080041472}, // rounded up twice
      {0, 4096, 0, 0},
      {(5ull << 30) + (300 << 20), 512, 5, 300 << 20}, // a large remainder stays apart
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Total);
    SwapFill fill = ComputeSwapFill(c.Total, c.Cluster);
    EXPECT_EQ(fill.Gibibytes, c.G);
    EXPECT_EQ(fill.Remainder, c.R);
  }
}

TEST(SwapFillTest, ParametersFillBlanksAndNeverCutThePath) {
  SwapParameters parameters;
  ASSERT_TRUE(FormatSwapParameters(7, {2, 1078984704}, "C:\\WIN386.SWP", parameters));
  std::string text(parameters.data());
  EXPECT_EQ(text, "7 2 1078984704 C:\\WIN386.SWP");
  EXPECT_EQ(parameters[text.size()], '\0');
  EXPECT_EQ(parameters[text.size() + 1], ' ');
  EXPECT_EQ(parameters.back(), ' ');
  // 47 characters of path with large figures do not fit the 62 bytes the .pif passes on.
  EXPECT_FALSE(
      FormatSwapParameters(40, {100, 1080041472}, "C:\\" + std::string(44, 'A'), parameters));
}

class RecordingShutdown final : public IShutdownSystem {
public:
  Privilege EnableShutdownPrivilege() override {
    Calls += "privilege ";
    return PrivilegeResult;
  }
  void CloseMainWindow() override { Calls += "close "; }
  bool ShutDown() override {
    Calls += "shutdown ";
    return ShutDownWorks;
  }
  bool LoadBootFile(int id, std::vector<uint8_t>& data) override {
    if (id == kPifTemplateResource)
      data.assign(967, '#');
    else
      data.assign(Cleaner.begin(), Cleaner.end());
    return true;
  }
  bool Start(const std::string& path) override {
    Calls += "start " + path + " ";
    return true;
  }
  std::string Calls;
  Privilege PrivilegeResult = Privilege::Enabled;
  bool ShutDownWorks = true;
  std::string Cleaner = "MZ cleaner";
};

class ScriptedBox final : public IMessageBox {
public:
  int Show(const std::string& text, const std::string& caption, uint32_t) override {
    Shown += caption + ": " + text + "\n";
    return kIdOk;
  }
  std::string Shown;
};

class ContinuationTest : public ::testing::Test {
protected:
  ContinuationTest() {
    platform.AddDrive('C', DriveType::Fixed, 50 << 20, 512);
    platform.DrivesFake.Drives['C'].Image = test::CFatImage(test::FloppyGeometry()).Bytes;
    platform.SystemFake.WindowsDirectory = "D:\\WINDOWS";
    settings.CleanSwapFile = 1;
    settings.SwapFilePath = "C:\\WIN386.SWP";
    settings.OverwriteCount = 3;
    platform.FilesFake.AddFile("C:\\WIN386.SWP", uint64_t{2} << 20, 0x55);
  }
  void Continue() { ContinueShutdown(platform, settings, system, box, "Blankwright Base"); }

  CMemoryPlatform platform;
  CSettings settings;
  RecordingShutdown system;
  ScriptedBox box;
};

TEST_F(ContinuationTest, NtFamilyShutsDownWithThePrivilege) {
  Continue();
  EXPECT_EQ(system.Calls, "privilege close shutdown ");
  system.Calls.clear();
  system.PrivilegeResult = IShutdownSystem::Privilege::OpenTokenFailed;
  system.ShutDownWorks = false;
  Continue();
  EXPECT_EQ(system.Calls, "privilege close shutdown ") << "the shut-down is still tried";
  EXPECT_EQ(box.Shown, "Blankwright Base: OpenProcessToken failed\n"
                       "Shut Down Failed: Unable to shut-down system.  Make sure you have "
                       "shut-down privileges.\n");
}

TEST_F(ContinuationTest, NineXWithoutSwapCleaningOnlyShutsDown) {
  platform.SystemFake.Version.PlatformId = kPlatformWin32Windows;
  settings.CleanSwapFile = 0;
  Continue();
  EXPECT_EQ(system.Calls, "shutdown ");
  settings.CleanSwapFile = 1;
  settings.SwapFilePath = "C:\\" + std::string(45, 'L'); // 48 characters
  system.Calls.clear();
  Continue();
  EXPECT_EQ(system.Calls, "shutdown ") << "a path the cleaner cannot take: no boot files";
  FindData found;
  EXPECT_FALSE(platform.Files().FindFirstFile("C:\\swpbtmgr.pif", found));
}

TEST_F(ContinuationTest, NineXWritesTheBootFilesAndStartsThePif) {
  platform.SystemFake.Version.PlatformId = kPlatformWin32Windows;
  Continue();
  EXPECT_EQ(system.Calls, "start C:\\swpbtmgr.pif ") << "starting the .pif ends Windows";
  EXPECT_EQ(box.Shown, "");
  std::string pif = platform.FilesFake.Text("C:\\swpbtmgr.pif");
  ASSERT_EQ(pif.size(), 967u) << "cut back from whole clusters";
  EXPECT_EQ(pif[0x24], 'C');
  EXPECT_EQ(pif[0x273], 'D');
  // The free space and the swap file together: the 50 MiB the drive had before the swap file
  // took 2 of them, in 512-byte clusters: G 0, R 50 MiB.
  const std::string parameters = "3 0 52428800 C:\\WIN386.SWP";
  EXPECT_EQ(pif.substr(0xA5, parameters.size() + 1), parameters + '\0');
  EXPECT_EQ(pif.substr(0x1C5, 62), pif.substr(0xA5, 62));
  EXPECT_EQ(pif[0xA5 + 62], '#') << "the field's last bytes stay as the template has them";
  EXPECT_EQ(platform.FilesFake.Text("C:\\swpclnr.exe"), "MZ cleaner");
}

TEST_F(ContinuationTest, NineXFailuresCancelTheShutDown) {
  platform.SystemFake.Version.PlatformId = kPlatformWin32Windows;
  platform.DrivesFake.Drives['C'].Image.clear();
  Continue();
  EXPECT_EQ(system.Calls, "");
  EXPECT_EQ(box.Shown, "Drive Access Error: Unable to access drive C: to clean the swap file, "
                       "canceling shut down.\n");
}

TEST(PifTemplateTest, GeneratedTemplateHoldsTheFieldsThePatchesUse) {
  std::ifstream file(BW_PIF_TEMPLATE, std::ios::binary);
  ASSERT_TRUE(file) << BW_PIF_TEMPLATE;
  std::string pif((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(pif.size(), 967u);
  EXPECT_EQ(pif.substr(0x02, 30), "MS-DOS Prompt                 ");
  EXPECT_EQ(pif.substr(0x24, 15), std::string("#:\\SWPCLNR.EXE") + '\0');
  EXPECT_EQ(pif.substr(0x171, 16), std::string("MICROSOFT PIFEX") + '\0');
  EXPECT_EQ(pif.substr(0x187, 16), std::string("WINDOWS 386 3.0") + '\0');
  EXPECT_EQ(pif.substr(0x205, 16), std::string("WINDOWS VMM 4.0") + '\0');
  EXPECT_EQ(pif.substr(0x273, 30), std::string("C:\\WINDOWS\\SYSTEM\\SHELL32.DLL") + '\0');
  for (size_t field : {size_t{0xA5}, size_t{0x1C5}})
    EXPECT_EQ(pif.substr(field, 62).find_first_not_of("# "), std::string::npos)
        << "a placeholder of # and blanks at " << field;
  EXPECT_NE(pif.find("Courier New"), std::string::npos);
  EXPECT_NE(pif.find("Terminal"), std::string::npos);

  std::vector<uint8_t> bytes(pif.begin(), pif.end());
  SwapParameters parameters;
  ASSERT_TRUE(FormatSwapParameters(1, {0, 4096}, "E:\\SWAP.SWP", parameters));
  ASSERT_TRUE(PatchPif(bytes, 'E', parameters.data(), 'C'));
  EXPECT_EQ(std::string(bytes.begin() + 0x24, bytes.begin() + 0x32), "E:\\SWPCLNR.EXE");
}

} // namespace
} // namespace bw
