#include "device/ical_import.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "device/ical_source.h"
#include "device/ical_zone.h"
#include "device/import_text.h"
#include "platform/date_time.h"
#include "platform/sim/items_recurrence.h"
#include "platform/sim/time_zone.h"

namespace zelko::device {
namespace {

using platform::DateTime;
using platform::Status;

struct ImportError {
  std::string message;
};

[[noreturn]] void failImport(int line, const std::string& what) {
  throw ImportError{line > 0 ? "line " + std::to_string(line) + ": " + what : what};
}

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

std::string formatTime(const icaltimetype& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buf;
}

icaltimetype floatingTime(const DateTime& d, bool isDate) {
  icaltimetype t = icaltime_null_time();
  t.year = d.year;
  t.month = d.month;
  t.day = d.day;
  if (isDate) {
    t.is_date = 1;
  } else {
    t.hour = d.hour;
    t.minute = d.minute;
    t.second = d.second;
  }
  return t;
}

// A time of the file as written: a date, a floating wall time, or an instant of a zone
// (UTC or a TZID), for which `utcMs` is set.
struct FileTime {
  DateTime wall;
  bool isDate = false;
  std::optional<int64_t> utcMs;
  const icaltimezone* zone = nullptr;
};

// How the times of one series become the store's: a series with a zone of its own keeps
// its wall times there; a floating one (and every all-day one) keeps them as written, and
// instants in it are moved to device time.
class SeriesFrame {
 public:
  SeriesFrame(platform::Clock& clock, std::optional<platform::sim::TimeZone> zone, const icaltimezone* source)
      : clock_(clock), zone_(std::move(zone)), source_(source) {}

  DateTime wallOf(const FileTime& t) const {
    if (!t.utcMs || (zone_ && t.zone == source_)) return t.wall;
    if (!zone_) return clock_.toLocal(platform::fromEpochMs(*t.utcMs));
    return platform::fromEpochMs(*t.utcMs + zone_->offsetMsAtUtc(*t.utcMs));
  }

 private:
  platform::Clock& clock_;
  std::optional<platform::sim::TimeZone> zone_;
  const icaltimezone* source_;
};

// The occurrence an event with a RECURRENCE-ID replaces, kept until its series is read.
struct Override {
  std::string uid;
  FileTime recurrenceId;
};

// One VEVENT, read into an appointment. Errors name the event's line and its summary.
class EventReader {
 public:
  EventReader(icalcomponent* event, int line, platform::Clock& clock, ZoneNames& zones)
      : event_(event), line_(line), clock_(clock), zones_(zones) {
    const char* summary = icalcomponent_get_summary(event);
    label_ = summary ? quotedForMessage(summary) : "without SUMMARY";
  }

  platform::Appointment read() {
    platform::Appointment a;
    const char* summary = icalcomponent_get_summary(event_);
    const char* location = icalcomponent_get_location(event_);
    a.subject = summary ? summary : "";
    a.location = location ? location : "";
    a.categories = categories();
    readTimes(a);
    readRecurrence(a);
    return a;
  }

  bool cancelled() const { return icalcomponent_get_status(event_) == ICAL_STATUS_CANCELLED; }
  std::string uid() const {
    const char* uid = icalcomponent_get_uid(event_);
    return uid ? uid : "";
  }
  std::optional<FileTime> recurrenceId() {
    icalproperty* p = single(ICAL_RECURRENCEID_PROPERTY, "RECURRENCE-ID");
    if (!p) return std::nullopt;
    return fileTime(timeOf(p, "RECURRENCE-ID"), "RECURRENCE-ID");
  }
  // The series this event read (`a`) hears of an occurrence another event replaces: an
  // exception date, once however often the file names it.
  void addOverride(platform::Appointment& a, const FileTime& recurrenceId) const {
    if (frame_) addException(a, frame_->wallOf(recurrenceId));
  }

 private:
  [[noreturn]] void refuse(const std::string& what) const { failImport(line_, "event " + label_ + ": " + what); }

