// The job lock on Linux: flock on "job.lock" in the state folder. The kernel drops a flock
// when its descriptor closes, which a killed process's exit does too.
#include "platform/posix/Posix.h"
#include "platform/posix/PosixPlatform.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace bw::posix {
namespace {

class CFlockJobLock final : public CJobLock {
public:
  explicit CFlockJobLock(int fd) : _fd(fd) {}
  ~CFlockJobLock() override { ::close(_fd); }
  CFlockJobLock(const CFlockJobLock&) = delete;
  CFlockJobLock& operator=(const CFlockJobLock&) = delete;

private:
  int _fd;
};

} // namespace

JobLockResult CPosixSystem::TryLockJob(std::unique_ptr<CJobLock>& lock) {
  std::string folder = StateFolder();
  if (!MakeFolders(folder))
    return JobLockResult::Failed;
  int fd = ::open((folder + "/job.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0)
    return JobLockResult::Failed;
  int result;
  do
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  while (result != 0 && errno == EINTR);
  if (result != 0) {
    bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? JobLockResult::Busy : JobLockResult::Failed;
  }
  lock = std::make_unique<CFlockJobLock>(fd);
  return JobLockResult::Taken;
}

} // namespace bw::posix
