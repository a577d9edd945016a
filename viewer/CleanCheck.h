// The check after a clean: the drive viewer's scan of every free cluster, held to the byte the
// clean's last pass wrote, and on FAT the deleted names its directories still hold. It shows
// nothing itself; the front end reports the figures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class IPlatform;

/// What the check of one drive found.
struct CleanCheckResult {
  bool Completed = false;        ///< every free cluster was read (and, on FAT, the folders)
  std::string Failure;           ///< when not completed: why, as one line
  bool Stopped = false;          ///< the user stopped the check before it ended
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

/// What a check shows while it runs, and how the user stops it: a job dialog's phase line, bar
/// and message pump. A front end without messages passes none.
class ICleanCheckProgress {
public:
  virtual ~ICleanCheckProgress() = default;
  /// The check of letter begins.
  virtual void CheckingDrive(char letter) = 0;
  /// How far the drive's free space has been read, 0..100; called when the figure changes.
  virtual void SetProgress(int percent) = 0;
  /// Takes at most one waiting message; true once the user has asked to stop the check.
  virtual bool PumpMessage() = 0;
};

/// Checks drive letter: fill is the byte every free cluster should hold (the last pass's).
/// With progress, the check reports how far it has read and stops when asked to; a stopped
/// check is not completed.
CleanCheckResult CheckCleanDrive(IPlatform& platform, char letter, uint8_t fill,
                                 ICleanCheckProgress* progress = nullptr);

/// One drive's check, for the Cleaning Report.
struct CleanCheckDrive {
  char Letter = 0;
  CleanCheckResult Result;
};

/// Checks in turn each drive of driveList, a report's list of cleaned drives ("C:, D:"; "None"
/// holds none). Once the user has stopped the check, the drives left are not read and come
/// back not completed.
std::vector<CleanCheckDrive> CheckCleanDrives(IPlatform& platform, const std::string& driveList,
                                              uint8_t fill, ICleanCheckProgress& progress);

/// The byte the last of the passes OverwriteCount asks for writes.
uint8_t LastPassByte(int32_t overwriteCount);

/// The check's figures as the lines of the report ("Verify drive Y: 0 clusters ...").
std::string CleanCheckText(char letter, const CleanCheckResult& result);

/// The Cleaning Report's lines for the drives checked: a heading, then per drive its figures,
/// each figure above 0 with what leaves such data behind. namesCleaned: the job was set to
/// clean deleted names. Empty when no drive was checked.
std::string CleanCheckReportText(const std::vector<CleanCheckDrive>& drives, bool namesCleaned);

} // namespace bw
