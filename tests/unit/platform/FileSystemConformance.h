// The Win32 semantics every file system of the seam must share, written once and run against
// each platform that supplies them itself: the memory fake (platform_unit_tests) and the posix
// platform (posix_unit_tests). A harness makes an empty drive T: and hands out its file system:
//
//   struct CHarness {
//     IFileSystem& Files();
//     const char* Unavailable(); // why the drive could not be made; null when it was
//   };
//
// Attribute bits a file system cannot hold (hidden and system on most Linux file systems) skip
// the cases that need them.
#pragma once

#include "platform/FileSystem.h"
#include "tests/unit/platform/UnbufferedWrites.h"

#include <gtest/gtest.h>
#include <string>

namespace bw::test {

template <class Harness> class FileSystemConformanceTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char* why = _harness.Unavailable())
      GTEST_SKIP() << why;
  }

  IFileSystem& Files() { return _harness.Files(); }

  bool MakeFile(const std::string& path, const std::string& text) {
    auto file = Files().CreateFile(path, kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
    uint32_t written = 0;
    return file && file->Write(text.data(), static_cast<uint32_t>(text.size()), written) &&
           written == text.size() && file->Close();
  }

  /// The file's text; "<none>" when it cannot be opened for reading.
  std::string Text(const std::string& path) {
    auto file = Files().CreateFile(path, kGenericRead, kFileShareRead, kOpenExisting, 0);
    if (!file)
      return "<none>";
    std::string text(64, '\0');
    uint32_t read = 0;
    if (!file->Read(text.data(), static_cast<uint32_t>(text.size()), read))
      return "<unreadable>";
    text.resize(read);
    return text;
  }

  /// Opens path as asked; error receives GetLastError, also on success.
  bool Open(const std::string& path, uint32_t access, uint32_t disposition, uint32_t& error,
            uint32_t flags = kFileAttributeNormal) {
    auto file = Files().CreateFile(path, access, 0, disposition, flags);
    error = Files().GetLastError();
    return file != nullptr;
  }

private:
  Harness _harness;
};

TYPED_TEST_SUITE_P(FileSystemConformanceTest);

TYPED_TEST_P(FileSystemConformanceTest, CreateDispositions) {
  struct Case {
    const char* Name;
    bool Exists;
    uint32_t Access;
    uint32_t Disposition;
    uint32_t Error;    // GetLastError afterwards, on success or failure
    const char* After; // the file's text afterwards
  };
  const Case cases[] = {
      {"create new, missing", false, kGenericWrite, kCreateNew, kErrorSuccess, ""},
      {"create new, present", true, kGenericWrite, kCreateNew, kErrorFileExists, "old"},
      {"create always, missing", false, kGenericWrite, kCreateAlways, kErrorSuccess, ""},
      {"create always, present", true, kGenericWrite, kCreateAlways, kErrorAlreadyExists, ""},
      {"open existing, missing", false, kGenericRead, kOpenExisting, kErrorFileNotFound, "<none>"},
      {"open existing, present", true, kGenericRead, kOpenExisting, kErrorSuccess, "old"},
      {"open always, missing", false, kGenericWrite, kOpenAlways, kErrorSuccess, ""},
      {"open always, present", true, kGenericWrite, kOpenAlways, kErrorAlreadyExists, "old"},
      {"truncate, missing", false, kGenericWrite, kTruncateExisting, kErrorFileNotFound, "<none>"},
      {"truncate, present", true, kGenericWrite, kTruncateExisting, kErrorSuccess, ""},
      {"truncate without write", true, kGenericRead, kTruncateExisting, kErrorInvalidParameter,
       "old"},
      {"disposition 0", true, kGenericWrite, 0, kErrorInvalidParameter, "old"},
      {"disposition 6", false, kGenericWrite, 6, kErrorInvalidParameter, "<none>"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = "T:\\case" + std::to_string(++n) + ".txt";
    if (c.Exists) {
      ASSERT_TRUE(this->MakeFile(path, "old"));
    }
    uint32_t error = 0;
    const bool opened = this->Open(path, c.Access, c.Disposition, error);
    EXPECT_EQ(opened, c.Error == kErrorSuccess || c.Error == kErrorAlreadyExists);
    EXPECT_EQ(error, c.Error);
    EXPECT_EQ(this->Text(path), c.After);
  }
}

TYPED_TEST_P(FileSystemConformanceTest, WhatCannotBeOpenedAsAFile) {
  ASSERT_TRUE(this->Files().CreateDirectory("T:\\Folder"));
  struct Case {
    const char* Path;
    uint32_t Disposition;
    uint32_t Error;
  };
  const Case cases[] = {
      {"T:\\Folder", kOpenExisting, kErrorAccessDenied},
      {"T:\\Folder", kCreateAlways, kErrorAccessDenied},
      {"T:\\", kOpenExisting, kErrorAccessDenied},
      {"T:\\Missing\\a.txt", kCreateAlways, kErrorPathNotFound},
      {"T:\\a.txt\\", kCreateAlways, kErrorInvalidName},
      {"T:\\a*.txt", kCreateAlways, kErrorInvalidName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Path) + " " + std::to_string(c.Disposition));
    uint32_t error = 0;
    EXPECT_FALSE(this->Open(c.Path, kGenericWrite, c.Disposition, error));
    EXPECT_EQ(error, c.Error);
  }
}

