// CNtfsBitmapFile: the allocation bitmap of an NTFS volume read from its own $Bitmap file,
// through raw sector reads only, for systems whose volume bitmap query is missing.
//
// It answers exactly as the system's query does (platform/VolumeBitmap.h): the same 4112-byte
// pieces and the same statuses. Every field it takes from the volume is untrusted: the boot
// sector's MFT position and record size, the record's fix-ups and attribute offsets, and each
// data run. Anything that does not hold together, or that would send a read outside the
// volume, makes every answer kStatusDiskCorruptError; GetFailureReason says what was wrong.
#pragma once

#include "engine/volume/NtfsRecord.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/VolumeBitmap.h"

#include <string>
#include <vector>

namespace bw {

/// The MFT record that holds the $Bitmap file.
constexpr uint32_t kBitmapFileRecord = 6;

class CNtfsBitmapFile final : public IVolumeBitmapHandle {
public:
  /// volume must stay open, on an NTFS drive, for the life of this object.
  explicit CNtfsBitmapFile(CVolumeInfo& volume) : _volume(volume) {}

  /// The first call finds $Bitmap (MFT record 6) and its data runs; later calls reuse them.
  /// Answers kStatusDeviceDataError when a sector cannot be read, kStatusDiskCorruptError when
  /// the file system's structures are unsound, kStatusInvalidParameter for a starting cluster
  /// past the end of the volume.
  uint32_t GetBitmap(uint64_t startingCluster, uint8_t* buffer) override;

  /// The file is read synchronously: nothing is ever pending.
  uint32_t WaitForBitmap() override { return kStatusInvalidParameter; }

  /// Why the last answer failed, as one line.
  const std::string& GetFailureReason() const { return _failure; }

private:
  uint32_t Load();
  uint32_t Corrupt(std::string reason);
  uint32_t ReadRecord(uint64_t mftCluster, uint32_t recordSize, std::vector<uint8_t>& record);
  uint32_t ParseData(const uint8_t* attribute, uint32_t length);
  uint32_t ReadBytes(uint64_t offset, uint8_t* out, uint32_t size);

  CVolumeInfo& _volume;
  bool _loaded = false;
  uint32_t _loadStatus = kStatusSuccess;
  uint64_t _clusters = 0;           // clusters of the volume
  uint64_t _dataSize = 0;           // bytes of the bitmap
  uint64_t _initSize = 0;           // bytes written; the rest reads as zero
  std::vector<ntfs::DataRun> _runs; // empty when the bitmap is resident
  std::vector<uint8_t> _resident;
  std::vector<uint8_t> _scratch;
  std::string _failure;
};

} // namespace bw
