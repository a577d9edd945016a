#include "engine/CleaningJob.h"
#include "engine/DirectoryNameCleaner.h"
#include "engine/FillerNames.h"
#include "engine/LeftoverCleanup.h"
#include "engine/bwsingle/SingleFiller.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/engine/RecordingCleaningView.h"
#include "tests/unit/volume/FatImage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace bw {
namespace {

using memory::CMemoryPlatform;
using test::CFatImage;
using test::CRecordingCleaningView;

constexpr uint64_t kMiB = 1024 * 1024;
const std::string kFiller = "C:\\Program Files\\Blankwright\\BWSingle.exe";

// Writes directory entries one after the other: live files, folders and deleted entries.
class CDirectoryWriter {
public:
  explicit CDirectoryWriter(uint8_t* data) : _data(data) {}
  CDirectoryWriter& Live(const std::string& name11) {
    _offset = test::WriteEntry(_data, _offset, name11, 0x20, 0);
    return *this;
  }
  CDirectoryWriter& Folder(const std::string& name11, uint32_t cluster) {
    _offset = test::WriteEntry(_data, _offset, name11, 0x10, cluster);
    return *this;
  }
  CDirectoryWriter& Deleted(size_t entries) {
    for (size_t i = 0; i < entries; ++i, _offset += 32) {
      test::WriteEntry(_data, _offset, "SECRET  TXT", 0x20, 0);
      _data[_offset] = 0xE5;
    }
    return *this;
  }
  /// The end-of-directory mark, and deleted entries after it that must be ignored.
  CDirectoryWriter& End() {
    std::memset(_data + _offset, 0, 32);
    _offset += 32;
    return *this;
  }
  CDirectoryWriter& Skip(size_t entries) {
    _offset += 32 * entries;
    return *this;
  }

private:
  uint8_t* _data;
  size_t _offset = 0;
};

// A subfolder's first cluster with its "." and ".." entries.
CDirectoryWriter Subfolder(CFatImage& image, uint32_t cluster, uint32_t parent) {
  CDirectoryWriter writer(image.Cluster(cluster));
  writer.Folder(".          ", cluster).Folder("..         ", parent);
  return writer;
}

class CTestHost final : public INameCleaningHost {
public:
  explicit CTestHost(IMessageBox& boxes) : _boxes(boxes) {}
  void Pump() override {
    ++Pumps;
    if (CancelAtPump && Pumps >= CancelAtPump)
      Cancel = true;
  }
  bool Cancelled() override { return Cancel; }
  void DismissNotices() override { ++Dismissals; }
  /// The job's or zap's own box, recorded with the platform's scripted ones.
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    return _boxes.Show(text, caption, style);
  }
  int Pumps = 0;
  int CancelAtPump = 0;
  bool Cancel = false;
  int Dismissals = 0;

private:
  IMessageBox& _boxes;
};

class DirectoryNameCleanerTest : public ::testing::Test {
protected:
  DirectoryNameCleanerTest() : image(test::Fat16Geometry()) {}

  // Maps the image as drive C: beside a file tree with the folders the cleaner makes files in.
  void Mount(const std::vector<std::string>& folders = {}) {
    platform.FilesFake.AddVolume('C', 4 * kMiB, image.BytesPerCluster());
    for (const std::string& folder : folders)
      ASSERT_TRUE(platform.FilesFake.AddFolder(folder));
    platform.DrivesFake.Drives['C'].Image = image.Bytes;
    ASSERT_TRUE(volume.Open('C')) << volume.GetFailureReason();
    // The filler program itself, run in place.
    platform.SystemFake.OnRun = [this](const std::string&, const std::vector<std::string>& args) {
      return static_cast<uint32_t>(RunSingleFiller(platform, args));
    };
  }

  // Loads the root and cleans folder, as the job and the zap do.
  bool Clean(const std::string& folder) {
    CDirectoryNameCleaner cleaner(platform, volume, host);
    return cleaner.LoadRoot() && cleaner.CleanDirectoryNames(folder);
  }