  icalproperty* single(icalproperty_kind kind, const char* name) const {
    int n = icalcomponent_count_properties(event_, kind);
    if (n > 1) refuse(std::string("more than one ") + name);
    return n ? icalcomponent_get_first_property(event_, kind) : nullptr;
  }

  std::string categories() const {
    std::string out;
    for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(event_, ICAL_CATEGORIES_PROPERTY)) {
      const char* text = icalproperty_get_categories(p);
      std::string category = trimBlanks(text ? text : "");
      if (!category.empty()) out += (out.empty() ? "" : ", ") + category;
    }
    return out;
  }

  // The property's time with its TZID resolved; a TZID nobody defines is refused rather
  // than read as device time, which would move the event silently.
  icaltimetype timeOf(icalproperty* p, const char* name) const {
    icaltimetype t = icalproperty_get_datetime_with_component(p, event_);
    icalparameter* tz = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
    if (tz && !t.is_date && !t.zone) {
      const char* tzid = icalparameter_get_tzid(tz);
      refuse(std::string(name) + ": unknown time zone " + quotedForMessage(tzid ? tzid : ""));
    }
    return t;
  }

  DateTime checked(const icaltimetype& t, const char* name) const {
    DateTime d;
    d.year = t.year;
    d.month = t.month;
    d.day = t.day;
    if (!t.is_date) {
      d.hour = t.hour;
      d.minute = t.minute;
      d.second = t.second;
    }
    if (icaltime_is_null_time(t) || t.year < 1601 || t.year > 9999 || !platform::normalizeDateTime(d)) {
      refuse(std::string(name) + ": impossible date or time " + formatTime(t));
    }
    return d;
  }

  FileTime fileTime(const icaltimetype& t, const char* name) const {
    FileTime out;
    out.wall = checked(t, name);
    out.isDate = t.is_date;
    if (t.is_date) return out;
    if (icaltime_is_utc(t)) {
      out.utcMs = platform::toEpochMs(out.wall);
      out.zone = icaltimezone_get_utc_timezone();
    } else if (t.zone) {
      out.utcMs = platform::toEpochMs(checked(icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone()), name));
      out.zone = t.zone;
    }
    return out;
  }

  DateTime toDevice(const FileTime& t) const {
    return t.utcMs ? clock_.toLocal(platform::fromEpochMs(*t.utcMs)) : t.wall;  // floating: the same wall time
  }

  void readTimes(platform::Appointment& a) {
    icalproperty* startProp = single(ICAL_DTSTART_PROPERTY, "DTSTART");
    if (!startProp) refuse("no DTSTART");
    start_ = icalcomponent_get_dtstart(event_);
    icalparameter* tz = icalproperty_get_first_parameter(startProp, ICAL_TZID_PARAMETER);
    if (tz && !start_.is_date && !start_.zone) timeOf(startProp, "DTSTART");  // refuses the unknown zone
    a.allDay = start_.is_date;
    FileTime start = fileTime(start_, "DTSTART");
    a.start = toDevice(start);
    icalproperty* endProp = single(ICAL_DTEND_PROPERTY, "DTEND");
    icalproperty* durationProp = single(ICAL_DURATION_PROPERTY, "DURATION");
    if (endProp && durationProp) refuse("both DTEND and DURATION");
    if (endProp) {
      icaltimetype end = timeOf(endProp, "DTEND");
      if (a.allDay && !end.is_date) refuse("DTEND is a time but DTSTART a date");
      a.end = toDevice(fileTime(end, "DTEND"));
    } else {
      int64_t seconds = a.allDay ? 86400 : 0;
      if (durationProp) {
        icaldurationtype d = icalproperty_get_duration(durationProp);
        if (d.is_neg) refuse("negative DURATION");
        seconds = icaldurationtype_as_int(d);
      }
      if (a.allDay && seconds % 86400) refuse("DURATION of an all-day event is not whole days");
      a.end = endAfter(start, a.start, seconds);
    }
    if (platform::toEpochMs(a.end) < platform::toEpochMs(a.start)) refuse("DTEND is before DTSTART");
  }

