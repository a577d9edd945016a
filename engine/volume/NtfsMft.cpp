#include "engine/volume/NtfsMft.h"

#include "engine/volume/VolumeInfo.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace bw {
namespace {

// NTFS protects each 512-byte stride of a record with an update sequence number.
constexpr uint32_t kFixupStride = 512;
constexpr uint32_t kMinRecordSize = 512;
constexpr uint32_t kMaxRecordSize = 65536;

constexpr uint32_t kBootMftCluster = 48;
constexpr uint32_t kBootClustersPerRecord = 64;

constexpr uint32_t kRecordUsaOffset = 4;
constexpr uint32_t kRecordUsaCount = 6;
constexpr uint32_t kRecordFirstAttribute = 20;
constexpr uint32_t kRecordFlags = 22;
constexpr uint32_t kRecordBytesInUse = 24;
constexpr uint32_t kRecordHeaderSize = 40;
constexpr uint16_t kRecordInUse = 0x0001;
constexpr uint16_t kRecordIsFolder = 0x0002;

constexpr uint32_t kAttributeList = 0x20;
constexpr uint32_t kAttributeData = 0x80;
constexpr uint32_t kAttributeIndexAllocation = 0xA0;
constexpr uint32_t kAttributeBitmap = 0xB0;
constexpr uint32_t kAttributeEnd = 0xFFFFFFFF;
constexpr uint32_t kResidentHeaderSize = 24;
constexpr uint32_t kNonResidentHeaderSize = 64;
constexpr uint16_t kAttributeCompressed = 0x0001;
constexpr uint16_t kAttributeEncrypted = 0x4000;
constexpr uint16_t kAttributeSparse = 0x8000;

// A bitmap of this many bytes is read per request.
constexpr uint32_t kBitmapChunk = 65536;

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

} // namespace

bool CNtfsMft::Fail(std::string reason) {
  _failure = std::move(reason);
  return false;
}

bool CNtfsMft::LoadMft() {
  if (_volume.GetFileSystemType() != FileSystemType::Ntfs)
    return Fail("the volume is not NTFS");
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint32_t bytesPerCluster = _volume.GetBytesPerCluster();
  _clusters = _volume.GetNtfsClusterCount();
  std::vector<uint8_t> boot;
  if (!TryResize(boot, bytesPerSector))
    return Fail("out of memory");
  if (!_volume.ReadSectors(boot.data(), 0, 1))
    return Fail("the boot sector cannot be read");
  _mftCluster = Get64(boot.data() + kBootMftCluster);
  auto perRecord = static_cast<int8_t>(boot[kBootClustersPerRecord]);
  // Positive: clusters per record; negative: the record size is 2 to the power of its negation.
  uint64_t recordSize = 0;
  if (perRecord > 0)
    recordSize = uint64_t{static_cast<uint8_t>(perRecord)} * bytesPerCluster;
  else if (perRecord < 0 && -perRecord < 32)
    recordSize = uint64_t{1} << -perRecord;
  if (!std::has_single_bit(recordSize) || recordSize < kMinRecordSize ||
      recordSize > kMaxRecordSize)
    return Fail("boot sector: no MFT record size from 512 to 65536 bytes");
  if (_mftCluster >= _clusters)
    return Fail("boot sector: the MFT starts outside the volume");
  _recordSize = static_cast<uint32_t>(recordSize);

  // $MFT's own record is the first of its first extent, where the boot sector says.
  std::vector<uint8_t> record;
  if (!ReadRecordAt(_mftCluster * bytesPerCluster, record, "MFT record 0"))
    return false;
  uint32_t at = 0;
  uint32_t length = 0;
  if (!FindAttribute(record, kAttributeData, 0, at, length, "MFT record 0"))
    return _failure.empty() ? Fail("MFT record 0 has no $DATA attribute") : false;
  if (!ParseStream(record.data() + at, length, _data, "$MFT"))
    return false;
  if (_data.Resident)
    return Fail("$MFT: its records cannot be resident");
  if (!FindAttribute(record, kAttributeBitmap, 0, at, length, "MFT record 0"))
    return _failure.empty() ? Fail("MFT record 0 has no $BITMAP attribute") : false;
  return ParseStream(record.data() + at, length, _bitmap, "$MFT bitmap");
}

