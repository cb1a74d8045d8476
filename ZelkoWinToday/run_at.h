// When the daily timed start (section RunAt) falls next.
#pragma once

#include <string_view>

#include "platform/date_time.h"

namespace zelko::engine {

// The default last start of the day when starts repeat: they go on until midnight.
inline constexpr std::string_view kDefaultEndTime = "23:59";

// A time of day written "HH:mm", in minutes after midnight. Each part is read like the
// phone's C runtime reads a number (0 without digits) and kept within the day, so a typo
// gives a start time of that day rather than one on another day.
int minutesOfDay(std::string_view text);

struct RunAtTimes {
  int start = 0;  // minutes after midnight
  int every = 0;  // minutes between starts; 0 or less: once a day
  int end = 0;    // minutes after midnight; the last start is before it
};

// The first start after `now` (device local time): today when one is still to come,
// else tomorrow's first.
platform::DateTime nextRunAt(const platform::DateTime& now, const RunAtTimes& times);

}  // namespace zelko::engine
