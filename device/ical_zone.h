// The time zone a recurring event of an iCalendar file lives in, as a name the device's
// own zone data knows: the store keeps a series in that zone.
#pragma once

#include <libical/ical.h>

#include <string>

#include "platform/status.h"

namespace zelko::device {

// The IANA name ("America/New_York") of a zone libical resolved for a TZID: the TZID
// itself or its last components ("/mozilla.org/20050126_1/America/New_York"), the
// VTIMEZONE's X-LIC-LOCATION, the zone an Outlook name stands for ("W. Europe Standard
// Time"), else a zone whose offsets match the VTIMEZONE's at every sample from the year
// before `year` to four years after (one whose city the TZID names, as in "Canberra,
// Melbourne, Sydney", if any), else a fixed offset ("GMT+05:30") when the VTIMEZONE has
// one. Invalid naming the TZID when no zone matches.
platform::Result<std::string> ianaZoneOf(icaltimezone* zone, int year);

}  // namespace zelko::device
