// The zap job on the memory platform: what it writes, deletes, asks and cleans.
#include "zap/ZapJob.h"

#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/volume/FatImage.h"
#include "tests/unit/zap/FaultyFilePlatform.h"
#include "tests/unit/zap/RecordingZapView.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CRecordingNameCleaning;
using test::CRecordingZapView;

constexpr int kYes = static_cast<int>(ZapPromptResult::Yes);
constexpr int kYesToAll = static_cast<int>(ZapPromptResult::YesToAll);
constexpr int kNo = static_cast<int>(ZapPromptResult::No);
constexpr int kAbort = static_cast<int>(ZapPromptResult::Abort);
constexpr uint64_t kMiB = 1024 * 1024;

class ZapJobTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform.AddDrive('C', DriveType::Fixed, 64 * kMiB, 4096);
    settings.OverwriteCount = 3;
  }

  /// Gives drive C a FAT16 boot sector with 4096-byte clusters, so that its format reads.
  void GiveDriveAFormat() {
    test::FatGeometry geometry = test::Fat16Geometry();
    geometry.SectorsPerCluster = 8;
    test::CFatImage image(geometry);
    platform.DrivesFake.Drives['C'].Image = image.Bytes;
  }

  void Run(std::vector<std::string> selections) {
    job = std::make_unique<CZapJob>(platform, settings, view, std::move(selections));
    job->SetNameCleaning(&names);
    job->Run();
  }

  /// The passes written to path, one "fill:bytes" per pass (a pass starts at offset 0).
  std::vector<std::string> PassesWritten(const std::string& path) {
    std::vector<std::string> passes;
    int fill = -2;
    uint64_t bytes = 0;
    auto flush = [&] {
      if (fill != -2) {
        char text[64];
        std::snprintf(text, sizeof(text), "%02x:%llu", fill & 0xFF,
                      static_cast<unsigned long long>(bytes));
        passes.push_back(text);
      }
    };
    for (const memory::WriteRecord& w : platform.FilesFake.Writes) {
      if (w.Path != path)
        continue;
      if (w.Offset == 0) {
        flush();
        fill = w.Fill;
        bytes = 0;
      }
      EXPECT_EQ(w.Fill, fill) << "a pass writes one byte throughout";
      bytes += w.Size;
    }
    flush();
    return passes;
  }

  bool Exists(const std::string& path) { return platform.FilesFake.Exists(path); }

  CMemoryPlatform platform;
  CSettings settings;
  CRecordingZapView view;
  CRecordingNameCleaning names;
  std::unique_ptr<CZapJob> job;
};

TEST_F(ZapJobTest, FirstSelectionRoundsToTheClusterAndLaterOnesTo32KiB) {
  struct Case {
    const char* Name;
    bool Format, QueryFails;
    const char* FirstUnit;
    std::vector<std::string> NameCleaning;
  } cases[] = {
      {"boot sector read", true, false, "4096", {"C:\\ x3"}},
      {"no raw access: the system's cluster size", false, false, "4096", {}},
      {"no cluster size at all: never a divisor", false, true, "32768", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Format)
      GiveDriveAFormat();
    else
      platform.DrivesFake.Drives['C'].Image.clear();
    platform.DrivesFake.Drives['C'].FreeSpaceFails = c.QueryFails;
    platform.FilesFake.Writes.clear();
    names.Calls.clear();
    platform.FilesFake.AddFile("C:\\a.txt", "A");
    platform.FilesFake.AddFile("C:\\b.txt", "B");
    Run({"C:\\a.txt", "C:\\b.txt"});
    const std::string unit = c.FirstUnit;
    using Passes = std::vector<std::string>;
    EXPECT_EQ(PassesWritten("C:\\a.txt"), (Passes{"00:" + unit, "ff:" + unit, "00:" + unit}));
    EXPECT_EQ(PassesWritten("C:\\b.txt"), (Passes{"00:32768", "ff:32768", "00:32768"}));
    EXPECT_FALSE(Exists("C:\\a.txt"));
    EXPECT_FALSE(Exists("C:\\b.txt"));
    EXPECT_EQ(names.Calls, c.NameCleaning);
    EXPECT_TRUE(view.Boxes.empty());
    EXPECT_TRUE(view.Closed);
  }
}

