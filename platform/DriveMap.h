// The drive map of platforms without drive letters of their own: which letter names which
// mounted volume, of what type, and where its raw sectors come from.
#pragma once

#include "platform/Types.h"

#include <string>
#include <vector>

namespace bw {

struct DriveMapEntry {
  char Letter = 0;                   ///< 'A'..'Z'
  DriveType Type = DriveType::Fixed; ///< Fixed or Removable
  std::string MountFolder;           ///< where the volume's files are reached
  std::string RawSource;             ///< block device or image file for sector reads
};

class IDriveMap {
public:
  virtual ~IDriveMap() = default;
  /// The entries in letter order; false when the map exists but cannot be read.
  virtual bool List(std::vector<DriveMapEntry>& entries) = 0;
  /// Adds or replaces the entry of its letter and saves the map; error receives a one-line
  /// reason on failure.
  virtual bool Add(const DriveMapEntry& entry, std::string& error) = 0;
  /// Removes a letter's entry and saves the map; false with a reason when it is not mapped.
  virtual bool Remove(char letter, std::string& error) = 0;
  /// Where the map is kept, for messages.
  virtual std::string Location() = 0;

  /// The raw source of the volume mounted at folder, from the system's mount table; false with
  /// a one-line reason when folder is not a mount point or its mount reads from no device or
  /// image file.
  virtual bool FindMountSource(const std::string& folder, std::string& source,
                               std::string& reason) = 0;
  /// Whether entry's folder is now a mount point of its raw source; false with a one-line
  /// reason that names the folder.
  virtual bool CheckMount(const DriveMapEntry& entry, std::string& reason) = 0;
  /// The drive path ("X:\a\b") of a host path that lies inside a mapped drive's mount folder
  /// (the deepest such folder), each name as given. hostPath is absolute with its folders
  /// resolved. False when it lies on no mapped drive (reason empty) or holds a name that a
  /// drive path cannot hold (reason says which).
  virtual bool ToDrivePath(const std::string& hostPath, std::string& drivePath,
                           std::string& reason) = 0;
};

} // namespace bw
