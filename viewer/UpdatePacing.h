// A running scan changes its texts after every hit and offers to pump messages after every
// cluster, far more often than anyone can see or type; the window shows the texts and looks at
// its message queue at a steady pace instead, and always shows the final texts.
#pragma once

#include <cstdint>

namespace bw {

/// How often the window shows the texts of a running scan.
constexpr uint32_t kScanRefreshMilliseconds = 50;

/// How often a running scan's window takes a message off its queue: every tick of the clock,
/// which is often enough for any user and spares a look at an empty queue after each of the
/// many clusters that are read within one tick.
constexpr uint32_t kScanPumpMilliseconds = 1;

class CUpdatePacing {
public:
  explicit CUpdatePacing(uint32_t interval = kScanRefreshMilliseconds) : _interval(interval) {}

  /// True when the texts are to be shown at tick count now (milliseconds, wrapping at 2^32):
  /// the first time, and then once interval milliseconds have passed since the last true.
  bool Due(uint32_t now);

  /// Forgets the last time: the next Due answers true.
  void Reset() { _started = false; }

private:
  uint32_t _interval;
  uint32_t _last = 0;
  bool _started = false;
};

} // namespace bw
