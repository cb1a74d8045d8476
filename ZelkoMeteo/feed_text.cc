#include "ZelkoMeteo/feed_text.h"

#include "platform/text.h"

namespace zelko::meteo {
namespace {

std::string latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string swapBytePairs(std::string_view bytes) {
  std::string out(bytes.substr(0, bytes.size() & ~size_t{1}));
  for (size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  return out;
}

std::string unicodeText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return platform::utf16leToUtf8(bytes.substr(2));
  if (bytes.starts_with("\xFE\xFF")) return platform::utf16leToUtf8(swapBytePairs(bytes.substr(2)));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::string text = validUtf8(bytes);
  return text == bytes ? text : latin1ToUtf8(bytes);
}

}  // namespace

std::string validUtf8(std::string_view text) {
  return platform::utf16leToUtf8(platform::utf8ToUtf16le(text));
}

std::string decodeTextFile(std::string_view bytes) {
  std::string text = unicodeText(bytes);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\x1A') break;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

std::vector<std::string_view> lineReads(std::string_view text) {
  std::vector<std::string_view> reads;
  while (!text.empty()) {
    size_t lineEnd = text.find('\n');
    std::string_view line = text.substr(0, lineEnd == std::string_view::npos ? lineEnd : lineEnd + 1);
    std::string_view piece = platform::utf16Prefix(line, kLineReadUnits);
    reads.push_back(piece);
    text.remove_prefix(piece.size());
  }
  return reads;
}

}  // namespace zelko::meteo
