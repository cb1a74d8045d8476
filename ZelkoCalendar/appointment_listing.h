// The appointment listing: the calendar items of a window of days, made into dated
// entries, sorted earliest first, and kept as the numbered records Cal1, Cal2... under
// HKCU\Software\Zelko\<store>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ZelkoCalendar/appointment_pieces.h"

namespace zelko {
class OutlookStore;
class Suite;
}  // namespace zelko

namespace zelko::calendar {

inline constexpr std::string_view kDefaultStore = "Calendar";

// HKCU\Software\Zelko\<store>\Cal<i>, i from 1.
std::string recordKey(std::string_view store, int i);

// The store's search for the window from `todayText` to `endText` (short dates): the
// items that start or end in it, and every recurring item.
std::string windowRestriction(std::string_view todayText, std::string_view endText);

// The entries of every item that matches `restriction`, earliest start first (entries
// that start together keep the store's order). `items` gives the occurrences.
std::vector<Entry> collectEntries(OutlookStore& store, platform::Items& items,
                                  std::string_view restriction, const platform::DateTime& now);

// Replaces the records of `store` with the first `max` entries of a window of `days`
// days from today. Returns the number of records written.
int runListing(Suite& suite, std::string_view store, int max, int days);

}  // namespace zelko::calendar
