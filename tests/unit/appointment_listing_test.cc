// What the appointment listing makes of each kind of calendar item at a given moment, the
// search it asks the store for, and the recurrence fields of its records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZelkoCalendar/appointment_listing.h"
#include "ZelkoCalendar/appointment_records.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::calendar {
namespace {

using platform::Appointment;
using platform::DateTime;
using zelko::testing::at;
using testing::meeting;

class AppointmentEntriesTest : public testing::DeviceTest {
 protected:
  // The entries of `a` at Tuesday 24 March 2026, 09:05, as "day hh:mm-day hh:mm".
  std::vector<std::string> entries(Appointment a) {
    auto oid = platform().items().addAppointment(a);
    EXPECT_TRUE(oid.ok());
    a = *platform().items().appointment(*oid);
    std::vector<std::string> out;
    for (const Entry& e : entriesOf(a, platform().items(), at(2026, 3, 24, 9, 5))) {
      EXPECT_EQ(e.oid, *oid);
      out.push_back(text(e.start) + "-" + text(e.end));
    }
    return out;
  }
  static std::string text(const DateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d %02d:%02d", t.day, t.hour, t.minute);
    return buf;
  }
  static Appointment allDay(DateTime first, int days) {
    Appointment a = meeting("Away", first, platform::fromEpochMs(platform::toEpochMs(first) + days * 86400000LL));
    a.allDay = true;
    return a;
  }
};

TEST_F(AppointmentEntriesTest, AllDayItemsGiveOneEntryADayFromToday) {
  EXPECT_EQ(entries(allDay(at(2026, 3, 24), 1)), (std::vector<std::string>{"24 00:00-25 00:00"}));
  EXPECT_TRUE(entries(allDay(at(2026, 3, 23), 1)).empty());
  EXPECT_EQ(entries(allDay(at(2026, 3, 30), 3)),
            (std::vector<std::string>{"30 00:00-30 00:00", "31 00:00-31 00:00", "1 00:00-1 00:00"}));
  // Begun on Saturday, it shows from today on.
  EXPECT_EQ(entries(allDay(at(2026, 3, 21), 5)),
            (std::vector<std::string>{"24 00:00-24 00:00", "25 00:00-25 00:00"}));
  std::vector<std::string> long_ = entries(allDay(at(2026, 1, 1), 365));
  ASSERT_EQ(long_.size(), static_cast<size_t>(kMaxPieces));
  EXPECT_EQ(long_.front(), "24 00:00-24 00:00");
}

// Timed items and daily series are in the end-to-end tests.
TEST_F(AppointmentEntriesTest, SeriesGiveTodaysAndTomorrowsOccurrencesThatHaveNotEnded) {
  EXPECT_EQ(entries(meeting("Tuesdays", at(2026, 3, 3, 18), at(2026, 3, 3, 19), "FREQ=WEEKLY")),
            (std::vector<std::string>{"24 18:00-24 19:00"}));
  EXPECT_TRUE(entries(meeting("Thursdays", at(2026, 3, 5, 18), at(2026, 3, 5, 19), "FREQ=WEEKLY")).empty());
  Appointment holiday = allDay(at(2026, 1, 1), 1);
  holiday.recurrenceRule = "FREQ=DAILY;COUNT=100";
  EXPECT_EQ(entries(holiday), (std::vector<std::string>{"24 00:00-25 00:00", "25 00:00-26 00:00"}));
}

// The listing's search is read by the store in RestrictionMatch.CalendarWindowOfTheAppointmentListing.
TEST(AppointmentListingTest, RecurrenceFields) {
  EXPECT_EQ(recurrenceType("FREQ=DAILY;INTERVAL=2"), 0u);
  EXPECT_EQ(recurrenceType("FREQ=WEEKLY;BYDAY=MO,WE"), 1u);
  EXPECT_EQ(recurrenceType("FREQ=MONTHLY;BYMONTHDAY=15"), 2u);
  EXPECT_EQ(recurrenceType("FREQ=MONTHLY;BYDAY=-1FR"), 3u);
  EXPECT_EQ(recurrenceType("FREQ=YEARLY"), 5u);
  EXPECT_EQ(recurrenceType("BYDAY=MO;FREQ=YEARLY;BYSETPOS=2"), 6u);
  EXPECT_TRUE(hasNoEndDate("FREQ=DAILY"));
  EXPECT_FALSE(hasNoEndDate("FREQ=DAILY;COUNT=3"));
  EXPECT_FALSE(hasNoEndDate("FREQ=WEEKLY;UNTIL=20261231T000000"));
}

}  // namespace
}  // namespace zelko::calendar
