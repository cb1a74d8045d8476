#include "platform/sim/process_info.h"

#include <unistd.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zelko::platform::sim {
namespace {

// Reads the state letter and start time of /proc/<pid>/stat; false when there is none.
// Plain system calls: windows are looked up often, and streams cost several times more.
bool readStat(int pid, char& state, uint64_t& start) {
  char path[32];
  std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[1024];
  ssize_t n = read(fd, buf, sizeof buf - 1);
  close(fd);
  if (n <= 0) return false;
  buf[n] = '\0';
  // The command name may hold blanks and parentheses: fields start after the last ')'.
  char* p = std::strrchr(buf, ')');
  if (!p || p[1] != ' ') return false;
  p += 2;
  state = *p;
  // Skip fields 3..21 to reach field 22, the start time.
  for (int field = 3; field < 22; ++field) {
    p = std::strchr(p, ' ');
    if (!p) return false;
    ++p;
  }
  char* end = nullptr;
  start = std::strtoull(p, &end, 10);
  return end != p;
}

}  // namespace

ProcessId currentProcess() {
  ProcessId id;
  id.pid = getpid();
  char state = 0;
  readStat(id.pid, state, id.startTime);
  return id;
}

bool processAlive(const ProcessId& id) {
  if (id.pid <= 0) return false;
  char state = 0;
  uint64_t start = 0;
  if (!readStat(id.pid, state, start)) return false;
  return start == id.startTime && state != 'Z' && state != 'X';
}

}  // namespace zelko::platform::sim