bool CNtfsMft::ReadRecordAt(uint64_t byteOffset, std::vector<uint8_t>& record,
                            const std::string& what) {
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint64_t volumeBytes = _clusters * _volume.GetBytesPerCluster();
  if (byteOffset > volumeBytes || _recordSize > volumeBytes - byteOffset)
    return Fail(what + " lies past the end of the volume");
  uint64_t first = byteOffset / bytesPerSector;
  uint32_t within = static_cast<uint32_t>(byteOffset % bytesPerSector);
  uint32_t count = (within + _recordSize + bytesPerSector - 1) / bytesPerSector;
  std::vector<uint8_t> sectors;
  if (!TryResize(sectors, size_t{count} * bytesPerSector) || !TryResize(record, _recordSize))
    return Fail("out of memory");
  if (!_volume.ReadSectors(sectors.data(), first, count))
    return Fail(what + " cannot be read");
  std::memcpy(record.data(), sectors.data() + within, _recordSize);
  return ApplyFixups(record, what);
}

bool CNtfsMft::ReadRecord(uint64_t number, std::vector<uint8_t>& record) {
  std::string what = "MFT record " + std::to_string(number);
  if (number >= _data.InitSize / _recordSize)
    return Fail(what + " is past the records written");
  if (!TryResize(record, _recordSize))
    return Fail("out of memory");
  if (!ReadStream(_data, number * _recordSize, record.data(), _recordSize, what))
    return false;
  return ApplyFixups(record, what);
}

bool CNtfsMft::ApplyFixups(std::vector<uint8_t>& record, const std::string& what) {
  uint8_t* r = record.data();
  if (std::memcmp(r, "FILE", 4) != 0)
    return Fail(what + " has no FILE signature");
  uint32_t usaOffset = Get16(r + kRecordUsaOffset);
  uint32_t usaCount = Get16(r + kRecordUsaCount);
  uint32_t strides = static_cast<uint32_t>(record.size() / kFixupStride);
  if (usaCount != strides + 1 || usaOffset < 8 || usaOffset % 2 != 0 ||
      usaOffset + 2 * usaCount > kFixupStride - 2)
    return Fail(what + ": its update sequence does not fit the record");
  uint16_t sequence = Get16(r + usaOffset);
  for (uint32_t i = 1; i <= strides; ++i) {
    uint8_t* word = r + i * kFixupStride - 2;
    if (Get16(word) != sequence)
      return Fail(what + ": a stride fails its update sequence check");
    Set16(word, Get16(r + usaOffset + 2 * i));
  }
  uint32_t bytesInUse = Get32(r + kRecordBytesInUse);
  uint32_t first = Get16(r + kRecordFirstAttribute);
  if (bytesInUse > record.size() || first < kRecordHeaderSize || first >= bytesInUse)
    return Fail(what + ": its attributes lie outside the bytes in use");
  return true;
}

bool CNtfsMft::FindAttribute(const std::vector<uint8_t>& record, uint32_t type, uint8_t nameLength,
                             uint32_t& at, uint32_t& length, const std::string& what) {
  _failure.clear();
  const uint8_t* r = record.data();
  uint32_t bytesInUse = Get32(r + kRecordBytesInUse);
  uint32_t pos = Get16(r + kRecordFirstAttribute);
  // Every attribute is at least 16 bytes long, so the walk always moves on.
  for (;;) {
    if (bytesInUse - pos < 4)
      return Fail(what + ": the attributes run past the bytes in use");
    uint32_t found = Get32(r + pos);
    if (found == kAttributeEnd)
      return false;
    if (bytesInUse - pos < 16)
      return Fail(what + ": the attributes run past the bytes in use");
    uint32_t size = Get32(r + pos + 4);
    if (size < 16 || size % 8 != 0 || size > bytesInUse - pos)
      return Fail(what + ": an attribute has length " + std::to_string(size));
    if (found == type && r[pos + 9] == nameLength) {
      at = pos;
      length = size;
      return true;
    }
    pos += size;
  }
}

