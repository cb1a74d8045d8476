#include "platform/sim/items_recurrence.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_time.h"

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
  return v;  // floating: a wall time of the series' own zone
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

// libical reads COUNT into an int and INTERVAL into a short without a check.
Status checkNumber(std::string_view part, std::string_view name, int64_t max) {
  std::string_view digits = part.substr(name.size() + 1);
  int64_t value = 0;
  bool ok = !digits.empty() && digits.size() <= 12;
  for (char c : digits) {
    ok = ok && c >= '0' && c <= '9';
    if (ok) value = value * 10 + (c - '0');
  }
  if (ok && value >= 1 && value <= max) return Status::Ok();
  return Status::Invalid(std::string(part) + " is out of range (1 to " + std::to_string(max) + ")");
}

bool excluded(const Appointment& a, const DateTime& start) {
  return std::any_of(a.exceptionDates.begin(), a.exceptionDates.end(), [&](const DateTime& x) {
    if (x.year != start.year || x.month != start.month || x.day != start.day) return false;
    bool wholeDay = x.hour == 0 && x.minute == 0 && x.second == 0;
    return wholeDay || (x.hour == start.hour && x.minute == start.minute && x.second == start.second);
  });
}

bool noneGiven(const short* list) { return list[0] == ICAL_RECURRENCE_ARRAY_MAX; }

// The days between occurrences of a daily or weekly rule without BY parts, which repeats
// its first start's wall time at that fixed step; nullopt for any other rule.
std::optional<int64_t> fixedStepDays(const icalrecurrencetype& r) {
  if (r.freq != ICAL_DAILY_RECURRENCE && r.freq != ICAL_WEEKLY_RECURRENCE) return std::nullopt;
  for (const short* list : {r.by_second, r.by_minute, r.by_hour, r.by_day, r.by_month_day,
                            r.by_year_day, r.by_week_no, r.by_month, r.by_set_pos}) {
    if (!noneGiven(list)) return std::nullopt;
  }
  if (r.rscale && *r.rscale) return std::nullopt;
  int64_t interval = r.interval < 1 ? 1 : r.interval;
  return interval * (r.freq == ICAL_WEEKLY_RECURRENCE ? 7 : 1);
}

// The starts of a fixed-step rule's occurrences before `to`, from the first that can
// reach `from`: counted from the series' start, so that COUNT needs no walk from there.
void fixedStepStarts(const Appointment& a, const icalrecurrencetype& r, int64_t stepDays,
                     int64_t from, int64_t to, const std::function<void(int64_t)>& keep) {
  DateTime first = a.start;
  first.millisecond = 0;  // libical's times have whole seconds
  const int64_t firstMs = toEpochMs(first), stepMs = stepDays * kDayMs;
  int64_t k = from > firstMs ? (from - firstMs) / stepMs : 0;
  for (int64_t ms = firstMs + k * stepMs; ms < to; ms += stepMs, ++k) {
    if (r.count > 0 && k >= r.count) break;
    if (!icaltime_is_null_time(r.until) && icaltime_compare(toIcal(fromEpochMs(ms)), r.until) > 0) break;
    keep(ms);
  }
}

// The starts of the series' occurrences (wall times of its zone) from `from` to before
// `to`, in milliseconds.
std::vector<int64_t> startsBetween(const Appointment& a, int64_t from, int64_t to) {
  std::vector<int64_t> out;
  auto keep = [&](int64_t ms) {
    if (ms >= from && ms < to) out.push_back(ms);
  };
  for (const DateTime& d : a.recurrenceDates) keep(toEpochMs(d));
  auto rule = readRule(a.recurrenceRule);
  if (!rule) {
    keep(toEpochMs(a.start));
    return out;
  }
  // libical steps through a calendar for every occurrence it makes; the common daily and
  // weekly series are counted out directly.
  if (std::optional<int64_t> step = fixedStepDays(*rule)) {
    fixedStepStarts(a, *rule, *step, from, to, keep);
    return out;
  }
  icalrecur_iterator* it = icalrecur_iterator_new(*rule, toIcal(a.start));
  if (!it) return out;
  // Jumping ahead is only allowed without COUNT: libical refuses it there, because the
  // count runs from the first occurrence.
  if (rule->count == 0 && from > toEpochMs(a.start)) icalrecur_iterator_set_start(it, toIcal(fromEpochMs(from)));
  for (int step = 0; step < kMaxSteps; ++step) {
    icaltimetype next = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(next)) break;
    int64_t ms = toEpochMs(fromIcal(next));
    if (ms >= to) break;
    keep(ms);
  }
  icalrecur_iterator_free(it);
  return out;
}

}  // namespace

