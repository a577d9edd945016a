#include "engine/NtfsRemnants.h"

#include "engine/CleaningContext.h"
#include "engine/CurrentFolder.h"
#include "engine/LeftoverCleanup.h"
#include "engine/NtfsFillerNames.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/engine/RecordingCleaningView.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CRecordingCleaningView;

TEST(NtfsFillerNamesTest, NamesHaveTheirLengthPrefixAndAreRecognised) {
  struct Case {
    std::string Prefix;
    uint32_t Number;
    size_t Length;
    std::string Expected;
  };
  const Case cases[] = {
      {"", 1, 9, "~0000001~"},
      {"", 12, 12, "~0000012~~~~"},
      {"a.txt", 3, 14, "a.txt~0000003~"},
      {"a.txt", 3, 20, "a.txt~0000003~~~~~~~"},
      // A prefix too long for the length is cut, never the number.
      {"Letter to the bank.txt", 7, 14, "Lette~0000007~"},
      // Never shorter than the number needs.
      {"abc", 9, 4, "~0000009~"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Prefix + " " + std::to_string(c.Length));
    std::string name = NtfsFillerName(c.Prefix, c.Number, c.Length);
    EXPECT_EQ(name, c.Expected);
    EXPECT_TRUE(IsNtfsFillerName(name));
  }
  EXPECT_EQ(NtfsFillerName("", 1, 253).size(), 253u);
  for (const char* theirs : {"notes.txt", "~", "~~~~~~~~~", "a~123456~", "a~12345678~", "~0000001",
                             "x0000001~", "~000x001~", "backup~2024~", ""})
    EXPECT_FALSE(IsNtfsFillerName(theirs)) << theirs;
}

// What the volume's own structures say, as a test sets it.
class CFakeLayout final : public INtfsLayout {
public:
  bool CountFreeRecords(uint64_t& count) override {
    if (!Known)
      return false;
    count = FreeRecords;
    return true;
  }
  bool GetFolderIndexSize(uint64_t, uint64_t& bytes) override {
    ++IndexQueries;
    if (!Known)
      return false;
    bytes = IndexBytes;
    return true;
  }
  bool Known = true;
  uint64_t FreeRecords = 0;
  uint64_t IndexBytes = 0;
  int IndexQueries = 0;
};

class NtfsRemnantsTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform.FilesFake.AddVolume('N', 64 * 1024 * 1024, 4096);
    platform.DrivesFake.Drives['N'].Type = DriveType::Fixed;
  }

  // Fillers made, by folder, from the creation log; and what is on the drive afterwards.
  std::map<std::string, std::vector<std::string>> FillersMade() {
    std::map<std::string, std::vector<std::string>> made;
    for (const auto& create : platform.FilesFake.Creates) {
      size_t slash = create.Path.rfind('\\');
      std::string name = create.Path.substr(slash + 1);
      if (create.Error == kErrorSuccess && IsNtfsFillerName(name))
        made[create.Path.substr(0, slash)].push_back(name);
    }
    return made;
  }
  bool AnyFillerLeft(const std::string& folder) {
    FindData entry;
    auto search = platform.Files().FindFirstFile(folder + "\\*", entry);
    if (!search)
      return false;
    do
      if (IsNtfsFillerName(entry.Name))
        return true;
    while (search->FindNextFile(entry));
    return false;
  }

  CMemoryPlatform platform;
  CRecordingCleaningView view;
  CCleaningContext job{platform, view, JobMode::Interactive, false};
  CFakeLayout layout;
};

