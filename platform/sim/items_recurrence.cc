#include "platform/sim/items_recurrence.h"

#include <libical/ical.h>

#include <algorithm>
#include <string>

namespace zelko::platform::sim {
namespace {

// A series that has to be walked from its first occurrence (COUNT, or a rule libical
// cannot start in the middle) gives up after this many occurrences rather than spin on
// a minutely rule started decades ago.
constexpr int kMaxSteps = 200000;

icaltimetype toIcal(const DateTime& t) {
  icaltimetype v = icaltime_null_time();
  v.year = t.year;
  v.month = t.month;
  v.day = t.day;
  v.hour = t.hour;
  v.minute = t.minute;
  v.second = t.second;
  v.is_date = 0;
  return v;  // floating: device-local, like everything the store keeps
}

DateTime fromIcal(const icaltimetype& v) {
  DateTime t;
  t.year = v.year;
  t.month = v.month;
  t.day = v.day;
  if (!v.is_date) {
    t.hour = v.hour;
    t.minute = v.minute;
    t.second = v.second;
  }
  normalizeDateTime(t);
  return t;
}

std::optional<icalrecurrencetype> readRule(std::string_view rule) {
  if (rule.empty()) return std::nullopt;
  std::string text(rule);
  icalrecurrencetype r = icalrecurrencetype_from_string(text.c_str());
  icalerror_clear_errno();
  if (r.freq == ICAL_NO_RECURRENCE) return std::nullopt;
  return r;
}

bool excluded(const Appointment& a, const DateTime& start) {
  return std::any_of(a.exceptionDates.begin(), a.exceptionDates.end(), [&](const DateTime& x) {
    if (x.year != start.year || x.month != start.month || x.day != start.day) return false;
    bool wholeDay = x.hour == 0 && x.minute == 0 && x.second == 0;
    return wholeDay || (x.hour == start.hour && x.minute == start.minute && x.second == start.second);
  });
}

}  // namespace

Status checkRecurrenceRule(std::string_view rule) {
  if (!readRule(rule)) return Status::Invalid("malformed recurrence rule " + std::string(rule));
  return Status::Ok();
}

std::optional<Occurrence> occurrenceOnDay(const Appointment& a, const DateTime& day) {
  auto rule = readRule(a.recurrenceRule);
  if (!rule) return std::nullopt;
  DateTime from{};
  from.year = day.year;
  from.month = day.month;
  from.day = day.day;
  if (!normalizeDateTime(from)) return std::nullopt;
  const int64_t dayStart = toEpochMs(from);
  const int64_t dayEnd = dayStart + 86400000;
  const int64_t length = toEpochMs(a.end) - toEpochMs(a.start);

  icalrecur_iterator* it = icalrecur_iterator_new(*rule, toIcal(a.start));
  if (!it) return std::nullopt;
  // Jumping ahead is only allowed without COUNT: libical refuses it there, because the
  // count runs from the first occurrence.
  if (rule->count == 0 && dayStart > toEpochMs(a.start)) icalrecur_iterator_set_start(it, toIcal(from));
  std::optional<Occurrence> found;
  for (int step = 0; step < kMaxSteps; ++step) {
    icaltimetype next = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(next)) break;
    DateTime start = fromIcal(next);
    int64_t ms = toEpochMs(start);
    if (ms >= dayEnd) break;
    if (ms < dayStart || excluded(a, start)) continue;
    found = Occurrence{a.oid, start, fromEpochMs(ms + length)};
    break;
  }
  icalrecur_iterator_free(it);
  return found;
}

}  // namespace zelko::platform::sim
