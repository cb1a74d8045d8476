#include "ZelkoCalendar/appointment_listing.h"

#include <algorithm>

#include "ZelkoCalendar/appointment_records.h"
#include "common/outlook_store.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/date_time.h"
#include "platform/platform.h"

namespace zelko::calendar {
namespace {

using platform::DateTime;

using platform::kDayMs;
// The window's end stays inside the calendar however many days are asked for.
constexpr int64_t kMaxDays = 36600;

std::string shortDate(platform::Locale& locale, const DateTime& t) {
  return locale.formatDate(locale.shortDatePicture(), t);
}

bool fetchAppointment(OutlookStore& store, uint32_t oid) {
  return store.fetch(oid) && std::holds_alternative<platform::Appointment>(*store.lastItem());
}

// An entry with the place of its item in the walk, which orders entries that start
// together.
struct Placed {
  Entry entry;
  size_t item;
};

// The occurrences of the recurring items `series`, walked as items `places`, appended to
// `out` under their items' places.
void placeOccurrences(const std::vector<uint32_t>& series, const std::vector<size_t>& places,
                      platform::Items& items, const DateTime& now, std::vector<Placed>& out) {
  size_t k = 0;
  for (const Entry& e : occurrenceEntries(series, items, now)) {
    while (k < series.size() && series[k] != e.oid) ++k;
    if (k < series.size()) out.push_back({e, places[k]});
  }
}

}  // namespace

std::string recordKey(std::string_view store, int i) {
  return providerKey(store, "Cal" + std::to_string(i));
}

std::string windowRestriction(std::string_view todayText, std::string_view endText) {
  std::string t(todayText), e(endText);
  return "( ([Start] >= \"" + t + "\" AND [Start] <= \"" + e + "\") OR ([End] >= \"" + t +
         "\" AND [End] <= \"" + e + "\") AND [IsRecurring] = 0 ) OR [IsRecurring] = 1";
}

std::vector<Entry> collectEntries(OutlookStore& store, platform::Items& items,
                                  std::string_view restriction, const DateTime& now) {
  std::vector<Placed> placed;
  // Series are expanded together once the walk is over: one read of the store for all.
  std::vector<uint32_t> series;
  std::vector<size_t> seriesPlaces;
  if (store.find(restriction)) {
    size_t place = 0;
    do {
      const auto* item = std::get_if<platform::Appointment>(&*store.lastItem());
      if (!item) continue;
      if (item->recurring) {
        series.push_back(item->oid);
        seriesPlaces.push_back(place);
      } else {
        for (const Entry& e : entriesOf(*item, items, now)) placed.push_back({e, place});
      }
      ++place;
    } while (store.next());
  }
  placeOccurrences(series, seriesPlaces, items, now, placed);
  std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
    int64_t as = platform::toEpochMs(a.entry.start), bs = platform::toEpochMs(b.entry.start);
    return as != bs ? as < bs : a.item < b.item;
  });
  std::vector<Entry> entries;
  entries.reserve(placed.size());
  for (const Placed& p : placed) entries.push_back(p.entry);
  return entries;
}

int runListing(Suite& suite, std::string_view store, int max, int days) {
  deleteRecords(suite, providerKey(store));
  OutlookStore calendar(suite.outlook(), platform::ItemFolder::kCalendar);
  auto& locale = suite.platform().locale();
  DateTime now = suite.platform().clock().localNow();
  int64_t span = std::clamp<int64_t>(days, -kMaxDays, kMaxDays) - 1;
  DateTime end = platform::fromEpochMs(platform::toEpochMs(now) + span * kDayMs);
  std::vector<Entry> entries =
      collectEntries(calendar, suite.platform().items(), windowRestriction(shortDate(locale, now), shortDate(locale, end)), now);

  int written = 0;
  for (const Entry& entry : entries) {
    if (written >= max) break;
    // An item deleted since the walk is left out rather than written with another's texts.
    if (!fetchAppointment(calendar, entry.oid)) continue;
    ++written;
    writeRecord(suite, recordKey(store, written), entry,
                std::get<platform::Appointment>(*calendar.lastItem()));
  }
  RecordWriter(suite, providerKey(store)).number("total", static_cast<uint32_t>(written));
  calendar.releaseCurrent();
  calendar.close();
  return written;
}

}  // namespace zelko::calendar
