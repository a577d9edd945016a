// The file classification, the question each attribute mix gets, what a prompt shows and what
// its end code means, and the File Destruction Warning's model.
#include "platform/Types.h"
#include "zap/FileClassification.h"
#include "zap/ZapPrompts.h"
#include "zap/ZapWarning.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(FileClassificationTest, ClassifiesByNameAndExtension) {
  struct Case {
    const char* Path;
    FileClass Expected;
  } cases[] = {
      {"c:\\program files\\blankwright\\blankwright base.exe", FileClass::OwnFile},
      {"d:\\copies\\BLANKWRIGHT BASE.EXE", FileClass::OwnFile},
      {"thbwshell.dll", FileClass::OwnFile},
      {"c:\\windows\\system.ini", FileClass::SystemType},
      {"c:\\games\\SETUP.EXE", FileClass::SystemType},
      {"c:\\a\\shortcut.lnk", FileClass::SystemType},
      {"c:\\a\\driver.VxD", FileClass::SystemType},
      {"c:\\a\\notes", FileClass::Ordinary},
      {"c:\\a\\archive.tar.gz", FileClass::Ordinary},
      {"c:\\a\\program.exe.txt", FileClass::Ordinary},
      {"c:\\a.exe\\readme", FileClass::Ordinary}, // the folder's extension is not the file's
      {"c:\\a\\blankwright base.exe.bak", FileClass::Ordinary},
      {"c:\\a\\.exe", FileClass::SystemType},
      {"c:\\a\\trailing.", FileClass::Ordinary},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(ClassifyFile(c.Path), c.Expected);
  }
}

TEST(ZapPromptsTest, AttributeQuestionByFirstMatchingRule) {
  constexpr uint32_t H = kFileAttributeHidden, S = kFileAttributeSystem, R = kFileAttributeReadOnly,
                     A = kFileAttributeArchive;
  struct Case {
    uint32_t Attributes;
    const char* Question; // null: none
    ZapPromptKind Kind;
  } cases[] = {
      {H | S | R, "is flagged HIDDEN/SYSTEM, destroy it?", ZapPromptKind::HiddenOrSystem},
      {H | S, "is flagged HIDDEN/SYSTEM, destroy it?", ZapPromptKind::HiddenOrSystem},
      {S | R, "is flagged SYSTEM, destroy it?", ZapPromptKind::HiddenOrSystem},
      {S, "is flagged SYSTEM, destroy it?", ZapPromptKind::HiddenOrSystem},
      {H | R, "is flagged READ-ONLY, destroy it?", ZapPromptKind::ReadOnly},
      {R | A, "is flagged READ-ONLY, destroy it?", ZapPromptKind::ReadOnly},
      {H, "is flagged HIDDEN, destroy it?", ZapPromptKind::HiddenOrSystem},
      {A, nullptr, ZapPromptKind::Folder},
      {kFileAttributeCompressed, nullptr, ZapPromptKind::Folder},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Attributes);
    std::string question;
    ZapPromptKind kind = ZapPromptKind::Folder;
    ASSERT_EQ(ChooseAttributeQuestion(c.Attributes, question, kind), c.Question != nullptr);
    if (c.Question) {
      EXPECT_EQ(question, c.Question);
      EXPECT_EQ(kind, c.Kind);
    }
  }
}

TEST(ZapPromptsTest, OnlyTheFourButtonsCountAndEverythingElseIsNo) {
  struct Case {
    int Code;
    ZapPromptResult Expected;
  } cases[] = {
      {1073, ZapPromptResult::YesToAll}, {1074, ZapPromptResult::Yes},
      {1076, ZapPromptResult::Abort},    {1077, ZapPromptResult::No},
      {1, ZapPromptResult::No}, // Enter on a dialog without a default button
      {2, ZapPromptResult::No}, // Esc or the close box
      {0, ZapPromptResult::No},          {-1, ZapPromptResult::No}, // the dialog could not be shown
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Code);
    EXPECT_EQ(ToPromptResult(c.Code), c.Expected);
  }
}

TEST(ZapPromptsTest, NameShownAndButtonsOffered) {
  ZapPrompt file = MakeFilePrompt("c:\\docs\\setup.exe", kSystemTypeQuestion, false);
  EXPECT_EQ(file.Name, "setup.exe");
  EXPECT_FALSE(file.YesToAllEnabled);
  EXPECT_EQ(file.DefaultButton, 0) << "Enter presses nothing in dialog 162";
  ZapPrompt folder = MakeFolderPrompt("c:\\docs\\old", true);
  EXPECT_EQ(folder.Name, "old");
  EXPECT_TRUE(folder.YesToAllEnabled);
  EXPECT_EQ(folder.DefaultButton, 1074);
  EXPECT_EQ(MakeFolderPrompt("d:\\", true).Name, "d:\\") << "a root shows as its drive";
  EXPECT_EQ(MakeCompressedPrompt("c:\\big.log", true).FinalQuestion, "Delete this file?");
}

TEST(ZapWarningTest, OverwriteLineAndRows) {
  CZapWarningModel one({"c:\\a.txt"}, 1);
  EXPECT_EQ(one.OverwriteLine(), "Overwriting files 1 times!");
  CZapWarningModel model({"c:\\a.txt", "c:\\documents\\reports\\2024\\summary.txt",
                          "\\\\server\\share\\folder\\file.txt"},
                         7);
  EXPECT_EQ(model.OverwriteLine(), "Overwriting files 7 times!");
  // One pixel per character; the list's client area is 26 + 28 pixels wide.
  auto measure = [](const std::string& text) { return static_cast<int>(text.size()); };
  std::vector<std::string> rows = model.Rows(26 + 28, measure);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "c:\\a.txt");
  EXPECT_EQ(rows[1], "c:\\...ports\\2024\\summary.txt");
  EXPECT_EQ(rows[2].substr(0, 12), "\\\\server\\...");
  EXPECT_LE(rows[2].size(), 28u);
  EXPECT_FALSE(CZapWarningModel::GoesAhead(CZapWarningModel::ResultOfEnter()));
}

TEST(ZapWarningTest, LabelFontHeight) {
  const struct {
    int PixelsPerInch;
    int Height;
  } cases[] = {{96, -15}, {120, -19}, {144, -23}, {72, -12}, {0, -15}, {-5, -15}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.PixelsPerInch);
    EXPECT_EQ(CZapWarningModel::LabelFontHeight(c.PixelsPerInch), c.Height);
  }
}

} // namespace
} // namespace bw
