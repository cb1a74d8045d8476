#include <gtest/gtest.h>

#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::platform {
namespace {

using testing::at;
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

TEST_F(ItemsRecurrence, DailyAndWeeklyOnWeekdays) {
  auto daily = series(at(2024, 1, 30, 9), "FREQ=DAILY");
  EXPECT_EQ(on(daily, 2024, 3, 1), at(2024, 3, 1, 9));
  EXPECT_EQ(on(daily, 2031, 12, 31), at(2031, 12, 31, 9));
  EXPECT_FALSE(on(daily, 2024, 1, 29));  // before the series starts

  auto weekdays = series(at(2024, 1, 1, 9), "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR");
  EXPECT_EQ(on(weekdays, 2024, 6, 14), at(2024, 6, 14, 9));  // a Friday
  EXPECT_FALSE(on(weekdays, 2024, 6, 15));                   // Saturday
  EXPECT_FALSE(on(weekdays, 2024, 6, 16));                   // Sunday
  EXPECT_EQ(on(weekdays, 2024, 6, 17), at(2024, 6, 17, 9));
}

TEST_F(ItemsRecurrence, MonthlyAndYearlyOnTheTwentyNinthOfFebruary) {
  auto monthly = series(at(2024, 1, 15, 9), "FREQ=MONTHLY");
  EXPECT_EQ(on(monthly, 2024, 11, 15), at(2024, 11, 15, 9));
  EXPECT_FALSE(on(monthly, 2024, 11, 16));

  // Only leap years have the day: the series skips the others rather than move the date.
  auto leap = series(at(2024, 2, 29, 9), "FREQ=YEARLY");
  EXPECT_FALSE(on(leap, 2025, 2, 28));
  EXPECT_FALSE(on(leap, 2025, 3, 1));
  EXPECT_EQ(on(leap, 2028, 2, 29), at(2028, 2, 29, 9));
}

TEST_F(ItemsRecurrence, ExceptionDatesAreSkipped) {
  auto oid = series(at(2024, 5, 6, 9), "FREQ=WEEKLY;BYDAY=MO", {at(2024, 5, 13, 9)});
  EXPECT_EQ(on(oid, 2024, 5, 6), at(2024, 5, 6, 9));
  EXPECT_FALSE(on(oid, 2024, 5, 13));
  EXPECT_EQ(on(oid, 2024, 5, 20), at(2024, 5, 20, 9));
  // A date without time, as an all-day EXDATE gives it, removes that day's occurrence.
  auto byDay = series(at(2024, 5, 6, 9), "FREQ=DAILY", {at(2024, 5, 8)});
  EXPECT_FALSE(on(byDay, 2024, 5, 8));
  EXPECT_TRUE(on(byDay, 2024, 5, 9));
}

TEST_F(ItemsRecurrence, SeriesEndByCountAndByUntil) {
  auto counted = series(at(2024, 1, 1, 9), "FREQ=DAILY;COUNT=3");
  EXPECT_EQ(on(counted, 2024, 1, 3), at(2024, 1, 3, 9));
  EXPECT_FALSE(on(counted, 2024, 1, 4));
  EXPECT_FALSE(on(counted, 2025, 1, 1));

  auto until = series(at(2024, 1, 1, 9), "FREQ=WEEKLY;UNTIL=20240115T090000");
  EXPECT_EQ(on(until, 2024, 1, 15), at(2024, 1, 15, 9));
  EXPECT_FALSE(on(until, 2024, 1, 22));
}

TEST_F(ItemsRecurrence, ItemsWithoutSeriesHaveNoOccurrences) {
  auto single = platform().items().addAppointment(meeting("once", at(2024, 1, 1, 9), at(2024, 1, 1, 10)));
  ASSERT_TRUE(single.ok());
  EXPECT_FALSE(platform().items().occurrenceOn(*single, at(2024, 1, 1)));
  EXPECT_FALSE(platform().items().occurrenceOn(*single + 99, at(2024, 1, 1)));
}

}  // namespace
}  // namespace zelko::platform
