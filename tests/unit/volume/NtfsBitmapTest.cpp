#include "engine/volume/NtfsBitmap.h"

#include "platform/Bytes.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/volume/NtfsImage.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace bw {
namespace {

using test::CNtfsImage;
using test::NtfsGeometry;

class NtfsBitmapTest : public ::testing::Test {
protected:
  // Opens image as drive N: and reads its whole bitmap through the reader, piece by piece, as
  // the scan asks for it. False when an answer was neither success nor overflow.
  bool ReadAll(const CNtfsImage& image, std::vector<bool>& inUse, uint32_t& status) {
    Mount(image.Bytes);
    CVolumeInfo volume(platform);
    EXPECT_TRUE(volume.Open('N')) << volume.GetFailureReason();
    CNtfsBitmapFile reader(volume);
    inUse.clear();
    uint8_t buffer[kVolumeBitmapBufferSize];
    uint64_t start = 0;
    for (int pieces = 0; pieces < 1000; ++pieces) {
      status = reader.GetBitmap(start, buffer);
      if (status != kStatusSuccess && status != kStatusBufferOverflow) {
        failure = reader.GetFailureReason();
        return false;
      }
      EXPECT_EQ(Get64(buffer), start);
      uint64_t count = std::min<uint64_t>(Get64(buffer + 8), kVolumeBitmapBits);
      for (uint64_t i = 0; i < count; ++i)
        inUse.push_back(buffer[16 + i / 8] & (1u << (i % 8)));
      if (status == kStatusSuccess)
        return true;
      start += count;
    }
    ADD_FAILURE() << "the bitmap never ended";
    return false;
  }

  void Mount(const std::vector<uint8_t>& image) {
    memory::MemoryDrive drive;
    drive.Image = image;
    platform.DrivesFake.Drives['N'] = std::move(drive);
  }

  static std::vector<bool> Expected(const CNtfsImage& image) {
    std::vector<bool> bits;
    for (uint64_t c = 0; c < image.Geometry.Clusters; ++c)
      bits.push_back(image.IsInUse(c));
    return bits;
  }

