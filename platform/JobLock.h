// The machine's one cleaning or zap at a time. A job holds the lock from before its start-up
// clean-up to its end; the lock goes with the process, so one left by a killed program never
// blocks the next run.
#pragma once

#include <memory>

namespace bw {

/// A held job lock; destroying it releases the lock.
class CJobLock {
public:
  virtual ~CJobLock() = default;
};

enum class JobLockResult {
  Taken,  ///< the lock is now held
  Busy,   ///< another running job holds it
  Failed, ///< the lock could not be made (its folder, a named object)
};

} // namespace bw
