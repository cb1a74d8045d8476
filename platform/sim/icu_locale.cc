#include "platform/sim/icu_locale.h"

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/ures.h>

#include <algorithm>
#include <memory>

namespace zelko::platform::sim {
namespace {

constexpr char kFallbackShortDate[] = "M/d/yyyy";
constexpr char kFallbackShortTime[] = "h:mm tt";

std::string toUtf8(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

// ICU quietly answers an unknown locale with the host's default one; the device must
// not change with the host's LANG, so such a name becomes en-US, the phone's default.
icu::Locale resolveLocale(std::string_view localeName) {
  std::string id(localeName);
  std::replace(id.begin(), id.end(), '-', '_');
  icu::Locale loc(id.c_str());
  bool known = !id.empty() && !loc.isBogus();
  if (known) {
    UErrorCode status = U_ZERO_ERROR;
    UResourceBundle* bundle = ures_open(nullptr, loc.getName(), &status);
    known = U_SUCCESS(status) && status != U_USING_DEFAULT_WARNING;
    if (bundle) ures_close(bundle);
  }
  if (!known) loc = icu::Locale("en", "US");
  // DateTime is Gregorian whatever calendar the locale prefers (th-TH, fa-IR).
  UErrorCode status = U_ZERO_ERROR;
  loc.setKeywordValue("calendar", "gregorian", status);
  return loc;
}

template <size_t N>
void copyNames(const icu::UnicodeString* src, int32_t count, int32_t first,
               std::array<std::string, N>& dst) {
  for (size_t i = 0; i < N; ++i) {
    const int32_t at = first + static_cast<int32_t>(i);
    if (src && at < count) dst[i] = toUtf8(src[at]);
  }
}

std::string icuShortPattern(std::string_view localeName, bool date) {
  const icu::Locale loc = resolveLocale(localeName);
  std::unique_ptr<icu::DateFormat> format(
      date ? icu::DateFormat::createDateInstance(icu::DateFormat::kShort, loc)
           : icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, loc));
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
  if (!simple) return {};
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  return toUtf8(pattern);
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Literal text from an ICU pattern, made fit for a Windows picture: the phone wrote
// plain blanks where CLDR now has no-break spaces, and had no bidi marks.
std::string cleanLiteral(std::string_view text) {
  static constexpr std::pair<std::string_view, std::string_view> kReplacements[] = {
      {"\u202F", " "}, {"\u00A0", " "}, {"\u200E", ""}, {"\u200F", ""}, {"\u061C", ""}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [from, to] : kReplacements) {
      if (text.substr(i, from.size()) == from) {
        out += to;
        i += from.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out.push_back(text[i++]);
  }
  return out;
}

// Writes literal text so that GetDateFormat copies it unchanged. Only the stretch from
// the first to the last letter needs quotes ("d 'de' MMMM"); a quote is doubled either
// way, since '' means one quote inside quoted text and outside it alike.
void appendLiteral(std::string& out, std::string_view raw) {
  const std::string text = cleanLiteral(raw);
  auto first = std::find_if(text.begin(), text.end(), isAsciiLetter);
  auto last = std::find_if(text.rbegin(), text.rend(), isAsciiLetter).base();
  for (auto it = text.begin(); it != text.end(); ++it) {
    if (it == first) out.push_back('\'');
    if (*it == '\'') out.push_back('\'');
    out.push_back(*it);
    if (it + 1 == last && first != text.end()) out.push_back('\'');
  }
}

// The Windows letters for one ICU field; empty for fields Windows cannot show
// (time zones, fractions of a second, quarters, numeric weekdays).
std::string mapField(char letter, size_t count) {
  auto byCount = [count](const char* one, const char* two) {
    return std::string(count == 1 ? one : two);
  };
  switch (letter) {
    case 'G':
      return "g";
    case 'y':
    case 'Y':
    case 'u':
    case 'r':
      return "yyyy";
    case 'M':
    case 'L':
      if (count <= 2) return byCount("M", "MM");
      return count == 4 ? "MMMM" : "MMM";
    case 'd':
      return byCount("d", "dd");
    case 'c':
    case 'e':
      if (count <= 2) return {};
      return count == 4 ? "dddd" : "ddd";
    case 'E':
      return count == 4 ? "dddd" : "ddd";
    case 'h':
    case 'K':
      return byCount("h", "hh");
    case 'H':
    case 'k':
      return byCount("H", "HH");
    case 'm':
      return byCount("m", "mm");
    case 's':
      return byCount("s", "ss");
    case 'a':
    case 'b':
    case 'B':
      return "tt";
    default:
      return {};
  }
}

void appendField(std::string& out, const std::string& field) {
  if (field.empty()) return;
  // "Ed" would read back as one run "dddd"; a blank keeps the two fields apart.
  if (!out.empty() && out.back() == field.front()) out.push_back(' ');
  out += field;
}

std::string trimBlanks(std::string s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

}  // namespace

std::string icuPatternToPicture(std::string_view pattern) {
  std::string out;
  std::string literal;
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        literal.push_back('\'');
        i += 2;
        continue;
      }
      for (++i; i < pattern.size(); ++i) {
        if (pattern[i] != '\'') {
          literal.push_back(pattern[i]);
        } else if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
          literal.push_back('\'');
          ++i;
        } else {
          ++i;
          break;
        }
      }
      continue;
    }
    if (!isAsciiLetter(c)) {
      literal.push_back(c);
      ++i;
      continue;
    }
    size_t end = i;
    while (end < pattern.size() && pattern[end] == c) ++end;
    appendLiteral(out, literal);
    literal.clear();
    appendField(out, mapField(c, end - i));
    i = end;
  }
  appendLiteral(out, literal);
  return trimBlanks(std::move(out));
}

