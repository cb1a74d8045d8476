#include "ZelkoContacts/anniversary_listing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ZelkoContacts/anniversary_display.h"
#include "ZelkoContacts/contact_records.h"
#include "common/exclusive_run.h"
#include "common/outlook_store.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/date_time.h"
#include "platform/platform.h"

namespace zelko::contacts {
namespace {

using platform::DateTime;
using platform::Root;

using platform::kDayMs;
// Only this year's and next year's dates can qualify, so a longer window changes nothing;
// the bound keeps the end date inside the calendar.
constexpr int kMaxDays = 3660;

constexpr const char* kBirthdayRestriction =
    R"([Birthday] >= "01/01/1900" AND [Birthday] <= "01/01/2100")";
constexpr const char* kAnniversaryRestriction =
    R"([Anniversary] >= "01/01/1900" AND [Anniversary] <= "01/01/2100")";

std::string dayKey(int year, int month, int day) {
  char key[16];
  std::snprintf(key, sizeof key, "%04d%02d%02d", year, month, day);
  return key;
}

// A date that qualified, before its texts are made: most never reach the records.
struct Candidate {
  int key = 0;  // the next occurrence, yyyyMMdd
  int years = 0;
  uint32_t oid = 0;
  bool isBirthday = true;
};

int keyNumber(const std::string& key) { return std::atoi(key.c_str()); }

// The next occurrence of `stored` from `todayKey` through `endKey` (yyyyMMdd), in `year`
// or the next one.
std::optional<Candidate> nextDay(const DateTime& stored, int year, int todayKey, int endKey) {
  for (int y : {year, year + 1}) {
    int day = std::min(stored.day, platform::daysInMonth(y, stored.month));
    int key = y * 10000 + stored.month * 100 + day;
    if (key < todayKey || key > endKey) continue;
    Candidate c;
    c.key = key;
    c.years = y - stored.year;
    return c;
  }
  return std::nullopt;
}

EventEntry entryOf(const Candidate& c) {
  int year = c.key / 10000, month = c.key / 100 % 100, day = c.key % 100;
  char text[24];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", day, month, year);
  EventEntry entry;
  entry.oid = c.oid;
  entry.sortKey = dayKey(year, month, day);
  entry.dateText = text;
  entry.years = c.years;
  entry.isBirthday = c.isBirthday;
  return entry;
}

void collectKind(OutlookStore& store, const ListingWindow& window, bool birthdays,
                 std::vector<Candidate>& out) {
  if (!store.find(birthdays ? kBirthdayRestriction : kAnniversaryRestriction)) return;
  const int todayKey = keyNumber(window.todayKey), endKey = keyNumber(window.endKey);
  do {
    const ContactRecord& c = store.record();
    std::optional<DateTime> stored = fromAutomationDate(birthdays ? c.birthday : c.anniversary);
    if (!stored) continue;
    if (std::optional<Candidate> found = nextDay(*stored, window.year, todayKey, endKey)) {
      found->oid = c.oid;
      found->isBirthday = birthdays;
      out.push_back(*found);
    }
  } while (store.next());
}

void writeRecord(Suite& suite, OutlookStore& store, const std::string& key, const EventEntry& e) {
  const ContactRecord& c = store.record();
  auto& locale = suite.platform().locale();
  std::optional<DateTime> stored = fromAutomationDate(e.isBirthday ? c.birthday : c.anniversary);
  std::string shortDate = stored ? locale.formatDate(locale.shortDatePicture(), *stored) : "";
  std::string year = stored ? locale.formatDate("yyyy", *stored) : "";
  RecordWriter record(suite, key);
  record.text("dateview", e.sortKey);
  record.text(e.isBirthday ? "birthday" : "anniversary", shortDate);
  record.text("year", year);
  record.text("date", e.dateText);
  // A stored date still to come (a year typed wrongly) has no age to show.
  record.number("age", static_cast<uint32_t>(std::max(e.years, 0)));
  record.textIfAny("businessPhone", c.businessPhone);
  record.textIfAny("homePhone", c.homePhone);
  record.textIfAny("mobilePhone", c.mobilePhone);
  record.textIfAny("lastName", c.lastName);
  record.textIfAny("firstName", c.firstName);
  record.textIfAny("categories", c.categories);
  record.number("oid", c.oid);
  if (std::optional<std::string> picture = saveContactPicture(suite, store)) {
    record.text("picture", *picture);
  }
}

bool fetchContact(OutlookStore& store, uint32_t oid) {
  return store.fetch(oid) && std::holds_alternative<platform::Contact>(*store.lastItem());
}

}  // namespace

ListingWindow listingWindow(const DateTime& localNow, int days) {
  if (days < 1) days = 364;
  days = std::min(days, kMaxDays);
  DateTime end = platform::fromEpochMs(platform::toEpochMs(localNow) + days * kDayMs);
  return {dayKey(localNow.year, localNow.month, localNow.day), dayKey(end.year, end.month, end.day),
          localNow.year};
}

std::optional<EventEntry> nextOccurrence(const DateTime& stored, const ListingWindow& window) {
  std::optional<Candidate> found =
      nextDay(stored, window.year, keyNumber(window.todayKey), keyNumber(window.endKey));
  if (!found) return std::nullopt;
  return entryOf(*found);
}

std::vector<EventEntry> collectEntries(OutlookStore& store, const ListingWindow& window,
                                       bool birthdays, bool anniversaries) {
  std::vector<Candidate> found;
  if (birthdays) collectKind(store, window, true, found);
  if (anniversaries) collectKind(store, window, false, found);
  // Every candidate is sorted before the cut, so a full address book still shows the
  // nearest dates rather than whichever the store happened to hand out first.
  std::stable_sort(found.begin(), found.end(),
                   [](const Candidate& a, const Candidate& b) { return a.key < b.key; });
  std::vector<EventEntry> entries;
  for (size_t i = 0; i < found.size() && i < kMaxEntries; ++i) entries.push_back(entryOf(found[i]));
  return entries;
}

int runListing(Suite& suite, const ListingOptions& options) {
  ExclusiveRun turn(suite.platform(), "ZelkoContacts listing");
  deleteRecords(suite, anniversariesKey(options.store));
  bool home = suite.settings().homeScreenMode();
  if (home) blankDisplay(suite);
  ListingWindow window = listingWindow(suite.platform().clock().localNow(), options.days);

  OutlookStore store(suite.outlook(), platform::ItemFolder::kContacts);
  std::vector<EventEntry> entries =
      collectEntries(store, window, options.birthdays, options.anniversaries);
  int written = 0;
  for (const EventEntry& entry : entries) {
    if (written >= options.max) break;
    // A contact deleted since the walk is left out rather than written with another's data.
    if (!fetchContact(store, entry.oid)) continue;
    ++written;
    writeRecord(suite, store, anniversaryKey(options.store, written), entry);
  }
  RecordWriter(suite, anniversariesKey(options.store)).number("total", static_cast<uint32_t>(written));
  store.releaseCurrent();
  if (home) composeDisplay(suite);
  store.close();
  return written;
}

}  // namespace zelko::contacts
