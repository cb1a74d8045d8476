#include "platform/sim/device_clock.h"

#include <string>
#include <thread>

namespace zelko::platform::sim {
namespace {

// The clock stays where file times can name it: 1601 to the end of 30827.
bool inCalendar(int64_t utcMs) {
  static const int64_t first = toEpochMs(DateTime{});
  static const int64_t last = toEpochMs(DateTime{30827, 12, 0, 31, 23, 59, 59, 999});
  return utcMs >= first && utcMs <= last;
}

}  // namespace

int64_t hostUtcMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int64_t DeviceClock::utcMs() {
  int64_t base = settings_.getInt("clock.base", 0);
  if (frozen()) return base;
  int64_t since = settings_.getInt("clock.since", 0);
  return base + (hostUtcMs() - since);
}

bool DeviceClock::frozen() { return settings_.get("clock.mode", "frozen") == "frozen"; }

DateTime DeviceClock::utcNow() { return fromEpochMs(utcMs()); }

DateTime DeviceClock::localNow() {
  int64_t utc = utcMs();
  return fromEpochMs(utc + zone_.offsetMsAtUtc(utc));
}

DateTime DeviceClock::toLocal(const DateTime& utc) {
  int64_t ms = toEpochMs(utc);
  return fromEpochMs(ms + zone_.offsetMsAtUtc(ms));
}

DateTime DeviceClock::toUtc(const DateTime& local) {
  return fromEpochMs(zone_.localToUtcMs(toEpochMs(local)));
}

int DeviceClock::biasMinutes(const DateTime& utc) {
  return static_cast<int>(-zone_.offsetMsAtUtc(toEpochMs(utc)) / 60000);
}

std::chrono::steady_clock::time_point DeviceClock::steadyNow() {
  return std::chrono::steady_clock::now();
}

void DeviceClock::sleep(std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }

Status DeviceClock::store(bool frozen, int64_t deviceUtcMs) {
  for (auto [name, value] : {std::pair<const char*, std::string>{"clock.mode", frozen ? "frozen" : "running"},
                             {"clock.base", std::to_string(deviceUtcMs)},
                             {"clock.since", std::to_string(hostUtcMs())}}) {
    Status s = settings_.setInTransaction(name, value);
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

Status DeviceClock::setLocal(const DateTime& local) {
  return settings_.update([&] { return store(frozen(), zone_.localToUtcMs(toEpochMs(local))); });
}

Status DeviceClock::advanceMinutes(int64_t minutes) {
  return settings_.update([&] {
    int64_t moved = 0;
    if (__builtin_mul_overflow(minutes, int64_t{60000}, &moved) ||
        __builtin_add_overflow(utcMs(), moved, &moved) || !inCalendar(moved)) {
      return Status::Invalid("the clock cannot move by " + std::to_string(minutes) + " minutes");
    }
    return store(frozen(), moved);
  });
}

Status DeviceClock::freeze() {
  return settings_.update([&] { return store(true, utcMs()); });
}

Status DeviceClock::run() {
  return settings_.update([&] { return store(false, utcMs()); });
}

}  // namespace zelko::platform::sim