TEST_F(ZapJobTest, PassBytesAndTextsFollowTheCount) {
  struct Case {
    int Count;
    std::vector<std::string> Fills;
    std::vector<std::string> Texts;
  } cases[] = {
      {1, {"00:4096"}, {"Pass 1 of 1 overwrite"}},
      {2, {"00:4096", "ff:4096"}, {"Pass 1 of 2 overwrites", "Pass 2 of 2 overwrites"}},
      {3,
       {"00:4096", "ff:4096", "00:4096"},
       {"Pass 1 of 3 overwrites", "Pass 2 of 3 overwrites", "Pass 3 of 3 overwrites"}},
      {0, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Count);
    platform.FilesFake.Writes.clear();
    view.Passes.clear();
    settings.OverwriteCount = c.Count;
    ASSERT_TRUE(platform.FilesFake.AddFile("C:\\f.bin", 3000, 0x41));
    Run({"C:\\f.bin"});
    EXPECT_EQ(PassesWritten("C:\\f.bin"), c.Fills);
    EXPECT_EQ(view.Passes, c.Texts);
    EXPECT_FALSE(Exists("C:\\f.bin"));
  }
}

TEST_F(ZapJobTest, FlushesEverySeventyWritesOfAFileAndAtEachPassEnd) {
  settings.OverwriteCount = 2;
  ASSERT_TRUE(platform.FilesFake.AddFile("C:\\big.bin", 100 * 32768, 0x41));
  Run({"C:\\big.bin"});
  // 100 writes per pass, counted across passes: after writes 70 and 140, and at both ends.
  EXPECT_EQ(std::count(platform.FilesFake.Flushes.begin(), platform.FilesFake.Flushes.end(),
                       "C:\\big.bin"),
            4);
  EXPECT_EQ(PassesWritten("C:\\big.bin"), (std::vector<std::string>{"00:3276800", "ff:3276800"}));
  EXPECT_EQ(view.Progress.back(), 100);
}

// Whole 32 KiB chunks of the aligned buffers go past the cache; a padded size that is not a
// multiple of the platform's alignment (512-byte clusters) writes its tail cached, in every pass.
TEST_F(ZapJobTest, ChunksGoPastTheCacheAndOnlyAnOddTailIsCached) {
  struct Case {
    const char* Name;
    uint32_t ClusterSize;
    uint64_t Size;
    std::vector<bool> Unbuffered; ///< per write of one pass
  } cases[] = {
      {"4 KiB clusters", 4096, 40000, {true, true}},
      {"512-byte clusters", 512, 40000, {true, false}},
      {"one small cluster", 512, 1000, {false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform.AddDrive('D', DriveType::Fixed, 64 * kMiB, c.ClusterSize);
    platform.FilesFake.Writes.clear();
    settings.OverwriteCount = 2;
    ASSERT_TRUE(platform.FilesFake.AddFile("D:\\f.bin", c.Size, 0x41));
    Run({"D:\\f.bin"});
    std::vector<bool> unbuffered;
    for (const memory::WriteRecord& w : platform.FilesFake.Writes) {
      EXPECT_TRUE(w.FlagsAndAttributes & kFileFlagNoBuffering);
      unbuffered.push_back(w.Unbuffered);
    }
    std::vector<bool> expected = c.Unbuffered;
    expected.insert(expected.end(), c.Unbuffered.begin(), c.Unbuffered.end());
    EXPECT_EQ(unbuffered, expected) << "each pass opens the file afresh";
    EXPECT_FALSE(Exists("D:\\f.bin"));
  }
}

TEST_F(ZapJobTest, FileOfFourGibibytesIsSizedFromBothHalves) {
  settings.OverwriteCount = 1;
  platform.AddDrive('C', DriveType::Fixed, 8 * 1024 * kMiB, 4096);
  const uint64_t size = (uint64_t{1} << 32) + 1;
  ASSERT_TRUE(platform.FilesFake.AddFile("C:\\huge.bin", size, 0x41));
  Run({"C:\\huge.bin"});
  EXPECT_EQ(PassesWritten("C:\\huge.bin"), std::vector<std::string>{"00:4294971392"});
  EXPECT_FALSE(Exists("C:\\huge.bin"));
}

TEST_F(ZapJobTest, FullDiskStillOverwritesTheFilesOwnBytes) {
  // The second selection is padded to 32 KiB, far past its two clusters, on a disk with no
  // free cluster but the one a.txt gave back: FAT writes what fits, NTFS refuses the whole
  // write.
  struct Case {
    bool WholeWritesOnly;
    std::vector<std::string> Writes; ///< "asked/written" of one pass
  } cases[] = {{false, {"32768/12288"}}, {true, {"32768/0", "5000/5000"}}};
  settings.OverwriteCount = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.WholeWritesOnly);
    platform.FilesFake.Writes.clear();
    platform.FilesFake.AddFile("C:\\a.txt", "A");
    ASSERT_TRUE(platform.FilesFake.AddFile("C:\\b.bin", 5000, 0x41));
    platform.FilesFake.Volume('C')->FreeBytes = 0;
    platform.FilesFake.Volume('C')->WholeWritesOnly = c.WholeWritesOnly;
    Run({"C:\\a.txt", "C:\\b.bin"});
    std::vector<std::string> writes, expected;
    for (const memory::WriteRecord& w : platform.FilesFake.Writes)
      if (w.Path == "C:\\b.bin")
        writes.push_back(std::to_string(w.Size) + "/" + std::to_string(w.Written));
    for (int pass = 0; pass < 2; ++pass)
      expected.insert(expected.end(), c.Writes.begin(), c.Writes.end());
    EXPECT_EQ(writes, expected);
    EXPECT_FALSE(Exists("C:\\b.bin"));
    EXPECT_TRUE(view.Boxes.empty());
  }
}