  // The files made through CreateFile during the cleaning, in order (paths as given).
  std::vector<std::string> Made() {
    std::vector<std::string> paths;
    for (const auto& create : platform.FilesFake.Creates)
      paths.push_back(create.Path);
    return paths;
  }

  std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& box : platform.MessageBoxes.Boxes)
      texts.push_back(box.Text);
    return texts;
  }

  CFatImage image;
  CMemoryPlatform platform;
  CVolumeInfo volume{platform};
  CTestHost host{platform.MessageBoxes};
};

TEST(FillerNamesTest, NamesKeepTheirLengthAndTheLeftoverPattern) {
  struct Case {
    std::string Name, Expected;
  };
  const Case cases[] = {
      {SingleFillerName(1), "1BLANKWR.~BW"},
      {SingleFillerName(12), "12BLANKW.~BW"},
      {SingleFillerName(1234567), "1234567B.~BW"},
      {PairFillerName(1), "1Blankwr.~BW"},
      {PairFillerName(123), "123Blank.~BW"},
      {TripleFillerName(9), "9BlankwrightBlankwrig.~BW"},
      {TripleFillerName(10), "10BlankwrightBlankwrig.~BW"},
      {TripleFillerName(100), "100BlankwrightBlankwri.~BW"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expected);
    EXPECT_EQ(c.Name, c.Expected);
    EXPECT_TRUE(IsBlankwrightTemporaryName(c.Name)) << "the leftover clean-up must find it";
  }
}

TEST_F(DirectoryNameCleanerTest, RunsAreFilledByTheTable) {
  struct Case {
    std::vector<size_t> Runs;
    std::vector<std::string> Made;
  };
  const Case cases[] = {
      {{2}, {"1Blankwr.~BW"}},
      {{3}, {"1BlankwrightBlankwrig.~BW"}},
      {{4}, {"1Blankwr.~BW", "2Blankwr.~BW"}},
      {{5}, {"1Blankwr.~BW", "1BlankwrightBlankwrig.~BW"}},
      {{6}, {"1BlankwrightBlankwrig.~BW", "2BlankwrightBlankwrig.~BW"}},
      {{7}, {"1Blankwr.~BW", "2Blankwr.~BW", "1BlankwrightBlankwrig.~BW"}},
      {{8}, {"1Blankwr.~BW", "1BlankwrightBlankwrig.~BW", "2BlankwrightBlankwrig.~BW"}},
      {{2, 5}, {"1Blankwr.~BW", "2Blankwr.~BW", "1BlankwrightBlankwrig.~BW"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Runs));
    CFatImage fresh(test::Fat16Geometry());
    image = fresh;
    CDirectoryWriter root(image.RootRegion());
    root.Live("README  TXT");
    for (size_t run : c.Runs)
      root.Deleted(run).Live("KEEP    TXT");
    platform.FilesFake.Creates.clear();
    platform.FilesFake.Removes.clear();
    Mount();
    EXPECT_TRUE(Clean("C:\\"));
    std::vector<std::string> expected;
    for (const std::string& name : c.Made)
      expected.push_back("C:\\" + name);
    EXPECT_EQ(Made(), expected);
    EXPECT_TRUE(platform.SystemFake.Runs.empty()) << "no single entries";
    EXPECT_TRUE(platform.FilesFake.Names("C:\\").empty()) << "every filler is deleted";
    EXPECT_EQ(platform.FilesFake.Removes.size(), expected.size());
  }
}

