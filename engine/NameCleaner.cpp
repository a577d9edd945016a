// Not built yet: every folder is reported as not scanned.
#include "engine/NameCleaner.h"

namespace bw {

CNameCleaner::CNameCleaner(IPlatform& platform, CVolumeInfo& volume, INameCleaningHost& host)
    : _platform(platform), _volume(volume), _host(host) {}

bool CNameCleaner::LoadRoot() {
  return false;
}

bool CNameCleaner::CleanDirectoryNames(const std::string&) {
  return false;
}

} // namespace bw
