// Identifies a process for longer than its pid does: pids are reused, so every record
// that names a process also keeps its start time.
#pragma once

#include <cstdint>

namespace zelko::platform::sim {

struct ProcessId {
  int pid = 0;
  uint64_t startTime = 0;  // clock ticks since boot, from /proc/<pid>/stat
};

ProcessId currentProcess();
// True while that very process runs (a zombie or a new process on the same pid is not it).
bool processAlive(const ProcessId& id);

}  // namespace zelko::platform::sim
