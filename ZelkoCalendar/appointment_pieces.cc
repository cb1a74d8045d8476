#include "ZelkoCalendar/appointment_pieces.h"

#include <algorithm>

#include "platform/date_time.h"

namespace zelko::calendar {
namespace {

using platform::DateTime;
using platform::fromEpochMs;
using platform::toEpochMs;

using platform::kDayMs;
constexpr int kDayMinutes = 1440;

DateTime midnightOf(const DateTime& t) {
  DateTime day = t;
  day.hour = day.minute = day.second = day.millisecond = 0;
  return day;
}

// A piece ended before today when it began on an earlier day and is over by today's
// midnight. The pieces of a multi-day item start and end at their day's midnight, so
// today's piece stays.
bool endedBefore(const Entry& e, int64_t todayMs) {
  return toEpochMs(e.start) < todayMs && toEpochMs(e.end) <= todayMs;
}

void allDayEntries(const platform::Appointment& item, int64_t todayMs, std::vector<Entry>& out) {
  if (item.durationMinutes <= kDayMinutes) {
    Entry whole{item.start, item.end, item.oid};
    if (!endedBefore(whole, todayMs)) out.push_back(whole);
    return;
  }
  int64_t days = item.durationMinutes / kDayMinutes;
  int64_t startMs = toEpochMs(item.start);
  // Days that passed are skipped without being made, so a long item that began long ago
  // still shows its coming days.
  int64_t first = startMs < todayMs ? (todayMs - startMs) / kDayMs : 0;
  for (int64_t k = first; k < days && out.size() < static_cast<size_t>(kMaxPieces); ++k) {
    DateTime day = fromEpochMs(startMs + k * kDayMs);
    Entry piece{day, day, item.oid};
    if (!endedBefore(piece, todayMs)) out.push_back(piece);
  }
}

}  // namespace

std::vector<Entry> occurrenceEntries(const std::vector<uint32_t>& series, platform::Items& items,
                                     const DateTime& now) {
  std::vector<Entry> out;
  // A store that cannot be read now gives no occurrences, as it gives no items.
  auto found = items.occurrencesOn(series, midnightOf(now), kScanDays);
  if (!found.ok()) return out;
  for (const platform::Occurrence& o : *found) {
    if (toEpochMs(now) < toEpochMs(o.end)) out.push_back({o.start, o.end, o.oid});
  }
  return out;
}

std::vector<Entry> entriesOf(const platform::Appointment& item, platform::Items& items,
                             const DateTime& now) {
  std::vector<Entry> out;
  if (item.recurring) {
    out = occurrenceEntries({item.oid}, items, now);
  } else if (item.allDay) {
    allDayEntries(item, toEpochMs(midnightOf(now)), out);
  } else if (toEpochMs(now) < toEpochMs(item.end)) {
    out.push_back({item.start, item.end, item.oid});
  }
  return out;
}

}  // namespace zelko::calendar
