#include "ZelkoWinToday/day_files.h"

#include <cstdio>

#include "platform/text.h"

namespace zelko::engine {
namespace {

// The phone reads these files a line at a time into 255 units, the terminator included.
constexpr size_t kLineUnits = 254;
constexpr size_t kKeyLength = 5;
constexpr size_t kTextStart = kKeyLength + 1;  // after the key and its separator

// Calls `visit` with each line, without its line end; stops when it returns false.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!visit(platform::utf16Prefix(line, kLineUnits))) return;
  }
}

bool isForDay(std::string_view line, std::string_view key) {
  return line.size() >= kKeyLength && line.substr(0, kKeyLength) == key;
}

std::string textOf(std::string_view line) {
  return line.size() > kTextStart ? std::string(line.substr(kTextStart)) : std::string();
}

}  // namespace

std::string dayKey(const platform::DateTime& day) {
  char key[16];
  std::snprintf(key, sizeof key, "%02d/%02d", day.day % 100, day.month % 100);
  return key;
}

std::optional<std::string> notesForDay(std::string_view fileText, std::string_view key) {
  std::optional<std::string> notes;
  forEachLine(fileText, [&](std::string_view line) {
    if (!isForDay(line, key)) return true;
    if (notes) {
      *notes += '\n';
    } else {
      notes.emplace();
    }
    *notes += textOf(line);
    return true;
  });
  return notes;
}

std::optional<std::string> saintForDay(std::string_view fileText, std::string_view key) {
  std::optional<std::string> saint;
  forEachLine(fileText, [&](std::string_view line) {
    if (!isForDay(line, key)) return true;
    saint = textOf(line);
    return false;
  });
  return saint;
}

}  // namespace zelko::engine
