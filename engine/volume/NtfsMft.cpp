#include "engine/volume/NtfsMft.h"

#include "engine/volume/NtfsRecord.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace bw {
namespace {

using namespace ntfs;

// A bitmap of this many bytes is read per request.
constexpr uint32_t kBitmapChunk = 65536;

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
  _recordSize = RecordSizeFromBoot(boot.data(), bytesPerCluster);
  if (_recordSize == 0)
    return Fail("boot sector: no MFT record size from 512 to 65536 bytes");
  if (_mftCluster >= _clusters)
    return Fail("boot sector: the MFT starts outside the volume");

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
  std::string problem;
  return ntfs::ApplyFixups(record, problem) || Fail(what + " " + problem);
}

bool CNtfsMft::FindAttribute(const std::vector<uint8_t>& record, uint32_t type, uint8_t nameLength,
                             uint32_t& at, uint32_t& length, const std::string& what) {
  _failure.clear();
  std::string problem;
  if (ntfs::FindAttribute(record, type, nameLength, at, length, problem))
    return true;
  return problem.empty() ? false : Fail(what + ": " + problem);
}

bool CNtfsMft::ParseStream(const uint8_t* a, uint32_t length, CStream& stream,
                           const std::string& what) {
  stream = CStream{};
  std::string problem;
  if (a[8] == 0) {
    uint32_t valueOffset = 0;
    uint32_t valueLength = 0;
    if (!ResidentValue(a, length, valueOffset, valueLength, problem))
      return Fail(what + ": " + problem);
    stream.Resident = true;
    stream.Value.assign(a + valueOffset, a + valueOffset + valueLength);
    stream.DataSize = stream.InitSize = valueLength;
    return true;
  }
  NonResident runs;
  if (!ReadNonResident(a, length, _clusters, _volume.GetBytesPerCluster(), runs, problem))
    return Fail(what + ": " + problem);
  stream.DataSize = runs.DataSize;
  // Only the runs held in the base record are known; a stream longer than they are is read no
  // further than they reach.
  stream.InitSize = std::min(runs.InitSize, runs.Reach() * _volume.GetBytesPerCluster());
  stream.Runs = std::move(runs.Runs);
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
                                [](uint64_t v, const ntfs::DataRun& r) { return v < r.Vcn; });
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
