#include <gtest/gtest.h>

#include "platform/sim/device_settings.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::platform {
namespace {

using zelko::testing::at;
using testing::meeting;

class ItemsRecurrence : public testing::DeviceTest {
 protected:
  // A one-hour meeting at 9:00 from `first`, repeating by `rule`.
  uint32_t series(const DateTime& first, std::string rule, std::vector<DateTime> except = {}) {
    DateTime end = fromEpochMs(toEpochMs(first) + 3600000);
    auto oid = platform().items().addAppointment(
        meeting("Meeting", first, end, std::move(rule), std::move(except)));
    EXPECT_TRUE(oid.ok()) << oid.status().message();
    return oid.ok() ? *oid : 0;
  }
  // The start of the occurrence on that day, or nullopt.
  std::optional<DateTime> on(uint32_t oid, int y, int m, int d) {
    auto o = platform().items().occurrenceOn(oid, at(y, m, d, 17, 30));  // the time is ignored
    if (!o) return std::nullopt;
    EXPECT_EQ(o->oid, oid);
    EXPECT_EQ(toEpochMs(o->end) - toEpochMs(o->start), 3600000);
    return o->start;
  }
};

// Daily and weekly counting, COUNT and UNTIL are checked against libical in
// recurrence_steps_test.cc; here what goes beyond them.
TEST_F(ItemsRecurrence, OccurrencesOfEachKindOfSeries) {
  struct Case {
    const char* what;
    DateTime first;
    const char* rule;
    std::vector<DateTime> except;
    DateTime day;
    bool occurs;
  } cases[] = {
      {"daily, years on", at(2024, 1, 30, 9), "FREQ=DAILY", {}, at(2031, 12, 31), true},
      {"weekdays: Saturday", at(2024, 1, 1, 9), "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", {}, at(2024, 6, 15), false},
      {"monthly", at(2024, 1, 15, 9), "FREQ=MONTHLY", {}, at(2024, 11, 15), true},
      {"monthly, a day off", at(2024, 1, 15, 9), "FREQ=MONTHLY", {}, at(2024, 11, 16), false},
      // Only leap years have the day: the series skips the others rather than move the date.
      {"29 February, 28th", at(2024, 2, 29, 9), "FREQ=YEARLY", {}, at(2025, 2, 28), false},
      {"29 February, 1 March", at(2024, 2, 29, 9), "FREQ=YEARLY", {}, at(2025, 3, 1), false},
      {"29 February, leap year", at(2024, 2, 29, 9), "FREQ=YEARLY", {}, at(2028, 2, 29), true},
      {"exception", at(2024, 5, 6, 9), "FREQ=WEEKLY;BYDAY=MO", {at(2024, 5, 13, 9)}, at(2024, 5, 13), false},
      {"after an exception", at(2024, 5, 6, 9), "FREQ=WEEKLY;BYDAY=MO", {at(2024, 5, 13, 9)}, at(2024, 5, 20), true},
      // A date without time, as an all-day EXDATE gives it, removes that day's occurrence.
      {"exception by day", at(2024, 5, 6, 9), "FREQ=DAILY", {at(2024, 5, 8)}, at(2024, 5, 8), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint32_t oid = series(c.first, c.rule, c.except);
    std::optional<DateTime> want;
    if (c.occurs) want = at(c.day.year, c.day.month, c.day.day, c.first.hour, c.first.minute);
    EXPECT_EQ(on(oid, c.day.year, c.day.month, c.day.day), want);
  }
  // Items without a series, and unknown ones, have no occurrences.
  auto single = platform().items().addAppointment(meeting("once", at(2024, 1, 1, 9), at(2024, 1, 1, 10)));
  ASSERT_TRUE(single.ok());
  EXPECT_FALSE(platform().items().occurrenceOn(*single, at(2024, 1, 1)));
  EXPECT_FALSE(platform().items().occurrenceOn(*single + 99, at(2024, 1, 1)));
}

TEST_F(ItemsRecurrence, ExtraDatesAddOccurrencesAndMakeAnItemRecur) {
  auto a = meeting("Board", at(2024, 10, 1, 10), at(2024, 10, 1, 11), "FREQ=MONTHLY;BYDAY=1TU");
  a.recurrenceDates = {at(2024, 11, 21, 10), at(2024, 11, 5, 16)};
  auto monthly = platform().items().addAppointment(a);
  ASSERT_TRUE(monthly.ok()) << monthly.status().message();
  EXPECT_EQ(on(*monthly, 2024, 11, 5), at(2024, 11, 5, 10)) << "the earlier of two on one day";
  EXPECT_EQ(on(*monthly, 2024, 11, 21), at(2024, 11, 21, 10));
  EXPECT_FALSE(on(*monthly, 2024, 11, 22));

  // Extra dates alone: the start and each date, nothing else.
  auto b = meeting("Talks", at(2024, 3, 1, 9), at(2024, 3, 1, 10));
  b.recurrenceDates = {at(2024, 3, 8, 9), at(2024, 4, 2, 9)};
  b.exceptionDates = {at(2024, 3, 8, 9)};
  auto dated = platform().items().addAppointment(b);
  ASSERT_TRUE(dated.ok()) << dated.status().message();
  EXPECT_TRUE(platform().items().appointment(*dated)->recurring);
  EXPECT_EQ(on(*dated, 2024, 3, 1), at(2024, 3, 1, 9));
  EXPECT_FALSE(on(*dated, 2024, 3, 8)) << "an exception removes an extra date too";
  EXPECT_EQ(on(*dated, 2024, 4, 2), at(2024, 4, 2, 9));
  EXPECT_FALSE(on(*dated, 2024, 3, 15));
}

TEST_F(ItemsRecurrence, SeveralSeriesOverSeveralDaysAtOnce) {
  auto weekly = series(at(2024, 5, 6, 9), "FREQ=WEEKLY");  // Mondays
  auto daily = series(at(2024, 5, 1, 9), "FREQ=DAILY", {at(2024, 5, 7)});
  auto once = platform().items().addAppointment(meeting("once", at(2024, 5, 6, 9), at(2024, 5, 6, 10)));
  ASSERT_TRUE(once.ok());
  auto found = platform().items().occurrencesOn({daily, *once, weekly, 999}, at(2024, 5, 6, 12), 3);
  ASSERT_TRUE(found.ok()) << found.status().message();
  // By series in the order asked, then by day; the exception, the single item and the
  // unknown id give nothing.
  std::vector<std::pair<uint32_t, DateTime>> got;
  for (const Occurrence& o : *found) got.push_back({o.oid, o.start});
  std::vector<std::pair<uint32_t, DateTime>> expected = {
      {daily, at(2024, 5, 6, 9)}, {daily, at(2024, 5, 8, 9)}, {weekly, at(2024, 5, 6, 9)}};
  EXPECT_EQ(got, expected);

  auto tooMany = platform().items().occurrencesOn({daily}, at(2024, 5, 6), kMaxOccurrenceDays + 1);
  EXPECT_EQ(tooMany.status().code(), Status::Code::kInvalid);
}

TEST_F(ItemsRecurrence, RulesWithNumbersPastTheirRangeAreRefused) {
  // libical would read these as other numbers (COUNT=1215752191, INTERVAL=4464).
  for (const char* rule : {"FREQ=DAILY;COUNT=99999999999", "FREQ=DAILY;INTERVAL=70000", "FREQ=DAILY;COUNT=0"}) {
    auto oid = platform().items().addAppointment(meeting("x", at(2024, 1, 1, 9), at(2024, 1, 1, 10), rule));
    EXPECT_EQ(oid.status().code(), Status::Code::kInvalid) << rule;
  }
}

// A weekday meeting at 09:30 in Sydney, seen from a phone in Paris and then in Sydney.
class ItemsInTheirOwnZone : public testing::DeviceTest {
 protected:
  sim::DeviceOptions options() override { return inZone("Europe/Paris"); }
  void SetUp() override {
    DeviceTest::SetUp();
    // 2024-01-01 09:30 in Sydney (summer time, +11) is 2023-12-31 23:30 in Paris (+1).
    auto a = meeting("Stand-up", at(2023, 12, 31, 23, 30), at(2024, 1, 1, 0, 0), "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR");
    a.timeZone = "Australia/Sydney";
    a.exceptionDates = {at(2024, 1, 26, 9, 30)};  // a wall time in Sydney
    auto oid = platform().items().addAppointment(a);
    ASSERT_TRUE(oid.ok()) << oid.status().message();
    oid_ = *oid;
  }
  std::optional<DateTime> on(Items& items, int y, int m, int d) {
    auto o = items.occurrenceOn(oid_, at(y, m, d));
    if (!o) return std::nullopt;
    EXPECT_EQ(toEpochMs(o->end) - toEpochMs(o->start), 30 * 60000);
    return o->start;
  }
  uint32_t oid_ = 0;
};

TEST_F(ItemsInTheirOwnZone, OccurrencesFallOnTheDaysTheyHaveThere) {
  Items& items = platform().items();
  EXPECT_EQ(items.appointment(oid_)->start, at(2023, 12, 31, 23, 30));
  EXPECT_EQ(items.appointment(oid_)->timeZone, "Australia/Sydney");
  // Monday in Sydney is Sunday night in Paris; Friday night in Paris has none.
  EXPECT_EQ(on(items, 2024, 1, 14), at(2024, 1, 14, 23, 30));
  EXPECT_EQ(on(items, 2024, 1, 18), at(2024, 1, 18, 23, 30));
  EXPECT_FALSE(on(items, 2024, 1, 19));
  EXPECT_FALSE(on(items, 2024, 1, 25)) << "26 January in Sydney is an exception";
  // Europe changes to summer time on 31 March, Sydney to winter time on 7 April: the
  // meeting stays at 09:30 there, so in Paris it moves twice.
  EXPECT_EQ(on(items, 2024, 4, 1), at(2024, 4, 1, 0, 30));
  EXPECT_FALSE(on(items, 2024, 3, 31));
  EXPECT_EQ(on(items, 2024, 4, 15), at(2024, 4, 15, 1, 30));
  // A restriction sees the item's start in device time too.
  auto walk = items.find(ItemFolder::kCalendar, "[Start] = \"12/31/2023\"");
  ASSERT_TRUE(walk.ok());
  EXPECT_TRUE((*walk)->next().has_value());
}

TEST_F(ItemsInTheirOwnZone, ChangingTheDevicesZoneMovesNoOccurrence) {
  ASSERT_TRUE(device().settings().set("timezone", "Australia/Sydney").ok());
  auto moved = sim::Device::open(dir() / "device");
  ASSERT_TRUE(moved.ok()) << moved.status().message();
  Items& items = (*moved)->platform().items();
  EXPECT_EQ(items.appointment(oid_)->start, at(2024, 1, 1, 9, 30));
  for (int day : {15, 16, 17, 18, 19}) EXPECT_EQ(on(items, 2024, 1, day), at(2024, 1, day, 9, 30)) << day;
  EXPECT_FALSE(on(items, 2024, 1, 20));
  EXPECT_FALSE(on(items, 2024, 1, 21));
  EXPECT_FALSE(on(items, 2024, 1, 26));
  EXPECT_EQ(on(items, 2024, 4, 8), at(2024, 4, 8, 9, 30)) << "after Sydney's change of clocks too";
}

}  // namespace
}  // namespace zelko::platform
