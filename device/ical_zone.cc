#include "device/ical_zone.h"

#include <unicode/timezone.h>
#include <unicode/strenum.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "device/import_text.h"
#include "platform/date_time.h"
#include "platform/sim/time_zone.h"

namespace zelko::device {
namespace {

using platform::Status;

bool known(const std::string& name) { return !name.empty() && platform::sim::TimeZone::open(name).ok(); }

std::string xLicLocation(icaltimezone* zone) {
  icalcomponent* c = icaltimezone_get_component(zone);
  for (icalproperty* p = c ? icalcomponent_get_first_property(c, ICAL_X_PROPERTY) : nullptr; p;
       p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
    const char* name = icalproperty_get_x_name(p);
    const char* value = icalproperty_get_x(p);
    if (name && value && std::string(name) == "X-LIC-LOCATION") return value;
  }
  return "";
}

// The name itself, then its last three, two and one components: no zone name has more.
std::string byName(const std::string& tzid) {
  if (known(tzid)) return tzid;
  size_t from = tzid.size();
  for (int components = 1; components <= 3 && from != std::string::npos && from > 0; ++components) {
    from = tzid.rfind('/', from - 1);
  }
  for (; from != std::string::npos && from < tzid.size(); from = tzid.find('/', from + 1)) {
    if (std::string candidate = tzid.substr(from + 1); known(candidate)) return candidate;
  }
  return "";
}

std::string byWindowsName(const std::string& tzid) {
  icu::UnicodeString id;
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone::getIDForWindowsID(icu::UnicodeString::fromUTF8(tzid), nullptr, id, status);
  std::string out;
  if (U_SUCCESS(status)) id.toUTF8String(out);
  return out;
}

// Offsets in seconds at noon UTC on the 1st and 16th of every month of the years around.
std::vector<std::pair<int64_t, int>> samples(icaltimezone* zone, int year) {
  std::vector<std::pair<int64_t, int>> out;
  for (int y = year - 1; y <= year + 4; ++y) {
    for (int m = 1; m <= 12; ++m) {
      for (int d : {1, 16}) {
        icaltimetype t = icaltime_null_time();
        t.year = y;
        t.month = m;
        t.day = d;
        t.hour = 12;
        t.zone = icaltimezone_get_utc_timezone();
        int daylight = 0;
        int offset = icaltimezone_get_utc_offset_of_utc_time(zone, &t, &daylight);
        platform::DateTime at{};
        at.year = y;
        at.month = m;
        at.day = d;
        at.hour = 12;
        out.emplace_back(platform::toEpochMs(at), offset);
      }
    }
  }
  return out;
}

bool sameOffsets(const platform::sim::TimeZone& zone, const std::vector<std::pair<int64_t, int>>& expected) {
  for (const auto& [ms, seconds] : expected) {
    if (zone.offsetMsAtUtc(ms) != int64_t{seconds} * 1000) return false;
  }
  return true;
}

// How well a zone with the right offsets stands for the file's: one whose city the TZID
// names ("Canberra, Melbourne, Sydney") first, then the zone the phone's own zone list
// would pick for its offsets, then any.
int preference(const std::string& id, const std::string& tzid) {
  std::string city = id.substr(id.rfind('/') + 1);
  for (char& c : city) c = c == '_' ? ' ' : c;
  if (tzid.find(city) != std::string::npos) return 2;
  icu::UnicodeString windows, golden;
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone::getWindowsID(icu::UnicodeString::fromUTF8(id), windows, status);
  if (U_SUCCESS(status) && !windows.isEmpty()) icu::TimeZone::getIDForWindowsID(windows, "001", golden, status);
  return U_SUCCESS(status) && golden == icu::UnicodeString::fromUTF8(id) ? 1 : 0;
}

std::vector<std::pair<std::string, platform::sim::TimeZone>> locationZones() {
  std::vector<std::pair<std::string, platform::sim::TimeZone>> out;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::StringEnumeration> ids(
      icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_CANONICAL_LOCATION, nullptr, nullptr, status));
  while (U_SUCCESS(status) && ids) {
    const icu::UnicodeString* id = ids->snext(status);
    if (!id || U_FAILURE(status)) break;
    std::string name;
    id->toUTF8String(name);
    if (auto zone = platform::sim::TimeZone::open(name); zone.ok()) out.emplace_back(name, std::move(*zone));
  }
  return out;
}

std::string fixedOffset(const std::vector<std::pair<int64_t, int>>& expected) {
  int seconds = expected.front().second;
  for (const auto& sample : expected) {
    if (sample.second != seconds) return "";
  }
  if (seconds == 0) return "UTC";
  char buf[32];
  int minutes = std::abs(seconds) / 60;
  std::snprintf(buf, sizeof buf, "GMT%c%02d:%02d", seconds < 0 ? '-' : '+', minutes / 60, minutes % 60);
  return buf;
}

}  // namespace

platform::Result<std::string> ZoneNames::ianaNameOf(icaltimezone* zone, int year) {
  if (auto it = named_.find(zone); it != named_.end()) return it->second;
  const char* tzidText = icaltimezone_get_tzid(zone);
  std::string tzid = tzidText ? tzidText : "";
  platform::Result<std::string> name =
      Status::Invalid("time zone " + quotedForMessage(tzid) + " matches no zone the device knows");
  if (zone == icaltimezone_get_utc_timezone()) {
    name = std::string("UTC");
  } else if (std::string found = byName(tzid); !found.empty()) {
    name = found;
  } else if (found = byName(xLicLocation(zone)); !found.empty()) {
    name = found;
  } else if (found = byWindowsName(tzid); known(found)) {
    name = found;
  } else if (found = byOffsets(zone, year, tzid); !found.empty()) {
    name = found;
  }
  named_.emplace(zone, name);
  return name;
}

std::string ZoneNames::byOffsets(icaltimezone* zone, int year, const std::string& tzid) {
  // Each costs some milliseconds; real files define a handful of zones.
  if (++offsetSearches_ > kMaxOffsetSearches) return "";
  auto expected = samples(zone, year);
  if (locations_.empty()) locations_ = locationZones();
  std::string best;
  int bestScore = -1;
  for (const auto& [name, candidate] : locations_) {
    if (!sameOffsets(candidate, expected)) continue;
    if (int score = preference(name, tzid); score > bestScore) {
      best = name;
      bestScore = score;
    }
  }
  if (best.empty()) best = fixedOffset(expected);
  return known(best) ? best : "";
}

}  // namespace zelko::device
