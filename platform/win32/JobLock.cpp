// The job lock on Windows: a named mutex owned by the running job. Windows hands a mutex whose
// owner died to the next waiter as abandoned, so a killed job never blocks the next one.
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32Platform.h"

namespace bw::win32 {
namespace {

constexpr const char* kJobMutexName = "Global\\BlankwrightJob";

class CMutexJobLock final : public CJobLock {
public:
  explicit CMutexJobLock(ScopedKernelHandle mutex) : _mutex(std::move(mutex)) {}
  ~CMutexJobLock() override { ::ReleaseMutex(_mutex.Get()); }
  CMutexJobLock(const CMutexJobLock&) = delete;
  CMutexJobLock& operator=(const CMutexJobLock&) = delete;

private:
  ScopedKernelHandle _mutex;
};

} // namespace

JobLockResult CWin32System::TryLockJob(std::unique_ptr<CJobLock>& lock) {
  ScopedKernelHandle mutex(::CreateMutexA(nullptr, FALSE, kJobMutexName));
  if (!mutex)
    return JobLockResult::Failed;
  switch (::WaitForSingleObject(mutex.Get(), 0)) {
  case WAIT_OBJECT_0:
  case WAIT_ABANDONED:
    lock = std::make_unique<CMutexJobLock>(std::move(mutex));
    return JobLockResult::Taken;
  case WAIT_TIMEOUT:
    return JobLockResult::Busy;
  default:
    return JobLockResult::Failed;
  }
}

} // namespace bw::win32
