#include "ZelkoWinToday/day_files.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <cstdio>

#include "platform/text.h"

namespace zelko::engine {
namespace {

// The phone reads these files a line at a time into 255 units, the terminator included.
constexpr size_t kLineUnits = 254;
constexpr size_t kKeyLength = 5;

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

// The text after the key and its separator. The separator is one character, whatever
// its length in bytes: a no-break space or a dash must not leave half of itself behind.
std::string textOf(std::string_view line) {
  int32_t start = kKeyLength;
  const auto length = static_cast<int32_t>(line.size());  // a line is at most 254 units
  if (start < length) U8_FWD_1(line.data(), start, length);
  return std::string(line.substr(start));
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
    if (!notes) notes.emplace();
    // An empty note adds no line: the text never starts or ends with a line feed.
    std::string note = textOf(line);
    if (note.empty()) return true;
    if (!notes->empty()) *notes += '\n';
    *notes += note;
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