Status checkRecurrenceRule(std::string_view rule) {
  if (!readRule(rule)) return Status::Invalid("malformed recurrence rule " + std::string(rule));
  return checkRuleNumbers(rule);
}

Status checkRuleNumbers(std::string_view rule) {
  for (size_t start = 0; start <= rule.size();) {
    size_t end = std::min(rule.find(';', start), rule.size());
    std::string_view part = rule.substr(start, end - start);
    std::string upper(part.substr(0, 9));
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    Status s = upper.rfind("COUNT=", 0) == 0      ? checkNumber(part, "COUNT", INT32_MAX)
               : upper.rfind("INTERVAL=", 0) == 0 ? checkNumber(part, "INTERVAL", INT16_MAX)
                                                  : Status::Ok();
    if (!s.ok()) return s;
    start = end + 1;
  }
  return Status::Ok();
}

Result<SeriesClock> SeriesClock::open(std::string_view zone, Clock& device) {
  if (zone.empty()) return SeriesClock(std::nullopt, device);
  auto opened = TimeZone::open(zone);
  if (!opened.ok()) return opened.status();
  return SeriesClock(std::move(*opened), device);
}

DateTime SeriesClock::toDevice(const DateTime& seriesWall) const {
  if (!zone_) return seriesWall;
  return device_->toLocal(fromEpochMs(zone_->localToUtcMs(toEpochMs(seriesWall))));
}

DateTime SeriesClock::toSeries(const DateTime& deviceWall) const {
  if (!zone_) return deviceWall;
  int64_t utc = toEpochMs(device_->toUtc(deviceWall));
  return fromEpochMs(utc + zone_->offsetMsAtUtc(utc));
}

std::vector<Occurrence> occurrencesOnDays(const Appointment& a, const DateTime& firstDay, int days,
                                          const SeriesClock& clock) {
  std::vector<Occurrence> out;
  if ((a.recurrenceRule.empty() && a.recurrenceDates.empty()) || days < 1) return out;
  DateTime dayStart{};
  dayStart.year = firstDay.year;
  dayStart.month = firstDay.month;
  dayStart.day = firstDay.day;
  if (!normalizeDateTime(dayStart)) return out;
  const int64_t deviceFrom = toEpochMs(dayStart), deviceTo = deviceFrom + days * kDayMs;
  // The series' wall times that can land on these device days; a day either side covers
  // any change of clocks in either zone.
  const int64_t from = toEpochMs(clock.toSeries(dayStart)) - kDayMs;
  const int64_t to = toEpochMs(clock.toSeries(fromEpochMs(deviceTo))) + kDayMs;
  const int64_t length = toEpochMs(a.end) - toEpochMs(a.start);
  std::vector<std::optional<Occurrence>> found(static_cast<size_t>(days));
  for (int64_t ms : startsBetween(a, from, to)) {
    DateTime start = fromEpochMs(ms);
    if (excluded(a, start)) continue;
    DateTime onDevice = clock.toDevice(start);
    int64_t deviceMs = toEpochMs(onDevice);
    if (deviceMs < deviceFrom || deviceMs >= deviceTo) continue;
    std::optional<Occurrence>& first = found[static_cast<size_t>((deviceMs - deviceFrom) / kDayMs)];
    if (!first || deviceMs < toEpochMs(first->start)) {
      first = Occurrence{a.oid, onDevice, clock.toDevice(fromEpochMs(ms + length))};
    }
  }
  for (const auto& o : found) {
    if (o) out.push_back(*o);
  }
  return out;
}

}  // namespace zelko::platform::sim
