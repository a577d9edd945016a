#include "settings/DesktopShortcut.h"

#include "platform/Registry.h"
#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(DesktopShortcutTest, PointsAtTheZapProgramAndTheDesktopFolder) {
  memory::CMemoryPlatform platform;
  platform.AddDrive('C', DriveType::Fixed, 1 << 20);
  platform.FilesFake.AddFolder("C:\\Program Files");
  platform.FilesFake.AddFolder("C:\\Program Files\\Blankwright");
  const std::string folder = "C:\\Program Files\\Blankwright\\";
  ShortcutPaths paths;
  EXPECT_FALSE(DesktopShortcutPaths(platform, folder, paths)) << "no zap program: no shortcut";

  platform.FilesFake.AddFile(folder + "Blankwright File Zap.exe", "MZ");
  EXPECT_FALSE(DesktopShortcutPaths(platform, folder, paths)) << "no Desktop folder recorded";

  auto key = platform.Registry().CreateKey(
      RegistryRoot::CurrentUser,
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  ASSERT_TRUE(key);
  ASSERT_TRUE(SetStringValue(*key, "Desktop", "C:\\Users\\Ann\\Desktop"));
  ASSERT_TRUE(DesktopShortcutPaths(platform, folder, paths));
  EXPECT_EQ(paths.Target, "C:\\Program Files\\Blankwright\\Blankwright File Zap.exe")
      << "where the file system keeps no short names the long ones stand";
  EXPECT_EQ(paths.LinkFile, "C:\\Users\\Ann\\Desktop\\Blankwright File Zap.lnk");
}

} // namespace
} // namespace bw
