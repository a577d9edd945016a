#include "tray/TrayJobLock.h"

#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

TEST(TrayJobLockTest, HeldForTheJobAndFreeAgainAfterIt) {
  CMemoryPlatform platform;
  std::unique_ptr<CJobLock> lock;
  ASSERT_TRUE(
      TakeTrayJobLock(platform.SystemFake, platform.MessageBoxes, JobRequester::User, lock));
  ASSERT_NE(lock, nullptr);
  // The command line started meanwhile finds it taken.
  std::unique_ptr<CJobLock> other;
  EXPECT_EQ(platform.SystemFake.TryLockJob(other), JobLockResult::Busy);
  lock.reset();
  EXPECT_TRUE(
      TakeTrayJobLock(platform.SystemFake, platform.MessageBoxes, JobRequester::Unattended, lock));
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
}

TEST(TrayJobLockTest, AnotherProcesssJobTurnsAUsersRequestAwayAndSkipsTheOthersSilently) {
  CMemoryPlatform platform;
  platform.SystemFake.JobLockHeld = true; // the command line's clean runs
  std::unique_ptr<CJobLock> lock;
  EXPECT_FALSE(
      TakeTrayJobLock(platform.SystemFake, platform.MessageBoxes, JobRequester::Unattended, lock));
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty()) << "nobody to tell at a schedule or log-off";

  EXPECT_FALSE(
      TakeTrayJobLock(platform.SystemFake, platform.MessageBoxes, JobRequester::User, lock));
  EXPECT_EQ(lock, nullptr);
  ASSERT_EQ(platform.MessageBoxes.Boxes.size(), 1u);
  const auto& box = platform.MessageBoxes.Boxes[0];
  EXPECT_EQ(box.Text, "A cleaning is already running on this computer. Try again when it has "
                      "ended.");
  EXPECT_EQ(box.Caption, "Cleaning In Progress");
  EXPECT_EQ(box.Style, kMbOk | kMbIconInformation);

  // That job ends (or its process was killed, which frees the lock with it): the next runs.
  platform.SystemFake.JobLockHeld = false;
  EXPECT_TRUE(
      TakeTrayJobLock(platform.SystemFake, platform.MessageBoxes, JobRequester::User, lock));
  EXPECT_NE(lock, nullptr);
}

TEST(TrayJobLockTest, ALockThatCannotBeMadeLeavesTheJobUnguarded) {
  CMemoryPlatform platform;
  platform.SystemFake.JobLockFails = true;
  std::unique_ptr<CJobLock> lock;
  EXPECT_TRUE(
      TakeTrayJobLock(platform.SystemFake, platform.MessageBoxes, JobRequester::User, lock));
  EXPECT_EQ(lock, nullptr);
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
}

TEST(TrayJobLockTest, OnlyTheUsersOwnCleaningsAreToldWhy) {
  EXPECT_EQ(RequesterOf(JobMode::Interactive), JobRequester::User);
  EXPECT_EQ(RequesterOf(JobMode::Shutdown), JobRequester::User);
  EXPECT_EQ(RequesterOf(JobMode::Scheduled), JobRequester::Unattended);
  EXPECT_EQ(RequesterOf(JobMode::Logoff), JobRequester::Unattended);
}

} // namespace
} // namespace bw
