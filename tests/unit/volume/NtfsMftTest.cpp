#include "engine/volume/NtfsMft.h"

#include "engine/volume/VolumeInfo.h"
#include "platform/Bytes.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/NtfsImage.h"

#include <functional>
#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CNtfsImage;
using test::NtfsGeometry;

NtfsGeometry SmallVolume() {
  NtfsGeometry g;
  g.SectorsPerCluster = 1;
  g.Clusters = 1500;
  g.MftRecords = 64;
  return g;
}

class NtfsMftTest : public ::testing::Test {
protected:
  NtfsMftTest() : image(SmallVolume()) {
    image.WriteMftRecord(30);
    image.WriteFolderRecord(5, 1200, 3);
    image.WriteFolderRecord(27, 0, 0);
  }

  // Opens the image as drive N: and hands a reader over it to check.
  template <typename Check> void WithReader(Check check) {
    memory::MemoryDrive drive;
    drive.Image = image.Bytes;
    platform.DrivesFake.Drives['N'] = std::move(drive);
    CVolumeInfo volume(platform);
    ASSERT_TRUE(volume.Open('N')) << volume.GetFailureReason();
    CNtfsMft mft(volume);
    check(mft);
  }

  // Edits a record as it lies on the disk, fix-ups and all, to break it.
  uint8_t* Raw(uint32_t number) { return image.RecordAt(number); }

  CNtfsImage image;
  memory::CMemoryPlatform platform;
};

TEST_F(NtfsMftTest, CountsFreeRecordsPastTheSystemsOwnAndReadsFolderIndexSizes) {
  WithReader([](CNtfsMft& mft) {
    uint64_t free = 0;
    ASSERT_TRUE(mft.CountFreeRecords(free)) << mft.GetFailureReason();
    EXPECT_EQ(free, 64u - 30u);
    uint64_t bytes = 1;
    ASSERT_TRUE(mft.GetFolderIndexSize(5, bytes)) << mft.GetFailureReason();
    EXPECT_EQ(bytes, 3u * 512u);
    // The sequence number above the 48-bit record number is not part of the number.
    ASSERT_TRUE(mft.GetFolderIndexSize((uint64_t{9} << 48) | 27, bytes));
    EXPECT_EQ(bytes, 0u) << "an index kept inside its record has no blocks";
  });
}

TEST_F(NtfsMftTest, RefusesRecordsThatAreNoFolderOrNotThere) {
  WithReader([](CNtfsMft& mft) {
    uint64_t bytes = 0;
    EXPECT_FALSE(mft.GetFolderIndexSize(0, bytes)) << "$MFT is a file, not a folder";
    EXPECT_FALSE(mft.GetFolderIndexSize(40, bytes)) << "a record never written";
    EXPECT_FALSE(mft.GetFolderIndexSize(64, bytes)) << "past the records $MFT holds";
    EXPECT_NE(mft.GetFailureReason().find("past the records"), std::string::npos);
  });
}

TEST_F(NtfsMftTest, UnsoundStructuresFailWithAReason) {
  struct Damage {
    const char* Name;
    std::function<void(CNtfsImage&)> Apply;
    const char* Reason;
  };
  const Damage damages[] = {
      {"torn stride", [](CNtfsImage& i) { i.RecordAt(0)[510] ^= 0xFF; }, "update sequence"},
      {"no signature", [](CNtfsImage& i) { i.RecordAt(0)[0] = 'B'; }, "FILE signature"},
      {"MFT past the end", [](CNtfsImage& i) { Set32(i.Bytes.data() + 48, 5000); },
       "outside the volume"},
      {"record size", [](CNtfsImage& i) { i.Bytes[64] = static_cast<uint8_t>(-20); },
       "record size"},
      {"zero-length attribute",
       [](CNtfsImage& i) {
         uint8_t* r = i.RecordAt(0);
         Set32(r + Get16(r + 20) + 4, 0);
       },
       "has length 0"},
      {"bytes in use past the record", [](CNtfsImage& i) { Set32(i.RecordAt(0) + 24, 5000); },
       "bytes in use"},
      {"run past the volume",
       [](CNtfsImage& i) {
         uint8_t* a = i.RecordAt(0) + Get16(i.RecordAt(0) + 20);
         uint8_t* run = a + Get16(a + 32);
         // Header 0x21: one length byte, two offset bytes; the offset now points far away.
         run[0] = 0x21;
         run[2] = 0xFF;
         run[3] = 0x7F;
       },
       "data run"},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.Name);
    CNtfsImage sound = image;
    damage.Apply(image);
    WithReader([&](CNtfsMft& mft) {
      uint64_t free = 0;
      EXPECT_FALSE(mft.CountFreeRecords(free));
      EXPECT_NE(mft.GetFailureReason().find(damage.Reason), std::string::npos)
          << mft.GetFailureReason();
    });
    image = sound;
  }
}

} // namespace
} // namespace bw
