#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace bw::memory {
namespace {

constexpr uint32_t kCluster = 4096;

class MemoryFileSystemTest : public ::testing::Test {
protected:
  MemoryFileSystemTest() { platform.AddDrive('C', DriveType::Fixed, 10 * kCluster, kCluster); }

  std::unique_ptr<IFile> Create(const std::string& path, uint32_t disposition = kCreateAlways,
                                uint32_t access = kGenericWrite, uint32_t share = 0,
                                uint32_t flags = kFileAttributeNormal) {
    return files.CreateFile(path, access, share, disposition, flags);
  }

  std::vector<std::string> List(const std::string& pattern) {
    std::vector<std::string> names;
    FindData data;
    auto search = files.FindFirstFile(pattern, data);
    if (!search)
      return names;
    do
      names.push_back(data.Name);
    while (search->FindNextFile(data));
    EXPECT_EQ(files.GetLastError(), kErrorNoMoreFiles);
    return names;
  }

  CMemoryPlatform platform;
  CMemoryFileSystem& files = platform.FilesFake;
};

TEST_F(MemoryFileSystemTest, BudgetGivesShortWritesAndFreeSpace) {
  auto file = Create("C:\\BlankwrightTMP1.gf");
  ASSERT_TRUE(file);
  std::vector<uint8_t> unit(16384, 0x00);
  uint32_t written = 0;
  EXPECT_TRUE(file->Write(unit.data(), 1, written)); // one byte takes a whole cluster
  uint64_t freeBytes = 0;
  ASSERT_TRUE(platform.DrivesFake.GetDiskFreeSpaceEx('C', freeBytes));
  EXPECT_EQ(freeBytes, 9u * kCluster);
  EXPECT_TRUE(file->Write(unit.data(), kCluster - 1, written)); // fills that cluster
  ASSERT_TRUE(platform.DrivesFake.GetDiskFreeSpaceEx('C', freeBytes));
  EXPECT_EQ(freeBytes, 9u * kCluster);

  EXPECT_TRUE(file->Write(unit.data(), unit.size(), written));
  EXPECT_TRUE(file->Write(unit.data(), unit.size(), written));
  EXPECT_FALSE(file->Write(unit.data(), unit.size(), written)); // 4 clusters asked, 1 left
  EXPECT_EQ(written, kCluster);
  EXPECT_EQ(files.GetLastError(), kErrorDiskFull);
  EXPECT_FALSE(file->Write(unit.data(), kCluster, written)); // the final fill gets nothing
  EXPECT_EQ(written, 0u);

  DiskFreeSpace space;
  ASSERT_TRUE(platform.DrivesFake.GetDiskFreeSpace('c', space));
  EXPECT_EQ(space.BytesPerSector, 512u);
  EXPECT_EQ(space.SectorsPerCluster, 8u);
  EXPECT_EQ(space.NumberOfFreeClusters, 0u);
  EXPECT_EQ(space.TotalNumberOfClusters, 10u);
  EXPECT_EQ(files.Entry("C:\\BlankwrightTMP1.gf")->Size, 10u * kCluster);

  // Deleting an open file is refused; once closed, deleting gives the clusters back.
  EXPECT_FALSE(files.DeleteFile("C:\\BlankwrightTMP1.gf"));
  EXPECT_EQ(files.GetLastError(), kErrorSharingViolation);
  ASSERT_TRUE(file->Close());
  EXPECT_TRUE(files.DeleteFile("C:\\BlankwrightTMP1.gf"));
  ASSERT_TRUE(platform.DrivesFake.GetDiskFreeSpaceEx('C', freeBytes));
  EXPECT_EQ(freeBytes, 10u * kCluster);
}

TEST_F(MemoryFileSystemTest, BudgetsBeyondFourGigabytes) {
  constexpr uint64_t kGiB = 1ull << 30;
  platform.AddDrive('D', DriveType::Fixed, 5 * kGiB, 32768);
  ASSERT_TRUE(files.AddFile("D:\\big.bin", 4 * kGiB + 1, 0x00));
  uint64_t freeBytes = 0;
  ASSERT_TRUE(platform.DrivesFake.GetDiskFreeSpaceEx('D', freeBytes));
  EXPECT_EQ(freeBytes, kGiB - 32768);
  DiskFreeSpace space;
  ASSERT_TRUE(platform.DrivesFake.GetDiskFreeSpace('D', space));
  EXPECT_EQ(space.SectorsPerCluster, 64u);
  EXPECT_EQ(space.TotalNumberOfClusters, 5 * kGiB / 32768);
  EXPECT_EQ(files.Entry("D:\\big.bin")->Size, 4 * kGiB + 1);
  EXPECT_EQ(files.Contents("D:\\big.bin"), (std::vector<ContentRun>{{0, 4 * kGiB + 1, 0x00}}));
  EXPECT_FALSE(files.AddFile("D:\\more.bin", kGiB, 0x00)) << "set-up files must fit too";
}

TEST_F(MemoryFileSystemTest, TruncatingAndRemovingGiveClustersBack) {
  MemoryVolume& volume = *files.Volume('C');
  auto file = Create("C:\\a.bin");
  std::vector<uint8_t> data(3 * kCluster, 0x11);
  uint32_t written = 0;
  ASSERT_TRUE(file->Write(data.data(), static_cast<uint32_t>(data.size()), written));
  uint64_t position = 0;
  ASSERT_TRUE(file->Seek(-(int64_t(kCluster) + 1), SeekOrigin::End, position));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(volume.FreeBytes, 8u * kCluster);
  // Extending past the budget fails and changes nothing.
  ASSERT_TRUE(file->Seek(20 * kCluster, SeekOrigin::Begin, position));
  EXPECT_FALSE(file->SetEndOfFile());
  EXPECT_EQ(files.GetLastError(), kErrorDiskFull);
  EXPECT_EQ(files.Entry("C:\\a.bin")->Size, 2u * kCluster - 1);
  EXPECT_FALSE(file->Seek(-1, SeekOrigin::Begin, position));
  EXPECT_EQ(files.GetLastError(), kErrorNegativeSeek);

  // Removed by another program while open: the clusters stay taken until the close.
  ASSERT_TRUE(files.RemoveEntry("C:\\a.bin"));
  EXPECT_FALSE(files.Exists("C:\\a.bin"));
  EXPECT_EQ(volume.FreeBytes, 8u * kCluster);
  file.reset();
  EXPECT_EQ(volume.FreeBytes, 10u * kCluster);
  EXPECT_EQ(volume.UsedBytes, 0u);
}

TEST_F(MemoryFileSystemTest, SearchesFollowWin32Rules) {
  ASSERT_TRUE(files.AddFile("C:\\1Blankwr.~BW", ""));
  ASSERT_TRUE(files.AddFile("C:\\notes", "n"));
  ASSERT_TRUE(files.AddFolder("C:\\Temp"));
  ASSERT_TRUE(files.AddFile("C:\\Temp\\b.txt", "b"));
  ASSERT_TRUE(files.AddFile("C:\\Temp\\A.txt", "a"));

  EXPECT_EQ(List("C:\\*.*"), (std::vector<std::string>{"1Blankwr.~BW", "notes", "Temp"}));
  EXPECT_EQ(List("c:\\*.~bw"), (std::vector<std::string>{"1Blankwr.~BW"}));
  EXPECT_EQ(List("C:\\TEMP\\*.*"), (std::vector<std::string>{".", "..", "A.txt", "b.txt"}));
  EXPECT_EQ(List("C:\\temp"), (std::vector<std::string>{"Temp"}));
  EXPECT_EQ(List("C:\\Temp\\*.~BW"), std::vector<std::string>{});

  struct Case {
    const char* Pattern;
    uint32_t Error;
  };
  const Case failures[] = {
      {"C:\\Temp\\*.~BW", kErrorFileNotFound}, // the folder exists: nothing matches
      {"C:\\Gone\\*.*", kErrorPathNotFound},   // the folder does not exist
      {"C:\\notes\\*.*", kErrorPathNotFound},  // a file is no folder
      {"C:\\gone.txt", kErrorFileNotFound},
      {"C:\\Temp\\", kErrorFileNotFound}, // a trailing separator names nothing
      {"Q:\\*.*", kErrorPathNotFound},    // no such drive
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.Pattern);
    FindData data;
    EXPECT_FALSE(files.FindFirstFile(c.Pattern, data));
    EXPECT_EQ(files.GetLastError(), c.Error);
  }

