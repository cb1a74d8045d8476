// The services `up` starts. A service of another part of the device adds its line here.
#include "device/services.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/sim/device_clock.h"
#include "platform/sim/home_host.h"

namespace zelko::device {
namespace {

// The minute heartbeat of a running clock: System\State\DateTime and the timed starts.
int heartbeat(Context& ctx, const volatile std::sig_atomic_t& stop) {
  auto& device = ctx.device();
  auto& clock = device.deviceClock();
  int64_t lastMinute = -1;
  int64_t lastFailure = -1;
  while (!stop) {
    int64_t now = clock.utcMs();
    int64_t minute = now / 60000;
    if (!clock.frozen() && minute != lastMinute) {
      platform::Status s = device.tick();
      if (s.ok()) {
        lastMinute = minute;
      } else if (minute != lastFailure) {
        // Tried again at the next turn; said once a minute.
        std::fprintf(stderr, "zelko-device service heartbeat: the minute was not written: %s\n",
                     s.message().c_str());
        lastFailure = minute;
      }
    }
    int64_t untilNext = 60000 - now % 60000;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(untilNext + 5, 500)));
  }
  return 0;
}

// The home screen: its windows, the focus, and the keys that move it.
int homeScreen(Context& ctx, const volatile std::sig_atomic_t& stop) {
  platform::sim::HomeScreenHost home(ctx.device());
  if (platform::Status s = home.start(); !s.ok()) {
    std::fprintf(stderr, "zelko-device service home: no home screen: %s\n", s.message().c_str());
    return 1;
  }
  while (!stop) home.serve(std::chrono::milliseconds(500));
  return 0;
}

bool homeScreenReady(Context& ctx) {
  return platform::sim::HomeScreenHost::running(ctx.platform().windows());
}

}  // namespace

const Service kServices[] = {
    {"heartbeat", "writes the minute and starts the timed starts while the clock runs", heartbeat,
     nullptr},
    {"home", "the home screen: its windows and the focus the arrow keys move (see home)",
     homeScreen, homeScreenReady},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