LocaleNames loadLocaleNames(std::string_view localeName) {
  UErrorCode status = U_ZERO_ERROR;
  icu::DateFormatSymbols symbols(resolveLocale(localeName), status);
  LocaleNames n;
  if (U_FAILURE(status)) return n;
  using Symbols = icu::DateFormatSymbols;
  int32_t count = 0;
  const icu::UnicodeString* names;
  // ICU's weekday arrays leave index 0 empty and start with Sunday at 1.
  names = symbols.getWeekdays(count, Symbols::STANDALONE, Symbols::WIDE);
  copyNames(names, count, 1, n.days);
  names = symbols.getWeekdays(count, Symbols::STANDALONE, Symbols::ABBREVIATED);
  copyNames(names, count, 1, n.shortDays);
  names = symbols.getMonths(count, Symbols::STANDALONE, Symbols::WIDE);
  copyNames(names, count, 0, n.months);
  names = symbols.getMonths(count, Symbols::STANDALONE, Symbols::ABBREVIATED);
  copyNames(names, count, 0, n.shortMonths);
  names = symbols.getMonths(count, Symbols::FORMAT, Symbols::WIDE);
  copyNames(names, count, 0, n.genitiveMonths);
  names = symbols.getAmPmStrings(count);
  if (names && count >= 2) {
    n.am = toUtf8(names[0]);
    n.pm = toUtf8(names[1]);
  }
  names = symbols.getEras(count);
  if (names && count >= 2) n.era = toUtf8(names[1]);
  return n;
}

std::string icuShortDatePicture(std::string_view localeName) {
  std::string picture = icuPatternToPicture(icuShortPattern(localeName, true));
  return picture.empty() ? kFallbackShortDate : picture;
}

std::string icuShortTimePicture(std::string_view localeName) {
  std::string picture = icuPatternToPicture(icuShortPattern(localeName, false));
  return picture.empty() ? kFallbackShortTime : picture;
}

IcuLocale::IcuLocale(std::string_view localeName) : name_(localeName) {
  std::replace(name_.begin(), name_.end(), '_', '-');
}

const IcuLocale::Data& IcuLocale::data() {
  std::call_once(loaded_, [this] {
    data_ = {loadLocaleNames(name_), icuShortDatePicture(name_), icuShortTimePicture(name_)};
  });
  return data_;
}

std::string IcuLocale::formatDate(std::string_view picture, const DateTime& t) {
  return formatDatePicture(picture, t, data().names);
}

std::string IcuLocale::formatTime(std::string_view picture, const DateTime& t) {
  return formatTimePicture(picture, t, data().names);
}

}  // namespace zelko::platform::sim