TEST_F(ZapJobTest, FileWhoseOwnBytesCannotBeWrittenIsKeptAndTheJobStops) {
  ASSERT_TRUE(platform.FilesFake.AddFile("C:\\a.bin", 4 * 32768, 0x41));
  platform.FilesFake.AddFile("C:\\b.txt", "untouched");
  platform.FilesFake.OnWrite = [&](const memory::WriteRecord&) {
    platform.FilesFake.Volume('C')->Ready = false; // the medium goes after the first write
  };
  Run({"C:\\a.bin", "C:\\b.txt"});
  platform.FilesFake.OnWrite = nullptr;
  platform.FilesFake.Volume('C')->Ready = true;
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "File c:\\a.bin could not be overwritten.  Canceling operation.");
  EXPECT_TRUE(Exists("C:\\a.bin")) << "kept for the user to zap again";
  EXPECT_EQ(platform.FilesFake.Text("C:\\b.txt"), "untouched");
  EXPECT_TRUE(job->IsCancelled());
}

TEST(ZapFaultTest, UncheckedSeekOrShortRetryKeepsTheFile) {
  // A pass that cannot start at the first byte, or a retry of the file's own bytes on a full
  // disk that reaches only part of them, leaves old data on the disk: the file must stay. The
  // retry needs padding past the file's clusters: a second selection is padded to 32 KiB.
  struct Case {
    const char* Name;
    bool FailSeek;
    std::vector<std::string> Selections;
  };
  const Case cases[] = {
      {"seek to the start fails", true, {"C:\\b.bin"}},
      {"retry of the own bytes comes up short", false, {"C:\\a.txt", "C:\\b.bin"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    test::CFaultyFilePlatform platform;
    platform.Inner.AddDrive('C', DriveType::Fixed, 64 * kMiB, 4096);
    platform.Inner.FilesFake.AddFile("C:\\a.txt", "A");
    ASSERT_TRUE(platform.Inner.FilesFake.AddFile("C:\\b.bin", 5000, 0x41));
    if (c.FailSeek) {
      platform.SeekAllowed = [](int64_t) { return false; };
    } else {
      platform.Inner.FilesFake.Volume('C')->FreeBytes = 0;
      platform.Inner.FilesFake.Volume('C')->WholeWritesOnly = true;
      platform.WriteLimit = [](uint32_t size) { return size == 5000 ? 1000u : size; };
    }
    CSettings settings;
    settings.OverwriteCount = 1;
    CRecordingZapView view;
    CRecordingNameCleaning names;
    CZapJob job(platform, settings, view, c.Selections);
    job.SetNameCleaning(&names);
    job.Run();
    EXPECT_TRUE(platform.Inner.FilesFake.Exists("C:\\b.bin"));
    ASSERT_EQ(view.Boxes.size(), 1u);
    EXPECT_EQ(view.Boxes[0].Text, "File c:\\b.bin could not be overwritten.  Canceling operation.");
    EXPECT_TRUE(job.IsCancelled());
  }
}

TEST_F(ZapJobTest, EmptyAndCompressedFilesAreDeletedWithoutAPass) {
  platform.FilesFake.AddFile("C:\\empty.txt", "");
  platform.FilesFake.AddFile("C:\\packed.log", "secret", kFileAttributeCompressed);
  Run({"C:\\empty.txt", "C:\\packed.log"});
  EXPECT_TRUE(platform.FilesFake.Creates.empty()) << "neither is opened";
  ASSERT_EQ(view.Prompts.size(), 1u);
  EXPECT_EQ(view.Prompts[0].Dialog, kCompressedConfirmDialog);
  EXPECT_FALSE(Exists("C:\\empty.txt"));
  EXPECT_FALSE(Exists("C:\\packed.log"));
  EXPECT_EQ(view.Progress.back(), 100);
}

TEST_F(ZapJobTest, CancelInTheSecondPassDeletesTheFileAndTouchesNothingElse) {
  ASSERT_TRUE(platform.FilesFake.AddFile("C:\\a.bin", 10 * 32768, 0x41));
  platform.FilesFake.AddFile("C:\\b.txt", "untouched");
  int writes = 0;
  platform.FilesFake.OnWrite = [&](const memory::WriteRecord&) {
    if (++writes == 15)
      job->OnClose(); // the close box, during the fifth write of pass 2
  };
  Run({"C:\\a.bin", "C:\\b.txt"});
  EXPECT_EQ(PassesWritten("C:\\a.bin"), (std::vector<std::string>{"00:327680", "ff:163840"}));
  EXPECT_FALSE(Exists("C:\\a.bin"));
  EXPECT_EQ(platform.FilesFake.Text("C:\\b.txt"), "untouched");
  EXPECT_EQ(view.Passes.back(), "Pass 2 of 3 overwrites");
  EXPECT_TRUE(job->IsCancelled());
  EXPECT_FALSE(view.CancelEnabled);
  EXPECT_TRUE(view.Boxes.empty()) << "a close asks nothing";
}

TEST_F(ZapJobTest, CancelButtonAsksFirst) {
  platform.FilesFake.AddFile("C:\\a.txt", "a");
  platform.FilesFake.AddFile("C:\\b.txt", "b");
  view.BoxAnswers = {kIdNo, kIdYes};
  int pumps = 0;
  view.OnPump = [&] {
    ++pumps;
    if (pumps == 1 || pumps == 5) // before the first selection; before the second
      job->OnCancel();
  };
  Run({"C:\\a.txt", "C:\\b.txt"});
  ASSERT_EQ(view.Boxes.size(), 2u);
  EXPECT_EQ(view.Boxes[0].Text, "Are you sure you want to stop zapping the selected files?");
  EXPECT_EQ(view.Boxes[0].Caption, "Abort");
  EXPECT_EQ(view.Boxes[0].Style, kMbYesNo | kMbIconQuestion);
  EXPECT_FALSE(Exists("C:\\a.txt")) << "No went on";
  EXPECT_TRUE(Exists("C:\\b.txt")) << "Yes stopped";
  EXPECT_FALSE(view.CancelEnabled);
}

TEST_F(ZapJobTest, OpenFailureStopsTheJobAndStillDeletesTheFile) {
  platform.FilesFake.AddFile("C:\\busy.txt", "in use");
  platform.FilesFake.AddFile("C:\\next.txt", "next");
  // Another program holds it without sharing: it cannot be opened for writing.
  auto held = platform.FilesFake.CreateFile("C:\\busy.txt", kGenericRead, 0, kOpenExisting, 0);
  ASSERT_TRUE(held);
  Run({"C:\\busy.txt", "C:\\next.txt"});
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text,
            "File c:\\busy.txt could not be accessed.  It may be in use by another program.");
  EXPECT_EQ(view.Boxes[0].Caption, "File Error");
  EXPECT_TRUE(job->IsCancelled());
  bool deleteTried = false;
  for (const memory::RemoveRecord& r : platform.FilesFake.Removes)
    deleteTried |= r.Path == "C:\\busy.txt" && r.Call == memory::RemoveCall::ShellDelete;
  EXPECT_TRUE(deleteTried);
  EXPECT_TRUE(Exists("C:\\next.txt"));
}

TEST_F(ZapJobTest, FolderWalkDestroysFilesAndRemovesEachSubfolderAfterItsWalk) {
  GiveDriveAFormat();
  auto& files = platform.FilesFake;
  files.AddFile("C:\\docs\\a.txt", "a");
  files.AddFile("C:\\docs\\Sub\\inner.txt", "i");
  files.AddFile("C:\\docs\\Sub\\.cache\\deep.txt", "d");
  files.AddFile("C:\\docs\\z.txt", "z");
  files.AddFile("C:\\keep.txt", "k");
  Run({"C:\\docs"});
  std::vector<std::string> removed;
  for (const memory::RemoveRecord& r : files.Removes)
    if (r.Error == kErrorSuccess)
      removed.push_back(r.Path);
  EXPECT_EQ(removed, (std::vector<std::string>{"C:\\docs\\a.txt", "C:\\docs\\Sub\\.cache\\deep.txt",
                                               "C:\\docs\\Sub\\.cache", "C:\\docs\\Sub\\inner.txt",
                                               "C:\\docs\\Sub", "C:\\docs\\z.txt", "C:\\docs"}));
  EXPECT_EQ(names.Calls, (std::vector<std::string>{"C:\\docs\\Sub\\.cache x3", "C:\\docs\\Sub x3",
                                                   "C:\\docs x3", "C:\\ x3"}));
  EXPECT_EQ(files.Text("C:\\keep.txt"), "k");
  ASSERT_EQ(view.Prompts.size(), 1u);
  EXPECT_EQ(view.Prompts[0].Name, "docs");
  EXPECT_TRUE(view.Prompts[0].YesToAllEnabled) << "a folder holds several items";
  EXPECT_EQ(view.Paths.back(), "c:\\docs\\z.txt") << "shown lower-cased";
}

TEST_F(ZapJobTest, LostWayOutOfAFolderStopsTheJobAtOnce) {
  // Once the walk stands in Inside, the folder it came from can no longer be entered. A zap
  // stuck in a folder cannot remove it: it stops there, before cleaning names or going on.
  struct Case {
    const char* Selection;
    const char* Inside;
    const char* Blocked;
    const char* Box;
    std::vector<std::string> NameCalls;
  };
  const Case cases[] = {
      {"C:\\one",
       "C:\\one\\Sub",
       "C:\\one",
       "Unable to delete folder c:\\one\\sub.  Canceling operation.",
       {}},
      {"C:\\two",
       "C:\\two",
       "C:\\",
       "Unable to delete folder c:\\two.  Canceling operation.",
       {"C:\\two\\Sub x3"}},
  };
  GiveDriveAFormat();
  auto& files = platform.FilesFake;
  files.AddFile("C:\\later.txt", "later");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Inside);
    files.AddFile(std::string(c.Selection) + "\\Sub\\inner.txt", "i");
    files.AddFile(std::string(c.Selection) + "\\z.txt", "z");
    files.OnFindStep = [&](const memory::FindStep& step) {
      std::string here;
      if (step.First && files.GetCurrentDirectory(here) && here == c.Inside)
        files.BlockEntering(c.Blocked);
    };
    view = CRecordingZapView();
    names.Calls.clear();
    Run({c.Selection, "C:\\later.txt"});
    files.OnFindStep = nullptr;
    ASSERT_EQ(view.Boxes.size(), 1u);
    EXPECT_EQ(view.Boxes[0].Text, c.Box);
    EXPECT_EQ(names.Calls, c.NameCalls);
    EXPECT_TRUE(Exists(c.Selection));
    EXPECT_EQ(files.Text("C:\\later.txt"), "later");
  }
}

