// What registry.db keeps about a process (its windows, its change callbacks) names the
// process by its queue address. A process killed without closing them leaves its rows;
// whoever finds the process dead drops them all, so they do not pile up over days.
#pragma once

#include <string_view>

#include "platform/sim/db.h"
#include "platform/status.h"

namespace zelko::platform::sim {

// Removes the windows and the change callbacks of the process whose queue is `address`,
// in one write.
Status forgetProcess(Database& db, std::string_view address);

}  // namespace zelko::platform::sim
