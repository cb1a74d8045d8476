// Services the device does not emulate yet answer as a phone without them would, and say
// so in the journal, so that a missing piece is never mistaken for a working one.
#pragma once

#include <memory>
#include <string_view>

#include "platform/messaging.h"
#include "platform/sim/journal.h"

namespace zelko::platform::sim {

void reportStub(Journal& journal, std::string_view service, std::string_view call);

std::unique_ptr<Messaging> makeStubMessaging(Journal& journal);

}  // namespace zelko::platform::sim