  FindData data;
  files.FailFind("C:\\", kErrorNotReady);
  EXPECT_FALSE(files.FindFirstFile("C:\\*.*", data));
  EXPECT_EQ(files.GetLastError(), kErrorNotReady);
  EXPECT_TRUE(files.FindFirstFile("C:\\Temp\\*.*", data));
}

TEST_F(MemoryFileSystemTest, SearchesSeeTheFolderAsItIsNow) {
  for (const char* name : {"a", "b", "c", "d"})
    ASSERT_TRUE(files.AddFile(std::string("C:\\") + name, "x"));
  int steps = 0;
  files.OnFindStep = [&](const FindStep& step) {
    EXPECT_EQ(step.Pattern, "C:\\*");
    EXPECT_EQ(step.First, steps == 0);
    if (++steps == 2) { // after "a" was reported: "c" goes, "e" comes
      files.RemoveEntry("C:\\c");
      files.AddFile("C:\\e", "x");
    }
  };
  EXPECT_EQ(List("C:\\*"), (std::vector<std::string>{"a", "b", "d", "e"}));
}

TEST_F(MemoryFileSystemTest, CreateDispositionsAndAttributes) {
  ASSERT_TRUE(files.AddFile("C:\\old.txt", "old contents"));
  ASSERT_TRUE(files.AddFile("C:\\hidden.sys", "h", kFileAttributeHidden | kFileAttributeSystem));
  ASSERT_TRUE(files.AddFile("C:\\ro.txt", "r", kFileAttributeReadOnly));
  ASSERT_TRUE(files.AddFolder("C:\\Dir"));
  struct Case {
    const char* Path;
    uint32_t Disposition;
    uint32_t Access;
    uint32_t Flags;
    uint32_t Error; // after the call; kErrorSuccess or kErrorAlreadyExists when it opened
    bool Opens;
  };
  const Case cases[] = {
      {"C:\\old.txt", kCreateNew, kGenericWrite, 0, kErrorFileExists, false},
      {"C:\\new.txt", kOpenExisting, kGenericRead, 0, kErrorFileNotFound, false},
      {"C:\\None\\new.txt", kCreateAlways, kGenericWrite, 0, kErrorPathNotFound, false},
      {"C:\\Dir", kOpenExisting, kGenericRead, 0, kErrorAccessDenied, false},
      {"C:\\", kOpenExisting, kGenericRead, 0, kErrorAccessDenied, false},
      {"C:\\ro.txt", kOpenExisting, kGenericWrite, 0, kErrorAccessDenied, false},
      {"C:\\ro.txt", kOpenExisting, kGenericRead, 0, kErrorSuccess, true},
      {"C:\\hidden.sys", kCreateAlways, kGenericWrite, kFileAttributeNormal, kErrorAccessDenied,
       false},
      {"C:\\hidden.sys", kCreateAlways, kGenericWrite, kFileAttributeHidden | kFileAttributeSystem,
       kErrorAlreadyExists, true},
      {"C:\\old.txt", kTruncateExisting, kGenericRead, 0, kErrorInvalidParameter, false},
      {"C:\\*.txt", kCreateAlways, kGenericWrite, 0, kErrorInvalidName, false},
      {"C:\\OLD.TXT", kOpenAlways, kGenericRead, 0, kErrorAlreadyExists, true},
      {"C:\\new.txt", kOpenAlways, kGenericWrite, kFileAttributeSystem, kErrorSuccess, true},
      {"C:\\old.txt", kCreateAlways, kGenericWrite, kFileAttributeNormal, kErrorAlreadyExists,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Path) + " disposition " + std::to_string(c.Disposition));
    auto file = files.CreateFile(c.Path, c.Access, 0, c.Disposition, c.Flags);
    EXPECT_EQ(file != nullptr, c.Opens);
    EXPECT_EQ(files.GetLastError(), c.Error);
  }
  EXPECT_EQ(files.Entry("C:\\old.txt")->Size, 0u) << "kCreateAlways truncates";
  EXPECT_EQ(files.GetFileAttributes("C:\\new.txt"), kFileAttributeSystem | kFileAttributeArchive);
  EXPECT_EQ(files.GetFileAttributes("C:\\Dir"), kFileAttributeDirectory);
  ASSERT_EQ(files.Creates.size(), std::size(cases));
  EXPECT_EQ(files.Creates[0].Error, kErrorFileExists);
  EXPECT_TRUE(files.Creates.back().Opened);
}

