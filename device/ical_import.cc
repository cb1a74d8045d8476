#include "device/ical_import.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "device/import_text.h"
#include "platform/date_time.h"
#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::DateTime;
using platform::Status;

struct ImportError {
  std::string message;
};

[[noreturn]] void fail(int line, const std::string& what) {
  throw ImportError{line > 0 ? "line " + std::to_string(line) + ": " + what : what};
}

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

std::string trim(std::string_view text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return "";
  return std::string(text.substr(b, text.find_last_not_of(" \t") - b + 1));
}

// A value for a one-line message: quoted, cut short, control characters shown as '?'.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : platform::utf16Prefix(text, 40)) out.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
  return out + (platform::utf16Length(text) > 40 ? "...\"" : "\"");
}

std::string oneLine(std::string_view text) {
  std::string out;
  for (char c : text) out.push_back(c == '\r' || c == '\n' ? ' ' : c);
  return out;
}

// The file's lines, kept to name where a problem is: libical itself forgets them.
class Source {
 public:
  explicit Source(const std::string& text) {
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
      lines_.push_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
    std::vector<std::string> open;
    for (size_t i = 0; i < lines_.size(); ++i) {
      std::string line = upper(trim(lines_[i]));
      if (line.rfind("BEGIN:", 0) == 0) {
        if (line == "BEGIN:VEVENT" && !open.empty() && open.back() == "VCALENDAR") {
          eventLines_.push_back(static_cast<int>(i) + 1);
        }
        open.push_back(line.substr(6));
      } else if (line.rfind("END:", 0) == 0 && !open.empty()) {
        open.pop_back();
      }
    }
  }

  int lineWithNul() const {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].find('\0') != std::string::npos) return static_cast<int>(i) + 1;
    }
    return 0;
  }

  // The line of the n-th event of the calendars (0-based), or 0 when unknown.
  int eventLine(size_t n) const { return n < eventLines_.size() ? eventLines_[n] : 0; }

  // The first line that starts with `property` (when given) and holds `fragment`; 0 for none.
  int lineOf(const std::string& property, const std::string& fragment) const {
    if (fragment.empty()) return 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!property.empty() && upper(lines_[i]).rfind(property, 0) != 0) continue;
      if (lines_[i].find(fragment) != std::string::npos) return static_cast<int>(i) + 1;
    }
    return 0;
  }

 private:
  std::vector<std::string> lines_;
  std::vector<int> eventLines_;
};

void collectErrors(icalcomponent* c, std::vector<std::string>& out) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
       p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
    const char* text = icalproperty_get_xlicerror(p);
    out.push_back(oneLine(text ? text : "malformed line"));
  }
  for (icalcomponent* k = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); k;
       k = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    collectErrors(k, out);
  }
}

// libical's messages end in the rejected text ("...: garbage") and often name the
// property ("value in DTSTART property"): enough to find the line again.
void refuseErrors(icalcomponent* root, const Source& source) {
  std::vector<std::string> errors;
  collectErrors(root, errors);
  if (errors.empty()) return;
  const std::string& first = errors.front();
  size_t colon = first.rfind(": ");
  std::string fragment = colon == std::string::npos ? "" : trim(first.substr(colon + 2));
  std::string property;
  if (size_t in = first.find(" in "), end = first.find(" property"); in != std::string::npos &&
                                                                       end != std::string::npos && end > in) {
    property = upper(first.substr(in + 4, end - in - 4));
  }
  std::string more = errors.size() > 1 ? " (and " + std::to_string(errors.size() - 1) + " more malformed lines)" : "";
  fail(source.lineOf(property, fragment), first + more);
}

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

struct Override {
  std::string uid;
  DateTime recurrenceId;
};

// One VEVENT, read into an appointment. Errors name the event's line and its summary.
class EventReader {
 public:
  EventReader(icalcomponent* event, int line, platform::Clock& clock) : event_(event), line_(line), clock_(clock) {
    const char* summary = icalcomponent_get_summary(event);
    label_ = summary ? quoted(summary) : "without SUMMARY";
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
  // The device-local start of the occurrence this event replaces, if it replaces one.
  std::optional<DateTime> recurrenceId() {
    icalproperty* p = single(ICAL_RECURRENCEID_PROPERTY, "RECURRENCE-ID");
    if (!p) return std::nullopt;
    return toDevice(timeOf(p, "RECURRENCE-ID"), "RECURRENCE-ID");
  }

 private:
  [[noreturn]] void refuse(const std::string& what) const { fail(line_, "event " + label_ + ": " + what); }

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
      std::string category = trim(text ? text : "");
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
      refuse(std::string(name) + ": unknown time zone " + quoted(tzid ? tzid : ""));
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

  DateTime toDevice(const icaltimetype& t, const char* name) const {
    DateTime d = checked(t, name);
    if (t.is_date) return d;
    if (icaltime_is_utc(t)) return clock_.toLocal(d);
    if (t.zone) return clock_.toLocal(checked(icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone()), name));
    return d;  // floating: the same wall time wherever the device is
  }

