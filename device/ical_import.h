// Reading the iCalendar files that calendar programs export, for `zelko-device calendar
// import`. libical does the reading; this file turns its events into the store's
// appointments. Text in, appointments out: the caller adds them, so a file that fails
// here adds nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/items.h"
#include "platform/status.h"

namespace zelko::device {

// Reads every VEVENT of the file's calendars, in order. The file is UTF-8 or UTF-16 with
// a byte-order mark, with any line end.
//
// - DTSTART with a TZID (resolved against the file's VTIMEZONE blocks, else libical's own
//   zone table), in UTC or floating. The end from DTEND or DURATION; without either, a
//   timed event lasts no time and an all-day event one day. All-day events (DATE values)
//   run from 00:00 to 00:00.
// - A single event with a zone is moved to device-local time through `clock`; floating
//   times are device-local already.
// - A recurring event (RRULE, RDATE) keeps its zone (see ZoneNames; none for floating
//   times and all-day series): its start and end are moved to device time as a single
//   event's, while its rule's UNTIL, its EXDATEs and its RDATEs (dates, date-times, the
//   starts of periods) become wall times of that zone.
// - An event with a RECURRENCE-ID (one changed occurrence, as calendar servers export
//   them) becomes an exception of its series, found by UID, and an appointment of its
//   own; each exception date is kept once however often the file names it.
// - Cancelled events (STATUS:CANCELLED) are left out.
//
// Errors: Status::Invalid naming the line ("line N: ...") where it can be found. Text that
// is not UTF-8, a NUL, and an RRULE whose COUNT or INTERVAL is out of range are refused
// before libical reads the file. libical accepts malformed lines by turning them into
// X-LIC-ERROR properties; any of them refuses the whole file, since what was dropped
// cannot be known, except an empty value of a text property (web calendars write
// "LOCATION:" in every event), which reads as empty. A file without a VEVENT is an error
// too.
platform::Result<std::vector<platform::Appointment>> importCalendar(std::string_view bytes,
                                                                    platform::Clock& clock);

// A recurrence rule as given on the command line ("FREQ=WEEKLY;BYDAY=MO", with or without
// "RRULE:"), checked by libical and written back in its own canonical form; Invalid when
// libical cannot read it or its COUNT or INTERVAL is out of range.
platform::Result<std::string> canonicalRecurrenceRule(std::string_view rule);

}  // namespace zelko::device