TEST_F(MemoryFileSystemTest, ReadOnlyShareModesAndTheCurrentFolder) {
  ASSERT_TRUE(files.AddFile("C:\\Work\\ro.txt", "r", kFileAttributeReadOnly));
  EXPECT_FALSE(files.DeleteFile("C:\\Work\\ro.txt"));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);
  EXPECT_TRUE(files.SetFileAttributes("C:\\Work\\ro.txt", kFileAttributeNormal));
  EXPECT_EQ(files.GetFileAttributes("C:\\Work\\ro.txt"), kFileAttributeNormal);

  auto first = Create("C:\\Work\\ro.txt", kOpenExisting, kGenericWrite, kFileShareRead);
  ASSERT_TRUE(first);
  EXPECT_FALSE(Create("C:\\Work\\ro.txt", kOpenExisting, kGenericWrite, kFileShareRead));
  EXPECT_EQ(files.GetLastError(), kErrorSharingViolation);
  EXPECT_TRUE(Create("C:\\Work\\ro.txt", kOpenExisting, kGenericRead, kFileShareWrite));
  EXPECT_FALSE(files.ShellDelete("C:\\Work\\ro.txt"));
  EXPECT_EQ(files.GetLastError(), kErrorSharingViolation);
  first.reset();
  ASSERT_TRUE(files.SetFileAttributes("C:\\Work\\ro.txt", kFileAttributeReadOnly));
  EXPECT_TRUE(files.ShellDelete("C:\\Work\\ro.txt")) << "the shell deletes read-only files";

  ASSERT_TRUE(files.SetCurrentDirectory("c:\\work"));
  std::string current;
  ASSERT_TRUE(files.GetCurrentDirectory(current));
  EXPECT_EQ(current, "c:\\work");
  EXPECT_FALSE(files.RemoveDirectory("C:\\Work"));
  EXPECT_EQ(files.GetLastError(), kErrorSharingViolation);
  ASSERT_TRUE(files.SetCurrentDirectory(".."));
  ASSERT_TRUE(files.GetCurrentDirectory(current));
  EXPECT_EQ(current, "c:\\");
  EXPECT_TRUE(files.RemoveDirectory("Work"));
}

