// The device clock: frozen (it stays where it was set, for tests and demonstrations) or
// running (it follows the host's clock from where it was set). Every program of the
// device reads the same clock from the device settings.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/date_time.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/time_zone.h"
#include "platform/status.h"

namespace zelko::platform::sim {

class DeviceClock final : public Clock {
 public:
  DeviceClock(DeviceSettings& settings, TimeZone zone) : settings_(settings), zone_(std::move(zone)) {}

  DateTime utcNow() override;
  DateTime localNow() override;
  DateTime toLocal(const DateTime& utc) override;
  DateTime toUtc(const DateTime& local) override;
  int biasMinutes(const DateTime& utc) override;
  std::chrono::steady_clock::time_point steadyNow() override;
  void sleep(std::chrono::milliseconds d) override;

  // Milliseconds since 1970 UTC on the device clock.
  int64_t utcMs();
  bool frozen();
  // Each change reads the clock and stores the new one in one transaction, so that
  // changes made at once by several programs all count.
  // Sets the device-local time, keeping the mode.
  Status setLocal(const DateTime& local);
  // Invalid when the clock would leave the calendar.
  Status advanceMinutes(int64_t minutes);
  Status freeze();
  Status run();

 private:
  // Inside a settings update: stores the mode and the device time now.
  Status store(bool frozen, int64_t deviceUtcMs);

  DeviceSettings& settings_;
  TimeZone zone_;
};

// Host time in milliseconds since 1970 UTC.
int64_t hostUtcMs();

}  // namespace zelko::platform::sim
