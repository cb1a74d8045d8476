#include "platform/text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace zelko::platform {
namespace {

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, UChar32 c) {
  char buf[U8_MAX_LENGTH];
  int32_t len = 0;
  UBool error = false;
  U8_APPEND(reinterpret_cast<uint8_t*>(buf), len, U8_MAX_LENGTH, c, error);
  if (!error) out.append(buf, len);
}

}  // namespace

std::string foldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    if (s[i] < 0x80) {  // the common case, without ICU
      char c = static_cast<char>(s[i++]);
      out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
      continue;
    }
    int32_t start = i;
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) {
      out.append(text.substr(start, i - start));
    } else {
      appendUtf8(out, u_foldCase(c, U_FOLD_CASE_DEFAULT));
    }
  }
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 0x80 || y >= 0x80) return foldCase(a) == foldCase(b);
    if (lower(x) != lower(y)) return false;
  }
  if (a.size() == b.size()) return true;
  // An ASCII prefix with a longer non-ASCII rest can still fold alike (KELVIN SIGN and k).
  std::string_view rest = a.size() > n ? a.substr(n) : b.substr(n);
  for (unsigned char c : rest) {
    if (c >= 0x80) return foldCase(a) == foldCase(b);
  }
  return false;
}

std::string phoneKey(std::string_view number) {
  std::string kept;
  kept.reserve(number.size());
  for (char c : number) {
    if (c == ' ' || c == '-' || c == '.' || c == '(' || c == ')' || c == '\t') continue;
    kept += c;
  }
  return foldCase(kept);
}

size_t utf16Length(std::string_view text) {
  size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) units += 1;  // a lead byte or ASCII starts a character
    if (c >= 0xF0) units += 1;           // four-byte sequences need a surrogate pair
  }
  return units;
}

std::string_view utf16Prefix(std::string_view text, size_t units) {
  size_t used = 0;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = text[i];
    size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    size_t cost = c >= 0xF0 ? 2 : 1;
    if (used + cost > units) break;
    used += cost;
    i = std::min(text.size(), i + len);
  }
  return text.substr(0, i);
}

std::string utf16leToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t n = bytes.size() / 2;
  auto unit = [&](size_t k) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * k]) |
                                 (static_cast<uint8_t>(bytes[2 * k + 1]) << 8));
  };
  for (size_t k = 0; k < n; ++k) {
    UChar32 c = unit(k);
    if (U16_IS_LEAD(c) && k + 1 < n && U16_IS_TRAIL(unit(k + 1))) {
      c = U16_GET_SUPPLEMENTARY(c, unit(k + 1));
      ++k;
    } else if (U16_IS_SURROGATE(c)) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string utf8ToUtf16le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto put = [&](uint16_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  };
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) c = 0xFFFD;
    if (c > 0xFFFF) {
      put(U16_LEAD(c));
      put(U16_TRAIL(c));
    } else {
      put(static_cast<uint16_t>(c));
    }
  }
  return out;
}

bool isValidUtf8(std::string_view text) {
  if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

}  // namespace zelko::platform
