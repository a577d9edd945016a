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
};

} // namespace bw
