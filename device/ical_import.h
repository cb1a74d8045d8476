// Reading the iCalendar files that calendar programs export, for `zelko-device calendar
// import`. libical does the reading; this file turns its events into the store's
// appointments in the device's own time. Text in, appointments out: the caller adds them,
// so a file that fails here adds nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/items.h"
#include "platform/status.h"

namespace zelko::device {

// Reads every VEVENT of the file's calendars, in order.
//
// - DTSTART with a TZID (resolved against the file's VTIMEZONE blocks, else libical's own
//   zone table), in UTC or floating; times with a zone are converted to device-local time
//   through `clock`, floating times are taken as device-local already.
// - The end from DTEND or DURATION; without either, a timed event lasts no time and an
//   all-day event one day. All-day events (DATE values) run from 00:00 to 00:00.
// - RRULE (one at most) is kept as text with its UNTIL moved to device time; EXDATEs
//   become exception dates. An event with a RECURRENCE-ID (one changed occurrence, as
//   calendar servers export them) becomes an exception of its series, found by UID, and
//   an appointment of its own.
// - Cancelled events (STATUS:CANCELLED) are left out.
//
// Errors: Status::Invalid naming the line ("line N: ...") where it can be found. libical
// accepts malformed lines by turning them into X-LIC-ERROR properties; any of them refuses
// the whole file, since what was dropped cannot be known. A file without a VEVENT is an
// error too.
platform::Result<std::vector<platform::Appointment>> importCalendar(std::string_view bytes,
                                                                    platform::Clock& clock);

// A recurrence rule as given on the command line ("FREQ=WEEKLY;BYDAY=MO", with or without
// "RRULE:"), checked by libical and written back in its own canonical form; Invalid when
// libical cannot read it.
platform::Result<std::string> canonicalRecurrenceRule(std::string_view rule);

}  // namespace zelko::device