TEST_F(ZapJobTest, DriveRootIsWalkedButNeverRemoved) {
  GiveDriveAFormat();
  auto& files = platform.FilesFake;
  files.AddFile("C:\\a.txt", "a");
  files.AddFile("C:\\dir\\b.txt", "b");
  Run({"C:\\"});
  EXPECT_TRUE(files.Names("C:\\").empty());
  EXPECT_TRUE(Exists("C:\\"));
  ASSERT_EQ(view.Prompts.size(), 1u);
  EXPECT_EQ(view.Prompts[0].Name, "c:\\");
  EXPECT_EQ(names.Calls, (std::vector<std::string>{"C:\\dir x3", "C:\\ x3"}));
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(ZapJobTest, DeclinedFileKeepsItsFolderAndStopsTheJob) {
  GiveDriveAFormat();
  auto& files = platform.FilesFake;
  files.AddFile("C:\\docs\\keep.exe", "program");
  files.AddFile("C:\\docs\\z.txt", "z");
  files.AddFile("C:\\later.txt", "later");
  view.PromptAnswers = {kYes, kNo}; // the folder, then keep.exe
  Run({"C:\\docs", "C:\\later.txt"});
  EXPECT_EQ(files.Text("C:\\docs\\keep.exe"), "program");
  EXPECT_FALSE(Exists("C:\\docs\\z.txt"));
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Unable to delete folder c:\\docs.  Canceling operation.");
  EXPECT_EQ(view.Boxes[0].Caption, "Folder Error");
  EXPECT_EQ(view.Boxes[0].Style, kMbOk | kMbIconError);
  EXPECT_EQ(files.Text("C:\\later.txt"), "later");
  EXPECT_EQ(names.Calls, std::vector<std::string>{"C:\\docs x3"}) << "no parent after a stop";
}

TEST_F(ZapJobTest, AbortStopsTheJobAndEarlierFilesStayDestroyed) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\docs\\a.txt", "a");
  files.AddFile("C:\\docs\\b.exe", "b");
  files.AddFile("C:\\docs\\c.txt", "c");
  view.PromptAnswers = {kYes, kAbort};
  Run({"C:\\docs"});
  EXPECT_FALSE(Exists("C:\\docs\\a.txt"));
  EXPECT_TRUE(Exists("C:\\docs\\b.exe"));
  EXPECT_TRUE(Exists("C:\\docs\\c.txt"));
  EXPECT_TRUE(Exists("C:\\docs"));
  EXPECT_TRUE(job->IsCancelled());
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(ZapJobTest, EscapeCloseAndEnterInAPromptMeanNo) {
  for (const char* name : {"a.exe", "b.exe", "c.exe", "d.exe"})
    platform.FilesFake.AddFile(std::string("C:\\") + name, name);
  view.PromptAnswers = {2, 1, 0, kYes}; // Esc or close, Enter, failed dialog, Yes
  Run({"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\d.exe"});
  EXPECT_TRUE(Exists("C:\\a.exe"));
  EXPECT_TRUE(Exists("C:\\b.exe"));
  EXPECT_TRUE(Exists("C:\\c.exe"));
  EXPECT_FALSE(Exists("C:\\d.exe"));
  EXPECT_FALSE(job->IsCancelled());
}

TEST_F(ZapJobTest, QuestionsComeInOrderAndYesToAllIsRememberedPerKind) {
  auto& files = platform.FilesFake;
  constexpr uint32_t H = kFileAttributeHidden, S = kFileAttributeSystem, R = kFileAttributeReadOnly,
                     C = kFileAttributeCompressed;
  files.AddFile("C:\\d\\1.sys", "1", H | S | R | C);
  files.AddFile("C:\\d\\2.txt", "2", H);
  files.AddFile("C:\\d\\3.dll", "3");
  files.AddFile("C:\\d\\4.txt", "4", R);
  files.AddFile("C:\\d\\5.txt", "5", S);
  files.AddFile("C:\\d\\6.txt", "6", R);
  files.AddFile("C:\\d\\7.txt", "7", C);
  view.PromptAnswers = {kYesToAll,                  // the folder
                        kYesToAll, kYesToAll, kYes, // 1.sys: system type, attributes, packed
                        kYes,                       // 4.txt
                        kYes,                       // 6.txt
                        kYesToAll};                 // 7.txt
  Run({"C:\\d"});
  EXPECT_EQ(view.PromptLines(), (std::vector<std::string>{
                                    "d: is a folder, destroy it and all its contents?",
                                    "1.sys: appears to be a SYSTEM file, Zap it?",
                                    "1.sys: is flagged HIDDEN/SYSTEM, destroy it?",
                                    "1.sys: " + MakeCompressedPrompt("x", true).Question,
                                    "4.txt: is flagged READ-ONLY, destroy it?",
                                    "6.txt: is flagged READ-ONLY, destroy it?",
                                    "7.txt: " + MakeCompressedPrompt("x", true).Question,
                                }));
  EXPECT_TRUE(files.Names("C:\\").empty());
  for (bool animating : view.AnimatingDuringBoxes)
    EXPECT_FALSE(animating) << "the animation rests while a question is up";
  EXPECT_TRUE(view.Animating);
}

TEST_F(ZapJobTest, YesToAllIsOfferedOnlyWhenThereIsMoreThanOneItem) {
  struct Case {
    std::vector<std::string> Selections;
    bool Offered;
  } cases[] = {
      {{"C:\\x\\a.exe"}, false},
      {{"C:\\x\\a.exe", "C:\\x\\b.txt"}, true},
      {{"C:\\x"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Selections.size());
    platform.FilesFake.AddFile("C:\\x\\a.exe", "a");
    platform.FilesFake.AddFile("C:\\x\\b.txt", "b");
    view.Prompts.clear();
    view.PromptAnswers = {kYes, kYes};
    Run(c.Selections);
    ASSERT_FALSE(view.Prompts.empty());
    for (const ZapPrompt& p : view.Prompts)
      EXPECT_EQ(p.YesToAllEnabled, c.Offered) << p.Name;
    platform.FilesFake.RemoveEntry("C:\\x");
  }
}

TEST_F(ZapJobTest, OwnFileIsRefusedAndTheJobGoesOn) {
  platform.FilesFake.AddFile("C:\\Tools\\BLANKWRIGHT BASE.EXE", "me");
  platform.FilesFake.AddFile("C:\\x.txt", "x");
  Run({"C:\\Tools\\BLANKWRIGHT BASE.EXE", "C:\\x.txt"});
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "The file c:\\tools\\blankwright base.exe is an Blankwright "
                                "system file, this file cannot be Zapped.");
  EXPECT_EQ(view.Boxes[0].Caption, "File Error");
  EXPECT_TRUE(view.Prompts.empty()) << "refused before any question";
  EXPECT_TRUE(Exists("C:\\Tools\\BLANKWRIGHT BASE.EXE"));
  EXPECT_FALSE(Exists("C:\\x.txt"));
}

TEST_F(ZapJobTest, WriteProtectedFileAsksAbortRetryIgnore) {
  struct Case {
    std::deque<int> Answers;
    bool Cancelled;
  } cases[] = {{{kIdRetry, kIdIgnore}, false}, {{kIdAbort}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Answers.size());
    platform.FilesFake.AddFile("C:\\ro.txt", "r");
    platform.FilesFake.AddFile("C:\\next.txt", "n");
    platform.FilesFake.FailSetAttributes("C:\\ro.txt", kErrorWriteProtect);
    view.Boxes.clear();
    view.BoxAnswers = c.Answers;
    Run({"C:\\ro.txt", "C:\\next.txt"});
    ASSERT_EQ(view.Boxes.size(), c.Answers.size());
    EXPECT_EQ(view.Boxes[0].Text,
              "File c:\\ro.txt could not be accessed.  It may be on a write-protected disk.");
    EXPECT_EQ(view.Boxes[0].Style, kMbAbortRetryIgnore | kMbIconError);
    EXPECT_TRUE(Exists("C:\\ro.txt"));
    EXPECT_EQ(Exists("C:\\next.txt"), c.Cancelled);
    EXPECT_EQ(job->IsCancelled(), c.Cancelled);
    platform.FilesFake.RemoveEntry("C:\\ro.txt");
    platform.FilesFake.RemoveEntry("C:\\next.txt");
  }
}

TEST_F(ZapJobTest, VanishedSelectionIsSkippedSilently) {
  platform.FilesFake.AddFile("C:\\here.txt", "h");
  Run({"", "C:\\gone.txt", "C:\\here.txt"});
  EXPECT_TRUE(view.Boxes.empty());
  EXPECT_FALSE(Exists("C:\\here.txt"));
}

TEST_F(ZapJobTest, UnreachableSelectionAsksRetryOrCancel) {
  platform.FilesFake.AddFile("C:\\locked\\a.txt", "a");
  platform.FilesFake.AddFile("C:\\b.txt", "b");
  platform.FilesFake.FailFind("C:\\locked", kErrorAccessDenied);
  view.BoxAnswers = {kIdRetry, kIdCancel};
  Run({"C:\\locked\\a.txt", "C:\\b.txt", "\\\\server\\share\\c.txt"});
  ASSERT_EQ(view.Boxes.size(), 2u);
  EXPECT_EQ(view.Boxes[0].Text, "Drive c: could not be accessed.");
  EXPECT_EQ(view.Boxes[0].Caption, "Drive Error");
  EXPECT_EQ(view.Boxes[0].Style, kMbRetryCancel | kMbIconError);
  EXPECT_TRUE(job->IsCancelled());
  EXPECT_TRUE(Exists("C:\\b.txt"));

  // A network path names the whole path.
  view.Boxes.clear();
  Run({"\\\\Server\\Share\\c.txt"});
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text,
            "The drive containing \\\\server\\share\\c.txt could not be accessed.");
}

