// CDirectoryNameCleaner: the deleted-name cleaning of one FAT directory, shared by the
// cleaning job's drive walk and the file zap.
//
// A deleted file keeps its 32-byte directory entries with only the first byte changed, so its
// name can still be read. The cleaner reads a folder's raw directory data, finds each run of
// deleted entries and creates files through the ordinary file system whose names take exactly
// as many entries as the run has, so that the file system puts them into those slots; then it
// deletes them again. Nothing is written to the disk directly. Runs of one entry are left to the
// filler program "BWSingle.exe" (engine/bwsingle), which makes names that take one entry.
#pragma once

#include "engine/FolderWalk.h"
#include "engine/volume/FatDirectory.h"
#include "engine/volume/VolumeInfo.h"

#include <string>
#include <vector>

namespace bw {

class IPlatform;

/// What the job or zap running a name cleaning lends it: its pump and poll, and these.
class INameCleaningHost : public IJobPoll {
public:
  /// Closes the system's low-disk-space notices (the cleaning job only).
  virtual void DismissNotices() {}
  /// A message box owned by the job's window; returns an kId* result.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;
};

class CDirectoryNameCleaner {
public:
  /// volume is the opened record of the drive whose folders are cleaned.
  CDirectoryNameCleaner(IPlatform& platform, CVolumeInfo& volume, INameCleaningHost& host);

  /// Reads the root directory of the volume, by its file-system type. False when there is
  /// nothing to clean: NTFS (silently), an unknown type ("Illegal drive format" through the
  /// host), or a root that cannot be read.
  bool LoadRoot();

  /// Cleans the deleted entries of one folder: "X:\" for the root, else "X:\a\b". True when
  /// the folder's directory data was found and scanned. LoadRoot must have succeeded.
  bool CleanDirectoryNames(const std::string& folder);

  /// One-entry filler files made in the folder cleaned last.
  uint32_t GetSingleCount() const { return _singles; }

private:
  void FillRun(const std::string& prefix, uint32_t length);
  void MakeFiller(const std::string& path);
  void RunSingleFiller(const std::string& prefix);
  void DeleteFillers(const std::string& prefix);
  /// Tells the user of a folder chain too long to read, the one reader failure shown.
  void ReportReaderFailure();

  IPlatform& _platform;
  CVolumeInfo& _volume;
  INameCleaningHost& _host;
  CFatDirectoryReader _reader;
  std::vector<uint8_t> _root;
  bool _rootLoaded = false;
  uint32_t _singles = 0;
  uint32_t _pairs = 0;
  uint32_t _triples = 0;
};

/// The Windows name of the filler program that makes the one-entry files.
constexpr const char* kSingleFillerProgram = "BWSingle.exe";

} // namespace bw
