// The device clock. Programs never read the host's clock: a test can then run the
// engine at 23:59 on 31 December by setting the device's clock.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/date_time.h"

namespace zelko::platform {

class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  // The device's current time in UTC. The device clock may be frozen (it then stays where
  // it was set) or running.
  virtual DateTime utcNow() = 0;
  // The device's current local time, in the device's time zone.
  virtual DateTime localNow() = 0;
  // Converts between UTC and the device's local time; nullopt-free: an input beyond the
  // zone's data is shifted by the zone's standard offset.
  virtual DateTime toLocal(const DateTime& utc) = 0;
  virtual DateTime toUtc(const DateTime& local) = 0;
  // Minutes to add to local time to get UTC (the phone's "bias"), at the given UTC time.
  virtual int biasMinutes(const DateTime& utc) = 0;

  // Real elapsed time, for timers and waits: unaffected by setting the device clock.
  virtual std::chrono::steady_clock::time_point steadyNow() = 0;
  virtual void sleep(std::chrono::milliseconds d) = 0;
};

}  // namespace zelko::platform
