// The time zone a recurring event of an iCalendar file lives in, as a name the device's
// own zone data knows: the store keeps a series in that zone.
#pragma once

#include <libical/ical.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/time_zone.h"
#include "platform/status.h"

namespace zelko::device {

// Names the zones of one file's recurring events, each zone worked out once.
class ZoneNames {
 public:
  // The IANA name ("America/New_York") of a zone libical resolved for a TZID: the TZID
  // itself or its last components ("/mozilla.org/20050126_1/America/New_York"), the
  // VTIMEZONE's X-LIC-LOCATION, the zone an Outlook name stands for ("W. Europe Standard
  // Time"), else a zone whose offsets match the VTIMEZONE's at every sample from the year
  // before `year` to four years after (one whose city the TZID names, as in "Canberra,
  // Melbourne, Sydney", if any), else a fixed offset ("GMT+05:30") when the VTIMEZONE has
  // one. Invalid naming the TZID when no zone matches, or when the file has made more than
  // kMaxOffsetSearches zones be searched by their offsets already.
  platform::Result<std::string> ianaNameOf(icaltimezone* zone, int year);
  static constexpr int kMaxOffsetSearches = 100;

 private:
  std::string byOffsets(icaltimezone* zone, int year, const std::string& tzid);

  std::map<const icaltimezone*, platform::Result<std::string>> named_;
  int offsetSearches_ = 0;
  // The device's zones of a location ("Europe/Paris"), made on first need.
  std::vector<std::pair<std::string, platform::sim::TimeZone>> locations_;
};

}  // namespace zelko::device
