// The coming birthdays and wedding anniversaries of the contacts: which fall in the window
// of days, their order, and the numbered records that the display and the menu read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_time.h"

namespace zelko {
class OutlookStore;
class Suite;
}  // namespace zelko

namespace zelko::contacts {

// The list keeps the nearest this many dates; records never go beyond it.
inline constexpr size_t kMaxEntries = 256;

// The days from today through the last day of the window, both included, as yyyyMMdd
// keys. A days value below 1 counts as 364.
struct ListingWindow {
  std::string todayKey;
  std::string endKey;
  int year = 0;  // the current year
};
ListingWindow listingWindow(const platform::DateTime& localNow, int days);

struct EventEntry {
  uint32_t oid = 0;
  std::string sortKey;   // the next occurrence, yyyyMMdd
  std::string dateText;  // the next occurrence, dd/MM/yyyy
  int years = 0;         // the occurrence's year minus the stored year
  bool isBirthday = true;
};

// The next occurrence of the stored date `stored` inside the window, this year's or next
// year's; nullopt when neither falls inside. 29 February is kept on 28 February in a
// common year.
std::optional<EventEntry> nextOccurrence(const platform::DateTime& stored, const ListingWindow& window);

// The entries of the selected kinds whose next date falls in the window, nearest first
// (on the same day birthdays before anniversaries, each in the store's order), at most
// kMaxEntries.
std::vector<EventEntry> collectEntries(OutlookStore& store, const ListingWindow& window,
                                       bool birthdays, bool anniversaries);

struct ListingOptions {
  std::string store;  // the records' store name
  int max = 5;
  int days = 0;
  bool birthdays = false;
  bool anniversaries = false;
};

// Replaces the records of `options.store` with the first `max` entries and, in home-screen
// mode, blanks the page first and composes it from the records at the end. Returns the
// number of records written.
int runListing(Suite& suite, const ListingOptions& options);

}  // namespace zelko::contacts
