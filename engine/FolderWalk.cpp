#include "engine/FolderWalk.h"

namespace bw {

std::string JoinPath(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool IsDotEntry(const std::string& name) {
  return name == "." || name == "..";
}

bool HoldsOnlyDotEntries(IFileSystem& files, const std::string& folder) {
  FindData entry;
  auto search = files.FindFirstFile(JoinPath(folder, "*.*"), entry);
  if (!search)
    return true;
  do
    if (!IsDotEntry(entry.Name))
      return false;
  while (search->FindNextFile(entry));
  return true;
}

bool CFolderListing::Open() {
  if (!_files.GetCurrentDirectory(_here))
    return false;
  _search = _files.FindFirstFile("*.*", _entry);
  _started = false;
  return _search != nullptr;
}

bool CFolderListing::Next() {
  if (!_search)
    return false;
  if (_started && (_poll.Cancelled() || !_search->FindNextFile(_entry)))
    return false;
  _started = true;
  _poll.Pump();
  return !_poll.Cancelled();
}

} // namespace bw
