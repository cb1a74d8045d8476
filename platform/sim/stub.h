// Services the device does not emulate yet answer as a phone without them would, and say
// so in the journal, so that a missing piece is never mistaken for a working one.
#pragma once

#include <string_view>

#include "platform/sim/journal.h"

namespace zelko::platform::sim {

void reportStub(Journal& journal, std::string_view service, std::string_view call);

}  // namespace zelko::platform::sim
