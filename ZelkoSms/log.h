// Failures the user is not told of (the phone's programs stay silent) still leave a line
// in the program's log, which the device keeps under run/.
#pragma once

#include <string_view>

#include "platform/status.h"

namespace zelko::sms {

// "ZelkoSms: <doing>: <message>" on stderr when `status` is not ok.
void logFailure(std::string_view doing, const platform::Status& status);

}  // namespace zelko::sms
