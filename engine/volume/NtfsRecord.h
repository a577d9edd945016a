// What both readers of the master file table check the same way in an NTFS file record: the
// boot sector's record size, the update sequence, the attribute walk, the non-resident header
// and its data runs. Every field is untrusted; a check that fails says why in problem, a short
// phrase the caller puts after what it was reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw::ntfs {

// Boot-sector fields the volume record does not keep.
constexpr uint32_t kBootMftCluster = 48;
constexpr uint32_t kBootClustersPerRecord = 64;

// File record header.
constexpr uint32_t kRecordFlags = 22;
constexpr uint32_t kRecordBaseReference = 32;
constexpr uint16_t kRecordInUse = 0x0001;
constexpr uint16_t kRecordIsFolder = 0x0002;

// Attribute types.
constexpr uint32_t kAttributeList = 0x20;
constexpr uint32_t kAttributeData = 0x80;
constexpr uint32_t kAttributeIndexAllocation = 0xA0;
constexpr uint32_t kAttributeBitmap = 0xB0;

/// The file record size the boot sector gives (its field at offset 64: clusters per record
/// when positive, else the size's power of two negated); 0 unless it is from 512 to 65536.
uint32_t RecordSizeFromBoot(const uint8_t* boot, uint32_t bytesPerCluster);

/// Checks the "FILE" signature and the update sequence, puts each stride's protected word back,
/// and checks that the attributes start after the header and within the bytes in use.
bool ApplyFixups(std::vector<uint8_t>& record, std::string& problem);

/// Finds the attribute of type whose name is nameLength characters long in a record that
/// passed ApplyFixups: at and length receive where it lies. False with problem empty when the
/// record has none; false with problem set when the walk meets a malformed attribute.
bool FindAttribute(const std::vector<uint8_t>& record, uint32_t type, uint8_t nameLength,
                   uint32_t& at, uint32_t& length, std::string& problem);

/// A resident attribute's value: where it lies within the attribute of length bytes.
bool ResidentValue(const uint8_t* attribute, uint32_t length, uint32_t& offset, uint32_t& size,
                   std::string& problem);

struct DataRun {
  uint64_t Vcn;    ///< first cluster of the stream this run holds
  uint64_t Lcn;    ///< where it lies on the volume
  uint64_t Length; ///< clusters
};

/// A non-resident attribute of the base record: its sizes and the runs it holds.
struct NonResident {
  uint64_t LastVcn = 0;
  uint64_t Allocated = 0;
  uint64_t DataSize = 0;
  uint64_t InitSize = 0;
  std::vector<DataRun> Runs;
  /// Clusters the runs cover, from the stream's start.
  uint64_t Reach() const { return Runs.empty() ? 0 : Runs.back().Vcn + Runs.back().Length; }
};

/// Reads a non-resident attribute of length bytes on a volume of clusters clusters: refuses
/// compressed, encrypted and sparse streams, runs of a later extent, sizes that do not fit the
/// clusters, and any run outside the volume or past the attribute's clusters.
bool ReadNonResident(const uint8_t* attribute, uint32_t length, uint64_t clusters,
                     uint32_t bytesPerCluster, NonResident& stream, std::string& problem);

} // namespace bw::ntfs
