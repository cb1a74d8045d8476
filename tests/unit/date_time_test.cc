#include "platform/date_time.h"

#include <gtest/gtest.h>

#include "tests/unit/item_builders.h"

#include <climits>
#include <cstdint>

namespace zelko::platform {
namespace {

using zelko::testing::at;

TEST(DateTimeEpoch, KnownInstants) {
  EXPECT_EQ(toEpochMs(at(1970, 1, 1)), 0);
  EXPECT_EQ(toEpochMs(at(2000, 2, 29, 12, 34, 56, 789)), 951827696789);
  EXPECT_EQ(toEpochMs(at(1969, 12, 31, 23, 59, 59, 999)), -1);

  EXPECT_EQ(fromEpochMs(-1), (DateTime{1969, 12, 3, 31, 23, 59, 59, 999}));
  EXPECT_EQ(fromEpochMs(0).dayOfWeek, 4);  // a Thursday
}

// Walks every day from 1599 to 2401, across the 1600/1700/2000/2100/2400 century rules:
// each day must follow the previous one and map back to the same instant.
TEST(DateTimeEpoch, ConsecutiveDaysRoundTripAcrossCenturies) {
  const int64_t first = toEpochMs(at(1599, 2, 27, 6, 7, 8, 9));
  DateTime prev = fromEpochMs(first);
  int leapDays = 0;
  for (int64_t ms = first + kDayMs; ms < toEpochMs(at(2401, 3, 2)); ms += kDayMs) {
    const DateTime t = fromEpochMs(ms);
    ASSERT_EQ(toEpochMs(t), ms);
    ASSERT_EQ(t.dayOfWeek, (prev.dayOfWeek + 1) % 7);
    if (t.day == 1) {
      ASSERT_EQ(prev.day, daysInMonth(prev.year, prev.month)) << formatIsoDateTime(t);
      ASSERT_EQ(t.month, prev.month % 12 + 1);
    } else {
      ASSERT_EQ(t.day, prev.day + 1) << formatIsoDateTime(t);
    }
    ASSERT_EQ(t.hour * 1000 + t.millisecond, 6009);
    if (t.month == 2 && t.day == 29) ++leapDays;
    prev = t;
  }
  // 201 years divisible by four in 1600-2400, less the six centuries not divisible by 400.
  EXPECT_EQ(leapDays, 201 - 6);
}

TEST(DateTimeEpoch, OddFieldsDoNotOverflow) {
  EXPECT_EQ(toEpochMs(at(2025, 13, 1)), toEpochMs(at(2026, 1, 1)));
  EXPECT_EQ(toEpochMs(at(2026, 0, 1)), toEpochMs(at(2025, 12, 1)));
  EXPECT_EQ(toEpochMs(at(2026, 3, 0)), toEpochMs(at(2026, 2, 28)));
  EXPECT_EQ(toEpochMs(at(INT_MAX, 1, 1)), INT64_MAX);
  EXPECT_EQ(toEpochMs(at(INT_MIN, 1, 1)), INT64_MIN);
  const DateTime far = fromEpochMs(INT64_MIN);
  EXPECT_LT(far.year, -290000000);
  EXPECT_GE(far.dayOfWeek, 0);
  EXPECT_GT(fromEpochMs(INT64_MAX).year, 290000000);
}

// File times count 100 ns ticks from 1601 up to the year 30827; earlier ones clamp to 0.
TEST(DateTimeFileTime, EpochsRoundTripsAndRange) {
  EXPECT_EQ(toFileTime(at(1970, 1, 1)), 116444736000000000u);
  EXPECT_EQ(*fromFileTime(0), (DateTime{1601, 1, 1, 1, 0, 0, 0, 0}));  // a Monday
  for (const DateTime& t : {at(1601, 1, 1, 0, 0, 0, 1), at(1604, 2, 29, 23, 59, 59, 999),
                            at(2100, 3, 1), at(30827, 12, 31, 23, 59)}) {
    std::optional<DateTime> back = fromFileTime(toFileTime(t));
    ASSERT_TRUE(back.has_value()) << formatIsoDateTime(t);
    EXPECT_EQ(toEpochMs(*back), toEpochMs(t));
  }
  // Ticks below a millisecond are dropped, not rounded up into the next one.
  EXPECT_EQ(fromFileTime(toFileTime(at(2026, 1, 1)) + 9999)->millisecond, 0);
  const FileTime last = toFileTime(at(30827, 12, 31, 23, 59, 59, 999));
  EXPECT_TRUE(fromFileTime(last).has_value());
  EXPECT_FALSE(fromFileTime(last + 10000).has_value());
  EXPECT_FALSE(fromFileTime(UINT64_MAX).has_value());
  EXPECT_EQ(toFileTime(at(1600, 12, 31)), 0u);
  EXPECT_EQ(toFileTime(at(INT_MAX, 1, 1)), UINT64_MAX);
}

// Leap years and month lengths are walked day by day above; what is left are the odd months.
TEST(DateTimeNormalize, FillsDayOfWeekAndRejectsImpossible) {
  EXPECT_EQ(daysInMonth(2026, 0), 0);
  EXPECT_EQ(daysInMonth(2026, 13), 0);
  DateTime t = at(2026, 3, 29, 2, 30);
  t.dayOfWeek = 5;
  ASSERT_TRUE(normalizeDateTime(t));
  EXPECT_EQ(t.dayOfWeek, 0);  // a Sunday

  for (DateTime bad :
       {at(2023, 2, 29), at(2100, 2, 29), at(2026, 4, 31), at(2026, 13, 1), at(2026, 0, 1),
        at(2026, 1, 0), at(2026, 1, 1, 24), at(2026, 1, 1, -1), at(2026, 1, 1, 0, 60),
        at(2026, 1, 1, 0, 0, 60), at(2026, 1, 1, 0, 0, 0, 1000)}) {
    EXPECT_FALSE(normalizeDateTime(bad)) << formatIsoDateTime(bad);
  }
}

TEST(DateTimeIso, ParsesFormatsAndRefusesMalformed) {
  std::optional<DateTime> t = parseIsoDateTime("2026-03-29 02:30");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(*t, (DateTime{2026, 3, 0, 29, 2, 30, 0, 0}));
  t = parseIsoDateTime("2024-02-29T23:59:58");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(formatIsoDateTime(*t), "2024-02-29T23:59:58");
  EXPECT_EQ(t->dayOfWeek, 4);
  for (const char* text :
       {"", "2026-03-29", "2026-3-29 02:30", "2026-03-29 2:30", "2026-03-29_02:30",
        "2026-03-29 02:30:", "2026-03-29 02:30:5", "2026-03-29 02:30:00Z", "2026-02-30 10:00",
        "2026-03-29 24:00", "+026-03-29 02:30", "2026-03-29 02:30:60"}) {
    EXPECT_FALSE(parseIsoDateTime(text).has_value()) << text;
  }
  // Odd years are written whole, not truncated.
  EXPECT_EQ(formatIsoDateTime(at(30827, 12, 31, 23, 59, 59)), "30827-12-31T23:59:59");
  EXPECT_EQ(formatIsoDateTime(at(33, 1, 2, 3, 4, 5)), "0033-01-02T03:04:05");
  EXPECT_EQ(formatIsoDateTime(at(-44, 3, 15)), "-0044-03-15T00:00:00");
}

}  // namespace
}  // namespace zelko::platform
