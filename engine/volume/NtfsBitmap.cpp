#include "engine/volume/NtfsBitmap.h"

#include "engine/volume/NtfsRecord.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>

namespace bw {
namespace {

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
  uint64_t mftCluster = Get64(boot.data() + ntfs::kBootMftCluster);
  uint32_t recordSize = ntfs::RecordSizeFromBoot(boot.data(), bytesPerCluster);
  if (recordSize == 0)
    return Corrupt("boot sector: MFT record size field " +
                   std::to_string(static_cast<int8_t>(boot[ntfs::kBootClustersPerRecord])) +
                   " gives no record size from 512 to 65536 bytes");
  if (mftCluster >= _clusters)
    return Corrupt("boot sector: MFT cluster " + std::to_string(mftCluster) +
                   " is outside the volume");

  std::vector<uint8_t> record;
  uint32_t status = ReadRecord(mftCluster, recordSize, record);
  if (status != kStatusSuccess)
    return status;
  std::string problem;
  if (!ntfs::ApplyFixups(record, problem))
    return Corrupt("MFT record 6 " + problem);
  const uint8_t* r = record.data();
  if (!(Get16(r + ntfs::kRecordFlags) & ntfs::kRecordInUse))
    return Corrupt("MFT record 6 is not in use");
  if (Get64(r + ntfs::kRecordBaseReference) != 0)
    return Corrupt("MFT record 6 is an extension of another record");
  uint32_t at = 0;
  uint32_t length = 0;
  if (ntfs::FindAttribute(record, ntfs::kAttributeData, 0, at, length, problem))
    return ParseData(r + at, length);
  if (!problem.empty())
    return Corrupt("MFT record 6: " + problem);
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

uint32_t CNtfsBitmapFile::ParseData(const uint8_t* a, uint32_t length) {
  uint64_t needed = (_clusters + 7) / 8;
  std::string problem;
  if (a[8] == 0) {
    uint32_t valueOffset = 0;
    uint32_t valueLength = 0;
    if (!ntfs::ResidentValue(a, length, valueOffset, valueLength, problem))
      return Corrupt("$Bitmap: " + problem);
    if (valueLength < needed)
      return Corrupt("$Bitmap: " + std::to_string(valueLength) + " bytes cannot map " +
                     std::to_string(_clusters) + " clusters");
    _resident.assign(a + valueOffset, a + valueOffset + valueLength);
    _dataSize = _initSize = valueLength;
    return kStatusSuccess;
  }

  ntfs::NonResident stream;
  if (!ntfs::ReadNonResident(a, length, _clusters, _volume.GetBytesPerCluster(), stream, problem))
    return Corrupt("$Bitmap: " + problem);
  if (stream.DataSize < needed)
    return Corrupt("$Bitmap: " + std::to_string(stream.DataSize) + " bytes cannot map " +
                   std::to_string(_clusters) + " clusters");
  if (stream.Reach() != stream.LastVcn + 1)
    return Corrupt("$Bitmap: data runs hold " + std::to_string(stream.Reach()) + " of its " +
                   std::to_string(stream.LastVcn + 1) + " clusters");
  _dataSize = stream.DataSize;
  _initSize = stream.InitSize;
  _runs = std::move(stream.Runs);
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
                                [](uint64_t v, const ntfs::DataRun& r) { return v < r.Vcn; });
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
