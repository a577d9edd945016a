// The weekly cleaning schedule: whether a scheduled cleaning is due at a tick of the main
// frame's schedule timer.
#pragma once

#include "platform/Types.h"

namespace bw {

class CSettings;

/// True when the schedule is on, today's entry is checked, and its time, converted from the
/// 12-hour clock (12 AM is midnight, 12 PM midday), is the hour and minute of now.
bool ScheduledCleaningDue(const CSettings& settings, const LocalTime& now);

} // namespace bw
