#include "engine/DirectoryNameCleaner.h"

#include "engine/FillerNames.h"
#include "platform/Platform.h"

#include <string>

namespace bw {
namespace {

constexpr uint8_t kEntryEnd = 0x00;
constexpr uint8_t kEntryDeleted = 0xE5;

} // namespace

CDirectoryNameCleaner::CDirectoryNameCleaner(IPlatform& platform, CVolumeInfo& volume,
                                             INameCleaningHost& host)
    : _platform(platform), _volume(volume), _host(host), _reader(volume) {}

bool CDirectoryNameCleaner::LoadRoot() {
  _rootLoaded = false;
  _root.clear();
  switch (_volume.GetFileSystemType()) {
  case FileSystemType::Fat12:
  case FileSystemType::Fat16:
  case FileSystemType::Fat32:
    _rootLoaded = _reader.ReadRootDirectory(_root);
    if (!_rootLoaded)
      ReportReaderFailure();
    return _rootLoaded;
  case FileSystemType::Ntfs:
    return false; // NTFS keeps no names in reusable slots
  default:
    _host.MessageBox("Illegal drive format", "Blankwright", kMbOk);
    return false;
  }
}

bool CDirectoryNameCleaner::CleanDirectoryNames(const std::string& folder) {
  _singles = _pairs = _triples = 0;
  if (!_rootLoaded || folder.size() < 3)
    return false;
  const std::vector<uint8_t>* data = &_root;
  std::vector<uint8_t> own;
  std::string prefix = folder;
  if (folder.back() != '\\') {
    // A folder whose entry is missing or whose chain is too long is skipped.
    if (!_reader.LocateDirectory(folder, _root, own)) {
      ReportReaderFailure();
      return false;
    }
    data = &own;
    prefix += '\\';
  }

  // Whole entries only: a length that is not a multiple of 32 leaves a part that is no entry.
  size_t length = data->size() - data->size() % kDirectoryEntrySize;
  const uint8_t* bytes = data->data();
  size_t offset = 0;
  while (offset < length) {
    _host.Pump();
    if (_host.Cancelled())
      break;
    uint8_t first = bytes[offset];
    if (first == kEntryEnd)
      break;
    if (first != kEntryDeleted) {
      offset += kDirectoryEntrySize;
      continue;
    }
    uint32_t run = 1;
    offset += kDirectoryEntrySize;
    while (offset < length && bytes[offset] == kEntryDeleted) {
      ++run;
      offset += kDirectoryEntrySize;
    }
    if (run == 1)
      ++_singles;
    else
      FillRun(prefix, run);
  }

  if (_singles > 0)
    RunSingleFiller(prefix);
  _host.DismissNotices();
  DeleteFillers(prefix);
  return true;
}

void CDirectoryNameCleaner::FillRun(const std::string& prefix, uint32_t length) {
  RunFill fill = FillForRun(length);
  for (uint32_t i = 0; i < fill.Pairs; ++i)
    MakeFiller(prefix + PairFillerName(++_pairs));
  for (uint32_t i = 0; i < fill.Triples; ++i)
    MakeFiller(prefix + TripleFillerName(++_triples));
}

void CDirectoryNameCleaner::MakeFiller(const std::string& path) {
  auto file =
      _platform.Files().CreateFile(path, kGenericWrite, 0, kCreateAlways, kFileAttributeNormal);
  if (file)
    file->Close();
  else
    _host.MessageBox("Could not create temporary file.", "Blankwright", kMbOk);
}

void CDirectoryNameCleaner::RunSingleFiller(const std::string& prefix) {
  // The one-entry files are numbered after the pair files: a pair file's name differs from the
  // single file of the same number only in letter case, which FAT does not tell apart, so the
  // filler would open the pair file instead of taking a new entry.
  uint32_t first = _pairs + 1;
  std::string program = _platform.System().GetCompanionProgram(kSingleFillerProgram);
  uint32_t exitCode = 0;
  if (!_platform.System().RunAndWait(
          program, {prefix, std::to_string(_singles), std::to_string(first)}, exitCode))
    _host.MessageBox("Could not create temporary file.", "Blankwright", kMbOk);
}

void CDirectoryNameCleaner::ReportReaderFailure() {
  if (_reader.IsChainTooLong())
    _host.MessageBox("cluster chain > 80", "Blankwright", kMbOk);
}

void CDirectoryNameCleaner::DeleteFillers(const std::string& prefix) {
  IFileSystem& files = _platform.Files();
  for (uint32_t n = 1; n <= _singles; ++n)
    files.DeleteFile(prefix + SingleFillerName(_pairs + n));
  for (uint32_t n = 1; n <= _pairs; ++n)
    files.DeleteFile(prefix + PairFillerName(n));
  for (uint32_t n = 1; n <= _triples; ++n)
    files.DeleteFile(prefix + TripleFillerName(n));
}

} // namespace bw