bool CNtfsMft::ParseStream(const uint8_t* a, uint32_t length, CStream& stream,
                           const std::string& what) {
  stream = CStream{};
  if (a[8] == 0) {
    if (length < kResidentHeaderSize)
      return Fail(what + ": resident header is cut short");
    uint32_t valueLength = Get32(a + 16);
    uint32_t valueOffset = Get16(a + 20);
    if (valueOffset > length || valueLength > length - valueOffset)
      return Fail(what + ": resident value lies outside its attribute");
    stream.Resident = true;
    stream.Value.assign(a + valueOffset, a + valueOffset + valueLength);
    stream.DataSize = stream.InitSize = valueLength;
    return true;
  }
  if (length < kNonResidentHeaderSize)
    return Fail(what + ": non-resident header is cut short");
  if (Get16(a + 12) & (kAttributeCompressed | kAttributeEncrypted | kAttributeSparse))
    return Fail(what + " is compressed, encrypted or sparse");
  uint64_t startVcn = Get64(a + 16);
  uint64_t lastVcn = Get64(a + 24);
  uint32_t runsOffset = Get16(a + 32);
  uint64_t allocated = Get64(a + 40);
  stream.DataSize = Get64(a + 48);
  stream.InitSize = Get64(a + 56);
  if (startVcn != 0)
    return Fail(what + ": the base record's runs do not start the stream");
  if (lastVcn >= _clusters)
    return Fail(what + " holds more clusters than the volume");
  if (runsOffset < kNonResidentHeaderSize || runsOffset >= length)
    return Fail(what + ": its data runs lie outside their attribute");
  if (stream.InitSize > stream.DataSize || stream.DataSize > allocated ||
      allocated > (lastVcn + 1) * _volume.GetBytesPerCluster())
    return Fail(what + ": its sizes do not fit its clusters");

  const uint8_t* p = a + runsOffset;
  uint32_t size = length - runsOffset;
  uint64_t vcn = 0;
  uint64_t lcn = 0;
  uint32_t pos = 0;
  while (pos < size && p[pos] != 0) {
    unsigned lengthBytes = p[pos] & 0x0F;
    unsigned offsetBytes = p[pos] >> 4;
    // A run without an offset is a hole, which none of the streams read here may have.
    if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes == 0 || offsetBytes > 8 ||
        1 + lengthBytes + offsetBytes > size - pos)
      return Fail(what + ": a data run is malformed");
    uint64_t count = GetUnsigned(p + pos + 1, lengthBytes);
    int64_t delta = GetSigned(p + pos + 1 + lengthBytes, offsetBytes);
    if (delta < 0) {
      uint64_t back = static_cast<uint64_t>(-(delta + 1)) + 1;
      if (back > lcn)
        return Fail(what + ": a data run starts before the volume");
      lcn -= back;
    } else {
      if (static_cast<uint64_t>(delta) >= _clusters - lcn)
        return Fail(what + ": a data run starts past the end of the volume");
      lcn += static_cast<uint64_t>(delta);
    }
    if (count == 0 || count > _clusters - lcn || count > lastVcn + 1 - vcn)
      return Fail(what + ": a data run runs past the volume or its attribute");
    stream.Runs.push_back({vcn, lcn, count});
    vcn += count;
    pos += 1 + lengthBytes + offsetBytes;
  }
  // Only the runs held in the base record are known; a stream longer than they are is read no
  // further than they reach.
  uint64_t reach = vcn * _volume.GetBytesPerCluster();
  stream.InitSize = std::min(stream.InitSize, reach);
  return true;
}

