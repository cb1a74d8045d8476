// Recurring appointments, expanded by libical: the store keeps the iCalendar rule as
// text, with the series' own zone, and asks libical for the series whenever a day is
// looked at.
#pragma once

#include <optional>
#include <string_view>

#include "platform/clock.h"
#include "platform/items.h"
#include "platform/sim/time_zone.h"

namespace zelko::platform::sim {

// Ok when libical reads `rule` as a recurrence with a frequency and its numbers fit (see
// checkRuleNumbers); Invalid naming the fault otherwise.
Status checkRecurrenceRule(std::string_view rule);
// Ok unless a COUNT or INTERVAL of the rule's text is out of libical's range: libical
// would read COUNT=99999999999 as another number without a word.
Status checkRuleNumbers(std::string_view rule);

// Moves wall times between a series' own zone and the device's. A series without a zone
// follows the device's, and nothing moves.
class SeriesClock {
 public:
  // Invalid for a zone name the device does not know.
  static Result<SeriesClock> open(std::string_view zone, Clock& device);
  DateTime toDevice(const DateTime& seriesWall) const;
  DateTime toSeries(const DateTime& deviceWall) const;

 private:
  SeriesClock(std::optional<TimeZone> zone, Clock& device) : zone_(std::move(zone)), device_(&device) {}
  std::optional<TimeZone> zone_;
  Clock* device_;
};

// For each of `days` device-local calendar days from that of `firstDay`, the first
// occurrence of `series` (its start, end, rule, exception and extra dates all wall times
// of its own zone) that starts on it, moved to device time; days without one are left
// out, and a series that does not recur has none. The series is expanded once for all
// the days.
std::vector<Occurrence> occurrencesOnDays(const Appointment& series, const DateTime& firstDay, int days,
                                          const SeriesClock& clock);

}  // namespace zelko::platform::sim
