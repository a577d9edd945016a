// The check after a clean: the drive viewer's scan of every free cluster, held to the byte the
// clean's last pass wrote, and on FAT the deleted names its directories still hold. It shows
// nothing itself; the front end reports the figures.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

class IPlatform;

/// What the check of one drive found.
struct CleanCheckResult {
  bool Completed = false;        ///< every free cluster was read (and, on FAT, the folders)
  std::string Failure;           ///< when not completed: why, as one line
  std::string Format;            ///< "FAT12", "FAT16", "FAT32" or "NTFS"
  uint32_t BytesPerCluster = 0;  ///< of the drive
  uint64_t ResidualClusters = 0; ///< free clusters holding anything but the expected byte
  bool NamesCounted = false;     ///< FAT: the folders were walked
  uint64_t ResidualNames = 0;    ///< FAT: deleted entries that still hold a user's name
  uint64_t FoldersSkipped = 0;   ///< FAT: folders whose data could not be read

  /// True when the check ran to its end and found nothing left.
  bool IsClean() const {
    return Completed && ResidualClusters == 0 && ResidualNames == 0 && FoldersSkipped == 0;
  }
};

/// Checks drive letter: fill is the byte every free cluster should hold (the last pass's).
CleanCheckResult CheckCleanDrive(IPlatform& platform, char letter, uint8_t fill);

/// The byte the last of the passes OverwriteCount asks for writes.
uint8_t LastPassByte(int32_t overwriteCount);

/// The check's figures as the lines of the report ("Verify drive Y: 0 clusters ...").
std::string CleanCheckText(char letter, const CleanCheckResult& result);

} // namespace bw
