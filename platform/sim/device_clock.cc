#include "platform/sim/device_clock.h"

#include <string>
#include <thread>

namespace zelko::platform::sim {

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
  return settings_.set({{"clock.mode", frozen ? "frozen" : "running"},
                        {"clock.base", std::to_string(deviceUtcMs)},
                        {"clock.since", std::to_string(hostUtcMs())}});
}

Status DeviceClock::setLocal(const DateTime& local) {
  return store(frozen(), zone_.localToUtcMs(toEpochMs(local)));
}

Status DeviceClock::advanceMinutes(int64_t minutes) {
  return store(frozen(), utcMs() + minutes * 60000);
}

Status DeviceClock::freeze() { return store(true, utcMs()); }
Status DeviceClock::run() { return store(false, utcMs()); }

}  // namespace zelko::platform::sim
