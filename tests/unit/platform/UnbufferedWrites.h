// One check every platform's files share: a file opened to write past the system's cache takes
// every write whatever its alignment, so that a caller never has to know which way it went.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Unbuffered.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace bw::test {

/// Writes whole aligned units, an odd tail from an odd address, more after it, and then over
/// the start again, to a new file at path opened unbuffered and write-through; reads it back.
inline void ExpectUnbufferedFileTakesEveryWrite(IFileSystem& files, const std::string& path) {
  alignas(kUnbufferedAlignment) static uint8_t unit[2 * kUnbufferedAlignment];
  for (size_t i = 0; i < sizeof(unit); ++i)
    unit[i] = static_cast<uint8_t>('a' + i % 26);
  auto file = files.CreateFile(path, kGenericWrite, 0, kCreateAlways,
                               kFileFlagWriteThrough | kFileFlagNoBuffering | kFileAttributeNormal);
  ASSERT_TRUE(file) << files.GetLastError();
  std::vector<uint8_t> expected;
  auto write = [&](const uint8_t* data, uint32_t size) {
    uint32_t written = 0;
    EXPECT_TRUE(file->Write(data, size, written)) << files.GetLastError();
    EXPECT_EQ(written, size);
  };
  write(unit, sizeof(unit));
  write(unit + 1, 100);
  write(unit, sizeof(unit));
  expected.assign(unit, unit + sizeof(unit));
  expected.insert(expected.end(), unit + 1, unit + 101);
  expected.insert(expected.end(), unit, unit + sizeof(unit));
  uint64_t position = 1;
  ASSERT_TRUE(file->Seek(0, SeekOrigin::Begin, position));
  EXPECT_EQ(position, 0u);
  write(unit + sizeof(unit) / 2, kUnbufferedAlignment);
  std::copy(unit + sizeof(unit) / 2, unit + sizeof(unit), expected.begin());
  EXPECT_TRUE(file->Flush());
  EXPECT_TRUE(file->Close());

  auto reader = files.CreateFile(path, kGenericRead, kFileShareRead, kOpenExisting, 0);
  ASSERT_TRUE(reader);
  std::vector<uint8_t> back(expected.size() + 16);
  uint32_t read = 0;
  ASSERT_TRUE(reader->Read(back.data(), static_cast<uint32_t>(back.size()), read));
  back.resize(read);
  EXPECT_EQ(back, expected);
  reader.reset();
  EXPECT_TRUE(files.DeleteFile(path));
}

} // namespace bw::test
