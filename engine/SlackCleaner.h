// CSlackCleaner: the bytes between the end of a file and the end of its last cluster keep
// whatever the disk held before. Every qualifying file gets that many bytes of pass data
// appended and is cut back to its size, once per pass, with its times and read-only bit
// restored. Two walks over the tree: the first counts the files (and the folders, which the
// name walk takes as its progress base), the second cleans and stops at the count.
#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bw {

class CCleaningContext;
class CPassBuffers;

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
  void Walk(const CPassBuffers& buffers, int depth);
  bool Qualifies(const FindData& entry) const;
  void Overwrite(const CPassBuffers& buffers, const FindData& file, const std::string& path);

  CCleaningContext& _job;
  uint32_t _clusterSize;
  std::optional<FileTime> _quickDate;
  uint32_t _passes;
  SlackWalkMode _mode = SlackWalkMode::Counting;
  int _foldersCounted = 0;
  int _filesToClean = 0;
  int _filesCleaned = 0;
};

} // namespace bw