TEST_F(NtfsRemnantsTest, FreeRecordsAreFilledWithThePassByteThenEverythingGoes) {
  layout.FreeRecords = 5;
  CNtfsRemnants remnants(job, &layout, 0xFF);
  remnants.FillFreeRecords('N');
  EXPECT_EQ(remnants.GetRecordFillers(), 5u);
  auto made = FillersMade();
  ASSERT_EQ(made["N:\\~F"].size(), 5u);
  for (const std::string& name : made["N:\\~F"])
    EXPECT_EQ(name.size(), 253u) << "N:\\~F\\ and the name fill MAX_PATH - 1";
  size_t filled = 0;
  for (const auto& write : platform.FilesFake.Writes) {
    EXPECT_EQ(write.Size, 64u);
    EXPECT_EQ(write.Fill, 0xFF);
    ++filled;
  }
  EXPECT_EQ(filled, 5u);
  EXPECT_FALSE(platform.FilesFake.Exists("N:\\~F"));
  EXPECT_EQ(view.Processes.back(), "Cleaning free file records on drive N:");
}

TEST_F(NtfsRemnantsTest, RecordFillersAreCappedAndNeedTheLayout) {
  layout.FreeRecords = 1000;
  CNtfsRemnants::Limits limits;
  limits.MaxRecordFillers = 7;
  CNtfsRemnants capped(job, &layout, 0x00, limits);
  capped.FillFreeRecords('N');
  EXPECT_EQ(capped.GetRecordFillers(), 7u);

  // Without raw reads the count is unknown: nothing is made, not even the folder.
  platform.FilesFake.Creates.clear();
  CNtfsRemnants blind(job, nullptr, 0x00);
  blind.FillFreeRecords('N');
  layout.Known = false;
  CNtfsRemnants unknown(job, &layout, 0x00);
  unknown.FillFreeRecords('N');
  EXPECT_TRUE(FillersMade().empty());
  EXPECT_FALSE(platform.FilesFake.Exists("N:\\~F"));
}

TEST_F(NtfsRemnantsTest, AUsersFolderAndFilesOfTheFillersNamesAreLeftAlone) {
  // A folder of that name that is not ours, holding a file with a filler's name.
  std::string theirs = "N:\\~F\\" + NtfsFillerName("", 2, 253);
  platform.FilesFake.AddFile(theirs, "keep me");
  layout.FreeRecords = 3;
  CNtfsRemnants remnants(job, &layout, 0x00);
  remnants.FillFreeRecords('N');
  EXPECT_EQ(remnants.GetRecordFillers(), 2u);
  EXPECT_TRUE(platform.FilesFake.Exists(theirs));
  EXPECT_TRUE(platform.FilesFake.Exists("N:\\~F"));
}

TEST_F(NtfsRemnantsTest, CancelStopsTheFillersAndStillDeletesThem) {
  layout.FreeRecords = 100;
  view.OnPump = [&] {
    if (view.Pumps == 10)
      job.SetStatus(DriveStatus::Aborted);
  };
  CNtfsRemnants remnants(job, &layout, 0x00);
  remnants.Run('N');
  EXPECT_EQ(remnants.GetRecordFillers(), 10u);
  EXPECT_EQ(remnants.GetIndexFillers(), 0u) << "the folder indexes are not started";
  EXPECT_FALSE(platform.FilesFake.Exists("N:\\~F"));
  EXPECT_EQ(ReadCurrentFolder(platform), "N:\\");
}

TEST_F(NtfsRemnantsTest, IndexFillersSortBesideTheLiveNamesOfEveryFolder) {
  auto& files = platform.FilesFake;
  files.AddFile("N:\\b.txt", "x");
  files.AddFile("N:\\Docs\\Letter.txt", "x");
  files.AddFile("N:\\Docs\\Deep\\z.dat", "x");
  files.AddFolder("N:\\Empty");
  files.AddLink("N:\\Link", "N:\\Docs", true);
  layout.IndexBytes = 8192;
  CNtfsRemnants remnants(job, &layout, 0x00);
  remnants.CleanFolderIndexes('N');

  auto made = FillersMade();
  std::set<std::string> folders;
  for (const auto& [folder, names] : made)
    folders.insert(folder);
  EXPECT_EQ(folders, (std::set<std::string>{"N:", "N:\\Docs", "N:\\Docs\\Deep", "N:\\Empty"}))
      << "every folder but the link, which is not entered";
  for (const std::string& name : made["N:\\Docs\\Deep"])
    EXPECT_EQ(name.rfind("z.dat~", 0), 0u) << name;
  std::set<size_t> lengths;
  for (const std::string& name : made["N:\\Docs\\Deep"])
    lengths.insert(name.size());
  EXPECT_EQ(*lengths.begin(), std::string("z.dat").size() + kMinFillerNameLength);
  EXPECT_EQ(*lengths.rbegin(), 259u - std::string("N:\\Docs\\Deep\\").size())
      << "then names as long as MAX_PATH allows";
  EXPECT_FALSE(made["N:\\Empty"].empty()) << "an empty folder's index may hold deleted names";
  for (const char* folder : {"N:", "N:\\Docs", "N:\\Docs\\Deep", "N:\\Empty"})
    EXPECT_FALSE(AnyFillerLeft(folder)) << folder;
  EXPECT_TRUE(files.Exists("N:\\Docs\\Letter.txt"));
  EXPECT_GT(layout.IndexQueries, 0);
  EXPECT_EQ(view.Processes.back(), "Cleaning folder indexes on drive N:");
  EXPECT_EQ(view.Progress, 100);
}

