#include "ZelkoCalendar/appointment_records.h"

#include <optional>

#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::calendar {
namespace {

using platform::DateTime;
using platform::Root;

// The value of one NAME=VALUE part of a rule; nullopt when the rule has no such part.
std::optional<std::string_view> rulePart(std::string_view rule, std::string_view name) {
  while (!rule.empty()) {
    size_t end = rule.find(';');
    std::string_view part = rule.substr(0, end);
    rule = end == std::string_view::npos ? std::string_view() : rule.substr(end + 1);
    if (part.size() > name.size() && part.substr(0, name.size()) == name && part[name.size()] == '=') {
      return part.substr(name.size() + 1);
    }
  }
  return std::nullopt;
}

// "BYDAY=2TU" or "BYDAY=-1FR" picks the Nth weekday; so does BYSETPOS.
bool onNthWeekday(std::string_view rule) {
  if (rulePart(rule, "BYSETPOS")) return true;
  std::optional<std::string_view> days = rulePart(rule, "BYDAY");
  return days && days->find_first_of("0123456789") != std::string_view::npos;
}

}  // namespace

uint32_t recurrenceType(std::string_view rule) {
  std::string_view freq = rulePart(rule, "FREQ").value_or("");
  if (freq == "WEEKLY") return 1;
  if (freq == "MONTHLY") return onNthWeekday(rule) ? 3 : 2;
  if (freq == "YEARLY") return onNthWeekday(rule) ? 6 : 5;
  return 0;
}

bool hasNoEndDate(std::string_view rule) {
  return !rulePart(rule, "UNTIL") && !rulePart(rule, "COUNT");
}

void writeRecord(Suite& suite, const std::string& key, const Entry& entry,
                 const platform::Appointment& item) {
  auto& locale = suite.platform().locale();
  auto date = [&](const DateTime& t) { return locale.formatDate(locale.shortDatePicture(), t); };
  auto time = [&](const DateTime& t) { return locale.formatTime(locale.shortTimePicture(), t); };
  auto dayKey = [&](const DateTime& t) { return locale.formatDate("yyyyMMdd", t); };
  RecordWriter record(suite, key);
  auto text = [&](std::string_view name, const std::string& value) { record.text(name, value); };
  auto number = [&](std::string_view name, uint32_t value) { record.number(name, value); };
  text("location", item.location);
  text("subject", item.subject);
  text("datetime", date(entry.start) + " " + time(entry.start));
  text("enddatetime", date(entry.end) + " " + time(entry.end));
  text("start", time(item.start));
  text("end", time(item.end));
  text("date", date(entry.start));
  text("enddate", date(entry.end));
  text("dateview", dayKey(entry.start));
  text("enddateview", dayKey(entry.end));
  number("allday", item.allDay ? 1 : 0);
  number("recurrent", item.recurring ? 1 : 0);
  text("timestamp", dayKey(entry.start) + locale.formatTime("HHmm", entry.start));
  if (item.recurring) {
    number("rectype", recurrenceType(item.recurrenceRule));
    number("noenddate", hasNoEndDate(item.recurrenceRule) ? 1 : 0);
  }
  number("duration", static_cast<uint32_t>(item.durationMinutes));
  number("oid", item.oid);
  text("categories", item.categories);
}

}  // namespace zelko::calendar
