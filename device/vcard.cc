#include "device/vcard.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/date_time.h"
#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::Status;

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

std::string trim(std::string_view text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return "";
  size_t e = text.find_last_not_of(" \t");
  return std::string(text.substr(b, e - b + 1));
}

// A value for a one-line message: quoted, cut short, control characters shown as '?'.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : platform::utf16Prefix(text, 40)) out.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
  return out + (platform::utf16Length(text) > 40 ? "...\"" : "\"");
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isUtf8(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING || U_SUCCESS(status);
}

// Whitespace inside the data is skipped: exporters fold base64 wherever they like.
std::optional<std::string> decodeBase64(std::string_view text) {
  std::string out;
  uint32_t bits = 0;
  int count = 0, padding = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+' || c == '-') v = 62;
    else if (c == '/' || c == '_') v = 63;
    else if (c == '=') { ++padding; continue; }
    else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    else return std::nullopt;
    if (padding) return std::nullopt;  // data after the padding
    bits = (bits << 6) | static_cast<uint32_t>(v);
    if (++count % 4 == 0) {
      out.push_back(static_cast<char>(bits >> 16));
      out.push_back(static_cast<char>(bits >> 8));
      out.push_back(static_cast<char>(bits));
      bits = 0;
    }
  }
  switch (count % 4) {
    case 1: return std::nullopt;
    case 2: out.push_back(static_cast<char>(bits >> 4)); break;
    case 3:
      out.push_back(static_cast<char>(bits >> 10));
      out.push_back(static_cast<char>(bits >> 2));
      break;
  }
  if (padding > 2) return std::nullopt;
  return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size() || hexDigit(text[i + 1]) < 0 || hexDigit(text[i + 2]) < 0) return std::nullopt;
    out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
    i += 2;
  }
  return out;
}

// Thrown inside this file only, so that every helper can give up with its line in hand;
// parseVCards turns it into a Status.
struct CardError {
  std::string message;
};

[[noreturn]] void fail(int line, const std::string& what) {
  throw CardError{"line " + std::to_string(line) + ": " + what};
}

struct Param {
  std::string name;  // upper case; "TYPE" for the bare values of 2.1 ("HOME", "CELL")
  std::vector<std::string> values;
};

struct ContentLine {
  int line = 0;
  std::string name;  // upper case, without the group
  std::vector<Param> params;
  std::string value;  // as written, unfolded

