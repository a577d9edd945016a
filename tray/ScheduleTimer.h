// When the tray program looks at the cleaning schedule: timer 1 fires on the clock's 5-minute
// boundaries, so that a schedule set to hh:m5 is seen within its minute.
#pragma once

#include <cstdint>

namespace bw {

/// The interval (ms) to arm timer 1 with at the local time minute:second. Fresh (at start-up,
/// after the sheet, on a clock change) at a 5-minute boundary it fires almost at once (100 ms);
/// after a cleaning job it waits past the boundary's minute (240 s plus the seconds), so a job
/// that ends within its scheduled minute does not start again. Otherwise: to the next boundary.
uint32_t ScheduleTimerInterval(int minute, int second, bool afterJob);

/// The interval timer 1 sets itself to when it fires at minute:second: to the next boundary.
uint32_t ScheduleTickInterval(int minute, int second);

} // namespace bw