  // A duration is real time: across a change of clocks it ends at a different wall time.
  DateTime endAfter(const FileTime& start, const DateTime& localStart, int64_t seconds) const {
    if (!start.utcMs) return platform::fromEpochMs(platform::toEpochMs(localStart) + seconds * 1000);
    return clock_.toLocal(platform::fromEpochMs(*start.utcMs + seconds * 1000));
  }

  // A series that starts at an instant of a zone keeps that zone (see ZoneNames); the
  // others follow the device's.
  SeriesFrame frameOf(platform::Appointment& a) const {
    if (a.allDay || (!start_.zone && !icaltime_is_utc(start_))) return SeriesFrame(clock_, std::nullopt, nullptr);
    const icaltimezone* source = icaltime_is_utc(start_) ? icaltimezone_get_utc_timezone() : start_.zone;
    auto name = zones_.ianaNameOf(const_cast<icaltimezone*>(source), start_.year);
    if (!name.ok()) refuse("DTSTART: " + name.status().message());
    auto zone = platform::sim::TimeZone::open(*name);
    if (!zone.ok()) refuse("DTSTART: " + zone.status().message());
    a.timeZone = *name;
    return SeriesFrame(clock_, std::move(*zone), source);
  }

  void readRule(platform::Appointment& a, const SeriesFrame& frame) {
    icalproperty* ruleProp = single(ICAL_RRULE_PROPERTY, "RRULE");
    if (!ruleProp) return;
    icalrecurrencetype rule = icalproperty_get_rrule(ruleProp);
    if (rule.freq == ICAL_NO_RECURRENCE) refuse("RRULE without FREQ");
    if (!icaltime_is_null_time(rule.until)) {
      icaltimetype until = rule.until;
      // A floating UNTIL belongs to DTSTART's zone: the series' own wall time already.
      if (!until.is_date && !icaltime_is_utc(until)) until.zone = nullptr;
      rule.until = floatingTime(frame.wallOf(fileTime(until, "RRULE UNTIL")), a.allDay || until.is_date);
    }
    char* text = icalrecurrencetype_as_string_r(&rule);
    a.recurrenceRule = text ? text : "";
    std::free(text);
  }

  // RDATE as a date, a date-time or a period (whose start counts); a date of a timed
  // series is that day at the series' own time of day.
  void readExtraDates(platform::Appointment& a, const SeriesFrame& frame, const DateTime& seriesStart) {
    for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event_, ICAL_RDATE_PROPERTY)) {
      icaldatetimeperiodtype value = icalproperty_get_rdate(p);
      icaltimetype t = timeOf(p, "RDATE");  // of a period, only its zone
      if (icaltime_is_null_time(value.time)) {
        const icaltimezone* zone = t.zone;
        t = value.period.start;
        if (!icaltime_is_utc(t)) t.zone = zone;
      }
      DateTime wall = frame.wallOf(fileTime(t, "RDATE"));
      if (t.is_date && !a.allDay) {
        wall.hour = seriesStart.hour;
        wall.minute = seriesStart.minute;
        wall.second = seriesStart.second;
      }
      a.recurrenceDates.push_back(wall);
    }
  }

  void readRecurrence(platform::Appointment& a) {
    bool recurs = icalcomponent_count_properties(event_, ICAL_RRULE_PROPERTY) > 0 ||
                  icalcomponent_count_properties(event_, ICAL_RDATE_PROPERTY) > 0;
    if (!recurs) return;
    SeriesFrame frame = frameOf(a);
    readRule(a, frame);
    DateTime seriesStart = frame.wallOf(fileTime(start_, "DTSTART"));
    readExtraDates(a, frame, seriesStart);
    for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event_, ICAL_EXDATE_PROPERTY)) {
      addException(a, frame.wallOf(fileTime(timeOf(p, "EXDATE"), "EXDATE")));
    }
    frame_.emplace(frame);
  }

  static void addException(platform::Appointment& a, const DateTime& wall) {
    if (std::find(a.exceptionDates.begin(), a.exceptionDates.end(), wall) == a.exceptionDates.end()) {
      a.exceptionDates.push_back(wall);
    }
  }

  icalcomponent* event_;
  int line_;
  platform::Clock& clock_;
  ZoneNames& zones_;
  std::string label_;
  icaltimetype start_ = icaltime_null_time();
  std::optional<SeriesFrame> frame_;
};

