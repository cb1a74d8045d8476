// Proleptic Gregorian arithmetic on plain integers, so that results never depend on
// the host's time zone or on the range of time_t.
#include "platform/date_time.h"

#include <cstdio>
#include <limits>

namespace zelko::platform {
namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr int64_t kMsPerDay = 24 * kMsPerHour;
// Milliseconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kFileTimeEpochOffsetMs = 11644473600000;
constexpr int64_t kFileTicksPerMs = 10000;
// The last year a file time may name: the phone's SYSTEMTIME stops there.
constexpr int kMaxFileTimeYear = 30827;

int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a civil date; months outside 1-12 carry into the year and
// days outside the month run on into the neighbouring months, so the mapping stays
// linear for callers that step a date by adding to one field.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  const int64_t carry = floorDiv(m - 1, 12);
  y += carry;
  m -= carry * 12;
  y -= m <= 2;
  const int64_t era = floorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t mp = (m + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + (d - 1);
}

struct CivilDate {
  int64_t year;
  int month;
  int day;
};

CivilDate civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = floorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

int weekdayFromDays(int64_t days) {
  // 1970-01-01 was a Thursday.
  const int64_t w = (days + 4) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

bool isLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Overflow saturates: a DateTime far outside any calendar the phone knows still maps
// to the nearest representable instant rather than wrapping around.
int64_t saturatingAdd(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r)) {
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  }
  return r;
}

int64_t saturatingMul(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_mul_overflow(a, b, &r)) {
    return (a < 0) != (b < 0) ? std::numeric_limits<int64_t>::min()
                              : std::numeric_limits<int64_t>::max();
  }
  return r;
}

// Parses exactly `width` ASCII digits at text[pos]; advances pos.
std::optional<int> readDigits(std::string_view text, size_t& pos, size_t width) {
  if (pos + width > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = 0; i < width; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  pos += width;
  return value;
}

bool expect(std::string_view text, size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t toEpochMs(const DateTime& t) {
  const int64_t days = daysFromCivil(t.year, t.month, t.day);
  const int64_t timeOfDay = t.hour * kMsPerHour + t.minute * kMsPerMinute +
                            t.second * kMsPerSecond + int64_t{t.millisecond};
  return saturatingAdd(saturatingMul(days, kMsPerDay), timeOfDay);
}

DateTime fromEpochMs(int64_t ms) {
  const int64_t days = floorDiv(ms, kMsPerDay);
  // Taken as a remainder: days * kMsPerDay itself overflows near INT64_MIN.
  int64_t rest = ms % kMsPerDay;
  if (rest < 0) rest += kMsPerDay;
  const CivilDate date = civilFromDays(days);
  DateTime t;
  // int64 milliseconds reach about year 292 million, well inside int.
  t.year = static_cast<int>(date.year);
  t.month = date.month;
  t.day = date.day;
  t.dayOfWeek = weekdayFromDays(days);
  t.hour = static_cast<int>(rest / kMsPerHour);
  rest %= kMsPerHour;
  t.minute = static_cast<int>(rest / kMsPerMinute);
  rest %= kMsPerMinute;
  t.second = static_cast<int>(rest / kMsPerSecond);
  t.millisecond = static_cast<int>(rest % kMsPerSecond);
  return t;
}

FileTime toFileTime(const DateTime& t) {
  const int64_t ms = saturatingAdd(toEpochMs(t), kFileTimeEpochOffsetMs);
  // A file time cannot name anything before 1601; the phone's zero file time is the
  // nearest it has.
  if (ms <= 0) return 0;
  const FileTime maxMs = std::numeric_limits<FileTime>::max() / kFileTicksPerMs;
  if (static_cast<FileTime>(ms) > maxMs) return std::numeric_limits<FileTime>::max();
  return static_cast<FileTime>(ms) * kFileTicksPerMs;
}

std::optional<DateTime> fromFileTime(FileTime ft) {
  // Below 2^64 / 10^4 the millisecond count fits an int64 with room for the offset.
  const int64_t ms = static_cast<int64_t>(ft / kFileTicksPerMs) - kFileTimeEpochOffsetMs;
  DateTime t = fromEpochMs(ms);
  if (t.year > kMaxFileTimeYear) return std::nullopt;
  return t;
}

bool normalizeDateTime(DateTime& t) {
  if (t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > daysInMonth(t.year, t.month)) return false;
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59) return false;
  if (t.second < 0 || t.second > 59 || t.millisecond < 0 || t.millisecond > 999) return false;
  t.dayOfWeek = weekdayFromDays(daysFromCivil(t.year, t.month, t.day));
  return true;
}

std::optional<DateTime> parseIsoDateTime(std::string_view text) {
  size_t pos = 0;
  DateTime t;
  auto field = [&](size_t width, int& out) {
    std::optional<int> v = readDigits(text, pos, width);
    if (v) out = *v;
    return v.has_value();
  };
  if (!field(4, t.year) || !expect(text, pos, '-') || !field(2, t.month) ||
      !expect(text, pos, '-') || !field(2, t.day)) {
    return std::nullopt;
  }
  if (!expect(text, pos, ' ') && !expect(text, pos, 'T')) return std::nullopt;
  if (!field(2, t.hour) || !expect(text, pos, ':') || !field(2, t.minute)) {
    return std::nullopt;
  }
  if (pos < text.size() && (!expect(text, pos, ':') || !field(2, t.second))) {
    return std::nullopt;
  }
  if (pos != text.size() || !normalizeDateTime(t)) return std::nullopt;
  return t;
}

std::string formatIsoDateTime(const DateTime& t) {
  // Wide enough for every field at its int extreme, so odd values never truncate.
  char buf[96];
  const char* sign = t.year < 0 ? "-" : "";
  const long long year = t.year < 0 ? -static_cast<long long>(t.year) : t.year;
  std::snprintf(buf, sizeof buf, "%s%04lld-%02d-%02dT%02d:%02d:%02d", sign, year, t.month, t.day,
                t.hour, t.minute, t.second);
  return buf;
}

}  // namespace zelko::platform
