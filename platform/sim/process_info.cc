#include "platform/sim/process_info.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace zelko::platform::sim {
namespace {

// Reads the state letter and start time of /proc/<pid>/stat; false when there is none.
bool readStat(int pid, char& state, uint64_t& start) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  // The command name may hold blanks and parentheses: fields start after the last ')'.
  size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 2));
  fields >> state;
  std::string skip;
  for (int i = 0; i < 18; ++i) fields >> skip;  // fields 4..21
  fields >> start;                               // field 22: starttime
  return static_cast<bool>(fields);
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
