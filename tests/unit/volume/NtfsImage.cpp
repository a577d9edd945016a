#include "tests/unit/volume/NtfsImage.h"

#include "platform/Bytes.h"

#include <cstring>

namespace bw::test {
namespace {

void Put64(uint8_t* p, uint64_t v) {
  Set32(p, static_cast<uint32_t>(v));
  Set32(p + 4, static_cast<uint32_t>(v >> 32));
}

// A data run: header, length, signed offset from the previous run, each in the fewest bytes.
size_t PutRun(uint8_t* p, uint64_t length, int64_t delta) {
  auto bytesFor = [](int64_t v, bool isSigned) {
    size_t n = 1;
    while (n < 8) {
      int64_t lo = isSigned ? -(int64_t{1} << (8 * n - 1)) : 0;
      int64_t hi = isSigned ? (int64_t{1} << (8 * n - 1)) - 1 : (int64_t{1} << (8 * n)) - 1;
      if (v >= lo && v <= hi)
        break;
      ++n;
    }
    return n;
  };
  size_t lengthBytes = bytesFor(static_cast<int64_t>(length), false);
  size_t offsetBytes = bytesFor(delta, true);
  p[0] = static_cast<uint8_t>(lengthBytes | (offsetBytes << 4));
  for (size_t i = 0; i < lengthBytes; ++i)
    p[1 + i] = static_cast<uint8_t>(length >> (8 * i));
  for (size_t i = 0; i < offsetBytes; ++i)
    p[1 + lengthBytes + i] = static_cast<uint8_t>(static_cast<uint64_t>(delta) >> (8 * i));
  return 1 + lengthBytes + offsetBytes;
}

constexpr uint32_t kUsaOffset = 48;
constexpr uint16_t kSequence = 0x0007;

} // namespace

CNtfsImage::CNtfsImage(const NtfsGeometry& g) : Geometry(g) {
  Bytes.assign(g.Clusters * BytesPerCluster(), 0);
  uint64_t bitmapBytes = (g.Clusters + 63) / 64 * 8;
  uint64_t bitmapClusters = (bitmapBytes + BytesPerCluster() - 1) / BytesPerCluster();
  uint64_t mftClusters =
      (uint64_t{g.MftRecords} * RecordSize() + BytesPerCluster() - 1) / BytesPerCluster();
  uint64_t after = g.MftCluster + mftClusters;
  if (g.Fragmented && bitmapClusters >= 2) {
    // The second half first on the volume, then a gap, then the first half.
    uint64_t firstHalf = bitmapClusters / 2;
    uint64_t secondAt = after;
    uint64_t firstAt = after + (bitmapClusters - firstHalf) + 3;
    for (uint64_t i = 0; i < firstHalf; ++i)
      _bitmapClusters.push_back(firstAt + i);
    for (uint64_t i = 0; i < bitmapClusters - firstHalf; ++i)
      _bitmapClusters.push_back(secondAt + i);
  } else {
    for (uint64_t i = 0; i < bitmapClusters; ++i)
      _bitmapClusters.push_back(after + i);
  }
  WriteBootSector();
  WriteRecord();
  SetInUse(0, true);
  for (uint64_t i = 0; i < mftClusters; ++i)
    SetInUse(g.MftCluster + i, true);
  for (uint64_t c : _bitmapClusters)
    SetInUse(c, true);
}

uint32_t CNtfsImage::RecordSize() const {
  int8_t f = Geometry.ClustersPerRecord;
  return f > 0 ? f * BytesPerCluster() : 1u << -f;
}

uint8_t* CNtfsImage::Cluster(uint64_t cluster) {
  return Bytes.data() + cluster * BytesPerCluster();
}

void CNtfsImage::WriteBootSector() {
  uint8_t* b = Bytes.data();
  b[0] = 0xEB;
  b[1] = 0x52;
  b[2] = 0x90;
  std::memcpy(b + 3, "NTFS    ", 8);
  Set16(b + 11, static_cast<uint16_t>(Geometry.BytesPerSector));
  b[13] = static_cast<uint8_t>(Geometry.SectorsPerCluster);
  b[21] = 0xF8;
  Put64(b + 40, Geometry.Clusters * Geometry.SectorsPerCluster);
  Put64(b + 48, Geometry.MftCluster);
  Put64(b + 56, Geometry.Clusters / 2);
  b[64] = static_cast<uint8_t>(Geometry.ClustersPerRecord);
  b[68] = 1;
  b[510] = 0x55;
  b[511] = 0xAA;
}

uint8_t* CNtfsImage::Record() {
  return Cluster(Geometry.MftCluster) + 6 * uint64_t{RecordSize()};
}

void CNtfsImage::WriteRecord() {
  uint32_t size = RecordSize();
  uint8_t* r = Record();
  std::memset(r, 0, size);
  std::memcpy(r, "FILE", 4);
  uint16_t usaCount = static_cast<uint16_t>(size / 512 + 1);
  Set16(r + 4, kUsaOffset);
  Set16(r + 6, usaCount);
  Set16(r + 16, 1); // sequence number
  Set16(r + 18, 1); // hard links
  Set16(r + 22, 1); // in use
  Set32(r + 28, size);
  Set32(r + 44, 6); // record number
  uint32_t at = (kUsaOffset + 2 * usaCount + 7) / 8 * 8;
  Set16(r + 20, static_cast<uint16_t>(at));

  // $STANDARD_INFORMATION, resident, 48 bytes of zeros.
  Set32(r + at, 0x10);
  Set32(r + at + 4, 72);
  Set32(r + at + 16, 48);
  Set16(r + at + 20, 24);
  at += 72;

  // $DATA, non-resident, unnamed.
  _dataAttribute = at;
  uint8_t* a = r + at;
  uint64_t clusters = _bitmapClusters.size();
  uint64_t dataSize = (Geometry.Clusters + 63) / 64 * 8;
  Set32(a, 0x80);
  a[8] = 1;
  Put64(a + 16, 0);
  Put64(a + 24, clusters - 1);
  Set16(a + 32, 64);
  Put64(a + 40, clusters * BytesPerCluster());
  Put64(a + 48, dataSize);
  Put64(a + 56, dataSize);
  size_t runs = 64;
  int64_t previous = 0;
  for (size_t i = 0; i < _bitmapClusters.size();) {
    size_t j = i + 1;
    while (j < _bitmapClusters.size() && _bitmapClusters[j] == _bitmapClusters[j - 1] + 1)
      ++j;
    int64_t lcn = static_cast<int64_t>(_bitmapClusters[i]);
    runs += PutRun(a + runs, j - i, lcn - previous);
    previous = lcn;
    i = j;
  }
  a[runs++] = 0;
  uint32_t length = static_cast<uint32_t>((runs + 7) / 8 * 8);
  Set32(a + 4, length);
  at += length;
  Set32(r + at, 0xFFFFFFFF);
  Set32(r + 24, at + 8);
  CloseRecord();
}

uint8_t* CNtfsImage::RecordAt(uint32_t number) {
  return Cluster(Geometry.MftCluster) + number * uint64_t{RecordSize()};
}

uint32_t CNtfsImage::BeginRecord(uint8_t* r, uint32_t number, uint16_t flags) {
  uint32_t size = RecordSize();
  std::memset(r, 0, size);
  std::memcpy(r, "FILE", 4);
  uint16_t usaCount = static_cast<uint16_t>(size / 512 + 1);
  Set16(r + 4, kUsaOffset);
  Set16(r + 6, usaCount);
  Set16(r + 16, 1);
  Set16(r + 18, 1);
  Set16(r + 22, flags);
  Set32(r + 28, size);
  Set32(r + 44, number);
  uint32_t at = (kUsaOffset + 2 * usaCount + 7) / 8 * 8;
  Set16(r + 20, static_cast<uint16_t>(at));
  return at;
}

void CNtfsImage::EndRecord(uint8_t* r, uint32_t at) {
  Set32(r + at, 0xFFFFFFFF);
  Set32(r + 24, at + 8);
  ApplyFixups(r);
}

uint32_t CNtfsImage::PutNonResident(uint8_t* a, uint32_t type, const char* name, uint64_t cluster,
                                    uint64_t clusters, uint64_t dataSize) {
  size_t nameLength = std::strlen(name);
  Set32(a, type);
  a[8] = 1;
  a[9] = static_cast<uint8_t>(nameLength);
  Set16(a + 10, 64);
  Put64(a + 16, 0);
  Put64(a + 24, clusters - 1);
  uint32_t runs = static_cast<uint32_t>(64 + (2 * nameLength + 7) / 8 * 8);
  Set16(a + 32, static_cast<uint16_t>(runs));
  Put64(a + 40, clusters * BytesPerCluster());
  Put64(a + 48, dataSize);
  Put64(a + 56, dataSize);
  for (size_t i = 0; i < nameLength; ++i)
    Set16(a + 64 + 2 * i, static_cast<uint8_t>(name[i]));
  runs += static_cast<uint32_t>(PutRun(a + runs, clusters, static_cast<int64_t>(cluster)));
  a[runs++] = 0;
  uint32_t length = (runs + 7) / 8 * 8;
  Set32(a + 4, length);
  return length;
}

void CNtfsImage::WriteMftRecord(uint32_t recordsInUse) {
  uint8_t* r = RecordAt(0);
  uint32_t at = BeginRecord(r, 0, 0x0001);
  uint64_t bytes = uint64_t{Geometry.MftRecords} * RecordSize();
  uint64_t clusters = (bytes + BytesPerCluster() - 1) / BytesPerCluster();
  at += PutNonResident(r + at, 0x80, "", Geometry.MftCluster, clusters, bytes);
  // $BITMAP, resident: one bit per record.
  uint32_t bitmapBytes = (Geometry.MftRecords + 7) / 8;
  uint8_t* a = r + at;
  Set32(a, 0xB0);
  Set32(a + 16, bitmapBytes);
  Set16(a + 20, 24);
  for (uint32_t i = 0; i < recordsInUse && i < Geometry.MftRecords; ++i)
    a[24 + i / 8] = static_cast<uint8_t>(a[24 + i / 8] | (1u << (i % 8)));
  uint32_t length = (24 + bitmapBytes + 7) / 8 * 8;
  Set32(a + 4, length);
  EndRecord(r, at + length);
}

void CNtfsImage::WriteFolderRecord(uint32_t number, uint64_t indexCluster, uint64_t indexClusters) {
  uint8_t* r = RecordAt(number);
  uint32_t at = BeginRecord(r, number, 0x0003);
  if (indexClusters > 0)
    at += PutNonResident(r + at, 0xA0, "$I30", indexCluster, indexClusters,
                         indexClusters * BytesPerCluster());
  EndRecord(r, at);
}

void CNtfsImage::CloseRecord() {
  ApplyFixups(Record());
}

void CNtfsImage::ApplyFixups(uint8_t* r) {
  uint32_t strides = RecordSize() / 512;
  Set16(r + kUsaOffset, kSequence);
  for (uint32_t i = 1; i <= strides; ++i) {
    uint8_t* word = r + i * 512 - 2;
    Set16(r + kUsaOffset + 2 * i, Get16(word));
    Set16(word, kSequence);
  }
}

void CNtfsImage::OpenRecord() {
  uint8_t* r = Record();
  uint32_t strides = RecordSize() / 512;
  for (uint32_t i = 1; i <= strides; ++i)
    Set16(r + i * 512 - 2, Get16(r + kUsaOffset + 2 * i));
}

uint8_t* CNtfsImage::BitmapByte(uint64_t index) {
  uint64_t vcn = index / BytesPerCluster();
  return Cluster(_bitmapClusters[vcn]) + index % BytesPerCluster();
}

void CNtfsImage::SetInUse(uint64_t cluster, bool inUse) {
  uint8_t* p = BitmapByte(cluster / 8);
  uint8_t bit = static_cast<uint8_t>(1u << (cluster % 8));
  *p = inUse ? (*p | bit) : (*p & ~bit);
}

bool CNtfsImage::IsInUse(uint64_t cluster) const {
  return const_cast<CNtfsImage*>(this)->BitmapByte(cluster / 8)[0] & (1u << (cluster % 8));
}

} // namespace bw::test
