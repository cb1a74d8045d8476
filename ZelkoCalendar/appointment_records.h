// One record of the appointment listing: the entry's own dates and the item's texts, in
// the locale's short date and time formats and as yyyyMMdd keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ZelkoCalendar/appointment_pieces.h"

namespace zelko {
class Suite;
}

namespace zelko::calendar {

// The recurrence type of an iCalendar rule as the phone numbers them: daily 0, weekly 1,
// monthly 2, monthly on the Nth weekday 3, yearly 5, yearly on the Nth weekday 6.
uint32_t recurrenceType(std::string_view rule);
// True when the rule runs on without an end (no UNTIL, no COUNT).
bool hasNoEndDate(std::string_view rule);

// Writes the record of `entry`, an entry of `item`, under the HKCU key `key`.
void writeRecord(Suite& suite, const std::string& key, const Entry& entry,
                 const platform::Appointment& item);

}  // namespace zelko::calendar
