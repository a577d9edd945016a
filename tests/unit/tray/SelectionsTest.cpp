#include "tray/Selections.h"

#include "platform/memory/MemoryPlatform.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace bw {
namespace {

using memory::CMemoryPlatform;

class SelectionsTest : public ::testing::Test {
protected:
  void Select(const std::string& path) {
    platform.RegistryFake.Put(RegistryRoot::LocalMachine, kSelectionsKey, {path, kRegBinary, {0}});
  }
  bool SelectionsKeyExists() {
    return platform.RegistryFake.OpenKey(RegistryRoot::LocalMachine, kSelectionsKey) != nullptr;
  }

  CMemoryPlatform platform;
  std::vector<std::string> list;
};

TEST_F(SelectionsTest, ReadsEveryPathLowerCasedAndDeletesTheKey) {
  Select("C:\\Documents\\Report.DOC");
  Select("D:\\");
  Select("\\\\Server\\Share\\A.txt");
  Select(std::string(kSelectionNameMax, 'x'));
  Select(std::string(kSelectionNameMax + 1, 'y')); // too long for the reader's buffer
  list.push_back("kept");
  ASSERT_TRUE(ReadSelections(platform.RegistryFake, platform.MessageBoxes, list));
  std::vector<std::string> expected = {"kept", "c:\\documents\\report.doc", "d:\\",
                                       "\\\\server\\share\\a.txt",
                                       std::string(kSelectionNameMax, 'x')};
  std::sort(expected.begin() + 1, expected.end());
  std::sort(list.begin() + 1, list.end());
  EXPECT_EQ(list, expected);
  EXPECT_FALSE(SelectionsKeyExists());
  EXPECT_TRUE(platform.MessageBoxes.Boxes.empty());
}

TEST_F(SelectionsTest, NoKeyOrAKeyThatCannotBeDeletedMeansNoZap) {
  // No Selections key: nothing to delete either, which the reader reports as it always has.
  EXPECT_FALSE(ReadSelections(platform.RegistryFake, platform.MessageBoxes, list));
  EXPECT_TRUE(list.empty());
  ASSERT_EQ(platform.MessageBoxes.Boxes.size(), 1u);
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Text, "Cannot access registry, access denied.");
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Caption, "Registry IO Error");
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Style, kMbOk | kMbIconError);

  // The product key cannot be opened for writing: the paths were read, but the zap is off.
  Select("C:\\a.txt");
  platform.RegistryFake.FailingCreates.insert(kProductKey);
  EXPECT_FALSE(ReadSelections(platform.RegistryFake, platform.MessageBoxes, list));
  EXPECT_EQ(platform.MessageBoxes.Boxes.size(), 2u);
  EXPECT_TRUE(SelectionsKeyExists());
}

} // namespace
} // namespace bw
