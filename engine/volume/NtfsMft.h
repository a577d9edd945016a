// CNtfsMft: what the remnant cleaning needs to know of an NTFS volume's master file table, read
// through raw sector reads only: how many file records are free (from $MFT's own bitmap), and
// how large a folder's index blocks are (from the folder's file record).
//
// Every field taken from the volume is untrusted: the boot sector's MFT position and record
// size, each record's fix-ups and attribute offsets, and each data run. Anything that does not
// hold together makes the call fail; GetFailureReason says what was wrong.
#pragma once

#include "engine/volume/NtfsRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class CVolumeInfo;

/// What the cleaning learns of the volume's own structures, where raw reads are allowed.
class INtfsLayout {
public:
  virtual ~INtfsLayout() = default;
  /// File records free for new files; false when that cannot be known.
  virtual bool CountFreeRecords(uint64_t& count) = 0;
  /// The bytes of index blocks of the folder with this file id (IFileSystem::GetFileId);
  /// false when that cannot be known.
  virtual bool GetFolderIndexSize(uint64_t fileId, uint64_t& bytes) = 0;
};

class CNtfsMft final : public INtfsLayout {
public:
  /// volume must stay open, on an NTFS drive, for the life of this object.
  explicit CNtfsMft(CVolumeInfo& volume) : _volume(volume) {}

  /// Reads $MFT's record again (its size and bitmap change as files come and go) and counts
  /// the records past the system's reserved ones that are free for new files. False when the
  /// volume cannot be read or its structures are unsound.
  bool CountFreeRecords(uint64_t& freeRecords) override;

  /// The bytes of index blocks the folder with this file id (its file record number in the low
  /// 48 bits) holds; 0 when its whole index lies in its own record. False when the record
  /// cannot be read, is no folder, or keeps its index attributes in other records.
  bool GetFolderIndexSize(uint64_t fileId, uint64_t& bytes) override;

  uint32_t GetRecordSize() const { return _recordSize; }
  const std::string& GetFailureReason() const { return _failure; }

private:
  /// One attribute's value: resident bytes, or data runs with its sizes.
  struct CStream {
    bool Resident = false;
    std::vector<uint8_t> Value;
    std::vector<ntfs::DataRun> Runs;
    uint64_t DataSize = 0;
    uint64_t InitSize = 0;
  };

  bool Fail(std::string reason);
  bool LoadMft();
  bool ReadRecordAt(uint64_t byteOffset, std::vector<uint8_t>& record, const std::string& what);
  bool ReadRecord(uint64_t number, std::vector<uint8_t>& record);
  bool ApplyFixups(std::vector<uint8_t>& record, const std::string& what);
  /// Finds the attribute of type (with the given name length) in a checked record; at receives
  /// its offset and length its length. False (no failure) when it is not there.
  bool FindAttribute(const std::vector<uint8_t>& record, uint32_t type, uint8_t nameLength,
                     uint32_t& at, uint32_t& length, const std::string& what);
  bool ParseStream(const uint8_t* attribute, uint32_t length, CStream& stream,
                   const std::string& what);
  bool ReadStream(const CStream& stream, uint64_t offset, uint8_t* out, uint32_t size,
                  const std::string& what);

  CVolumeInfo& _volume;
  uint64_t _clusters = 0;
  uint32_t _recordSize = 0;
  uint64_t _mftCluster = 0;
  CStream _data;   // $MFT's records
  CStream _bitmap; // which of them are in use
  std::string _failure;
};

/// Records 0 to 23 belong to the file system (its metadata files and reserved records).
constexpr uint64_t kFirstUserRecord = 24;

} // namespace bw
