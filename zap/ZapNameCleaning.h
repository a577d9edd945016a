// The deleted-name cleaning a zap runs on the folders it deleted files from, across drives.
#pragma once

#include "engine/DirectoryNameCleaner.h"
#include "engine/volume/VolumeInfo.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace bw {

class IPlatform;

class IZapNameCleaning {
public:
  virtual ~IZapNameCleaning() = default;
  /// Cleans the deleted names of folder ("x:\" for a root, else "x:\a\b") times times in a row,
  /// stopping early when the zap is cancelled.
  virtual void CleanFolder(const std::string& folder, uint32_t times) = 0;
};

/// The cleaning through CDirectoryNameCleaner. The zap's own volume record serves its drive; a
/// folder on another drive gets a record of that drive, so that one drive's directory data is never
/// used to clean another drive's folder.
class CZapNameCleaning final : public IZapNameCleaning {
public:
  CZapNameCleaning(IPlatform& platform, CVolumeInfo& volume, INameCleaningHost& host)
      : _platform(platform), _volume(volume), _host(host) {}

  void CleanFolder(const std::string& folder, uint32_t times) override;

private:
  CVolumeInfo* VolumeFor(char letter);

  IPlatform& _platform;
  CVolumeInfo& _volume;
  INameCleaningHost& _host;
  std::map<char, std::unique_ptr<CVolumeInfo>> _otherVolumes; // null: unreadable
};

} // namespace bw
