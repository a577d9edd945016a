// CSlackCleaner: the bytes between the end of a file and the end of its last cluster keep
// whatever the disk held before. Every qualifying file gets that many bytes of pass data
// appended and is cut back to its size, once per pass, with its times and read-only bit
// restored. Two walks over the tree: the first counts the files (and the folders, which the
// name walk takes as its progress base), the second cleans and stops at the count.
#pragma once

#include "engine/SlackJournal.h"
#include "platform/Types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bw {

class CCleaningContext;
class CPassBuffers;
class IFile;

/// The slack phase notes and cleans this many files at a time: one durable note and one flush
/// of the volume per batch rather than per file. A batch never spans folders, and its files
/// stay open until the flush, so this also bounds the handles held.
constexpr size_t kSlackBatchFiles = 128;

/// Which of its two walks the slack cleaner is in.
enum class SlackWalkMode { Counting, Cleaning };

class CSlackCleaner {
public:
  /// clusterSize: the drive's; quickDate: clean only files written since (QUICK), or all;
  /// passes: the overwrite count.
  CSlackCleaner(CCleaningContext& job, uint32_t clusterSize, std::optional<FileTime> quickDate,
                uint32_t passes)
      : _job(job), _clusterSize(clusterSize), _quickDate(quickDate), _passes(passes) {}

  /// Cleans the slack of every qualifying file on letter. Returns the folders the counting
  /// walk found when it went through, nothing when it was stopped or could not start.
  std::optional<int> Clean(char letter);

private:
  struct Pending {
    FindData File;
    std::string Path;
  };

  void Walk(const CPassBuffers& buffers, int depth);
  bool Qualifies(const FindData& entry) const;
  /// Notes the files of the batch, cleans them, and makes their cut-backs durable.
  void CleanBatch(const CPassBuffers& buffers);
  /// The passes over one noted file; its last handle is kept open for the batch's flush. False
  /// when the file is still longer than it was.
  bool Overwrite(const CPassBuffers& buffers, const FindData& file, const std::string& path);

  CCleaningContext& _job;
  uint32_t _clusterSize;
  std::optional<FileTime> _quickDate;
  uint32_t _passes;
  SlackWalkMode _mode = SlackWalkMode::Counting;
  int _foldersCounted = 0;
  int _filesToClean = 0;
  int _filesCleaned = 0;
  char _letter = 'C';
  std::unique_ptr<CSlackJournal> _journal;
  std::vector<Pending> _batch;
  std::vector<std::unique_ptr<IFile>> _open; // the batch's files, cut back, not yet flushed
  bool _flushVolume = true;                  // one flush of the volume makes a batch durable
};

} // namespace bw
