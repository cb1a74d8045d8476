// The appointments page: Page3's five slots (an image and a label each) and the header
// with the number of appointments, the first two as single lines on Page1, all drawn
// from the records of the store "Calendar" whatever -reg says; and the phone's calendar
// opened on the day of a record.
#pragma once

#include <cstdint>
#include <string>

namespace zelko {
class Suite;
}

namespace zelko::calendar {

// What a slot reads of its record; a missing value is 0 or empty.
struct SlotRecord {
  uint32_t allDay = 0, duration = 0;
  std::string date, endDate, dateView, endDateView, start, subject, categories;
};

// Texts after the numbers of a duration, keys CALDAY, CALHOUR, CALMINUTE.
struct DurationUnits {
  std::string day = "d";
  std::string hour = "h";
  std::string minute;
};

// "1d2h30" for 1 day, 2 hours and 30 minutes with the default units; parts of 0 are left
// out, and so is everything for less than a minute.
std::string durationText(uint32_t minutes, const DurationUnits& units);

// The slot's two lines: where the appointment is not today its date, then unless all-day
// its start time, the end (on a later day with " > " and the end date) and the duration;
// then the subject. Blank lines and blanks at either end are trimmed; empty without a
// subject. `todayKey` is today as yyyyMMdd.
std::string slotLabel(const SlotRecord& record, const std::string& todayKey,
                      const DurationUnits& units);

// Writes the page from records Cal1 to Cal5. Does nothing outside home-screen mode.
void composeDisplay(Suite& suite);

// Opens the phone's calendar (poutlook.exe) on the day of record `n`; nothing when the
// record has no day.
void openDayView(Suite& suite, int n);

}  // namespace zelko::calendar
