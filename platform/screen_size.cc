#include <charconv>

#include "platform/windows.h"

namespace zelko::platform {
namespace {

// A whole number of one to four digits, not zero: no screen is larger, and nothing
// downstream has to fear an overflow.
std::optional<int> parseSide(std::string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ScreenSize> parseScreenSize(std::string_view text) {
  size_t x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  auto width = parseSide(text.substr(0, x));
  auto height = parseSide(text.substr(x + 1));
  if (!width || !height) return std::nullopt;
  return ScreenSize{*width, *height};
}

std::string screenSizeText(ScreenSize size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

}  // namespace zelko::platform
