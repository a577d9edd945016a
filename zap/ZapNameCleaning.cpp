#include "zap/ZapNameCleaning.h"

#include <cctype>

namespace bw {

CVolumeInfo* CZapNameCleaning::VolumeFor(char letter) {
  if (_volume.GetDriveLetter() == letter && _volume.GetFileSystemType() != FileSystemType::NotRead)
    return &_volume;
  auto found = _otherVolumes.find(letter);
  if (found == _otherVolumes.end()) {
    auto volume = std::make_unique<CVolumeInfo>(_platform);
    if (!volume->Open(letter))
      volume.reset();
    found = _otherVolumes.emplace(letter, std::move(volume)).first;
  }
  return found->second.get();
}

void CZapNameCleaning::CleanFolder(const std::string& folder, uint32_t times) {
  if (folder.size() < 3 || folder[1] != ':' || !std::isalpha(static_cast<unsigned char>(folder[0])))
    return;
  CVolumeInfo* volume =
      VolumeFor(static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0]))));
  if (!volume)
    return;
  // The root is read afresh for every folder: the zap has changed it since the last one.
  CDirectoryNameCleaner cleaner(_platform, *volume, _host);
  if (!cleaner.LoadRoot())
    return;
  for (uint32_t i = 0; i < times && !_host.Cancelled(); ++i)
    cleaner.CleanDirectoryNames(folder);
}

} // namespace bw
