#include "common/exclusive_run.h"

#include "platform/platform.h"

namespace zelko {

ExclusiveRun::ExclusiveRun(platform::Platform& platform, std::string_view name,
                           std::chrono::milliseconds limit) {
  platform::Clock& clock = platform.clock();
  auto end = clock.steadyNow() + limit;
  // Two waiters that look at the same moment both see the other's handle; a wait that
  // differs between processes lets one of them go first next time.
  auto pause = std::chrono::milliseconds(20 + clock.steadyNow().time_since_epoch().count() % 37);
  for (;;) {
    auto mutex = platform.sync().createMutex(name);
    if (!mutex.ok()) {
      platform.log().failure("taking the turn " + std::string(name), mutex.status());
      return;
    }
    if (!(*mutex)->alreadyExisted()) {
      mutex_ = std::move(*mutex);
      return;
    }
    mutex->reset();
    if (clock.steadyNow() >= end) break;
    clock.sleep(pause);
  }
  platform.log().failure("taking the turn " + std::string(name),
                         platform::Status::Busy("another run held it throughout the wait; going ahead"));
}

ExclusiveRun::~ExclusiveRun() = default;

}  // namespace zelko
