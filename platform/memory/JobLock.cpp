#include "platform/memory/MemoryPlatform.h"

namespace bw::memory {
namespace {

class CMemoryJobLock final : public CJobLock {
public:
  explicit CMemoryJobLock(bool& held) : _held(held) { _held = true; }
  ~CMemoryJobLock() override { _held = false; }
  CMemoryJobLock(const CMemoryJobLock&) = delete;
  CMemoryJobLock& operator=(const CMemoryJobLock&) = delete;

private:
  bool& _held;
};

} // namespace

JobLockResult CMemorySystem::TryLockJob(std::unique_ptr<CJobLock>& lock) {
  if (JobLockFails)
    return JobLockResult::Failed;
  if (JobLockHeld)
    return JobLockResult::Busy;
  lock = std::make_unique<CMemoryJobLock>(JobLockHeld);
  return JobLockResult::Taken;
}

} // namespace bw::memory