TEST_F(MemoryFileSystemTest, LinksAreRemovedNeverTheirTargets) {
  ASSERT_TRUE(files.AddFile("C:\\Data\\keep.txt", "keep"));
  ASSERT_TRUE(files.AddLink("C:\\Temp\\Link", "C:\\Data", true));
  EXPECT_EQ(files.GetFileAttributes("C:\\Temp\\Link"),
            kFileAttributeDirectory | kFileAttributeReparsePoint);
  // Windows goes through a link inside a path, so a walk that wrongly enters one does harm here.
  EXPECT_EQ(List("C:\\Temp\\Link\\*"), (std::vector<std::string>{".", "..", "keep.txt"}));
  EXPECT_FALSE(files.DeleteFile("C:\\Temp\\Link"));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);
  EXPECT_TRUE(files.RemoveDirectory("C:\\Temp\\Link"));
  EXPECT_FALSE(files.Exists("C:\\Temp\\Link"));
  EXPECT_EQ(files.Text("C:\\Data\\keep.txt"), "keep");
}

TEST_F(MemoryFileSystemTest, FaultsAndLogs) {
  ASSERT_TRUE(files.AddFile("C:\\f.txt", "f"));
  ASSERT_TRUE(files.AddFolder("C:\\Locked"));
  files.DenyAccess("C:\\f.txt");
  files.FailSetAttributes("c:\\F.TXT", kErrorWriteProtect);
  files.BlockEntering("C:\\Locked");
  EXPECT_FALSE(Create("C:\\f.txt", kOpenExisting, kGenericRead));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(files.SetFileAttributes("C:\\f.txt", kFileAttributeNormal));
  EXPECT_EQ(files.GetLastError(), kErrorWriteProtect);
  EXPECT_FALSE(files.SetCurrentDirectory("C:\\Locked"));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);

  auto file = Create("C:\\w.bin", kCreateAlways, kGenericWrite, 0,
                     kFileFlagWriteThrough | kFileAttributeSystem);
  ASSERT_TRUE(file);
  std::vector<uint8_t> ones(100, 0xFF);
  uint32_t written = 0;
  int hooked = 0;
  files.OnWrite = [&](const WriteRecord& record) {
    ++hooked;
    EXPECT_EQ(record.Written, record.Size);
  };
  ASSERT_TRUE(file->Write(ones.data(), 100, written));
  ones[50] = 0;
  ASSERT_TRUE(file->Write(ones.data(), 100, written));
  EXPECT_TRUE(file->Flush());
  EXPECT_TRUE(file->SetCompressionNone());
  const FileTime when = 130000000000000000ull;
  EXPECT_TRUE(file->SetTimes(nullptr, nullptr, &when));
  EXPECT_TRUE(file->Write(ones.data(), 1, written));
  FileTime creation, access, lastWrite;
  ASSERT_TRUE(file->GetTimes(creation, access, lastWrite));
  EXPECT_EQ(lastWrite, when) << "a time set through the handle outlasts its writes";
  EXPECT_EQ(hooked, 3);
  ASSERT_EQ(files.Writes.size(), 3u);
  EXPECT_EQ(files.Writes[0].Fill, 0xFF);
  EXPECT_EQ(files.Writes[1].Fill, -1);
  EXPECT_EQ(files.Writes[1].Offset, 100u);
  EXPECT_EQ(files.Writes[0].FlagsAndAttributes & kFileFlagWriteThrough, kFileFlagWriteThrough);
  EXPECT_EQ(files.Flushes, std::vector<std::string>{"C:\\w.bin"});
  EXPECT_EQ(files.CompressionSets, std::vector<std::string>{"C:\\w.bin"});
  ASSERT_EQ(files.TimeSets.size(), 1u);
  EXPECT_FALSE(files.TimeSets[0].Creation);
  EXPECT_EQ(files.TimeSets[0].LastWrite, when);

  files.Volume('C')->WriteProtected = true;
  EXPECT_FALSE(Create("C:\\BlankwrightTMPa.~BW"));
  EXPECT_EQ(files.GetLastError(), kErrorWriteProtect);
  EXPECT_FALSE(file->Write(ones.data(), 1, written));
  EXPECT_EQ(files.GetLastError(), kErrorWriteProtect);
}

} // namespace
} // namespace bw::memory
