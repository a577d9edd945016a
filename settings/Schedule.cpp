#include "settings/Schedule.h"

#include "settings/Settings.h"

namespace bw {

bool ScheduledCleaningDue(const CSettings& settings, const LocalTime& now) {
  if (!settings.ScheduleEnabled || now.DayOfWeek < 0 || now.DayOfWeek > 6)
    return false;
  // The schedule starts on Monday; the clock's week on Sunday.
  const ScheduleDay& day = settings.Schedule[(now.DayOfWeek + 6) % 7];
  if (!day.Enabled)
    return false;
  int hour = day.Hour;
  if (day.PM && hour != 12)
    hour += 12;
  else if (!day.PM && hour == 12)
    hour = 0;
  return hour == now.Hour && day.Minute == now.Minute;
}

} // namespace bw