  void readTimes(platform::Appointment& a) {
    icalproperty* startProp = single(ICAL_DTSTART_PROPERTY, "DTSTART");
    if (!startProp) refuse("no DTSTART");
    icaltimetype start = icalcomponent_get_dtstart(event_);
    icalparameter* tz = icalproperty_get_first_parameter(startProp, ICAL_TZID_PARAMETER);
    if (tz && !start.is_date && !start.zone) timeOf(startProp, "DTSTART");  // refuses the unknown zone
    a.allDay = start.is_date;
    a.start = toDevice(start, "DTSTART");
    icalproperty* endProp = single(ICAL_DTEND_PROPERTY, "DTEND");
    icalproperty* durationProp = single(ICAL_DURATION_PROPERTY, "DURATION");
    if (endProp && durationProp) refuse("both DTEND and DURATION");
    if (endProp) {
      icaltimetype end = timeOf(endProp, "DTEND");
      if (a.allDay && !end.is_date) refuse("DTEND is a time but DTSTART a date");
      a.end = toDevice(end, "DTEND");
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
  DateTime endAfter(const icaltimetype& start, const DateTime& localStart, int64_t seconds) const {
    bool zoned = !start.is_date && (icaltime_is_utc(start) || start.zone);
    if (!zoned) return platform::fromEpochMs(platform::toEpochMs(localStart) + seconds * 1000);
    int64_t utcMs = platform::toEpochMs(clock_.toUtc(localStart));
    return clock_.toLocal(platform::fromEpochMs(utcMs + seconds * 1000));
  }

  void readRecurrence(platform::Appointment& a) {
    if (icalcomponent_count_properties(event_, ICAL_RDATE_PROPERTY) > 0) {
      refuse("RDATE is not supported (only RRULE and EXDATE)");
    }
    icalproperty* ruleProp = single(ICAL_RRULE_PROPERTY, "RRULE");
    if (!ruleProp) return;
    icalrecurrencetype rule = icalproperty_get_rrule(ruleProp);
    if (rule.freq == ICAL_NO_RECURRENCE) refuse("RRULE without FREQ");
    if (!icaltime_is_null_time(rule.until)) {
      icaltimetype until = rule.until;
      // A floating UNTIL belongs to DTSTART's zone; the store keeps everything in device time.
      if (!until.is_date && !icaltime_is_utc(until)) until.zone = icalcomponent_get_dtstart(event_).zone;
      DateTime local = toDevice(until, "RRULE UNTIL");
      rule.until = floatingTime(local, a.allDay || until.is_date);
    }
    char* text = icalrecurrencetype_as_string_r(&rule);
    a.recurrenceRule = text ? text : "";
    std::free(text);
    for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event_, ICAL_EXDATE_PROPERTY)) {
      a.exceptionDates.push_back(toDevice(timeOf(p, "EXDATE"), "EXDATE"));
    }
  }

  icalcomponent* event_;
  int line_;
  platform::Clock& clock_;
  std::string label_;
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

std::vector<platform::Appointment> readEvents(icalcomponent* root, const Source& source, platform::Clock& clock) {
  std::vector<platform::Appointment> out;
  std::map<std::string, size_t> series;  // UID -> index in `out` of a recurring event
  std::vector<Override> overrides;
  size_t index = 0;
  for (icalcomponent* calendar : calendarsOf(root)) {
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
      EventReader reader(e, source.eventLine(index++), clock);
      auto recurrenceId = reader.recurrenceId();
      if (recurrenceId) overrides.push_back({reader.uid(), *recurrenceId});
      if (reader.cancelled()) continue;
      platform::Appointment a = reader.read();
      if (recurrenceId) {
        a.recurrenceRule.clear();  // one occurrence, not a series of its own
        a.exceptionDates.clear();
      } else if (!a.recurrenceRule.empty() && !reader.uid().empty()) {
        series.emplace(reader.uid(), out.size());
      }
      out.push_back(std::move(a));
    }
  }
  if (index == 0) fail(0, "no event (VEVENT) in the file");
  for (const Override& o : overrides) {
    auto it = series.find(o.uid);
    if (it != series.end()) out[it->second].exceptionDates.push_back(o.recurrenceId);
  }
  return out;
}

}  // namespace

platform::Result<std::vector<platform::Appointment>> importCalendar(std::string_view bytes, platform::Clock& clock) {
  try {
    auto decoded = textOfExport(bytes);
    if (!decoded.ok()) return decoded.status();
    const std::string& text = *decoded;
    Source source(text);
    if (int line = source.lineWithNul()) fail(line, "NUL character in the text");
    // A library that aborts on a malformed value would take the whole tool with it.
    icalerror_set_errors_are_fatal(0);
    ComponentPtr root(icalparser_parse_string(text.c_str()));
    icalerror_clear_errno();
    if (!root || calendarsOf(root.get()).empty()) {
      fail(0, "not an iCalendar file (expected BEGIN:VCALENDAR ... END:VCALENDAR)");
    }
    refuseErrors(root.get(), source);
    return readEvents(root.get(), source, clock);
  } catch (const ImportError& e) {
    return Status::Invalid(e.message);
  }
}

platform::Result<std::string> canonicalRecurrenceRule(std::string_view rule) {
  std::string text = trim(rule);
  if (upper(text.substr(0, 6)) == "RRULE:") text = trim(text.substr(6));
  if (text.find('\0') != std::string::npos) return Status::Invalid("bad recurrence rule");
  icalerror_set_errors_are_fatal(0);
  icalrecurrencetype parsed = icalrecurrencetype_from_string(text.c_str());
  icalerror_clear_errno();
  if (parsed.freq == ICAL_NO_RECURRENCE) {
    return Status::Invalid("bad recurrence rule " + quoted(text) + " (expected FREQ=...;...)");
  }
  char* canonical = icalrecurrencetype_as_string_r(&parsed);
  std::string out = canonical ? canonical : "";
  std::free(canonical);
  return out;
}

}  // namespace zelko::device
