// Slack-space and deleted-name cleaning are not built yet. Until they are, a drive whose
// cleaning would need them is reported as not cleaned rather than as cleaned.
#include "engine/CleaningJob.h"

namespace bw {

void CCleaningJob::CleanSlack(char) {
  AskMessage("Slack-space cleaning is not available in this version.", "Blankwright",
             kMbOk | kMbIconError);
  _driveStatus = DriveStatus::NotAccessible;
}

void CCleaningJob::CleanDriveNames(char) {
  AskMessage("Deleted-name cleaning is not available in this version.", "Blankwright",
             kMbOk | kMbIconError);
  _driveStatus = DriveStatus::NotAccessible;
}

} // namespace bw
