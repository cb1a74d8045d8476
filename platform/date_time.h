// Calendar times and file times, the way the phone's core library hands them out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelko::platform {

// Broken-down time. dayOfWeek: 0 = Sunday ... 6 = Saturday; month 1-12; day 1-31.
struct DateTime {
  int year = 1601;
  int month = 1;
  int dayOfWeek = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const DateTime&) const = default;
};

// Milliseconds in a day, for the epoch values below.
inline constexpr int64_t kDayMs = 86400000;

// 100-nanosecond intervals since 1 January 1601 (UTC or local, as the caller keeps it).
using FileTime = uint64_t;

// Milliseconds since 1970-01-01 00:00 (of the same zone as the DateTime).
int64_t toEpochMs(const DateTime& t);
// The calendar time of an epoch value, with dayOfWeek filled in.
DateTime fromEpochMs(int64_t ms);

FileTime toFileTime(const DateTime& t);
// nullopt when the file time is beyond year 30827 (the phone refuses those too).
std::optional<DateTime> fromFileTime(FileTime ft);

// Fills dayOfWeek from year, month and day. Returns false for an impossible date
// (month 13, 30 February, hour 24...).
bool normalizeDateTime(DateTime& t);

// Reads "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (also with 'T'); nullopt when malformed
// or impossible.
std::optional<DateTime> parseIsoDateTime(std::string_view text);
// "YYYY-MM-DDTHH:MM:SS"
std::string formatIsoDateTime(const DateTime& t);

// Day-of-month count of a month, leap years included.
int daysInMonth(int year, int month);

}  // namespace zelko::platform
