#include "engine/volume/NtfsRecord.h"

#include "platform/Bytes.h"

#include <bit>
#include <cstring>

namespace bw::ntfs {
namespace {

// NTFS protects each 512-byte stride of a record with an update sequence number, whatever the
// sector size.
constexpr uint32_t kFixupStride = 512;
constexpr uint32_t kMinRecordSize = 512;
constexpr uint32_t kMaxRecordSize = 65536;

constexpr uint32_t kRecordUsaOffset = 4;
constexpr uint32_t kRecordUsaCount = 6;
constexpr uint32_t kRecordFirstAttribute = 20;
constexpr uint32_t kRecordBytesInUse = 24;
constexpr uint32_t kRecordHeaderSize = 40;

constexpr uint32_t kAttributeEnd = 0xFFFFFFFF;
constexpr uint32_t kResidentHeaderSize = 24;
constexpr uint32_t kNonResidentHeaderSize = 64;
constexpr uint16_t kAttributeCompressed = 0x0001;
constexpr uint16_t kAttributeEncrypted = 0x4000;
constexpr uint16_t kAttributeSparse = 0x8000;

uint64_t GetUnsigned(const uint8_t* p, unsigned bytes) {
  uint64_t v = 0;
  for (unsigned i = bytes; i > 0; --i)
    v = (v << 8) | p[i - 1];
  return v;
}

int64_t GetSigned(const uint8_t* p, unsigned bytes) {
  uint64_t v = GetUnsigned(p, bytes);
  if (bytes < 8 && (p[bytes - 1] & 0x80))
    v |= ~uint64_t{0} << (bytes * 8);
  return static_cast<int64_t>(v);
}

bool Problem(std::string& problem, std::string text) {
  problem = std::move(text);
  return false;
}

} // namespace

uint32_t RecordSizeFromBoot(const uint8_t* boot, uint32_t bytesPerCluster) {
  auto perRecord = static_cast<int8_t>(boot[kBootClustersPerRecord]);
  uint64_t size = 0;
  if (perRecord > 0)
    size = uint64_t{static_cast<uint8_t>(perRecord)} * bytesPerCluster;
  else if (perRecord < 0 && -perRecord < 32)
    size = uint64_t{1} << -perRecord;
  if (!std::has_single_bit(size) || size < kMinRecordSize || size > kMaxRecordSize)
    return 0;
  return static_cast<uint32_t>(size);
}

bool ApplyFixups(std::vector<uint8_t>& record, std::string& problem) {
  uint8_t* r = record.data();
  if (record.size() < kFixupStride || std::memcmp(r, "FILE", 4) != 0)
    return Problem(problem, "has no FILE signature");
  uint32_t usaOffset = Get16(r + kRecordUsaOffset);
  uint32_t usaCount = Get16(r + kRecordUsaCount);
  uint32_t strides = static_cast<uint32_t>(record.size() / kFixupStride);
  // The array must lie in the first stride, before the first protected word, so that applying
  // it cannot change it.
  if (usaCount != strides + 1 || usaOffset < 8 || usaOffset % 2 != 0 ||
      usaOffset + 2 * usaCount > kFixupStride - 2)
    return Problem(problem, "update sequence of " + std::to_string(usaCount) + " entries at " +
                                std::to_string(usaOffset) + " does not fit a record of " +
                                std::to_string(record.size()) + " bytes");
  uint16_t sequence = Get16(r + usaOffset);
  for (uint32_t i = 1; i <= strides; ++i) {
    uint8_t* word = r + i * kFixupStride - 2;
    if (Get16(word) != sequence)
      return Problem(problem,
                     "stride " + std::to_string(i - 1) + " fails its update sequence check");
    Set16(word, Get16(r + usaOffset + 2 * i));
  }
  uint32_t bytesInUse = Get32(r + kRecordBytesInUse);
  uint32_t first = Get16(r + kRecordFirstAttribute);
  if (bytesInUse > record.size() || first < kRecordHeaderSize || first >= bytesInUse)
    return Problem(problem, "attributes at " + std::to_string(first) + " lie outside the " +
                                std::to_string(bytesInUse) + " bytes in use");
  return true;
}

bool FindAttribute(const std::vector<uint8_t>& record, uint32_t type, uint8_t nameLength,
                   uint32_t& at, uint32_t& length, std::string& problem) {
  problem.clear();
  const uint8_t* r = record.data();
  uint32_t bytesInUse = Get32(r + kRecordBytesInUse);
  uint32_t pos = Get16(r + kRecordFirstAttribute);
  // Every attribute is at least 16 bytes long, so the walk always moves on.
  for (;;) {
    if (bytesInUse - pos < 4)
      return Problem(problem, "the attributes run past the bytes in use");
    uint32_t found = Get32(r + pos);
    if (found == kAttributeEnd)
      return false;
    if (bytesInUse - pos < 16)
      return Problem(problem, "the attributes run past the bytes in use");
    uint32_t size = Get32(r + pos + 4);
    if (size < 16 || size % 8 != 0 || size > bytesInUse - pos)
      return Problem(problem,
                     "attribute at " + std::to_string(pos) + " has length " + std::to_string(size));
    if (found == type && r[pos + 9] == nameLength) {
      at = pos;
      length = size;
      return true;
    }
    pos += size;
  }
}

bool ResidentValue(const uint8_t* a, uint32_t length, uint32_t& offset, uint32_t& size,
                   std::string& problem) {
  if (length < kResidentHeaderSize)
    return Problem(problem, "resident header is cut short");
  size = Get32(a + 16);
  offset = Get16(a + 20);
  if (offset > length || size > length - offset)
    return Problem(problem, "resident value lies outside its attribute");
  return true;
}

bool ReadNonResident(const uint8_t* a, uint32_t length, uint64_t clusters, uint32_t bytesPerCluster,
                     NonResident& stream, std::string& problem) {
  stream = NonResident{};
  if (length < kNonResidentHeaderSize)
    return Problem(problem, "non-resident header is cut short");
  if (Get16(a + 12) & (kAttributeCompressed | kAttributeEncrypted | kAttributeSparse))
    return Problem(problem, "is compressed, encrypted or sparse");
  uint64_t startVcn = Get64(a + 16);
  stream.LastVcn = Get64(a + 24);
  uint32_t runsOffset = Get16(a + 32);
  stream.Allocated = Get64(a + 40);
  stream.DataSize = Get64(a + 48);
  stream.InitSize = Get64(a + 56);
  if (startVcn != 0)
    return Problem(problem, "the base record's runs start at cluster " + std::to_string(startVcn) +
                                " of the stream");
  if (stream.LastVcn >= clusters)
    return Problem(problem, std::to_string(stream.LastVcn) + " clusters exceed the volume");
  if (runsOffset < kNonResidentHeaderSize || runsOffset >= length)
    return Problem(problem,
                   "data runs at " + std::to_string(runsOffset) + " lie outside their attribute");
  if (stream.InitSize > stream.DataSize || stream.DataSize > stream.Allocated ||
      stream.Allocated > (stream.LastVcn + 1) * bytesPerCluster)
    return Problem(problem, "sizes " + std::to_string(stream.InitSize) + " / " +
                                std::to_string(stream.DataSize) + " / " +
                                std::to_string(stream.Allocated) + " do not fit its clusters");

  const uint8_t* p = a + runsOffset;
  uint32_t size = length - runsOffset;
  uint64_t vcn = 0;
  uint64_t lcn = 0;
  uint32_t pos = 0;
  while (pos < size && p[pos] != 0) {
    unsigned lengthBytes = p[pos] & 0x0F;
    unsigned offsetBytes = p[pos] >> 4;
    if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8)
      return Problem(problem, "data run header " + std::to_string(p[pos]));
    // A run without an offset is a hole, which none of the streams read here may have.
    if (offsetBytes == 0)
      return Problem(problem, "sparse data run");
    if (1 + lengthBytes + offsetBytes > size - pos)
      return Problem(problem, "data run runs past its attribute");
    uint64_t count = GetUnsigned(p + pos + 1, lengthBytes);
    int64_t delta = GetSigned(p + pos + 1 + lengthBytes, offsetBytes);
    if (delta < 0) {
      uint64_t back = static_cast<uint64_t>(-(delta + 1)) + 1;
      if (back > lcn)
        return Problem(problem, "data run starts before the volume");
      lcn -= back;
    } else {
      if (static_cast<uint64_t>(delta) >= clusters - lcn)
        return Problem(problem, "data run starts past the end of the volume");
      lcn += static_cast<uint64_t>(delta);
    }
    if (count == 0 || count > clusters - lcn)
      return Problem(problem, "data run of " + std::to_string(count) + " clusters at " +
                                  std::to_string(lcn) + " runs past the end of the volume");
    if (count > stream.LastVcn + 1 - vcn)
      return Problem(problem, "data runs hold more clusters than the attribute");
    stream.Runs.push_back({vcn, lcn, count});
    vcn += count;
    pos += 1 + lengthBytes + offsetBytes;
  }
  return true;
}

} // namespace bw::ntfs
