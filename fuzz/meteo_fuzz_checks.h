// What every weather feed reader keeps to, whatever bytes it is given.
#pragma once

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ZelkoMeteo/feed_readers.h"
#include "ZelkoMeteo/feed_text.h"

namespace zelko::meteo::fuzzing {

inline void check(bool condition) {
  if (!condition) std::abort();
}

struct Headers : ReadProgress {
  void header(std::string_view text) override { words.emplace_back(text); }
  std::vector<std::string> words;
};

// Runs `read` on the bytes and checks the outcome: the reader's first header word is
// its name; a done reading starts with origin and location, holds a decimal total no
// larger than `maxTotal` (when given) and only UTF-8 texts.
template <typename Reader>
void checkReader(Reader read, std::string_view bytes, std::string_view name, int maxTotal = -1) {
  Headers headers;
  FeedReading reading = read(bytes, "city&code", headers);
  check(!headers.words.empty() && headers.words.front() == name);
  if (!reading.done) return;
  const auto& entries = reading.record.entries();
  check(entries.size() >= 3 && entries[0].name == "origin" && entries[1].name == "location");
  const platform::RegValue* total = reading.record.find("", "total");
  check(total != nullptr);
  int days = 0;
  auto [end, ec] = std::from_chars(total->text.data(), total->text.data() + total->text.size(), days);
  check(ec == std::errc() && end == total->text.data() + total->text.size());
  if (maxTotal >= 0) check(days >= 0 && days <= maxTotal);
  for (const auto& e : entries) {
    if (e.value.type == platform::ValueType::kString) check(validUtf8(e.value.text) == e.value.text);
  }
}

}  // namespace zelko::meteo::fuzzing
