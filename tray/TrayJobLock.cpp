#include "tray/TrayJobLock.h"

#include "platform/MessageBox.h"
#include "platform/System.h"

namespace bw {

JobRequester RequesterOf(JobMode mode) {
  return mode == JobMode::Scheduled || mode == JobMode::Logoff ? JobRequester::Unattended
                                                               : JobRequester::User;
}

bool TakeTrayJobLock(ISystem& system, IMessageBox& box, JobRequester requester,
                     std::unique_ptr<CJobLock>& lock) {
  lock.reset();
  switch (system.TryLockJob(lock)) {
  case JobLockResult::Taken:
    return true;
  case JobLockResult::Busy:
    if (requester == JobRequester::User)
      box.Show(kJobBusyText, kJobBusyCaption, kMbOk | kMbIconInformation);
    return false;
  case JobLockResult::Failed:
    break;
  }
  // Refusing every job because a named object could not be made would stop the program
  // cleaning at all; without the lock it is no worse off than before the lock existed.
  return true;
}

} // namespace bw
