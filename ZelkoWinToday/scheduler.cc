// The scheduler: the next start of ZelkoRunAt.mscr, shown as RunAt and handed to the
// shell's timed starts, which the device fires when the time comes.
#include "ZelkoWinToday/run_at.h"
#include "ZelkoWinToday/widgets.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::engine {

void Widgets::scheduler() {
  if (iniText("RunAt", "enable", "") != "1") return;
  RunAtTimes times;
  times.start = minutesOfDay(iniText("RunAt", "time", "00:35"));
  times.every = parseLeadingInt(iniText("RunAt", "every", "0"));
  times.end = minutesOfDay(iniText("RunAt", "endTime", kDefaultEndTime));
  platform::DateTime next = nextRunAt(suite_.platform().clock().localNow(), times);
  {
    UpdateBracket bracket(suite_.values());
    suite_.values().writeText("", "RunAt",
                              formatDate("yyyy/MM/dd", next) + " " + formatTime("HH:mm", next));
  }
  platform::Shell& shell = suite_.platform().shell();
  std::string script = suite_.settings().installPath("ZelkoRunAt.mscr");
  platform::Status cancelled = shell.runAtTime(script, std::nullopt);
  if (!cancelled.ok() && cancelled.code() != platform::Status::Code::kNotFound) {
    suite_.platform().log().failure("cannot cancel the timed start of " + script, cancelled);
  }
  if (platform::Status scheduled = shell.runAtTime(script, next); !scheduled.ok()) {
    suite_.platform().log().failure(
        "cannot have " + script + " started at " + platform::formatIsoDateTime(next), scheduled);
  }
}

}  // namespace zelko::engine