  // Every value of the named parameter, upper case.
  std::vector<std::string> param(const std::string& key) const {
    std::vector<std::string> out;
    for (const Param& p : params) {
      if (p.name != key) continue;
      for (const std::string& v : p.values) out.push_back(upper(v));
    }
    return out;
  }
  bool hasParam(const std::string& key, const std::string& value) const {
    auto values = param(key);
    return std::find(values.begin(), values.end(), value) != values.end();
  }
  std::string encoding() const {
    auto values = param("ENCODING");
    return values.empty() ? "" : values.front();
  }
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits on `sep` outside double quotes.
std::vector<std::string> splitUnquoted(std::string_view text, char sep) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == sep && !quoted) {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

std::string unquote(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

// The position of the colon between a line's name and its value, or npos.
size_t valueColon(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return i;
  }
  return std::string_view::npos;
}

bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Reads "[group.]NAME;PARAM=V,V;BARE:value" once the physical lines are joined.
ContentLine parseContentLine(const std::string& text, int line) {
  size_t colon = valueColon(text);
  if (colon == std::string::npos) fail(line, "no ':' in " + quoted(text));
  ContentLine out;
  out.line = line;
  out.value = text.substr(colon + 1);
  auto parts = splitUnquoted(std::string_view(text).substr(0, colon), ';');
  std::string name = parts[0];
  if (size_t dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
  if (name.empty() || !std::all_of(name.begin(), name.end(), isNameChar)) {
    fail(line, "bad property name " + quoted(parts[0]));
  }
  out.name = upper(name);
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    if (p.empty()) continue;
    size_t eq = p.find('=');
    Param param;
    if (eq == std::string::npos) {
      std::string bare = upper(trim(p));
      bool isEncoding = bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "8BIT" || bare == "7BIT";
      param.name = isEncoding ? "ENCODING" : "TYPE";
      param.values.push_back(bare);
    } else {
      param.name = upper(trim(p.substr(0, eq)));
      for (std::string& v : splitUnquoted(p.substr(eq + 1), ',')) {
        // 4.0 also writes a list of types as one quoted value: TYPE="work,voice".
        std::string value = unquote(trim(v));
        if (param.name != "TYPE") param.values.push_back(value);
        else for (std::string& t : splitUnquoted(value, ',')) param.values.push_back(trim(t));
      }
    }
    out.params.push_back(std::move(param));
  }
  return out;
}

struct PhysicalLine {
  std::string text;
  int number;
};

std::vector<PhysicalLine> splitLines(const std::string& text) {
  std::vector<PhysicalLine> out;
  int number = 1;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    out.push_back({text.substr(start, i - start), number++});
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return out;
}

// Joins folded lines, quoted-printable soft line breaks and the unindented base64 lines
// of 2.1 into content lines.
std::vector<ContentLine> contentLines(const std::vector<PhysicalLine>& lines) {
  std::vector<ContentLine> out;
  size_t i = 0;
  while (i < lines.size()) {
    const PhysicalLine& first = lines[i++];
    if (trim(first.text).empty()) continue;
    if (isBlank(first.text[0]) && !out.empty()) fail(first.number, "stray continuation line " + quoted(first.text));
    std::string text = first.text;
    while (i < lines.size() && !lines[i].text.empty() && isBlank(lines[i].text[0])) text += lines[i++].text.substr(1);
    ContentLine cl = parseContentLine(trim(text), first.number);
    if (cl.encoding() == "QUOTED-PRINTABLE") {
      while (!cl.value.empty() && cl.value.back() == '=' && i < lines.size()) {
        cl.value.pop_back();
        cl.value += lines[i++].text;
      }
    } else if (cl.encoding() == "BASE64") {
      // 2.1 ends inline data with a blank line; base64 holds no colon, a property does.
      while (i < lines.size() && !trim(lines[i].text).empty() && lines[i].text.find(':') == std::string::npos) {
        cl.value += trim(lines[i++].text);
      }
    }
    out.push_back(std::move(cl));
  }
  return out;
}

std::string decodeQuotedPrintable(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    int hi, lo;
    if (text[i] == '=' && i + 2 < text.size() && (hi = hexDigit(text[i + 1])) >= 0 &&
        (lo = hexDigit(text[i + 2])) >= 0) {
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      out.push_back(text[i]);  // a stray '=' is kept, as lenient readers do
    }
  }
  return out;
}

// Converts text in the named character set to UTF-8 through ICU's converters.
std::string toUtf8(const std::string& bytes, const std::string& charset, int line) {
  if (charset == "UTF-8" || charset == "UTF8") {
    if (!isUtf8(bytes)) fail(line, "text is not UTF-8 as CHARSET says");
    return bytes;
  }
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(charset.c_str(), &status);
  if (U_FAILURE(status)) fail(line, "unknown CHARSET " + quoted(charset));
  std::u16string wide(bytes.size() * 2 + 1, u'\0');
  int32_t n = ucnv_toUChars(conv, wide.data(), static_cast<int32_t>(wide.size()), bytes.data(),
                            static_cast<int32_t>(bytes.size()), &status);
  ucnv_close(conv);
  if (U_FAILURE(status)) fail(line, "text cannot be read as " + charset);
  wide.resize(static_cast<size_t>(n));
  std::string le;
  for (char16_t c : wide) {
    le.push_back(static_cast<char>(c & 0xFF));
    le.push_back(static_cast<char>(c >> 8));
  }
  return platform::utf16leToUtf8(le);
}

// The value's bytes with its transfer encoding undone and its characters in UTF-8.
std::string decodedText(const ContentLine& cl) {
  std::string bytes = cl.encoding() == "QUOTED-PRINTABLE" ? decodeQuotedPrintable(cl.value) : cl.value;
  auto charset = cl.param("CHARSET");
  if (!charset.empty()) return toUtf8(bytes, charset.front(), cl.line);
  return isUtf8(bytes) ? bytes : toUtf8(bytes, "windows-1252", cl.line);
}

