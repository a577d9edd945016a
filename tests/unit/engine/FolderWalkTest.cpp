// The walk and progress helpers the cleaning phases and the zap share.
#include "engine/FolderWalk.h"

#include "engine/JobProgress.h"
#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>
#include <vector>

namespace bw {
namespace {

class CCountingPoll final : public IJobPoll {
public:
  void Pump() override { ++Pumps; }
  bool Cancelled() override { return Pumps > StopAfter; }
  int Pumps = 0;
  int StopAfter = 1000;
};

class FolderWalkTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform.FilesFake.AddVolume('C', 1024 * 1024, 512);
    files.AddFile("C:\\top\\a.txt", "a");
    files.AddFile("C:\\top\\sub\\b.txt", "b");
    ASSERT_TRUE(files.SetCurrentDirectory("C:\\top"));
  }

  std::string Current() {
    std::string here;
    EXPECT_TRUE(files.GetCurrentDirectory(here));
    return here;
  }

  memory::CMemoryPlatform platform;
  memory::CMemoryFileSystem& files = platform.FilesFake;
  CCountingPoll poll;
};

TEST_F(FolderWalkTest, ListsEveryEntryWithAPumpEachAndStopsWhenPolled) {
  CFolderListing listing(files, poll);
  ASSERT_TRUE(listing.Open());
  EXPECT_EQ(listing.Here(), "C:\\top");
  std::vector<std::string> names;
  while (listing.Next())
    names.push_back(listing.Entry().Name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.txt", "sub"}));
  EXPECT_EQ(poll.Pumps, 4);

  poll.Pumps = 0;
  poll.StopAfter = 2;
  CFolderListing stopped(files, poll);
  ASSERT_TRUE(stopped.Open());
  int seen = 0;
  while (stopped.Next())
    ++seen;
  EXPECT_EQ(seen, 2) << "the third pump found the job stopped";
}

TEST_F(FolderWalkTest, DescendComesBackByTheListedPathOrSaysLost) {
  CFolderListing listing(files, poll);
  ASSERT_TRUE(listing.Open());
  EXPECT_EQ(listing.Descend("missing", [] { return true; }), Descent::NotEntered);
  EXPECT_EQ(Current(), "C:\\top");

  std::string inside;
  EXPECT_EQ(listing.Descend("sub", [&] { return files.GetCurrentDirectory(inside); }),
            Descent::Returned);
  EXPECT_EQ(inside, "C:\\top\\sub");
  EXPECT_EQ(Current(), "C:\\top");

  EXPECT_EQ(listing.Descend("sub", [] { return false; }), Descent::Lost)
      << "a walk below that lost its way";
  EXPECT_EQ(Current(), "C:\\top\\sub") << "no step back after a lost walk below";

  files.BlockEntering("C:\\top");
  EXPECT_EQ(listing.Descend("C:\\top\\sub", [] { return true; }), Descent::Lost);
}

TEST_F(FolderWalkTest, OnlyDotEntriesMeansEmpty) {
  files.AddFolder("C:\\top\\empty");
  files.AddFile("C:\\top\\dotted\\.keep", "");
  EXPECT_TRUE(HoldsOnlyDotEntries(files, "C:\\top\\empty"));
  EXPECT_FALSE(HoldsOnlyDotEntries(files, "C:\\top\\dotted")) << "a name starting with a dot";
  EXPECT_FALSE(HoldsOnlyDotEntries(files, "sub"));
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\top", "a"), "C:\\top\\a");
}

TEST(JobProgressTest, StepsAreClampedToTheBar) {
  std::vector<int> shown;
  CJobProgress progress([&](int percent) { shown.push_back(percent); });
  progress.Start(4);
  for (int i = 0; i < 5; ++i)
    progress.Advance();
  EXPECT_EQ(shown, (std::vector<int>{25, 50, 75, 100, 100}));
  progress.Start(0);
  progress.Advance();
  progress.Show(-5);
  EXPECT_EQ(shown.back(), 0);
  EXPECT_EQ(shown[shown.size() - 2], 0) << "no steps: the bar stays";
}

} // namespace
} // namespace bw
