// CNtfsRemnants: what the free-space wipe of an NTFS drive leaves readable, made unreadable
// through ordinary file operations only.
//
// NTFS keeps a small file's contents inside its file record, and every file's name both in its
// record and in its folder's index. Deleting a file frees its record and its index entry
// without clearing either, and neither is free space, so the wipe never reaches them:
//   - free file records: as many small files as the volume has free records are made in a
//     folder of the root, each with a name of full length and contents that stay inside the
//     record, so that each free record is written over; then they are deleted;
//   - folder indexes: in every folder, files whose names sort next to the live names are made
//     until each index block has overflowed once, in rounds of long and of short names, so
//     that the bytes past the live entries, where the deleted names lie, are written over;
//     then they are deleted.
// The fillers' names say nothing (NtfsFillerNames.h); CURRENTDRIVE names the folder that holds
// fillers, so that the start-up clean-up removes them after a crash.
#pragma once

#include "engine/volume/NtfsMft.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class CCleaningContext;

class CNtfsRemnants {
public:
  struct Limits {
    /// File-record fillers at most, whatever the volume says is free.
    uint32_t MaxRecordFillers = 1u << 20;
    /// Index fillers per folder and round.
    uint32_t MaxFolderFillers = 16384;
  };

  /// layout: null where the volume cannot be read raw (the file records are then left, as
  /// their count is unknown). fill: the byte the fillers hold (the last pass's).
  CNtfsRemnants(CCleaningContext& job, INtfsLayout* layout, uint8_t fill, Limits limits)
      : _job(job), _layout(layout), _fill(fill), _limits(limits) {}
  CNtfsRemnants(CCleaningContext& job, INtfsLayout* layout, uint8_t fill)
      : CNtfsRemnants(job, layout, fill, Limits{}) {}

  /// Both steps on letter: the free file records, then the folder indexes.
  void Run(char letter);

  /// Overwrites the index slack of every folder on letter.
  void CleanFolderIndexes(char letter);
  /// Overwrites the free file records of letter.
  void FillFreeRecords(char letter);

  /// Fillers made by the last FillFreeRecords, and by CleanFolderIndexes over all folders.
  uint64_t GetRecordFillers() const { return _recordFillers; }
  uint64_t GetIndexFillers() const { return _indexFillers; }

private:
  void WalkFolders(int depth, int& count, bool clean);
  void CleanFolder(const std::string& folder);
  /// Makes fillers in folder after the prefixes in turn, names of length characters, and
  /// deletes them again.
  void FillIndex(const std::string& folder, const std::vector<std::string>& prefixes, size_t length,
                 uint32_t count);
  void DeleteFillers(const std::vector<std::string>& made);

  CCleaningContext& _job;
  INtfsLayout* _layout;
  uint8_t _fill;
  Limits _limits;
  uint64_t _recordFillers = 0;
  uint64_t _indexFillers = 0;
};

} // namespace bw
