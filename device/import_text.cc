#include "device/import_text.h"

#include <unicode/utf8.h>

#include <cstdio>

#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::Result;
using platform::Status;

std::string hexByte(unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", c);
  return buf;
}

// The length of the well-formed UTF-8 character at text[i], or 0 when there is none.
size_t utf8CharAt(std::string_view text, size_t i) {
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  int32_t at = static_cast<int32_t>(i);
  const auto length = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
  UChar32 c;
  U8_NEXT(s, at, length, c);
  return c < 0 ? 0 : static_cast<size_t>(at) - i;
}

std::string swapBytePairs(std::string_view bytes) {
  std::string out(bytes);
  for (size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  return out;
}

Result<std::string> fromUtf16(std::string_view units, bool bigEndian) {
  const bool odd = units.size() % 2 != 0;
  std::string_view whole = units.substr(0, units.size() - (odd ? 1 : 0));
  std::string text = platform::utf16leToUtf8(bigEndian ? swapBytePairs(whole) : std::string(whole));
  if (!odd) return text;
  size_t line = splitLines(text).size() + (!text.empty() && (text.back() == '\n' || text.back() == '\r'));
  return Status::Invalid("line " + std::to_string(line) +
                         ": the file ends in the middle of a UTF-16 character");
}

// Old DOS tools end a file with 0x1A; anything after it is no text either.
void dropEndOfFileByte(std::string& text) {
  size_t last = text.find_last_not_of(" \t\r\n");
  if (last != std::string::npos && text[last] == '\x1A') text.erase(last);
}

}  // namespace

Result<std::string> textOfExport(std::string_view bytes) {
  Result<std::string> text = std::string();
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    text = std::string(bytes.substr(3));
  } else if (bytes.substr(0, 2) == "\xFF\xFE") {
    text = fromUtf16(bytes.substr(2), false);
  } else if (bytes.substr(0, 2) == "\xFE\xFF") {
    text = fromUtf16(bytes.substr(2), true);
  } else if (bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0')) {
    return Status::Invalid(
        "line 1: the file is UTF-16 without a byte-order mark; save it as UTF-8, or as UTF-16 with one");
  } else {
    text = std::string(bytes);
  }
  if (text.ok()) dropEndOfFileByte(*text);
  return text;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\n' && c != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (c == '\r' && text.substr(i + 1, 2) == "\r\n") {
      i += 2;
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
    }
    start = i + 1;
  }
  if (start < text.size() || lines.empty()) lines.push_back(text.substr(start));
  return lines;
}

std::string quotedForMessage(std::string_view text, size_t maxUnits) {
  std::string out = "\"";
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    if (units >= maxUnits) {
      out += "...";
      break;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : utf8CharAt(text, i);
    if (c < 0x20 || c == 0x7F || n == 0) {
      out += hexByte(c);
      ++units;
      ++i;
      continue;
    }
    out.append(text.substr(i, n));
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return out + "\"";
}

size_t valueColon(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return i;
  }
  return std::string_view::npos;
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

std::string trimBlanks(std::string_view text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return "";
  return std::string(text.substr(b, text.find_last_not_of(" \t") - b + 1));
}

std::string utf8Fault(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    size_t n = utf8CharAt(text, i);
    if (n == 0) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned char>(text[i]));
      return "byte " + std::string(buf) + " at column " + std::to_string(i + 1) + " is not UTF-8";
    }
    i += n;
  }
  return "";
}

}  // namespace zelko::device
