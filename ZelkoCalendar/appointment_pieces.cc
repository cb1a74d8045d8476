#include "ZelkoCalendar/appointment_pieces.h"

#include <algorithm>

namespace zelko::calendar {
namespace {

using platform::DateTime;
using platform::fromEpochMs;
using platform::toEpochMs;

constexpr int64_t kDayMs = 86400000;
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

void occurrenceEntries(const platform::Appointment& item, platform::Items& items,
                       const DateTime& now, std::vector<Entry>& out) {
  int64_t dayMs = toEpochMs(midnightOf(now));
  for (int d = 0; d < kScanDays; ++d, dayMs += kDayMs) {
    std::optional<platform::Occurrence> o = items.occurrenceOn(item.oid, fromEpochMs(dayMs));
    if (o && toEpochMs(now) < toEpochMs(o->end)) out.push_back({o->start, o->end, o->oid});
  }
}

}  // namespace

std::vector<Entry> entriesOf(const platform::Appointment& item, platform::Items& items,
                             const DateTime& now) {
  std::vector<Entry> out;
  if (item.recurring) {
    occurrenceEntries(item, items, now, out);
  } else if (item.allDay) {
    allDayEntries(item, toEpochMs(midnightOf(now)), out);
  } else if (toEpochMs(now) < toEpochMs(item.end)) {
    out.push_back({item.start, item.end, item.oid});
  }
  return out;
}

}  // namespace zelko::calendar