// Splits a structured value at unescaped `sep` and undoes the escapes of the version:
// 2.1 knows only "\;", later versions "\\", "\,", "\;" and "\n".
std::vector<std::string> components(std::string_view text, char sep, bool v21) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      char e = text[i + 1];
      if (e == ';' || (!v21 && (e == ',' || e == '\\'))) {
        out.back().push_back(e);
        ++i;
        continue;
      }
      if (!v21 && (e == 'n' || e == 'N')) {
        out.back().push_back('\n');
        ++i;
        continue;
      }
    }
    if (c == sep) {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

// "1980-05-17", "19800517", either with a time after 'T', and "--0517" / "--05-17" for a
// day without a year.
platform::DateTime parseCardDate(const ContentLine& cl, const std::string& text) {
  std::string_view s = text;
  bool noYear = s.substr(0, 2) == "--";
  if (noYear) s.remove_prefix(2);
  s = s.substr(0, s.find('T'));
  std::string digits;
  for (size_t i = 0; i < s.size(); ++i) {
    bool dashHere = noYear ? (s.size() == 5 && i == 2) : (s.size() == 10 && (i == 4 || i == 7));
    if (dashHere && s[i] == '-') continue;
    digits.push_back(s[i] >= '0' && s[i] <= '9' ? s[i] : 'x');
  }
  size_t want = noYear ? 4 : 8;
  platform::DateTime t;
  if (digits.size() == want && digits.find('x') == std::string::npos) {
    t.year = noYear ? kNoYear : std::stoi(digits.substr(0, 4));
    t.month = std::stoi(digits.substr(want - 4, 2));
    t.day = std::stoi(digits.substr(want - 2, 2));
    if (t.year >= 1601 && platform::normalizeDateTime(t)) return t;
  }
  fail(cl.line, cl.name + ": bad date " + quoted(text) + " (expected YYYY-MM-DD)");
}

std::string base64Bytes(const ContentLine& cl, std::string_view data) {
  auto bytes = decodeBase64(data);
  if (!bytes) fail(cl.line, cl.name + ": bad base64 data");
  return *bytes;
}

// Inline photos only: a link to elsewhere is not the picture itself.
std::optional<std::string> photoBytes(const ContentLine& cl) {
  std::string enc = cl.encoding();
  if (enc == "B" || enc == "BASE64") return base64Bytes(cl, cl.value);
  std::string_view v = cl.value;
  if (v.size() < 5 || upper(std::string(v.substr(0, 5))) != "DATA:") return std::nullopt;
  size_t comma = v.find(',');
  if (comma == std::string_view::npos) fail(cl.line, "PHOTO: data: URI without ','");
  std::string head = upper(std::string(v.substr(5, comma - 5)));
  std::string_view payload = v.substr(comma + 1);
  if (head.size() >= 7 && head.substr(head.size() - 7) == ";BASE64") return base64Bytes(cl, payload);
  auto bytes = percentDecode(payload);
  if (!bytes) fail(cl.line, "PHOTO: bad %-escape in data: URI");
  return *bytes;
}

enum class PhoneKind { kMobile, kHome, kBusiness, kAny, kNone };

PhoneKind phoneKind(const ContentLine& cl) {
  auto types = cl.param("TYPE");
  auto has = [&](const char* t) { return std::find(types.begin(), types.end(), t) != types.end(); };
  if (has("FAX") || has("PAGER") || has("TEXTPHONE")) return PhoneKind::kNone;
  if (has("CELL") || has("MOBILE")) return PhoneKind::kMobile;
  if (has("WORK")) return PhoneKind::kBusiness;
  if (has("HOME")) return PhoneKind::kHome;
  return PhoneKind::kAny;
}

void addPhone(platform::Contact& c, const ContentLine& cl, const std::string& text) {
  std::string number = trim(text);
  if (number.size() >= 4 && upper(number.substr(0, 4)) == "TEL:") number = trim(number.substr(4));
  if (number.empty()) return;
  // The first number of a kind wins: exporters list the preferred one first.
  auto fill = [&](std::string& slot) {
    if (!slot.empty()) return false;
    slot = number;
    return true;
  };
  switch (phoneKind(cl)) {
    case PhoneKind::kMobile: fill(c.mobilePhone); break;
    case PhoneKind::kHome: fill(c.homePhone); break;
    case PhoneKind::kBusiness: fill(c.businessPhone); break;
    case PhoneKind::kAny: fill(c.mobilePhone) || fill(c.homePhone) || fill(c.businessPhone); break;
    case PhoneKind::kNone: break;
  }
}

platform::NewContact buildContact(const std::vector<ContentLine>& lines) {
  std::string version = "2.1";  // 2.1 may leave it out; later versions may not
  for (const ContentLine& cl : lines) {
    if (cl.name != "VERSION") continue;
    version = trim(cl.value);
    if (version != "2.1" && version != "3.0" && version != "4.0") {
      fail(cl.line, "unsupported vCard version " + quoted(version));
    }
  }
  bool v21 = version == "2.1";
  platform::NewContact out;
  platform::Contact& c = out.contact;
  std::string formatted;
  std::vector<std::string> categories;
  for (const ContentLine& cl : lines) {
    const std::string& n = cl.name;
    if (n == "PHOTO") {
      if (!out.picture.empty()) continue;
      if (auto bytes = photoBytes(cl)) out.picture = std::move(*bytes);
      continue;
    }
    if (n != "N" && n != "FN" && n != "TEL" && n != "BDAY" && n != "ANNIVERSARY" && n != "X-ANNIVERSARY" &&
        n != "X-MS-ANNIVERSARY" && n != "CATEGORIES") {
      continue;
    }
    std::string text = decodedText(cl);
    if (n == "N") {
      auto parts = components(text, ';', v21);
      c.lastName = trim(parts[0]);
      if (parts.size() > 1) c.firstName = trim(parts[1]);
    } else if (n == "FN") {
      formatted = trim(components(text, '\0', v21)[0]);
    } else if (n == "TEL") {
      addPhone(c, cl, components(text, '\0', v21)[0]);
    } else if (n == "CATEGORIES") {
      for (std::string& cat : components(text, ',', v21)) {
        if (!trim(cat).empty()) categories.push_back(trim(cat));
      }
    } else if (cl.hasParam("VALUE", "TEXT")) {
      continue;  // a date in words ("circa 1800") has no day to keep
    } else {
      auto& slot = n == "BDAY" ? c.birthday : c.anniversary;
      if (!slot) slot = parseCardDate(cl, trim(text));
    }
  }
  if (c.firstName.empty() && c.lastName.empty() && !formatted.empty()) {
    size_t space = formatted.rfind(' ');
    if (space == std::string::npos) {
      c.firstName = formatted;
    } else {
      c.firstName = trim(formatted.substr(0, space));
      c.lastName = formatted.substr(space + 1);
    }
  }
  for (size_t i = 0; i < categories.size(); ++i) c.categories += (i ? ", " : "") + categories[i];
  return out;
}

std::vector<platform::NewContact> readCards(const std::vector<ContentLine>& lines) {
  std::vector<platform::NewContact> cards;
  size_t i = 0;
  while (i < lines.size()) {
    const ContentLine& begin = lines[i++];
    if (begin.name != "BEGIN" || upper(trim(begin.value)) != "VCARD") {
      fail(begin.line, "expected BEGIN:VCARD, found " + quoted(begin.name));
    }
    std::vector<ContentLine> body;
    int nested = 0;  // a 2.1 AGENT may carry a whole card of its own; it is not a contact
    bool ended = false;
    while (i < lines.size() && !ended) {
      const ContentLine& cl = lines[i++];
      bool isCard = upper(trim(cl.value)) == "VCARD";
      if (cl.name == "BEGIN" && isCard) {
        ++nested;
      } else if (cl.name == "END" && isCard) {
        ended = nested-- == 0;
      } else if (nested == 0) {
        body.push_back(cl);
      }
    }
    if (!ended) fail(begin.line, "BEGIN:VCARD without END:VCARD");
    cards.push_back(buildContact(body));
  }
  if (cards.empty()) throw CardError{"no vCard in the file (expected BEGIN:VCARD)"};
  return cards;
}

}  // namespace

platform::Result<std::vector<platform::NewContact>> parseVCards(std::string_view bytes) {
  try {
    auto lines = splitLines(textOfExport(bytes));
    for (const PhysicalLine& l : lines) {
      if (l.text.find('\0') != std::string::npos) fail(l.number, "NUL character in the text");
    }
    return readCards(contentLines(lines));
  } catch (const CardError& e) {
    return Status::Invalid(e.message);
  }
}


std::string textOfExport(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return platform::utf16leToUtf8(bytes.substr(2));
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    std::string swapped(bytes.substr(2));
    for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    return platform::utf16leToUtf8(swapped);
  }
  return std::string(bytes);
}

}  // namespace zelko::device
