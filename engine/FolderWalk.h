// The walk through a folder tree that the cleaning phases and the zap share: list the folder
// the walk stands in, pump and poll between entries, enter a subfolder, and come back by the
// path the folder was listed under.
//
// A walk never steps out by "..": after a link, or on a file system that names its parent
// oddly, ".." need not lead back, and every name the walk uses next is relative to where it
// stands. A walk that cannot come back stops.
#pragma once

#include "platform/FileSystem.h"

#include <memory>
#include <string>

namespace bw {

/// What a walk asks of the job that runs it between two entries.
class IJobPoll {
public:
  virtual ~IJobPoll() = default;
  /// Handles one waiting message (the job's or dialog's pump).
  virtual void Pump() = 0;
  /// True once the job is to stop: cancelled, or its drive lost.
  virtual bool Cancelled() = 0;
};

/// How entering a subfolder ended.
enum class Descent {
  NotEntered, ///< the folder could not be entered; the walk stands where it stood
  Returned,   ///< walked and back where the walk stands
  Lost,       ///< the way back failed: the walk must stop
};

/// folder joined with name by one backslash.
std::string JoinPath(const std::string& folder, const std::string& name);

/// True for the entries "." and "..", which every listing but a root's holds.
bool IsDotEntry(const std::string& name);

/// True when folder holds nothing but "." and "..", or cannot be listed.
bool HoldsOnlyDotEntries(IFileSystem& files, const std::string& folder);

/// One folder of a walk: the current folder when Open is called.
class CFolderListing {
public:
  CFolderListing(IFileSystem& files, IJobPoll& poll) : _files(files), _poll(poll) {}

  /// Lists the current folder and keeps its path for the way back; false when either fails.
  bool Open();

  /// Pumps and moves to the next entry (the first on the first call); false at the end of
  /// the listing or once the job is to stop.
  bool Next();

  const FindData& Entry() const { return _entry; }
  /// The path the folder was listed under.
  const std::string& Here() const { return _here; }

  /// Enters folder (a name in this folder, or a full path), runs walk there and comes back
  /// here. walk returns false when it lost its own way back; the walk then stays where it is.
  template <typename Walk> Descent Descend(const std::string& folder, Walk&& walk) {
    if (!_files.SetCurrentDirectory(folder))
      return Descent::NotEntered;
    if (!walk() || !_files.SetCurrentDirectory(_here))
      return Descent::Lost;
    return Descent::Returned;
  }

private:
  IFileSystem& _files;
  IJobPoll& _poll;
  std::unique_ptr<IFindSearch> _search;
  FindData _entry;
  std::string _here;
  bool _started = false;
};

} // namespace bw
