#include "engine/volume/NtfsBitmap.h"

#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>

namespace bw {
namespace {

// NTFS protects each 512-byte stride of a record with an update sequence number, whatever the
// sector size.
constexpr uint32_t kFixupStride = 512;
constexpr uint32_t kMinRecordSize = 512;
constexpr uint32_t kMaxRecordSize = 65536;

// File record header.
constexpr uint32_t kRecordUsaOffset = 4;
constexpr uint32_t kRecordUsaCount = 6;
constexpr uint32_t kRecordFirstAttribute = 20;
constexpr uint32_t kRecordFlags = 22;
constexpr uint32_t kRecordBytesInUse = 24;
constexpr uint32_t kRecordBaseReference = 32;
constexpr uint32_t kRecordHeaderSize = 40;
constexpr uint16_t kRecordInUse = 0x0001;

// Attribute headers.
constexpr uint32_t kAttributeData = 0x80;
constexpr uint32_t kAttributeEnd = 0xFFFFFFFF;
constexpr uint32_t kResidentHeaderSize = 24;
constexpr uint32_t kNonResidentHeaderSize = 64;
constexpr uint16_t kAttributeCompressed = 0x0001;
constexpr uint16_t kAttributeEncrypted = 0x4000;
constexpr uint16_t kAttributeSparse = 0x8000;

// Boot-sector fields the volume record does not keep.
constexpr uint32_t kBootMftCluster = 48;
constexpr uint32_t kBootClustersPerRecord = 64;

bool IsPowerOfTwo(uint64_t v) {
  return v != 0 && (v & (v - 1)) == 0;
}

uint64_t GetUnsigned(const uint8_t* p, unsigned bytes) {
  uint64_t v = 0;
  for (unsigned i = bytes; i > 0; --i)
    v = (v << 8) | p[i - 1];
  return v;
}

// A data run's cluster offset: little-endian two's complement of 1 to 8 bytes.
int64_t GetSigned(const uint8_t* p, unsigned bytes) {
  uint64_t v = GetUnsigned(p, bytes);
  if (bytes < 8 && (p[bytes - 1] & 0x80))
    v |= ~uint64_t{0} << (bytes * 8);
  return static_cast<int64_t>(v);
}

void Set64(uint8_t* p, uint64_t v) {
  Set32(p, static_cast<uint32_t>(v));
  Set32(p + 4, static_cast<uint32_t>(v >> 32));
}

} // namespace

uint32_t CNtfsBitmapFile::Corrupt(std::string reason) {
  _failure = std::move(reason);
  return kStatusDiskCorruptError;
}

uint32_t CNtfsBitmapFile::GetBitmap(uint64_t startingCluster, uint8_t* buffer) {
  if (!_loaded) {
    _loadStatus = Load();
    _loaded = true;
  }
  if (_loadStatus != kStatusSuccess)
    return _loadStatus;
  if (startingCluster >= _clusters) {
    _failure = "starting cluster " + std::to_string(startingCluster) + " is past the end";
    return kStatusInvalidParameter;
  }
  // As the system does, the answer starts at the byte that holds the asked cluster's bit.
  uint64_t first = startingCluster & ~uint64_t{7};
  uint64_t remaining = _clusters - first;
  uint32_t bits = static_cast<uint32_t>(std::min<uint64_t>(remaining, kVolumeBitmapBits));
  std::memset(buffer, 0, kVolumeBitmapBufferSize);
  uint32_t status = ReadBytes(first / 8, buffer + kVolumeBitmapHeaderSize, (bits + 7) / 8);
  if (status != kStatusSuccess)
    return status;
  Set64(buffer, first);
  Set64(buffer + 8, remaining);
  return remaining > kVolumeBitmapBits ? kStatusBufferOverflow : kStatusSuccess;
}

uint32_t CNtfsBitmapFile::Load() {
  if (_volume.GetFileSystemType() != FileSystemType::Ntfs)
    return Corrupt("the volume is not NTFS");
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint32_t bytesPerCluster = _volume.GetBytesPerCluster();
  _clusters = _volume.GetNtfsClusterCount();
  if (!TryResize(_scratch, kVolumeBitmapBytes + 2 * size_t{bytesPerSector}))
    return Corrupt("out of memory");

  std::vector<uint8_t> boot;
  if (!TryResize(boot, bytesPerSector))
    return Corrupt("out of memory");
  if (!_volume.ReadSectors(boot.data(), 0, 1)) {
    _failure = "the boot sector cannot be read";
    return kStatusDeviceDataError;
  }
  uint64_t mftCluster = Get64(boot.data() + kBootMftCluster);
  auto perRecord = static_cast<int8_t>(boot[kBootClustersPerRecord]);
  // Positive: clusters per record; negative: the record size is 2 to the power of its negation.
  uint64_t recordSize = 0;
  if (perRecord > 0)
    recordSize = uint64_t{static_cast<uint8_t>(perRecord)} * bytesPerCluster;
  else if (perRecord < 0 && -perRecord < 32)
    recordSize = uint64_t{1} << -perRecord;
  if (!IsPowerOfTwo(recordSize) || recordSize < kMinRecordSize || recordSize > kMaxRecordSize)
    return Corrupt("boot sector: MFT record size field " + std::to_string(perRecord) +
                   " gives no record size from 512 to 65536 bytes");
  if (mftCluster >= _clusters)
    return Corrupt("boot sector: MFT cluster " + std::to_string(mftCluster) +
                   " is outside the volume");

  std::vector<uint8_t> record;
  uint32_t status = ReadRecord(mftCluster, static_cast<uint32_t>(recordSize), record);
  if (status != kStatusSuccess)
    return status;
  status = ApplyFixups(record);
  if (status != kStatusSuccess)
    return status;

  const uint8_t* r = record.data();
  if (!(Get16(r + kRecordFlags) & kRecordInUse))
    return Corrupt("MFT record 6 is not in use");
  if (Get64(r + kRecordBaseReference) != 0)
    return Corrupt("MFT record 6 is an extension of another record");
  uint32_t bytesInUse = Get32(r + kRecordBytesInUse);
  uint32_t at = Get16(r + kRecordFirstAttribute);
  if (bytesInUse > record.size() || at < kRecordHeaderSize || at >= bytesInUse)
    return Corrupt("MFT record 6: attributes at " + std::to_string(at) + " of " +
                   std::to_string(bytesInUse) + " bytes in use");
  // Every attribute is at least 16 bytes long, so the walk always moves on.
  for (;;) {
    if (bytesInUse - at < 4)
      return Corrupt("MFT record 6: the attributes run past the bytes in use");
    uint32_t type = Get32(r + at);
    if (type == kAttributeEnd)
      break;
    if (bytesInUse - at < 16)
      return Corrupt("MFT record 6: the attributes run past the bytes in use");
    uint32_t length = Get32(r + at + 4);
    if (length < 16 || length % 8 != 0 || length > bytesInUse - at)
      return Corrupt("MFT record 6: attribute at " + std::to_string(at) + " has length " +
                     std::to_string(length));
    if (type == kAttributeData && r[at + 9] == 0)
      return ParseData(r + at, length);
    at += length;
  }
  // A $Bitmap so fragmented that its runs moved to other records is not followed.
  return Corrupt("MFT record 6 has no unnamed $DATA attribute");
}

uint32_t CNtfsBitmapFile::ReadRecord(uint64_t mftCluster, uint32_t recordSize,
                                     std::vector<uint8_t>& record) {
  // The first records of the MFT always lie in its first extent, from the boot sector's cluster.
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint64_t volumeBytes = _clusters * _volume.GetBytesPerCluster();
  uint64_t offset =
      mftCluster * _volume.GetBytesPerCluster() + uint64_t{kBitmapFileRecord} * recordSize;
  if (offset > volumeBytes || recordSize > volumeBytes - offset)
    return Corrupt("MFT record 6 lies past the end of the volume");
  uint64_t first = offset / bytesPerSector;
  uint32_t within = static_cast<uint32_t>(offset % bytesPerSector);
  uint32_t count = (within + recordSize + bytesPerSector - 1) / bytesPerSector;
  std::vector<uint8_t> sectors;
  if (!TryResize(sectors, size_t{count} * bytesPerSector) || !TryResize(record, recordSize))
    return Corrupt("out of memory");
  if (!_volume.ReadSectors(sectors.data(), first, count)) {
    _failure = "MFT record 6 cannot be read";
    return kStatusDeviceDataError;
  }
  std::memcpy(record.data(), sectors.data() + within, recordSize);
  return kStatusSuccess;
}

uint32_t CNtfsBitmapFile::ApplyFixups(std::vector<uint8_t>& record) {
  uint8_t* r = record.data();
  if (std::memcmp(r, "FILE", 4) != 0)
    return Corrupt("MFT record 6 has no FILE signature");
  uint32_t usaOffset = Get16(r + kRecordUsaOffset);
  uint32_t usaCount = Get16(r + kRecordUsaCount);
  uint32_t strides = static_cast<uint32_t>(record.size() / kFixupStride);
  // The array must lie in the first stride, before the first protected word, so that applying
  // it cannot change it.
  if (usaCount != strides + 1 || usaOffset < 8 || usaOffset % 2 != 0 ||
      usaOffset + 2 * usaCount > kFixupStride - 2)
    return Corrupt("MFT record 6: update sequence of " + std::to_string(usaCount) + " entries at " +
                   std::to_string(usaOffset) + " does not fit a record of " +
                   std::to_string(record.size()) + " bytes");
  uint16_t sequence = Get16(r + usaOffset);
  for (uint32_t i = 1; i <= strides; ++i) {
    uint8_t* word = r + i * kFixupStride - 2;
    if (Get16(word) != sequence)
      return Corrupt("MFT record 6: stride " + std::to_string(i - 1) +
                     " fails its update sequence check");
    Set16(word, Get16(r + usaOffset + 2 * i));
  }
  return kStatusSuccess;
}

uint32_t CNtfsBitmapFile::ParseData(const uint8_t* a, uint32_t length) {
  uint64_t needed = (_clusters + 7) / 8;
  if (a[8] == 0) {
    if (length < kResidentHeaderSize)
      return Corrupt("$Bitmap: resident header is cut short");
    uint32_t valueLength = Get32(a + 16);
    uint32_t valueOffset = Get16(a + 20);
    if (valueOffset > length || valueLength > length - valueOffset)
      return Corrupt("$Bitmap: resident value lies outside its attribute");
    if (valueLength < needed)
      return Corrupt("$Bitmap: " + std::to_string(valueLength) + " bytes cannot map " +
                     std::to_string(_clusters) + " clusters");
    _resident.assign(a + valueOffset, a + valueOffset + valueLength);
    _dataSize = _initSize = valueLength;
    return kStatusSuccess;
  }

  if (length < kNonResidentHeaderSize)
    return Corrupt("$Bitmap: non-resident header is cut short");
  if (Get16(a + 12) & (kAttributeCompressed | kAttributeEncrypted | kAttributeSparse))
    return Corrupt("$Bitmap is compressed, encrypted or sparse");
  uint64_t startVcn = Get64(a + 16);
  uint64_t lastVcn = Get64(a + 24);
  uint32_t runsOffset = Get16(a + 32);
  uint64_t allocated = Get64(a + 40);
  uint64_t dataSize = Get64(a + 48);
  uint64_t initSize = Get64(a + 56);
  if (startVcn != 0)
    return Corrupt("$Bitmap: the base record's runs start at cluster " + std::to_string(startVcn) +
                   " of the file");
  if (lastVcn >= _clusters)
    return Corrupt("$Bitmap: " + std::to_string(lastVcn) + " clusters exceed the volume");
  if (runsOffset < kNonResidentHeaderSize || runsOffset >= length)
    return Corrupt("$Bitmap: data runs at " + std::to_string(runsOffset) +
                   " lie outside their attribute");
  if (initSize > dataSize || dataSize > allocated ||
      allocated > (lastVcn + 1) * _volume.GetBytesPerCluster())
    return Corrupt("$Bitmap: sizes " + std::to_string(initSize) + " / " + std::to_string(dataSize) +
                   " / " + std::to_string(allocated) + " do not fit its clusters");
  if (dataSize < needed)
    return Corrupt("$Bitmap: " + std::to_string(dataSize) + " bytes cannot map " +
                   std::to_string(_clusters) + " clusters");
  _dataSize = dataSize;
  _initSize = initSize;
  return DecodeRuns(a + runsOffset, length - runsOffset, lastVcn);
}

uint32_t CNtfsBitmapFile::DecodeRuns(const uint8_t* p, uint32_t size, uint64_t lastVcn) {
  _runs.clear();
  uint64_t vcn = 0;
  uint64_t lcn = 0;
  uint32_t at = 0;
  while (at < size && p[at] != 0) {
    unsigned lengthBytes = p[at] & 0x0F;
    unsigned offsetBytes = p[at] >> 4;
    if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8)
      return Corrupt("$Bitmap: data run header " + std::to_string(p[at]));
    // A run without an offset is a hole; the bitmap of a volume never has one.
    if (offsetBytes == 0)
      return Corrupt("$Bitmap: sparse data run");
    if (1 + lengthBytes + offsetBytes > size - at)
      return Corrupt("$Bitmap: data run runs past its attribute");
    uint64_t length = GetUnsigned(p + at + 1, lengthBytes);
    int64_t delta = GetSigned(p + at + 1 + lengthBytes, offsetBytes);
    if (delta < 0) {
      uint64_t back = static_cast<uint64_t>(-(delta + 1)) + 1;
      if (back > lcn)
        return Corrupt("$Bitmap: data run starts before the volume");
      lcn -= back;
    } else {
      if (static_cast<uint64_t>(delta) >= _clusters - lcn)
        return Corrupt("$Bitmap: data run starts past the end of the volume");
      lcn += static_cast<uint64_t>(delta);
    }
    if (length == 0 || length > _clusters - lcn)
      return Corrupt("$Bitmap: data run of " + std::to_string(length) + " clusters at " +
                     std::to_string(lcn) + " runs past the end of the volume");
    if (length > lastVcn + 1 - vcn)
      return Corrupt("$Bitmap: data runs hold more clusters than the attribute");
    _runs.push_back({vcn, lcn, length});
    vcn += length;
    at += 1 + lengthBytes + offsetBytes;
  }
  if (vcn != lastVcn + 1)
    return Corrupt("$Bitmap: data runs hold " + std::to_string(vcn) + " of its " +
                   std::to_string(lastVcn + 1) + " clusters");
  return kStatusSuccess;
}

