// The program's own log of the failures the phone keeps silent: a page value that could
// not be written, a notification the platform refused, a timed start it did not take.
// The person using the phone sees nothing of them, as before; whoever looks after the
// device finds each one here instead of guessing why a panel stopped changing.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace zelko::platform {

class Log {
 public:
  Log() = default;
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;
  virtual ~Log() = default;

  // Appends one line (line breaks in it become blanks), stamped with the device time.
  // The log is bounded: once it is full its oldest lines go. Never fails the caller: a
  // line that cannot be written is dropped, as there is nowhere left to report it.
  virtual void write(std::string_view line) = 0;

  // "what: why", the reason taken from the status.
  void failure(std::string_view what, const Status& why) {
    write(std::string(what) + ": " + why.message());
  }
};

}  // namespace zelko::platform
