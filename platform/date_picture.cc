#include "platform/date_picture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zelko::platform {
namespace {

// One run of a picture letter such as "dddd", with its length.
struct Field {
  char letter;
  size_t count;
};

// Walks a picture: letters found in `letters` reach onField as runs; everything else is
// literal text and goes to `literal` (when not null). Quoting follows GetDateFormat:
// '...' is literal, '' is one quote everywhere, and an open quote runs to the end.
template <typename OnField>
void walkPicture(std::string_view picture, std::string_view letters, std::string* literal,
                 OnField&& onField) {
  auto emit = [&](char c) {
    if (literal) literal->push_back(c);
  };
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {
      if (i + 1 < picture.size() && picture[i + 1] == '\'') {
        emit('\'');
        i += 2;
        continue;
      }
      ++i;
      while (i < picture.size()) {
        if (picture[i] != '\'') {
          emit(picture[i++]);
        } else if (i + 1 < picture.size() && picture[i + 1] == '\'') {
          emit('\'');
          i += 2;
        } else {
          ++i;
          break;
        }
      }
      continue;
    }
    if (letters.find(c) == std::string_view::npos) {
      emit(c);
      ++i;
      continue;
    }
    size_t end = i;
    while (end < picture.size() && picture[end] == c) ++end;
    onField(Field{c, end - i});
    i = end;
  }
}

void appendNumber(std::string& out, long long value, int minDigits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", minDigits, value);
  out += buf;
}

// The picture's d or dd, wherever it stands, makes a full month name genitive
// ("1 января" but "январь 2026").
bool hasDayNumber(std::string_view picture) {
  bool found = false;
  walkPicture(picture, "dMyg", nullptr, [&](Field f) {
    if (f.letter == 'd' && f.count <= 2) found = true;
  });
  return found;
}

void appendYear(std::string& out, int year, size_t count) {
  // Years before year 0 are outside anything the phone shows; printing the magnitude of
  // the two-digit forms keeps them from growing a sign in the middle of a date.
  const long long y = year;
  if (count == 1) {
    appendNumber(out, std::llabs(y) % 100, 1);
  } else if (count == 2) {
    appendNumber(out, std::llabs(y) % 100, 2);
  } else {
    if (y < 0) out.push_back('-');
    appendNumber(out, std::llabs(y), 4);
  }
}

// Byte length of the UTF-8 sequence that starts `text`, never past its end, so that
// a marker like "午前" gives its first character rather than a broken byte.
size_t firstCodePointLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t len = 1;
  if (lead >= 0xF0) {
    len = 4;
  } else if (lead >= 0xE0) {
    len = 3;
  } else if (lead >= 0xC0) {
    len = 2;
  }
  len = std::min(len, text.size());
  for (size_t i = 1; i < len; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return i;
  }
  return len;
}

}  // namespace

std::string formatDatePicture(std::string_view picture, const DateTime& t, const LocaleNames& n) {
  DateTime date = t;
  date.hour = date.minute = date.second = date.millisecond = 0;
  if (!normalizeDateTime(date)) return {};
  const bool genitive = hasDayNumber(picture);
  const size_t weekday = static_cast<size_t>(date.dayOfWeek);
  const size_t month = static_cast<size_t>(date.month - 1);

  std::string out;
  walkPicture(picture, "dMyg", &out, [&](Field f) {
    switch (f.letter) {
      case 'd':
        if (f.count <= 2) {
          appendNumber(out, date.day, static_cast<int>(f.count));
        } else {
          out += f.count == 3 ? n.shortDays[weekday] : n.days[weekday];
        }
        break;
      case 'M':
        if (f.count <= 2) {
          appendNumber(out, date.month, static_cast<int>(f.count));
        } else if (f.count == 3) {
          out += n.shortMonths[month];
        } else {
          out += genitive ? n.genitiveMonths[month] : n.months[month];
        }
        break;
      case 'y':
        appendYear(out, date.year, f.count);
        break;
      default:  // 'g'
        out += n.era;
        break;
    }
  });
  return out;
}

std::string formatTimePicture(std::string_view picture, const DateTime& t, const LocaleNames& n) {
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
    return {};
  }
  const std::string& marker = t.hour < 12 ? n.am : n.pm;
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;

  std::string out;
  walkPicture(picture, "hHmst", &out, [&](Field f) {
    const int digits = f.count >= 2 ? 2 : 1;
    switch (f.letter) {
      case 'h':
        appendNumber(out, hour12, digits);
        break;
      case 'H':
        appendNumber(out, t.hour, digits);
        break;
      case 'm':
        appendNumber(out, t.minute, digits);
        break;
      case 's':
        appendNumber(out, t.second, digits);
        break;
      default:  // 't'
        out += f.count >= 2 ? std::string_view(marker)
                            : std::string_view(marker).substr(0, firstCodePointLength(marker));
        break;
    }
  });
  return out;
}

}  // namespace zelko::platform