TEST_F(DirectoryNameCleanerTest, SingleEntriesStartTheFillerOnceWithTheirCount) {
  CDirectoryWriter(image.RootRegion())
      .Live("A       TXT")
      .Deleted(1)
      .Live("B       TXT")
      .Deleted(1)
      .Live("C       TXT")
      .Deleted(1)
      .Live("D       TXT");
  Mount();
  CDirectoryNameCleaner cleaner(platform, volume, host);
  ASSERT_TRUE(cleaner.LoadRoot());
  EXPECT_TRUE(cleaner.CleanDirectoryNames("C:\\"));
  ASSERT_EQ(platform.SystemFake.Runs.size(), 1u);
  EXPECT_EQ(platform.SystemFake.Runs[0], (std::vector<std::string>{kFiller, "C:\\", "3", "1"}));
  EXPECT_EQ(Made(),
            (std::vector<std::string>{"C:\\1BLANKWR.~BW", "C:\\2BLANKWR.~BW", "C:\\3BLANKWR.~BW"}));
  EXPECT_TRUE(platform.FilesFake.Names("C:\\").empty());
  EXPECT_GE(host.Pumps, 7);
  EXPECT_EQ(host.Dismissals, 1);
  EXPECT_EQ(cleaner.GetSingleCount(), 3u);
}

TEST_F(DirectoryNameCleanerTest, SingleFillersAreNumberedAfterThePairFillers) {
  // A folder with single runs and longer ones: the single files must not share a name (which
  // FAT compares without regard to case) with a pair file, or the filler would open that file
  // and leave the single slot as it was.
  CDirectoryWriter(image.RootRegion()).Folder("MIXED      ", 2);
  image.Chain({2});
  Subfolder(image, 2, 0)
      .Live("A       TXT")
      .Deleted(1)
      .Live("B       TXT")
      .Deleted(4)
      .Live("C       TXT")
      .Deleted(1)
      .Live("D       TXT")
      .Deleted(2);
  Mount({"C:\\MIXED"});
  EXPECT_TRUE(Clean("C:\\MIXED"));
  ASSERT_EQ(platform.SystemFake.Runs.size(), 1u);
  EXPECT_EQ(platform.SystemFake.Runs[0],
            (std::vector<std::string>{kFiller, "C:\\MIXED\\", "2", "4"}));
  std::set<std::string> folded;
  for (const auto& create : platform.FilesFake.Creates) {
    SCOPED_TRACE(create.Path);
    EXPECT_EQ(create.Error, kErrorSuccess) << "each filler is a new file, never an old one";
    std::string key = create.Path;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](char ch) { return static_cast<char>(std::toupper(ch)); });
    EXPECT_TRUE(folded.insert(key).second);
  }
  EXPECT_EQ(Made(), (std::vector<std::string>{"C:\\MIXED\\1Blankwr.~BW", "C:\\MIXED\\2Blankwr.~BW",
                                              "C:\\MIXED\\3Blankwr.~BW", "C:\\MIXED\\4BLANKWR.~BW",
                                              "C:\\MIXED\\5BLANKWR.~BW"}));
  EXPECT_TRUE(platform.FilesFake.Names("C:\\MIXED").empty()) << "every filler is deleted";
}

