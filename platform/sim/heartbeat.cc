#include "platform/sim/heartbeat.h"

namespace zelko::platform::sim {

std::vector<uint8_t> fileTimeBytes(FileTime ft) {
  std::vector<uint8_t> bytes(8);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(ft >> (8 * i));
  return bytes;
}

void heartbeat(Registry& registry, Clock& clock, SimShell& shell) {
  DateTime now = clock.localNow();
  DateTime minute = now;
  minute.second = 0;
  minute.millisecond = 0;
  DateTime day = minute;
  day.hour = 0;
  day.minute = 0;
  // Date first: a program woken by Time then already reads the new day.
  registry.setValue(Root::kLocalMachine, kDateTimeKey, "Date",
                    RegValue::Binary(fileTimeBytes(toFileTime(day))));
  registry.setValue(Root::kLocalMachine, kDateTimeKey, "Time",
                    RegValue::Binary(fileTimeBytes(toFileTime(minute))));
  for (const std::string& file : shell.takeDueStarts(now)) {
    ExecRequest r;
    r.file = file;
    shell.execute(r);  // a start that fails is in the journal
  }
}

}  // namespace zelko::platform::sim
