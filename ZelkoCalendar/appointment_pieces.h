// How one calendar item becomes the dated entries of the appointment listing: a timed
// item that has not ended is one entry, an all-day item one entry per day, and a
// recurring item its occurrences of today and tomorrow that have not ended.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/date_time.h"
#include "platform/items.h"

namespace zelko::calendar {

// An item of more days than this is listed for its next this many days only.
inline constexpr int kMaxPieces = 30;
// Recurring items are expanded for today and tomorrow, whatever the listing's window.
inline constexpr int kScanDays = 2;

struct Entry {
  platform::DateTime start, end;
  uint32_t oid = 0;
};

// The entries of `item` at the local time `now`. An all-day item of more than one day
// gives one entry per day, each starting and ending at that day's midnight; days before
// today are left out. Occurrences come from `items`.
std::vector<Entry> entriesOf(const platform::Appointment& item, platform::Items& items,
                             const platform::DateTime& now);
// The entries of the recurring items `series` (object ids) at `now`, as entriesOf gives
// them item by item, in the order of `series` and then of the days; the store reads and
// expands each series once for all the days.
std::vector<Entry> occurrenceEntries(const std::vector<uint32_t>& series, platform::Items& items,
                                     const platform::DateTime& now);

}  // namespace zelko::calendar
