// ZelkoContacts, the birthdays provider: one run does the one thing its switches choose.
#pragma once

#include <span>
#include <string>

namespace zelko {
class Suite;
}

namespace zelko::contacts {

// Starts the program up with `args` (args[0] is its own name) and carries out the first
// group of switches that applies, in this order: -action:N (the popup menu of record N),
// -choose (the contact chooser), the listing (-birthdays, -anniversaries, -zelkotoday,
// with -max and -days), -phone:NUMBER, -sms:NUMBER; -reg:NAME names the records' store
// for all of them (an empty one, or one with a backslash, is refused: nothing is done and
// the exit code is 1). Returns the exit code: 1 after a listing, a call or the composer, 0
// otherwise.
int run(Suite& suite, std::span<const std::string> args);

}  // namespace zelko::contacts
