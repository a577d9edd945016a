#include "engine/LeftoverCleanup.h"

#include "engine/CurrentFolder.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

TEST(LeftoverNamesTest, RecognisesOnlyBlankwrightNames) {
  for (const char* ours : {"1Blankwr.~BW", "12Blankw.~BW", "1BLANKWR.~BW",
                           "3BlankwrightBlankwrig.~BW", "BlankwrightTMPa.~BW", "7Blankwri.~bw"})
    EXPECT_TRUE(IsBlankwrightTemporaryName(ours)) << ours;
  for (const char* theirs : {"notes.~BW", "Blankwr.~BW", "1Other.~BW", "1Blankwr.txt", ".~BW"})
    EXPECT_FALSE(IsBlankwrightTemporaryName(theirs)) << theirs;
  EXPECT_TRUE(IsWipeFileName("BlankwrightTMP1.gf"));
  EXPECT_TRUE(IsWipeFileName("BLANKWRIGHTTMP12.GF"));
  EXPECT_FALSE(IsWipeFileName("BlankwrightTMP.gf"));
  EXPECT_FALSE(IsWipeFileName("BlankwrightTMPx.gf"));
}

class LeftoverCleanupTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform.FilesFake.AddVolume('C', 64 * 1024 * 1024, 4096);
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
  }
  CMemoryPlatform platform;
  CSettings settings;
};

TEST_F(LeftoverCleanupTest, RemovesFillersAndWipeFilesOfAnInterruptedJob) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\docs\\1Blankwr.~BW", "");
  files.AddFile("C:\\docs\\2BlankwrightBlankwr.~BW", "");
  files.AddFile("C:\\docs\\mine.~BW", "a user's file");
  files.AddFile("C:\\BlankwrightTMP1.gf", 1024 * 1024, 0);
  files.AddFile("C:\\BlankwrightTMP2.gf", 4096, 0xFF);
  files.AddFile("C:\\BlankwrightTMPnotes.gf", "not ours");
  SaveCurrentFolder(platform, "C:\\docs");
  CleanUpLeftovers(platform, settings, platform.MessageBoxes);
  EXPECT_FALSE(files.Exists("C:\\docs\\1Blankwr.~BW"));
  EXPECT_FALSE(files.Exists("C:\\docs\\2BlankwrightBlankwr.~BW"));
  EXPECT_TRUE(files.Exists("C:\\docs\\mine.~BW"));
  EXPECT_FALSE(files.Exists("C:\\BlankwrightTMP1.gf"));
  EXPECT_FALSE(files.Exists("C:\\BlankwrightTMP2.gf"));
  EXPECT_TRUE(files.Exists("C:\\BlankwrightTMPnotes.gf"));
  EXPECT_EQ(ReadCurrentFolder(platform), "");
}

TEST_F(LeftoverCleanupTest, UnreachableDriveAsksAndStillClearsTheRecord) {
  SaveCurrentFolder(platform, "Q:\\");
  platform.MessageBoxes.Answers = {kIdRetry, kIdCancel};
  CleanUpLeftovers(platform, settings, platform.MessageBoxes);
  ASSERT_EQ(platform.MessageBoxes.Boxes.size(), 2u);
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Text, "Drive Q: could not be accessed.");
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Caption, "Drive Error");
  EXPECT_EQ(ReadCurrentFolder(platform), "");
}

TEST_F(LeftoverCleanupTest, SwapDriveBootFilesAreRemovedInOrder) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\swpbtmgr.pif", "pif");
  files.AddFile("C:\\swpclnr.exe", "exe");
  files.AddFile("C:\\BlankwrightTMP0.~bw", "0");
  files.AddFile("C:\\BlankwrightTMP1.~bw", "1");
  files.AddFile("C:\\BlankwrightTMP3.~bw", "3"); // after a gap: stays
  // The boot-time cleaner's fill files after a power-off, and a user's file of a like name.
  files.AddFile("C:\\BWTMP0.~BW", "0");
  files.AddFile("C:\\BWTMPA.~BW", "A");
  files.AddFile("C:\\BWTMPB.~BW", "mine");
  settings.SwapFilePath = "c:\\windows\\win386.swp";
  CleanUpLeftovers(platform, settings, platform.MessageBoxes);
  EXPECT_FALSE(files.Exists("C:\\swpbtmgr.pif"));
  EXPECT_FALSE(files.Exists("C:\\swpclnr.exe"));
  EXPECT_FALSE(files.Exists("C:\\BlankwrightTMP1.~bw"));
  EXPECT_TRUE(files.Exists("C:\\BlankwrightTMP3.~bw"));
  EXPECT_FALSE(files.Exists("C:\\BWTMP0.~BW"));
  EXPECT_FALSE(files.Exists("C:\\BWTMPA.~BW"));
  EXPECT_TRUE(files.Exists("C:\\BWTMPB.~BW"));
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
}

} // namespace
} // namespace bw
