// CFolderEmptier: the Windows temp and spool folders once per job, each fixed drive's Recycle
// Bin per drive. Ordinary deletes; the free-space phase overwrites the space afterwards.
#pragma once

#include <string>

namespace bw {

class CCleaningContext;

class CFolderEmptier {
public:
  explicit CFolderEmptier(CCleaningContext& job) : _job(job) {}

  /// Empties the temp folder (a full path); a folder that cannot be entered is reported.
  void EmptyTempFolder(const std::string& folder);
  /// Empties the printer spool folder (a full path), likewise.
  void EmptySpoolFolder(const std::string& folder);
  /// Empties the Recycle Bin of letter when it is a fixed drive.
  void EmptyRecycleBin(char letter);

private:
  bool EmptyFolder(const std::string& folder, const std::string& failureText,
                   const std::string& processText);
  /// Deletes what the current folder holds; false when the walk lost its way back up and
  /// stopped.
  bool DeleteWalk(int depth);

  CCleaningContext& _job;
};

} // namespace bw