TEST_F(DirectoryNameCleanerTest, ScanEndsWithTheDataOrTheEndMark) {
  // The floppy's root holds 224 entries; its last ones are deleted, with no end mark after.
  struct Case {
    size_t Deleted;
    std::vector<std::string> Made;
  };
  const Case cases[] = {
      {1, {"C:\\1BLANKWR.~BW"}}, {2, {"C:\\1Blankwr.~BW"}}, {3, {"C:\\1BlankwrightBlankwrig.~BW"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Deleted);
    image = CFatImage(test::FloppyGeometry());
    CDirectoryWriter root(image.RootRegion());
    for (size_t i = 0; i < 224 - c.Deleted; ++i)
      root.Live("LIVE    TXT");
    root.Deleted(c.Deleted);
    platform.FilesFake.Creates.clear();
    Mount();
    EXPECT_TRUE(Clean("C:\\"));
    EXPECT_EQ(Made(), c.Made);
  }

  // Deleted entries after the end mark belong to no directory any more.
  image = CFatImage(test::FloppyGeometry());
  CDirectoryWriter(image.RootRegion())
      .Live("A       TXT")
      .End()
      .Deleted(2)
      .Live("B       TXT")
      .Deleted(1);
  platform.FilesFake.Creates.clear();
  platform.SystemFake.Runs.clear();
  Mount();
  EXPECT_TRUE(Clean("C:\\"));
  EXPECT_TRUE(Made().empty());
  EXPECT_TRUE(platform.SystemFake.Runs.empty());
}

TEST_F(DirectoryNameCleanerTest, FoldersOverEightyClustersAreSkipped) {
  std::vector<uint32_t> eighty, eightyOne;
  for (uint32_t c = 0; c < 80; ++c)
    eighty.push_back(10 + c);
  for (uint32_t c = 0; c < 81; ++c)
    eightyOne.push_back(100 + c);
  image.Chain(eighty);
  image.Chain(eightyOne);
  CDirectoryWriter(image.RootRegion()).Folder("EIGHTY     ", 10).Folder("EIGHTY1    ", 100);
  Subfolder(image, 10, 0).Deleted(2);
  Subfolder(image, 100, 0).Deleted(2);
  Mount({"C:\\EIGHTY", "C:\\EIGHTY1"});
  CDirectoryNameCleaner cleaner(platform, volume, host);
  ASSERT_TRUE(cleaner.LoadRoot());
  EXPECT_TRUE(cleaner.CleanDirectoryNames("C:\\EIGHTY"));
  EXPECT_EQ(Made(), (std::vector<std::string>{"C:\\EIGHTY\\1Blankwr.~BW"}));
  EXPECT_TRUE(Boxes().empty());

  EXPECT_FALSE(cleaner.CleanDirectoryNames("C:\\EIGHTY1"));
  EXPECT_EQ(Made().size(), 1u) << "nothing made in the skipped folder";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"cluster chain > 80"}));
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Style, kMbOk);

  EXPECT_FALSE(cleaner.CleanDirectoryNames("C:\\MISSING"));
  EXPECT_EQ(Boxes().size(), 1u) << "a missing folder is skipped silently";
}

TEST_F(DirectoryNameCleanerTest, FillersThatCannotBeMadeAreReportedOneByOne) {
  // The folder is on the disk but gone from the file system: nothing can be made in it.
  CDirectoryWriter(image.RootRegion()).Folder("GONE       ", 2);
  image.Chain({2});
  Subfolder(image, 2, 0).Deleted(5).Live("X       TXT").Deleted(1);
  Mount();
  platform.SystemFake.OnRun = nullptr; // and the filler program cannot be started
  EXPECT_TRUE(Clean("C:\\GONE"));
  EXPECT_EQ(Made(), (std::vector<std::string>{"C:\\GONE\\1Blankwr.~BW",
                                              "C:\\GONE\\1BlankwrightBlankwrig.~BW"}));
  EXPECT_EQ(Boxes(), (std::vector<std::string>(3, "Could not create temporary file.")));
  EXPECT_EQ(platform.MessageBoxes.Boxes[0].Style, kMbOk);
}

TEST_F(DirectoryNameCleanerTest, CancelStopsTheScanButStillDeletesTheFillers) {
  CDirectoryWriter(image.RootRegion())
      .Deleted(2)
      .Live("A       TXT")
      .Deleted(3)
      .Live("B       TXT")
      .Deleted(1);
  Mount();
  host.CancelAtPump = 2; // after the first run
  EXPECT_TRUE(Clean("C:\\"));
  EXPECT_EQ(Made(), (std::vector<std::string>{"C:\\1Blankwr.~BW"}));
  EXPECT_TRUE(platform.FilesFake.Names("C:\\").empty());
}

