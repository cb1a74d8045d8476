#include "ZelkoWinToday/run_at.h"

#include <algorithm>

#include "common/ini_document.h"

namespace zelko::engine {
namespace {

constexpr int64_t kMsPerMinute = 60 * 1000;
constexpr int64_t kMsPerDay = 24 * 60 * kMsPerMinute;

}  // namespace

int minutesOfDay(std::string_view text) {
  size_t colon = text.find(':');
  int hours = parseLeadingInt(text.substr(0, colon));
  int minutes = colon == std::string_view::npos ? 0 : parseLeadingInt(text.substr(colon + 1));
  return std::clamp(hours, 0, 23) * 60 + std::clamp(minutes, 0, 59);
}

platform::DateTime nextRunAt(const platform::DateTime& now, const RunAtTimes& times) {
  platform::DateTime midnight = now;
  midnight.hour = midnight.minute = midnight.second = midnight.millisecond = 0;
  const int64_t today = platform::toEpochMs(midnight);
  const int64_t sinceMidnight = platform::toEpochMs(now) - today;
  const int64_t start = times.start * kMsPerMinute;

  int64_t next = kMsPerDay + start;  // tomorrow's first start
  if (times.every <= 0) {
    if (sinceMidnight < start) next = start;
  } else if (sinceMidnight < times.end * kMsPerMinute) {
    const int64_t every = times.every * kMsPerMinute;
    int64_t slot = start;
    if (sinceMidnight >= start) slot += ((sinceMidnight - start) / every + 1) * every;
    if (slot < times.end * kMsPerMinute) next = slot;
  }
  return platform::fromEpochMs(today + next);
}

}  // namespace zelko::engine