  memory::CMemoryPlatform platform;
  std::string failure;
};

TEST_F(NtfsBitmapTest, ReadsTheBitmapOfEachLayout) {
  struct Case {
    const char* Name;
    NtfsGeometry Geometry;
  };
  auto geometry = [](uint32_t bps, uint32_t spc, uint64_t clusters, int8_t perRecord,
                     bool fragmented) {
    NtfsGeometry g;
    g.BytesPerSector = bps;
    g.SectorsPerCluster = spc;
    g.Clusters = clusters;
    g.ClustersPerRecord = perRecord;
    g.Fragmented = fragmented;
    return g;
  };
  Case cases[] = {
      {"4 KiB clusters, one piece", geometry(512, 8, 3000, -10, false)},
      {"512-byte clusters, two pieces", geometry(512, 1, 33000, -10, false)},
      {"fragmented, the second run before the first", geometry(512, 1, 40001, -10, true)},
      {"4096-byte sectors and records", geometry(4096, 1, 2500, -12, false)},
      {"1024-byte records inside 4096-byte sectors", geometry(4096, 1, 2500, -10, true)},
      {"records of one cluster", geometry(512, 2, 5000, 1, false)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CNtfsImage image(c.Geometry);
    // A pattern that differs from byte to byte and across every run boundary.
    for (uint64_t cluster = 0; cluster < c.Geometry.Clusters; cluster += 3)
      image.SetInUse(cluster, cluster % 7 != 0);
    std::vector<bool> inUse;
    uint32_t status;
    ASSERT_TRUE(ReadAll(image, inUse, status)) << std::hex << status << " " << failure;
    EXPECT_EQ(inUse, Expected(image));
  }
}

TEST_F(NtfsBitmapTest, AnswersAsTheSystemQueryDoes) {
  NtfsGeometry g;
  g.SectorsPerCluster = 1;
  g.Clusters = 40000;
  CNtfsImage image(g);
  Mount(image.Bytes);
  CVolumeInfo volume(platform);
  ASSERT_TRUE(volume.Open('N'));
  CNtfsBitmapFile reader(volume);
  uint8_t buffer[kVolumeBitmapBufferSize];

  EXPECT_EQ(reader.GetBitmap(0, buffer), kStatusBufferOverflow);
  EXPECT_EQ(Get64(buffer), 0u);
  EXPECT_EQ(Get64(buffer + 8), 40000u) << "the count runs to the end of the volume";

  EXPECT_EQ(reader.GetBitmap(1234, buffer), kStatusBufferOverflow);
  EXPECT_EQ(Get64(buffer), 1232u) << "rounded down to the byte that holds the bit";
  EXPECT_EQ(Get64(buffer + 8), 40000u - 1232);

  EXPECT_EQ(reader.GetBitmap(32768, buffer), kStatusSuccess);
  EXPECT_EQ(Get64(buffer + 8), 40000u - 32768);

  EXPECT_EQ(reader.GetBitmap(40000, buffer), kStatusInvalidParameter);
}

TEST_F(NtfsBitmapTest, UnwrittenTailReadsFree) {
  NtfsGeometry g;
  g.SectorsPerCluster = 1;
  g.Clusters = 20000;
  CNtfsImage image(g);
  for (uint64_t c = 0; c < g.Clusters; ++c)
    image.SetInUse(c, true);
  image.OpenRecord();
  Set32(image.Record() + image.DataAttributeOffset() + 56, 1000); // initialized size
  image.CloseRecord();
  std::vector<bool> inUse;
  uint32_t status;
  ASSERT_TRUE(ReadAll(image, inUse, status)) << failure;
  ASSERT_EQ(inUse.size(), 20000u);
  EXPECT_TRUE(inUse[7999]);
  EXPECT_FALSE(inUse[8000]);
  EXPECT_FALSE(inUse[19999]);
}

TEST_F(NtfsBitmapTest, ReadsAResidentBitmap) {
  NtfsGeometry g;
  g.Clusters = 200;
  CNtfsImage image(g);
  image.SetInUse(150, true);
  std::vector<uint8_t> bits(image.Cluster(image.BitmapClusters()[0]),
                            image.Cluster(image.BitmapClusters()[0]) + 32);
  image.OpenRecord();
  uint8_t* a = image.Record() + image.DataAttributeOffset();
  std::memset(a, 0, 64);
  Set32(a, 0x80);
  Set32(a + 4, 24 + 32);
  Set32(a + 16, 32);
  Set16(a + 20, 24);
  std::memcpy(a + 24, bits.data(), 32);
  Set32(a + 56, 0xFFFFFFFF);
  Set32(image.Record() + 24, static_cast<uint32_t>(image.DataAttributeOffset() + 64));
  image.CloseRecord();
  std::vector<bool> inUse;
  uint32_t status;
  ASSERT_TRUE(ReadAll(image, inUse, status)) << failure;
  EXPECT_EQ(inUse, Expected(image));
}

// Every field of the MFT is untrusted: each damage gives a clean failure status, never a read
// outside the record, the attribute or the volume.
TEST_F(NtfsBitmapTest, RefusesHostileStructures) {
  struct Case {
    const char* Name;
    std::function<void(CNtfsImage&, uint8_t* record, uint8_t* data)> Damage;
    bool Fixups = true; // edit the record between undoing and redoing its fix-ups
    uint32_t Status = kStatusDiskCorruptError;
  };
  auto set8 = [](uint8_t* p, uint64_t v) {
    Set32(p, static_cast<uint32_t>(v));
    Set32(p + 4, static_cast<uint32_t>(v >> 32));
  };
  Case cases[] = {
      {"no FILE signature", [](CNtfsImage&, uint8_t* r, uint8_t*) { std::memcpy(r, "BAAD", 4); }},
      {"a torn stride", [](CNtfsImage&, uint8_t* r, uint8_t*) { r[1022] ^= 1; }, false},
      {"update sequence count too small",
       [](CNtfsImage&, uint8_t* r, uint8_t*) { Set16(r + 6, 2); }},
      {"update sequence past the first stride",
       [](CNtfsImage&, uint8_t* r, uint8_t*) { Set16(r + 4, 506); }},
      {"record size field 0", [](CNtfsImage& i, uint8_t*, uint8_t*) { i.Bytes[64] = 0; }, false},
      {"record size of 3 clusters", [](CNtfsImage& i, uint8_t*, uint8_t*) { i.Bytes[64] = 3; },
       false},
      {"record size 2^-128", [](CNtfsImage& i, uint8_t*, uint8_t*) { i.Bytes[64] = 0x80; }, false},
      {"MFT cluster past the volume",
       [&](CNtfsImage& i, uint8_t*, uint8_t*) { set8(i.Bytes.data() + 48, ~uint64_t{0} / 2); },
       false},
      {"MFT ends past the volume",
       [&](CNtfsImage& i, uint8_t*, uint8_t*) {
         set8(i.Bytes.data() + 48, i.Geometry.Clusters - 1);
       },
       false},
      {"record not in use", [](CNtfsImage&, uint8_t* r, uint8_t*) { Set16(r + 22, 0); }},
      {"an extension record", [](CNtfsImage&, uint8_t* r, uint8_t*) { r[32] = 9; }},
      {"bytes in use beyond the record",
       [](CNtfsImage&, uint8_t* r, uint8_t*) { Set32(r + 24, 0x10000); }},
      {"first attribute inside the header",
       [](CNtfsImage&, uint8_t* r, uint8_t*) { Set16(r + 20, 8); }},
      {"attribute of length 0", [](CNtfsImage&, uint8_t*, uint8_t* a) { Set32(a + 4, 0); }},
      {"attribute past the bytes in use",
       [](CNtfsImage&, uint8_t*, uint8_t* a) { Set32(a + 4, 0x7FFFFFF8); }},
      {"no end marker before the bytes in use end",
       [](CNtfsImage&, uint8_t* r, uint8_t* a) {
         Set32(a, 0x90);
         Set32(r + 24, Get32(r + 24) - 8);
       }},
      {"no $DATA", [](CNtfsImage&, uint8_t*, uint8_t* a) { Set32(a, 0x90); }},
      {"only a named $DATA", [](CNtfsImage&, uint8_t*, uint8_t* a) { a[9] = 4; }},
      {"compressed", [](CNtfsImage&, uint8_t*, uint8_t* a) { Set16(a + 12, 1); }},
      {"sparse", [](CNtfsImage&, uint8_t*, uint8_t* a) { Set16(a + 12, 0x8000); }},
      {"runs of a later extent", [](CNtfsImage&, uint8_t*, uint8_t* a) { a[16] = 1; }},
      {"last VCN past the volume",
       [&](CNtfsImage&, uint8_t*, uint8_t* a) { set8(a + 24, ~uint64_t{0}); }},
      {"data runs past the attribute",
       [](CNtfsImage&, uint8_t*, uint8_t* a) { Set16(a + 32, 0x1000); }},
      {"no data runs", [](CNtfsImage&, uint8_t*, uint8_t* a) { a[64] = 0; }},
      {"run header with 9 length bytes", [](CNtfsImage&, uint8_t*, uint8_t* a) { a[64] = 0x19; }},
      {"sparse run", [](CNtfsImage&, uint8_t*, uint8_t* a) { a[64] = 0x01; }},
      {"run longer than the volume",
       [](CNtfsImage&, uint8_t*, uint8_t* a) {
         a[64] = 0x18;
         std::memset(a + 65, 0xFF, 8);
         a[73] = 0x20;
       }},
      {"run starting past the volume",
       [](CNtfsImage&, uint8_t*, uint8_t* a) {
         a[64] = 0x41;
         a[65] = 1;
         Set32(a + 66, 0x7FFFFFFF);
       }},
      {"run starting before the volume",
       [](CNtfsImage&, uint8_t*, uint8_t* a) {
         a[64] = 0x11;
         a[65] = 1;
         a[66] = 0x80;
       }},
      {"run header cut by the attribute's end",
       [](CNtfsImage&, uint8_t*, uint8_t* a) {
         Set16(a + 32, static_cast<uint16_t>(Get32(a + 4) - 1));
         a[Get32(a + 4) - 1] = 0x88;
       }},
      {"data size smaller than the volume needs",
       [&](CNtfsImage&, uint8_t*, uint8_t* a) { set8(a + 48, 16); }},
      {"data size beyond the allocation",
       [&](CNtfsImage&, uint8_t*, uint8_t* a) { set8(a + 48, Get64(a + 40) + 1); }},
      {"initialized beyond the data",
       [&](CNtfsImage&, uint8_t*, uint8_t* a) { set8(a + 56, Get64(a + 48) + 1); }},
      {"unreadable volume end",
       [](CNtfsImage& i, uint8_t*, uint8_t*) {
         i.Bytes.resize(i.BitmapClusters()[0] * i.BytesPerCluster());
       },
       false, kStatusDeviceDataError},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    NtfsGeometry g;
    g.SectorsPerCluster = 1;
    g.Clusters = 9000;
    CNtfsImage image(g);
    if (c.Fixups)
      image.OpenRecord();
    c.Damage(image, image.Record(), image.Record() + image.DataAttributeOffset());
    if (c.Fixups)
      image.CloseRecord();
    std::vector<bool> inUse;
    uint32_t status = 0;
    EXPECT_FALSE(ReadAll(image, inUse, status));
    EXPECT_EQ(status, c.Status) << std::hex << status;
    EXPECT_FALSE(failure.empty());
  }
}

} // namespace
} // namespace bw
