// Small builders for the items the store tests put in a device.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/items.h"

namespace zelko::testing {

inline platform::DateTime at(int y, int m, int d, int h = 0, int min = 0) {
  platform::DateTime t;
  t.year = y;
  t.month = m;
  t.day = d;
  t.hour = h;
  t.minute = min;
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
