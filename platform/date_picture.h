// Windows date and time pictures ("dddd dd MMMM", "h:mm tt"), formatted the way the
// phone's GetDateFormat and GetTimeFormat do, from names a locale hands over. No ICU
// here: any Locale implementation (the emulated one, a test fake) can share this.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace zelko::platform {

// A locale's names, UTF-8.
struct LocaleNames {
  std::array<std::string, 7> days, shortDays;  // index 0 = Sunday
  // Standalone (nominative) forms, index 0 = January.
  std::array<std::string, 12> months, shortMonths;
  // Format-context forms ("января"); the same as `months` where the language has none.
  std::array<std::string, 12> genitiveMonths;
  std::string am, pm;
  // The abbreviated name of the Common Era ("AD", "ap. J.-C."), written for g and gg.
  // Empty writes nothing.
  std::string era;
};

// Formats the date part of `t` with a date picture:
//   d dd ddd dddd   day number, two-digit day number, short and full day name
//   M MM MMM MMMM   month number, two-digit month, short and full month name; MMMM takes
//                   the genitive form when the picture also holds a d or dd
//   y yy yyyy       year modulo 100, the same on two digits, the full year (yyy too)
//   g gg            the era name
// A run longer than the longest form counts as the longest form. Text in single quotes
// is copied as is; '' gives one quote, inside quotes or not; a quote left open runs to
// the end. Every other character, time letters included, is copied.
// The day of the week is computed from the date: t.dayOfWeek is not read. An impossible
// date (31 April, month 0) gives an empty string, as the phone's call fails.
std::string formatDatePicture(std::string_view picture, const DateTime& t, const LocaleNames& n);

// Formats the time part of `t` with a time picture:
//   h hh   hour 1-12 (12 for 0), two-digit    H HH   hour 0-23, two-digit
//   m mm   minute                             s ss   second
//   t      first character of the AM/PM marker    tt   the whole marker
// Quotes work as in date pictures; date letters are copied. An impossible time (hour 24,
// minute 60) gives an empty string.
std::string formatTimePicture(std::string_view picture, const DateTime& t, const LocaleNames& n);

}  // namespace zelko::platform
