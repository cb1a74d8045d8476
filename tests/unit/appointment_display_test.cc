// The label of an appointment slot: its date, times and duration, and the subject.
#include <gtest/gtest.h>

#include "ZelkoCalendar/appointment_display.h"

namespace zelko::calendar {
namespace {

constexpr char kToday[] = "20260324";

SlotRecord timed(const std::string& day, const std::string& start, const std::string& endDay,
                 uint32_t minutes) {
  SlotRecord r;
  r.dateView = day;
  r.date = day.substr(6, 2) + "/" + day.substr(4, 2) + "/" + day.substr(0, 4);
  r.endDateView = endDay;
  r.endDate = endDay.substr(6, 2) + "/" + endDay.substr(4, 2) + "/" + endDay.substr(0, 4);
  r.start = start;
  r.duration = minutes;
  r.subject = "Meeting";
  return r;
}

TEST(AppointmentDisplayTest, DurationParts) {
  DurationUnits units;
  EXPECT_EQ(durationText(90, units), "1h30");
  EXPECT_EQ(durationText(60, units), "1h");
  EXPECT_EQ(durationText(45, units), "45");
  EXPECT_EQ(durationText(0, units), "");
  EXPECT_EQ(durationText(1590, units), "1d2h30");
  EXPECT_EQ(durationText(2880, DurationUnits{" days", "h", "min"}), "2 days");
  EXPECT_EQ(durationText(75, DurationUnits{" days", "h", "min"}), "1h15min");
}

// Today's, tomorrow's and overnight labels are in the end-to-end tests.
TEST(AppointmentDisplayTest, LabelsOfItemsBegunEarlierAndAllDayItems) {
  DurationUnits units;
  // Running since yesterday: its first day shows, the end is today.
  EXPECT_EQ(slotLabel(timed("20260323", "23:00", kToday, 0), kToday, units),
            "23/03/2026 23:00 >  \nMeeting");

  SlotRecord holiday = timed(kToday, "00:00", "20260325", 1440);
  holiday.allDay = 1;
  EXPECT_EQ(slotLabel(holiday, kToday, units), "Meeting");
  holiday.dateView = holiday.endDateView = "20260326";
  holiday.date = "26/03/2026";
  EXPECT_EQ(slotLabel(holiday, kToday, units), "26/03/2026 \nMeeting");
  holiday.subject.clear();
  EXPECT_EQ(slotLabel(holiday, kToday, units), "");
}

}  // namespace
}  // namespace zelko::calendar
