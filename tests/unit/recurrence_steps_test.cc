// Daily and weekly series are counted out without libical's iterator: their occurrences
// must be exactly those libical gives when walked from the first one.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/sim/items_recurrence.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::platform::sim {
namespace {

using zelko::testing::at;


// Every start of `rule` from `first` to the end of 2025 by day (yyyy*10000+mm*100+dd),
// walked with libical from the first occurrence; the earliest of a day is kept.
std::map<int, DateTime> walkedStarts(const std::string& rule, const DateTime& first) {
  icalrecurrencetype r = icalrecurrencetype_from_string(rule.c_str());
  char start[32];
  std::snprintf(start, sizeof start, "%04d%02d%02dT%02d%02d%02d", first.year, first.month, first.day,
                first.hour, first.minute, first.second);
  icalrecur_iterator* it = icalrecur_iterator_new(r, icaltime_from_string(start));
  std::map<int, DateTime> out;
  for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && t.year < 2026;
       t = icalrecur_iterator_next(it)) {
    DateTime start{t.year, t.month, 0, t.day, t.hour, t.minute, t.second};
    out.emplace(t.year * 10000 + t.month * 100 + t.day, start);
  }
  icalrecur_iterator_free(it);
  return out;
}

class RecurrenceSteps : public testing::DeviceTest {};

TEST_F(RecurrenceSteps, DailyAndWeeklySeriesMatchLibicalWalkedFromTheirStart) {
  const char* rules[] = {
      "FREQ=DAILY",
      "FREQ=DAILY;INTERVAL=3",
      "FREQ=DAILY;COUNT=10",
      "FREQ=WEEKLY",
      "FREQ=WEEKLY;INTERVAL=2;COUNT=5",
      "FREQ=DAILY;UNTIL=20240320",
      "FREQ=DAILY;UNTIL=20240320T090000",
      "FREQ=WEEKLY;UNTIL=20240320T085959",
      "FREQ=WEEKLY;INTERVAL=3;UNTIL=20240501T000000Z",
      "FREQ=WEEKLY;BYDAY=MO,FR",  // walked by libical: the control
  };
  const DateTime starts[] = {at(2024, 1, 31, 9), at(2024, 2, 29, 23, 30), at(2023, 12, 31),
                             DateTime{2024, 3, 0, 10, 7, 15, 30}};
  auto clock = SeriesClock::open("", platform().clock());
  ASSERT_TRUE(clock.ok());
  for (const char* rule : rules) {
    for (DateTime first : starts) {
      ASSERT_TRUE(normalizeDateTime(first));
      Appointment series;
      series.oid = 7;
      series.start = first;
      series.end = fromEpochMs(toEpochMs(first) + 3600000);
      series.recurrenceRule = rule;
      std::map<int, DateTime> walked = walkedStarts(rule, first);
      for (int offset = -3; offset < 130; offset += 4) {
        for (int days : {1, 2, 40}) {
          DateTime from = fromEpochMs(toEpochMs(first) + offset * kDayMs);
          std::vector<DateTime> expected;
          for (int d = 0; d < days; ++d) {
            DateTime day = fromEpochMs(toEpochMs(from) + d * kDayMs);
            auto found = walked.find(day.year * 10000 + day.month * 100 + day.day);
            if (found != walked.end()) expected.push_back(found->second);
          }
          std::vector<DateTime> got;
          for (const Occurrence& o : occurrencesOnDays(series, from, days, *clock)) {
            got.push_back(o.start);
            EXPECT_EQ(toEpochMs(o.end) - toEpochMs(o.start), 3600000);
          }
          ASSERT_EQ(got.size(), expected.size())
              << rule << " from " << toEpochMs(first) << " offset " << offset << " days " << days;
          for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(toEpochMs(got[i]), toEpochMs(expected[i])) << rule << " offset " << offset;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace zelko::platform::sim
