#include "device/vcard_lines.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstdint>

#include "device/import_text.h"
#include "platform/text.h"

namespace zelko::device::vcard {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

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

Param readParam(const std::string& p) {
  Param param;
  size_t eq = p.find('=');
  if (eq == std::string::npos) {
    std::string bare = asciiUpper(trimBlanks(p));
    bool isEncoding = bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "8BIT" || bare == "7BIT";
    param.name = isEncoding ? "ENCODING" : "TYPE";
    param.values.push_back(bare);
    return param;
  }
  param.name = asciiUpper(trimBlanks(p.substr(0, eq)));
  for (std::string& v : splitUnquoted(p.substr(eq + 1), ',')) {
    // 4.0 also writes a list of types as one quoted value: TYPE="work,voice".
    std::string value = unquote(trimBlanks(v));
    if (param.name != "TYPE") {
      param.values.push_back(value);
    } else {
      for (std::string& t : splitUnquoted(value, ',')) param.values.push_back(trimBlanks(t));
    }
  }
  return param;
}

// Reads "[group.]NAME;PARAM=V,V;BARE:value" once the physical lines are joined.
ContentLine parseContentLine(const std::string& text, int line) {
  ContentLine out;
  out.line = line;
  size_t colon = valueColon(text);
  if (colon == std::string::npos) {
    out.value = text;
    out.error = "no ':' in " + quotedForMessage(text);
    return out;
  }
  out.value = text.substr(colon + 1);
  auto parts = splitUnquoted(std::string_view(text).substr(0, colon), ';');
  std::string name = parts[0];
  if (size_t dot = name.rfind('.'); dot != std::string::npos) {
    out.group = asciiUpper(name.substr(0, dot));
    name = name.substr(dot + 1);
  }
  if (name.empty() || !std::all_of(name.begin(), name.end(), isNameChar)) {
    out.value = text;
    out.error = "bad property name " + quotedForMessage(parts[0]);
    return out;
  }
  out.name = asciiUpper(name);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (!parts[i].empty()) out.params.push_back(readParam(parts[i]));
  }
  return out;
}

// Undoes "=XX" escapes; the soft line breaks are joined already. An "=" followed by
// anything but two hex digits is a broken file, not text to keep.
std::string decodeQuotedPrintable(const ContentLine& cl) {
  std::string_view text = cl.value;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 == text.size()) break;  // a soft line break on the file's last line
    int hi = hexDigit(text[i + 1]);
    int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
    if (hi < 0 || lo < 0) {
      fail(cl.line, cl.name + ": broken quoted-printable escape " + quotedForMessage(text.substr(i, 3)));
    }
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return out;
}

// Converts text in the named character set to UTF-8 through ICU's converters.
std::string toUtf8(const std::string& bytes, const std::string& charset, int line) {
  if (charset == "UTF-8" || charset == "UTF8") {
    if (std::string fault = utf8Fault(bytes); !fault.empty()) fail(line, "text is not UTF-8 as CHARSET says: " + fault);
    return bytes;
  }
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(charset.c_str(), &status);
  if (U_FAILURE(status)) fail(line, "unknown CHARSET " + quotedForMessage(charset));
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

}  // namespace

void fail(int line, const std::string& what) { throw CardError{"line " + std::to_string(line) + ": " + what}; }

std::vector<std::string> ContentLine::param(const std::string& key) const {
  std::vector<std::string> out;
  for (const Param& p : params) {
    if (p.name != key) continue;
    for (const std::string& v : p.values) out.push_back(asciiUpper(v));
  }
  return out;
}

bool ContentLine::hasParam(const std::string& key, const std::string& value) const {
  auto values = param(key);
  return std::find(values.begin(), values.end(), value) != values.end();
}

std::string ContentLine::encoding() const {
  auto values = param("ENCODING");
  return values.empty() ? "" : values.front();
}

std::vector<ContentLine> readContentLines(std::string_view text) {
  std::vector<std::string_view> lines = splitLines(text);
  std::vector<ContentLine> out;
  size_t i = 0;
  while (i < lines.size()) {
    const int number = static_cast<int>(std::min<size_t>(i + 1, INT32_MAX));
    std::string_view first = lines[i++];
    if (trimBlanks(first).empty()) continue;
    if (isBlank(first[0]) && !out.empty()) {
      ContentLine stray;
      stray.line = number;
      stray.value = first;
      stray.error = "stray continuation line " + quotedForMessage(first);
      out.push_back(std::move(stray));
      continue;
    }
    std::string joined(first);
    while (i < lines.size() && !lines[i].empty() && isBlank(lines[i][0])) joined += lines[i++].substr(1);
    ContentLine cl = parseContentLine(trimBlanks(joined), number);
    if (cl.encoding() == "QUOTED-PRINTABLE") {
      while (!cl.value.empty() && cl.value.back() == '=' && i < lines.size()) {
        cl.value.pop_back();
        cl.value += lines[i++];
      }
    } else if (cl.encoding() == "BASE64") {
      // 2.1 ends inline data with a blank line; base64 holds no colon, a property does.
      while (i < lines.size() && !trimBlanks(lines[i]).empty() && lines[i].find(':') == std::string_view::npos) {
        cl.value += trimBlanks(lines[i++]);
      }
    }
    out.push_back(std::move(cl));
  }
  return out;
}

std::string decodedText(const ContentLine& cl) {
  std::string bytes = cl.encoding() == "QUOTED-PRINTABLE" ? decodeQuotedPrintable(cl) : cl.value;
  auto charset = cl.param("CHARSET");
  if (!charset.empty()) return toUtf8(bytes, charset.front(), cl.line);
  return utf8Fault(bytes).empty() ? bytes : toUtf8(bytes, "windows-1252", cl.line);
}

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

}  // namespace zelko::device::vcard