bool CNtfsMft::ReadStream(const CStream& stream, uint64_t offset, uint8_t* out, uint32_t size,
                          const std::string& what) {
  if (offset > stream.InitSize || size > stream.InitSize - offset)
    return Fail(what + " lies past the stream's written bytes");
  if (stream.Resident) {
    std::memcpy(out, stream.Value.data() + offset, size);
    return true;
  }
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint32_t bytesPerCluster = _volume.GetBytesPerCluster();
  uint32_t sectorsPerCluster = _volume.GetSectorsPerCluster();
  std::vector<uint8_t> scratch;
  while (size > 0) {
    uint64_t vcn = offset / bytesPerCluster;
    auto run = std::upper_bound(stream.Runs.begin(), stream.Runs.end(), vcn,
                                [](uint64_t v, const CStream::Run& r) { return v < r.Vcn; });
    if (run == stream.Runs.begin())
      return Fail(what + ": no data run holds it");
    --run;
    if (vcn - run->Vcn >= run->Length)
      return Fail(what + ": no data run holds it");
    uint32_t inCluster = static_cast<uint32_t>(offset % bytesPerCluster);
    uint64_t inRun = (run->Length - (vcn - run->Vcn)) * bytesPerCluster - inCluster;
    uint32_t take = static_cast<uint32_t>(std::min<uint64_t>({size, inRun, kBitmapChunk}));
    uint64_t sector =
        (run->Lcn + (vcn - run->Vcn)) * sectorsPerCluster + inCluster / bytesPerSector;
    uint32_t within = inCluster % bytesPerSector;
    uint32_t count = (within + take + bytesPerSector - 1) / bytesPerSector;
    if (!TryResize(scratch, size_t{count} * bytesPerSector))
      return Fail("out of memory");
    if (!_volume.ReadSectors(scratch.data(), sector, count))
      return Fail(what + ": sector " + std::to_string(sector) + " cannot be read");
    std::memcpy(out, scratch.data() + within, take);
    out += take;
    offset += take;
    size -= take;
  }
  return true;
}

bool CNtfsMft::CountFreeRecords(uint64_t& freeRecords) {
  if (!LoadMft())
    return false;
  uint64_t records = _data.InitSize / _recordSize;
  // Bits past the bitmap's written bytes read as zero, as the file system answers them.
  uint64_t bitmapBytes = std::min<uint64_t>((records + 7) / 8, _bitmap.InitSize);
  records = std::min<uint64_t>(records, bitmapBytes * 8);
  uint64_t used = 0;
  std::vector<uint8_t> chunk;
  if (!TryResize(chunk, kBitmapChunk))
    return Fail("out of memory");
  for (uint64_t offset = 0; offset < bitmapBytes; offset += kBitmapChunk) {
    uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(kBitmapChunk, bitmapBytes - offset));
    if (!ReadStream(_bitmap, offset, chunk.data(), take, "$MFT bitmap"))
      return false;
    for (uint32_t i = 0; i < take; ++i) {
      uint64_t firstBit = (offset + i) * 8;
      uint8_t bits = chunk[i];
      // Only the records that exist count, and the file system's own are never handed out.
      for (unsigned b = 0; b < 8; ++b)
        if (firstBit + b < kFirstUserRecord || firstBit + b >= records)
          bits = static_cast<uint8_t>(bits | (1u << b));
      used += static_cast<uint64_t>(std::popcount(bits));
    }
  }
  uint64_t counted = bitmapBytes * 8;
  freeRecords = counted - used;
  return true;
}

bool CNtfsMft::GetFolderIndexSize(uint64_t fileId, uint64_t& bytes) {
  // The file index carries the record's sequence number above its 48-bit number.
  uint64_t number = fileId & 0xFFFFFFFFFFFFull;
  if (_recordSize == 0 && !LoadMft())
    return false;
  std::vector<uint8_t> record;
  if (!ReadRecord(number, record))
    return false;
  std::string what = "MFT record " + std::to_string(number);
  uint16_t flags = Get16(record.data() + kRecordFlags);
  if (!(flags & kRecordInUse) || !(flags & kRecordIsFolder))
    return Fail(what + " is no folder in use");
  uint32_t at = 0;
  uint32_t length = 0;
  // The index blocks are the "$I30" stream: a name of four characters.
  if (FindAttribute(record, kAttributeIndexAllocation, 4, at, length, what)) {
    CStream stream;
    if (!ParseStream(record.data() + at, length, stream, what + " index"))
      return false;
    bytes = stream.DataSize;
    return true;
  }
  if (!_failure.empty())
    return false;
  // Without an attribute list every attribute is here: the index lies in the record itself.
  if (FindAttribute(record, kAttributeList, 0, at, length, what))
    return Fail(what + " keeps attributes in other records");
  if (!_failure.empty())
    return false;
  bytes = 0;
  return true;
}

} // namespace bw