TEST_F(DirectoryNameCleanerTest, RootByFileSystemType) {
  // FAT32 keeps its root in a cluster chain.
  image = CFatImage(test::Fat32Geometry());
  CDirectoryWriter(image.Cluster(2)).Live("A       TXT").Deleted(3);
  Mount();
  CDirectoryNameCleaner cleaner(platform, volume, host);
  ASSERT_TRUE(cleaner.LoadRoot());
  EXPECT_TRUE(cleaner.CleanDirectoryNames("C:\\"));
  EXPECT_EQ(Made(), (std::vector<std::string>{"C:\\1BlankwrightBlankwrig.~BW"}));

  // NTFS has nothing to clean and says nothing.
  platform.DrivesFake.Drives['C'].Image = test::NtfsImage(512, 8, 100000);
  ASSERT_TRUE(volume.Open('C'));
  EXPECT_FALSE(cleaner.LoadRoot());
  EXPECT_FALSE(cleaner.CleanDirectoryNames("C:\\"));
  EXPECT_TRUE(Boxes().empty());

  // A volume that was not read is no format the cleaner knows.
  CVolumeInfo unread(platform);
  CDirectoryNameCleaner lost(platform, unread, host);
  EXPECT_FALSE(lost.LoadRoot());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Illegal drive format"}));
}

TEST(SingleFillerTest, MakesTheNumberedFilesAndChecksItsArguments) {
  CMemoryPlatform platform;
  platform.FilesFake.AddVolume('C', kMiB, 4096);
  platform.FilesFake.AddFolder("C:\\F");
  EXPECT_EQ(RunSingleFiller(platform, {"C:\\F\\", "2"}), kFillerOk);
  EXPECT_EQ(platform.FilesFake.Names("C:\\F"),
            (std::vector<std::string>{"1BLANKWR.~BW", "2BLANKWR.~BW"}));
  EXPECT_EQ(RunSingleFiller(platform, {"C:\\F\\", "2", "9"}), kFillerOk);
  EXPECT_TRUE(platform.FilesFake.Exists("C:\\F\\9BLANKWR.~BW"));
  EXPECT_TRUE(platform.FilesFake.Exists("C:\\F\\10BLANKW.~BW"));
  EXPECT_EQ(RunSingleFiller(platform, {"C:\\NONE\\", "1"}), kFillerIncomplete);

  size_t made = platform.FilesFake.Creates.size();
  const std::vector<std::vector<std::string>> wrong = {
      {"C:\\F\\"},
      {"C:\\F", "1"},
      {"C:\\F\\", "-1"},
      {"C:\\F\\", "1", "0"},
      {"C:\\F\\", "99999999999"},
      {"C:\\F\\", "1", "2", "3"},
  };
  for (const auto& arguments : wrong) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(RunSingleFiller(platform, arguments), kFillerUsage);
  }
  EXPECT_EQ(platform.FilesFake.Creates.size(), made);
}

// The job's walk over a FAT drive: the raw image and the file tree show the same folders.
class NameWalkTest : public DirectoryNameCleanerTest {
protected:
  void SetUp() override {
    // Root: A (cluster 2) holding B (3), and C (4); a run of two deleted entries in each.
    CDirectoryWriter(image.RootRegion())
        .Folder("A          ", 2)
        .Folder("C          ", 4)
        .Deleted(2);
    image.Chain({2});
    image.Chain({3});
    image.Chain({4});
    Subfolder(image, 2, 0).Folder("B          ", 3).Deleted(2);
    Subfolder(image, 3, 2).Deleted(2);
    Subfolder(image, 4, 0).Deleted(2);
    Mount({"C:\\A\\B", "C:\\C"});
    ASSERT_TRUE(platform.FilesFake.AddLink("C:\\L", "C:\\A", true));
    platform.DrivesFake.Drives['C'].Type = DriveType::Fixed;
    settings.CleanFileNames = 1;
    settings.SlackMode = 1;
  }

  std::vector<std::string> CurrentFolders() {
    std::vector<std::string> saved;
    for (const auto& set : platform.RegistryFake.Sets)
      if (set.Value.Name == "CURRENTDRIVE")
        saved.emplace_back(set.Value.Data.begin(), set.Value.Data.end());
    return saved;
  }

  CSettings settings;
  CRecordingCleaningView view;
  CWipeMarker marker;
};

