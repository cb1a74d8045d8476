// Which birthdays and anniversaries the birthdays provider lists, on which date, with
// which age, and which it keeps when the address book holds more than it lists.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ZelkoContacts/anniversary_listing.h"
#include "common/outlook_store.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::contacts {
namespace {

using zelko::testing::at;

struct Expected {
  platform::DateTime stored;
  std::optional<std::string> dateText;  // nullopt: outside the window
  int years = 0;
};

void expectOccurrences(const ListingWindow& window, const std::vector<Expected>& cases) {
  for (const Expected& c : cases) {
    std::optional<EventEntry> e = nextOccurrence(c.stored, window);
    std::string stored = std::to_string(c.stored.year) + "-" + std::to_string(c.stored.month) + "-" +
                         std::to_string(c.stored.day);
    ASSERT_EQ(e.has_value(), c.dateText.has_value()) << stored;
    if (!e) continue;
    EXPECT_EQ(e->dateText, *c.dateText) << stored;
    EXPECT_EQ(e->sortKey, c.dateText->substr(6, 4) + c.dateText->substr(3, 2) + c.dateText->substr(0, 2))
        << stored;
    EXPECT_EQ(e->years, c.years) << stored;
  }
}

// Today, yesterday, New Year, ages of this year and of a year to come are in the
// end-to-end tests; here the edges of the window and of the calendar.
TEST(AnniversaryListingTest, WindowEdgesAndTwentyNinthOfFebruary) {
  ListingWindow year = listingWindow(at(2026, 12, 30, 23, 59), 365);
  EXPECT_EQ(year.todayKey, "20261230");
  EXPECT_EQ(year.endKey, "20271230");
  expectOccurrences(year, {{at(2000, 2, 29), "28/02/2027", 27}});

  ListingWindow week = listingWindow(at(2026, 3, 24, 9, 5), 7);
  EXPECT_EQ(week.endKey, "20260331");
  expectOccurrences(week, {{at(1970, 3, 31), "31/03/2026", 56},
                           {at(1970, 4, 1), std::nullopt},
                           {at(1970, 3, 23), std::nullopt}});

  ListingWindow leap = listingWindow(at(2028, 2, 1), 28);
  expectOccurrences(leap, {{at(2000, 2, 29), "29/02/2028", 28}, {at(2000, 3, 1), std::nullopt}});

  // No window, or a negative one, is 364 days; a huge one stays inside the calendar.
  EXPECT_EQ(listingWindow(at(2026, 3, 24), 0).endKey, "20270323");
  EXPECT_EQ(listingWindow(at(2026, 3, 24), -5).endKey, "20270323");
  EXPECT_EQ(listingWindow(at(2026, 3, 24), 2147483647).endKey.size(), 8u);
}

class CollectEntriesTest : public testing::DeviceTest {};

TEST_F(CollectEntriesTest, KeepsTheNearestDatesOfAFullAddressBook) {
  // 300 birthdays far away first, then the nearest ones: the store hands them out last.
  std::vector<platform::NewContact> book;
  for (int i = 0; i < 300; ++i) {
    platform::Contact c;
    c.lastName = "Far" + std::to_string(i);
    c.birthday = at(1980, 9, 1 + i % 28);
    book.push_back({c, ""});
  }
  platform::Contact near;
  near.lastName = "Near";
  near.birthday = at(1980, 3, 25);
  near.anniversary = at(2010, 3, 25);
  book.push_back({near, ""});
  near.lastName = "Nearest";
  near.birthday = at(1980, 3, 24);
  near.anniversary.reset();
  book.push_back({near, ""});
  auto oids = platform().items().addContacts(book);
  ASSERT_TRUE(oids.ok());

  OutlookSession session(platform());
  OutlookStore store(session, platform::ItemFolder::kContacts);
  std::vector<EventEntry> entries =
      collectEntries(store, listingWindow(at(2026, 3, 24), 365), true, true);
  ASSERT_EQ(entries.size(), kMaxEntries);
  EXPECT_EQ(entries[0].oid, oids->at(301));
  EXPECT_EQ(entries[0].sortKey, "20260324");
  // The same day: the birthday before the anniversary.
  EXPECT_EQ(entries[1].oid, oids->at(300));
  EXPECT_TRUE(entries[1].isBirthday);
  EXPECT_EQ(entries[2].oid, oids->at(300));
  EXPECT_FALSE(entries[2].isBirthday);
  EXPECT_EQ(entries[2].years, 16);
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                             [](const auto& a, const auto& b) { return a.sortKey < b.sortKey; }));
  EXPECT_TRUE(collectEntries(store, listingWindow(at(2026, 3, 24), 365), false, false).empty());
}

}  // namespace
}  // namespace zelko::contacts