uint32_t CNtfsBitmapFile::ReadBytes(uint64_t offset, uint8_t* out, uint32_t size) {
  if (offset > _dataSize || size > _dataSize - offset)
    return Corrupt("$Bitmap is shorter than the volume");
  // Past the initialized size the file reads as zero, as the file system would answer.
  uint64_t stored = _initSize > offset ? std::min<uint64_t>(_initSize - offset, size) : 0;
  std::memset(out + stored, 0, size - stored);
  if (_runs.empty()) {
    std::memcpy(out, _resident.data() + offset, stored);
    return kStatusSuccess;
  }
  uint32_t bytesPerSector = _volume.GetBytesPerSector();
  uint32_t bytesPerCluster = _volume.GetBytesPerCluster();
  uint32_t sectorsPerCluster = _volume.GetSectorsPerCluster();
  while (stored > 0) {
    uint64_t vcn = offset / bytesPerCluster;
    auto run = std::upper_bound(_runs.begin(), _runs.end(), vcn,
                                [](uint64_t v, const Run& r) { return v < r.Vcn; });
    if (run == _runs.begin())
      return Corrupt("$Bitmap: no data run holds cluster " + std::to_string(vcn));
    --run;
    if (vcn - run->Vcn >= run->Length)
      return Corrupt("$Bitmap: no data run holds cluster " + std::to_string(vcn));
    uint32_t inCluster = static_cast<uint32_t>(offset % bytesPerCluster);
    uint64_t inRun = (run->Length - (vcn - run->Vcn)) * bytesPerCluster - inCluster;
    uint32_t take =
        static_cast<uint32_t>(std::min<uint64_t>({stored, inRun, uint64_t{kVolumeBitmapBytes}}));
    uint64_t sector =
        (run->Lcn + (vcn - run->Vcn)) * sectorsPerCluster + inCluster / bytesPerSector;
    uint32_t within = inCluster % bytesPerSector;
    uint32_t count = (within + take + bytesPerSector - 1) / bytesPerSector;
    if (!_volume.ReadSectors(_scratch.data(), sector, count)) {
      _failure = "$Bitmap: sector " + std::to_string(sector) + " cannot be read";
      return kStatusDeviceDataError;
    }
    std::memcpy(out, _scratch.data() + within, take);
    out += take;
    offset += take;
    stored -= take;
  }
  return kStatusSuccess;
}

} // namespace bw
