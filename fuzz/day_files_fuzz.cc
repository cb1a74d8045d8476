// The notes file and the saint's-day files are the user's own text files; the RunAt
// times come from the INI file. Input: a day key, then the file text; the same bytes
// also serve as RunAt times.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ZelkoWinToday/day_files.h"
#include "ZelkoWinToday/run_at.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view key = input.substr(0, 5);
  std::string_view text = input.substr(key.size());
  // Notes are whole lines joined by single line feeds: none at either end, none doubled.
  if (auto notes = zelko::engine::notesForDay(text, key); notes && !notes->empty()) {
    if (notes->front() == '\n' || notes->back() == '\n') std::abort();
    if (notes->find("\n\n") != std::string::npos) std::abort();
  }
  if (auto saint = zelko::engine::saintForDay(text, key)) {
    if (saint->find('\n') != std::string::npos) std::abort();
  }

  zelko::engine::RunAtTimes times;
  times.start = zelko::engine::minutesOfDay(key);
  times.every = size > 6 ? data[5] - 64 : 0;
  times.end = zelko::engine::minutesOfDay(text);
  zelko::platform::DateTime now{2026, 12, 4, 31, static_cast<int>(size % 24), static_cast<int>(size % 60), 0, 0};
  // The next start is always to come, and never later than tomorrow.
  int64_t from = zelko::platform::toEpochMs(now);
  int64_t next = zelko::platform::toEpochMs(zelko::engine::nextRunAt(now, times));
  if (next <= from || next - from > 2 * 24 * 3600 * 1000LL) std::abort();
  return 0;
}
