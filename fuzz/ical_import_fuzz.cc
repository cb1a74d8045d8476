// Any bytes must import or fail with one line of explanation, without libical's errors
// taking the process down; whatever imports must be storable: real times, an end not
// before the start, all-day items on whole days, series in zones and by rules the store
// can expand.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/ical_import.h"
#include "platform/sim/items_recurrence.h"
#include "platform/sim/time_zone.h"

namespace {

using zelko::platform::DateTime;

// A device two hours ahead of UTC all year: conversions happen without a device.
class FixedClock final : public zelko::platform::Clock {
 public:
  DateTime utcNow() override { return {}; }
  DateTime localNow() override { return {}; }
  DateTime toLocal(const DateTime& utc) override { return shift(utc, 120); }
  DateTime toUtc(const DateTime& local) override { return shift(local, -120); }
  int biasMinutes(const DateTime&) override { return -120; }
  std::chrono::steady_clock::time_point steadyNow() override { return {}; }
  void sleep(std::chrono::milliseconds) override {}

 private:
  static DateTime shift(const DateTime& t, int minutes) {
    return zelko::platform::fromEpochMs(zelko::platform::toEpochMs(t) + minutes * 60000LL);
  }
};

bool real(const DateTime& t) {
  DateTime copy = t;
  return zelko::platform::normalizeDateTime(copy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FixedClock clock;
  auto imported =
      zelko::device::importCalendar(std::string_view(reinterpret_cast<const char*>(data), size), clock);
  if (!imported.ok()) {
    const std::string& message = imported.status().message();
    if (message.empty() || message.find('\n') != std::string::npos || message.find('\r') != std::string::npos) {
      abort();
    }
    return 0;
  }
  for (const auto& a : *imported) {
    if (!real(a.start) || !real(a.end)) abort();
    if (zelko::platform::toEpochMs(a.end) < zelko::platform::toEpochMs(a.start)) abort();
    if (a.allDay && (a.start.hour || a.start.minute || a.end.hour || a.end.minute)) abort();
    for (const auto* dates : {&a.exceptionDates, &a.recurrenceDates}) {
      for (const DateTime& d : *dates) {
        if (!real(d)) abort();
      }
    }
    // A series' zone must be one the store can expand it in.
    if (!a.timeZone.empty() && !zelko::platform::sim::TimeZone::open(a.timeZone).ok()) abort();
    if (!a.recurrenceRule.empty() && !zelko::platform::sim::checkRecurrenceRule(a.recurrenceRule).ok()) abort();
  }
  return 0;
}