TYPED_TEST_P(FileSystemConformanceTest, ReadOnlyFilesAreReadNeverWrittenOrDeleted) {
  IFileSystem& files = this->Files();
  ASSERT_TRUE(this->MakeFile("T:\\ro.txt", "kept"));
  ASSERT_TRUE(files.SetFileAttributes("T:\\ro.txt", kFileAttributeReadOnly));
  ASSERT_NE(files.GetFileAttributes("T:\\ro.txt") & kFileAttributeReadOnly, 0u);
  uint32_t error = 0;
  for (uint32_t disposition : {kOpenExisting, kOpenAlways, kCreateAlways, kTruncateExisting}) {
    SCOPED_TRACE(disposition);
    EXPECT_FALSE(this->Open("T:\\ro.txt", kGenericWrite, disposition, error));
    EXPECT_EQ(error, kErrorAccessDenied);
  }
  EXPECT_TRUE(this->Open("T:\\ro.txt", kGenericRead, kOpenExisting, error));
  EXPECT_FALSE(files.DeleteFile("T:\\ro.txt"));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(this->Text("T:\\ro.txt"), "kept");
  // The shell deletes what DeleteFile refuses; clearing the bit lets DeleteFile too.
  ASSERT_TRUE(files.SetFileAttributes("T:\\ro.txt", kFileAttributeNormal));
  EXPECT_TRUE(files.DeleteFile("T:\\ro.txt"));

  ASSERT_TRUE(this->MakeFile("T:\\ro2.txt", "x"));
  ASSERT_TRUE(files.SetFileAttributes("T:\\ro2.txt", kFileAttributeReadOnly));
  EXPECT_TRUE(files.ShellDelete("T:\\ro2.txt"));
  EXPECT_EQ(files.GetFileAttributes("T:\\ro2.txt"), kInvalidFileAttributes);

  // A new file asked to be read-only is made, and is read-only afterwards.
  EXPECT_TRUE(this->Open("T:\\new.txt", kGenericWrite, kCreateNew, error, kFileAttributeReadOnly));
  EXPECT_NE(files.GetFileAttributes("T:\\new.txt") & kFileAttributeReadOnly, 0u);
}

TYPED_TEST_P(FileSystemConformanceTest, HiddenAndSystemFilesAreOverwrittenOnlyByName) {
  IFileSystem& files = this->Files();
  for (uint32_t bit : {kFileAttributeHidden, kFileAttributeSystem}) {
    SCOPED_TRACE(bit);
    const std::string path = "T:\\attr" + std::to_string(bit) + ".txt";
    ASSERT_TRUE(this->MakeFile(path, "old"));
    ASSERT_TRUE(files.SetFileAttributes(path, bit));
    if (!(files.GetFileAttributes(path) & bit))
      GTEST_SKIP() << "this file system cannot hold the attribute";
    uint32_t error = 0;
    EXPECT_FALSE(this->Open(path, kGenericWrite, kCreateAlways, error));
    EXPECT_EQ(error, kErrorAccessDenied);
    EXPECT_TRUE(this->Open(path, kGenericWrite, kOpenAlways, error)) << "opening is allowed";
    EXPECT_TRUE(this->Open(path, kGenericWrite, kTruncateExisting, error));
    EXPECT_TRUE(this->Open(path, kGenericWrite, kCreateAlways, error, bit));
    EXPECT_EQ(error, kErrorAlreadyExists);
    // ntfs-3g takes an empty file with the system bit for an Interix FIFO, so an emptied file
    // cannot keep that bit there; the hidden bit it keeps everywhere.
    if (bit == kFileAttributeHidden) {
      EXPECT_NE(files.GetFileAttributes(path) & bit, 0u);
    }
  }
}

TYPED_TEST_P(FileSystemConformanceTest, RemovingGivesWin32Errors) {
  IFileSystem& files = this->Files();
  ASSERT_TRUE(files.CreateDirectory("T:\\Full"));
  ASSERT_TRUE(this->MakeFile("T:\\Full\\a.txt", "a"));
  ASSERT_TRUE(files.CreateDirectory("T:\\Empty"));

  EXPECT_FALSE(files.DeleteFile("T:\\missing.txt"));
  EXPECT_EQ(files.GetLastError(), kErrorFileNotFound);
  EXPECT_FALSE(files.DeleteFile("T:\\Empty"));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(files.RemoveDirectory("T:\\Full\\a.txt"));
  EXPECT_EQ(files.GetLastError(), kErrorDirectory);
  EXPECT_FALSE(files.RemoveDirectory("T:\\Full"));
  EXPECT_EQ(files.GetLastError(), kErrorDirNotEmpty);
  EXPECT_FALSE(files.RemoveDirectory("T:\\"));
  EXPECT_EQ(files.GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(files.CreateDirectory("T:\\Empty"));
  EXPECT_EQ(files.GetLastError(), kErrorAlreadyExists);
  EXPECT_EQ(files.GetFileAttributes("T:\\missing.txt"), kInvalidFileAttributes);
  EXPECT_EQ(files.GetLastError(), kErrorFileNotFound);
  EXPECT_TRUE(files.RemoveDirectory("T:\\Empty"));
  EXPECT_TRUE(files.DeleteFile("T:\\Full\\a.txt"));
  EXPECT_TRUE(files.RemoveDirectory("T:\\Full"));
}

TYPED_TEST_P(FileSystemConformanceTest, UnbufferedFilesTakeEveryWrite) {
  ExpectUnbufferedFileTakesEveryWrite(this->Files(), "T:\\fill.gf");
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemConformanceTest, CreateDispositions,
                            WhatCannotBeOpenedAsAFile, ReadOnlyFilesAreReadNeverWrittenOrDeleted,
                            HiddenAndSystemFilesAreOverwrittenOnlyByName, RemovingGivesWin32Errors,
                            UnbufferedFilesTakeEveryWrite);

} // namespace bw::test
