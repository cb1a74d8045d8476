// Recurring appointments, expanded by libical: the store keeps the iCalendar rule as
// text and asks libical for the series whenever a day is looked at.
#pragma once

#include <optional>
#include <string_view>

#include "platform/items.h"

namespace zelko::platform::sim {

// Ok when libical reads `rule` as a recurrence with a frequency; Invalid otherwise.
Status checkRecurrenceRule(std::string_view rule);

// The occurrence of `a` that starts on the calendar day of `day`, skipping exception dates;
// nullopt when there is none or `a` does not recur.
std::optional<Occurrence> occurrenceOnDay(const Appointment& a, const DateTime& day);

}  // namespace zelko::platform::sim