std::vector<icalcomponent*> calendarsOf(icalcomponent* root) {
  if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) return {root};
  std::vector<icalcomponent*> out;
  if (icalcomponent_isa(root) != ICAL_XROOT_COMPONENT) return out;
  for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
       c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT)) {
    out.push_back(c);
  }
  return out;
}

std::vector<platform::Appointment> readEvents(icalcomponent* root, const IcalSource& source, platform::Clock& clock) {
  std::vector<platform::Appointment> out;
  std::map<std::string, std::pair<size_t, std::unique_ptr<EventReader>>> series;  // UID -> where and how
  std::vector<Override> overrides;
  ZoneNames zones;
  size_t index = 0;
  for (icalcomponent* calendar : calendarsOf(root)) {
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
      auto reader = std::make_unique<EventReader>(e, source.eventLine(index++), clock, zones);
      auto recurrenceId = reader->recurrenceId();
      if (recurrenceId) overrides.push_back({reader->uid(), *recurrenceId});
      if (reader->cancelled()) continue;
      platform::Appointment a = reader->read();
      if (recurrenceId) {  // one occurrence, not a series of its own
        a.recurrenceRule.clear();
        a.timeZone.clear();
        a.exceptionDates.clear();
        a.recurrenceDates.clear();
      } else if (!a.recurrenceRule.empty() || !a.recurrenceDates.empty()) {
        std::string uid = reader->uid();
        if (!uid.empty()) series.emplace(uid, std::make_pair(out.size(), std::move(reader)));
      }
      out.push_back(std::move(a));
    }
  }
  if (index == 0) failImport(0, "no event (VEVENT) in the file");
  for (const Override& o : overrides) {
    auto it = series.find(o.uid);
    if (it != series.end()) it->second.second->addOverride(out[it->second.first], o.recurrenceId);
  }
  return out;
}

}  // namespace

platform::Result<std::vector<platform::Appointment>> importCalendar(std::string_view bytes, platform::Clock& clock) {
  try {
    auto decoded = textOfExport(bytes);
    if (!decoded.ok()) return decoded.status();
    IcalSource source(*decoded);
    Status checked = source.check();
    if (!checked.ok()) return checked;
    // A library that aborts on a malformed value would take the whole tool with it.
    icalerror_set_errors_are_fatal(0);
    ComponentPtr root(icalparser_parse_string(source.normalized().c_str()));
    icalerror_clear_errno();
    if (!root || calendarsOf(root.get()).empty()) {
      failImport(0, "not an iCalendar file (expected BEGIN:VCALENDAR ... END:VCALENDAR)");
    }
    Status malformed = refuseMalformed(root.get(), source);
    if (!malformed.ok()) return malformed;
    return readEvents(root.get(), source, clock);
  } catch (const ImportError& e) {
    return Status::Invalid(e.message);
  }
}

platform::Result<std::string> canonicalRecurrenceRule(std::string_view rule) {
  std::string text = trimBlanks(rule);
  if (asciiUpper(text.substr(0, 6)) == "RRULE:") text = trimBlanks(text.substr(6));
  if (text.find('\0') != std::string::npos) return Status::Invalid("bad recurrence rule");
  icalerror_set_errors_are_fatal(0);
  icalrecurrencetype parsed = icalrecurrencetype_from_string(text.c_str());
  icalerror_clear_errno();
  if (parsed.freq == ICAL_NO_RECURRENCE) {
    return Status::Invalid("bad recurrence rule " + quotedForMessage(text) + " (expected FREQ=...;...)");
  }
  // libical reads numbers past its range as other numbers: check them on the text.
  Status numbers = platform::sim::checkRuleNumbers(text);
  if (!numbers.ok()) return Status::Invalid("bad recurrence rule " + quotedForMessage(text) + ": " + numbers.message());
  char* canonical = icalrecurrencetype_as_string_r(&parsed);
  std::string out = canonical ? canonical : "";
  std::free(canonical);
  return out;
}

}  // namespace zelko::device