TEST_F(NameWalkTest, FoldersAfterTheirSubfoldersWithCurrentDriveAndProgress) {
  for (bool slack : {false, true}) {
    SCOPED_TRACE(slack ? "after the slack phase" : "without the slack phase");
    platform.FilesFake.Creates.clear();
    platform.RegistryFake.Sets.clear();
    view = CRecordingCleaningView();
    CCleaningJob job(platform, settings, view, marker, JobMode::Interactive, "C:");
    job.SetPhases({slack, true});
    job.Run();
    EXPECT_EQ(job.GetCleanedList(), "C:, ");
    std::vector<std::string> fillers;
    for (const std::string& path : Made())
      if (path.find("Blankwr.~BW") != std::string::npos)
        fillers.push_back(path);
    EXPECT_EQ(fillers, (std::vector<std::string>{"C:\\1Blankwr.~BW", "C:\\A\\B\\1Blankwr.~BW",
                                                 "C:\\A\\1Blankwr.~BW", "C:\\C\\1Blankwr.~BW"}));
    EXPECT_EQ(CurrentFolders(),
              (std::vector<std::string>{"C:\\", "C:\\A\\B", "C:\\A", "C:\\C", ""}));
    EXPECT_NE(std::find(view.Processes.begin(), view.Processes.end(),
                        "Cleaning folder and file names on Drive C:"),
              view.Processes.end());
    // Three folders (the link is neither counted nor entered): a third of the bar each.
    std::vector<int> tail(view.ProgressHistory.end() - 4, view.ProgressHistory.end());
    EXPECT_EQ(tail, (std::vector<int>{33, 66, 100, 100}));
    EXPECT_TRUE(platform.FilesFake.Names("C:\\C").empty());
  }
}

TEST_F(NameWalkTest, UnhandledVolumeKeepsRawAccessForTheNextDrive) {
  // B: answers sector 0 with a boot sector no reader here takes (exFAT): that tells nothing
  // about the user's rights, so C: after it still gets its names cleaned.
  platform.FilesFake.AddVolume('B', 4 * kMiB, 4096);
  platform.DrivesFake.Drives['B'].Type = DriveType::Fixed;
  std::vector<uint8_t> exfat(512, 0);
  std::memcpy(exfat.data() + 3, "EXFAT   ", 8);
  platform.DrivesFake.Drives['B'].Image = exfat;
  CCleaningJob job(platform, settings, view, marker, JobMode::Interactive, "B:, C:");
  job.SetPhases({false, true});
  job.Run();
  EXPECT_EQ(std::find(view.Processes.begin(), view.Processes.end(),
                      "No local-machine administrator rights detected."),
            view.Processes.end());
  EXPECT_NE(std::find(view.Processes.begin(), view.Processes.end(),
                      "Cleaning folder and file names on Drive C:"),
            view.Processes.end());
  std::vector<std::string> made = Made();
  EXPECT_NE(std::find(made.begin(), made.end(), "C:\\A\\B\\1Blankwr.~BW"), made.end());
  // B:'s format is told through the job's own dialog, never a box of the platform's own.
  ASSERT_EQ(view.Boxes.size(), 1u);
  EXPECT_EQ(view.Boxes[0].Text, "Illegal drive format");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(NameWalkTest, NtfsDriveGetsNoNameCleaningAndNoMessage) {
  platform.DrivesFake.Drives['C'].Image = test::NtfsImage(512, 8, 8192);
  CCleaningJob job(platform, settings, view, marker, JobMode::Interactive, "C:");
  job.SetPhases({false, true});
  job.Run();
  EXPECT_EQ(job.GetCleanedList(), "C:, ");
  EXPECT_TRUE(view.Boxes.empty());
  EXPECT_TRUE(Boxes().empty());
  for (const std::string& path : Made())
    EXPECT_EQ(path.find(".~BW"), std::string::npos) << path;
}

} // namespace
} // namespace bw