TEST_F(ZapJobTest, LinksInAZappedFolderAreRemovedAndTheirTargetsKept) {
  auto& files = platform.FilesFake;
  files.AddFile("C:\\precious\\thesis.doc", "years of work");
  files.AddFile("C:\\precious\\sub\\data.bin", "more");
  files.AddFile("C:\\zap\\own.txt", "mine");
  files.AddLink("C:\\zap\\folder link", "C:\\precious", true);
  files.AddLink("C:\\zap\\file link", "C:\\precious\\thesis.doc", false);
  files.AddLink("C:\\selected link", "C:\\precious", true);
  Run({"C:\\zap", "C:\\selected link"});
  EXPECT_EQ(files.Text("C:\\precious\\thesis.doc"), "years of work");
  EXPECT_EQ(files.Text("C:\\precious\\sub\\data.bin"), "more");
  for (const memory::WriteRecord& w : files.Writes)
    EXPECT_EQ(w.Path, "C:\\zap\\own.txt");
  EXPECT_FALSE(Exists("C:\\zap"));
  EXPECT_FALSE(Exists("C:\\selected link"));
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(ZapJobTest, PathsTooLongForTheBuffersAreRefused) {
  auto& files = platform.FilesFake;
  const std::string folder = "C:\\" + std::string(200, 'f');         // 203 characters
  const std::string longFile = folder + "\\" + std::string(55, 'n'); // 259 characters
  ASSERT_TRUE(files.AddFile(longFile, "too long to name"));
  ASSERT_TRUE(files.AddFile(folder + "\\short.txt", "s"));
  const std::string longFolder = "C:\\" + std::string(250, 'g'); // 253 characters
  ASSERT_TRUE(files.AddFile(longFolder + "\\x", "x"));
  Run({longFolder, folder});
  ASSERT_EQ(view.Boxes.size(), 3u);
  EXPECT_EQ(view.Boxes[0].Text,
            "The path c:\\" + std::string(250, 'g') + " is too long to be zapped.");
  EXPECT_EQ(view.Boxes[0].Caption, "Folder Error");
  EXPECT_EQ(view.Boxes[1].Caption, "File Error");
  EXPECT_EQ(view.Boxes[2].Caption, "Folder Error") << "the refused file keeps its folder";
  EXPECT_EQ(files.Text(longFile), "too long to name");
  EXPECT_EQ(files.Text(longFolder + "\\x"), "x");
  EXPECT_FALSE(Exists(folder + "\\short.txt"));
}

TEST_F(ZapJobTest, FoldersWithoutADriveLetterGetNoNameCleaning) {
  GiveDriveAFormat();
  platform.FilesFake.AddFile("C:\\notes.txt", "n");
  platform.FilesFake.AddFile("C:\\docs\\a.txt", "a");
  platform.FilesFake.SetCurrentDirectory("C:\\");
  // Relative paths read no drive format and lead to a parent folder without a letter, as a
  // network path does.
  Run({"notes.txt", "docs"});
  EXPECT_FALSE(Exists("C:\\notes.txt"));
  EXPECT_FALSE(Exists("C:\\docs"));
  EXPECT_TRUE(names.Calls.empty());
  EXPECT_TRUE(view.Boxes.empty());
}

TEST_F(ZapJobTest, EveryFolderThatHeldASelectionGetsItsNamesCleanedOnce) {
  // A drop on the zap icon can name items of several folders; each keeps the zapped names
  // until its own entries are overwritten.
  GiveDriveAFormat();
  platform.FilesFake.AddFile("C:\\work\\a.txt", "a");
  platform.FilesFake.AddFile("C:\\work\\b.txt", "b");
  platform.FilesFake.AddFile("C:\\old\\c.txt", "c");
  platform.FilesFake.AddFile("C:\\top.txt", "t");
  Run({"C:\\work\\a.txt", "C:\\old", "C:\\WORK\\b.txt", "C:\\top.txt"});
  EXPECT_FALSE(Exists("C:\\work\\a.txt"));
  EXPECT_FALSE(Exists("C:\\old"));
  EXPECT_EQ(names.Calls, (std::vector<std::string>{"C:\\old x3", "C:\\work x3", "C:\\ x3"}))
      << "the zapped folder's own names first, then each containing folder once";
}

TEST_F(ZapJobTest, UnreadableFormatOnTheNineXFamilyCancels) {
  platform.SystemFake.Version.PlatformId = kPlatformWin32Windows;
  platform.FilesFake.AddFile("C:\\a.txt", "a");
  Run({"C:\\a.txt"});
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Unable to read drive format. File zap canceled.");
  EXPECT_EQ(view.Boxes[0].Caption, "Access Error");
  EXPECT_TRUE(Exists("C:\\a.txt"));
}

} // namespace
} // namespace bw
