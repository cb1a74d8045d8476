// ZelkoCalendar, the appointments provider: one run lists the coming appointments (and in
// home-screen mode draws their page), or opens the phone's calendar on one of them.
#pragma once

#include <span>
#include <string>

namespace zelko {
class Suite;
}

namespace zelko::calendar {

// Starts the program up with `args` (args[0] is its own name) and carries out the first
// switch that applies: -titanium (the listing of 5 records over 30 days, exit code 1),
// -dateview:N (the calendar on the day of record N, exit code 1), else the listing with
// -max (default 5) and -days (default 5), exit code 0. -zelkotoday draws the page after
// a listing; -reg:NAME names the records' store (an empty one, or one with a backslash,
// is refused: nothing is done and the exit code is 1).
int run(Suite& suite, std::span<const std::string> args);

}  // namespace zelko::calendar
