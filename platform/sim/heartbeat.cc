#include "platform/sim/heartbeat.h"

#include "platform/sim/log.h"

namespace zelko::platform::sim {

std::vector<uint8_t> fileTimeBytes(FileTime ft) {
  std::vector<uint8_t> bytes(8);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(ft >> (8 * i));
  return bytes;
}

Status heartbeat(Registry& registry, Clock& clock, SimShell& shell) {
  DateTime now = clock.localNow();
  DateTime minute = now;
  minute.second = 0;
  minute.millisecond = 0;
  DateTime day = minute;
  day.hour = 0;
  day.minute = 0;
  // Date first: a program woken by Time then already reads the new day.
  Status s = registry.setValue(Root::kLocalMachine, kDateTimeKey, "Date",
                               RegValue::Binary(fileTimeBytes(toFileTime(day))));
  if (!s.ok()) return s;
  s = registry.setValue(Root::kLocalMachine, kDateTimeKey, "Time",
                        RegValue::Binary(fileTimeBytes(toFileTime(minute))));
  if (!s.ok()) return s;
  auto due = shell.takeDueStarts(now);
  if (!due.ok()) return due.status();
  for (const std::string& file : *due) {
    ExecRequest r;
    r.file = file;
    // One start that fails keeps none of the others from starting; it is in the journal.
    logFailure("timed start of " + file, shell.execute(r).status());
  }
  return Status::Ok();
}

}  // namespace zelko::platform::sim
