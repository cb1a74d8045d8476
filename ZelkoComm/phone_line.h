// The cellular line and the data connection, as the radio switcher reaches them through
// the phone's telephony interface and its connection manager.
#pragma once

#include "platform/status.h"

namespace zelko::platform {
class Log;
class Radios;
}  // namespace zelko::platform

namespace zelko::comm {

// What equipmentState() reads when the device has no line "Cellular Line": neither on (5)
// nor off (1 or 4), so the groups that test for those go on.
inline constexpr int kNoLine = -1;

class PhoneLine {
 public:
  PhoneLine(platform::Radios& radios, platform::Log& log) : radios_(radios), log_(log) {}

  int equipmentState();
  // Switches the radio: for 2, 3 or 5 to full function and registered on the network in
  // automatic mode; for 1 or 4 unregistered and then without transmit and receive; any
  // other value does nothing. A failure is silent for the user and goes to the log.
  void setRadio(int wanted);
  // Hangs up the active data connection. The phone's enumeration has room for one: with
  // none, or with more than one up, nothing is hung up.
  void hangUpData();

 private:
  void logFailure(const char* what, const platform::Status& status);

  platform::Radios& radios_;
  platform::Log& log_;
};

}  // namespace zelko::comm
