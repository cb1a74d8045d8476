// Small builders for the items the store tests put in a device.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/items.h"

namespace zelko::testing {

// A calendar time with its day of the week filled in; an impossible one (30 February,
// hour 24) is kept as given, for the tests of how it is refused.
inline platform::DateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0, int ms = 0) {
  platform::DateTime t{y, m, 0, d, h, min, s, ms};
  platform::normalizeDateTime(t);
  return t;
}

inline platform::Appointment meeting(std::string subject, platform::DateTime start,
                                     platform::DateTime end, std::string rule = "",
                                     std::vector<platform::DateTime> exceptions = {}) {
  platform::Appointment a;
  a.subject = std::move(subject);
  a.start = start;
  a.end = end;
  a.recurrenceRule = std::move(rule);
  a.exceptionDates = std::move(exceptions);
  return a;
}

}  // namespace zelko::testing