TEST_F(NtfsRemnantsTest, IndexFillersPerFolderAndRoundAreCapped) {
  for (int i = 0; i < 50; ++i)
    platform.FilesFake.AddFile("N:\\Big\\file " + std::to_string(i) + ".txt", "x");
  layout.IndexBytes = 1u << 30; // as many blocks as a damaged record could claim
  CNtfsRemnants::Limits limits;
  limits.MaxFolderFillers = 40;
  CNtfsRemnants remnants(job, &layout, 0x00, limits);
  remnants.CleanFolderIndexes('N');
  EXPECT_EQ(FillersMade()["N:\\Big"].size(), 80u) << "two rounds of 40";
}

TEST_F(NtfsRemnantsTest, FolderTooDeepForAFillerNameIsSkipped) {
  std::string deep = "N:\\" + std::string(120, 'a') + "\\" + std::string(128, 'b');
  platform.FilesFake.AddFile(deep + "\\f.txt", "x");
  CNtfsRemnants remnants(job, &layout, 0x00);
  remnants.CleanFolderIndexes('N');
  auto made = FillersMade();
  EXPECT_EQ(made.count(deep), 0u);
  EXPECT_EQ(made.count("N:\\" + std::string(120, 'a')), 1u);
  for (const auto& create : platform.FilesFake.Creates)
    EXPECT_LT(create.Path.size(), 260u);
}

TEST(NtfsLeftoverCleanupTest, FillersOfACrashAndTheirFolderGo) {
  CMemoryPlatform platform;
  CSettings settings;
  auto& files = platform.FilesFake;
  files.AddVolume('N', 64 * 1024 * 1024, 4096);
  files.AddFile("N:\\~F\\" + NtfsFillerName("", 1, 253), std::string(64, '\0'));
  files.AddFile("N:\\~F\\" + NtfsFillerName("", 2, 253), std::string(64, '\0'));
  SaveCurrentFolder(platform, "N:\\~F");
  CleanUpLeftovers(platform, settings, platform.MessageBoxes);
  EXPECT_FALSE(files.Exists("N:\\~F"));

  files.AddFile("N:\\Docs\\" + NtfsFillerName("a.txt", 1, 14), "");
  files.AddFile("N:\\Docs\\a.txt", "mine");
  files.AddFile("N:\\Docs\\Sub\\" + NtfsFillerName("", 1, 9), "");
  SaveCurrentFolder(platform, "N:\\Docs");
  CleanUpLeftovers(platform, settings, platform.MessageBoxes);
  EXPECT_FALSE(files.Exists("N:\\Docs\\" + NtfsFillerName("a.txt", 1, 14)));
  EXPECT_TRUE(files.Exists("N:\\Docs\\a.txt"));
  EXPECT_TRUE(files.Exists("N:\\Docs\\Sub\\" + NtfsFillerName("", 1, 9)))
      << "only the folder CURRENTDRIVE names";
  EXPECT_TRUE(files.Exists("N:\\Docs"));
}

} // namespace
} // namespace bw
