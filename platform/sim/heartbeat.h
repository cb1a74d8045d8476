// The minute heartbeat of the device clock.
#pragma once

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/sim/sim_shell.h"

namespace zelko::platform::sim {

inline constexpr char kDateTimeKey[] = "System\\State\\DateTime";

// 8 little-endian bytes of a file time, as the phone stores times in the registry.
std::vector<uint8_t> fileTimeBytes(FileTime ft);

// See Device::tick.
Status heartbeat(Registry& registry, Clock& clock, SimShell& shell);

}  // namespace zelko::platform::sim
