#include "tray/ScheduleTimer.h"

#include <algorithm>

namespace bw {
namespace {

// Minutes to the next 5-minute boundary, 1 to 5. A clock that reports odd fields (a leap
// second, a negative value) must not turn the interval into a wrapped-around unsigned number.
int MinutesToBoundary(int minute) {
  return 5 - ((minute % 5) + 5) % 5;
}

uint32_t ToBoundary(int minute, int second) {
  int milliseconds = MinutesToBoundary(minute) * 60000 - std::clamp(second, 0, 60) * 1000;
  return static_cast<uint32_t>(std::max(milliseconds, 0));
}

} // namespace

uint32_t ScheduleTimerInterval(int minute, int second, bool afterJob) {
  if (MinutesToBoundary(minute) < 5)
    return ToBoundary(minute, second);
  if (!afterJob)
    return 100;
  return 240000 + static_cast<uint32_t>(std::clamp(second, 0, 60)) * 1000;
}

uint32_t ScheduleTickInterval(int minute, int second) {
  return ToBoundary(minute, second);
}

} // namespace bw
