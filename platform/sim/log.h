// Failures the platform keeps from its caller (a cleanup that did not happen, a start that
// failed behind a writer) still leave a trace: one line on stderr, which the device sends
// to the program's log under run/.
#pragma once

#include <string_view>

#include "platform/status.h"

namespace zelko::platform::sim {

// Writes "zelko: WHAT: MESSAGE" when `status` is an error; nothing when it is ok.
void logFailure(std::string_view what, const Status& status);

}  // namespace zelko::platform::sim
