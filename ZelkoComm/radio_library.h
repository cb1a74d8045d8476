// The wireless-device library of the phone, through which the radio switcher reads and
// switches Wi-Fi and Bluetooth.
#pragma once

#include <optional>

#include "platform/radios.h"

namespace zelko::platform {
class Log;
}

namespace zelko::comm {

// States by device type. A type the list does not hold, or every type when the list
// cannot be had, reads as off.
struct WirelessStates {
  int wifi = platform::kWirelessOff;
  int phone = platform::kWirelessOff;
  int bluetooth = platform::kWirelessOff;
  bool operator==(const WirelessStates&) const = default;
};

class RadioLibrary {
 public:
  // nullopt when the device has no such library.
  static std::optional<RadioLibrary> load(platform::Radios& radios, platform::Log& log);

  WirelessStates read();
  // Switches every radio of the kind; a failure is silent for the user and goes to the log.
  void set(platform::WirelessKind kind, int state);

 private:
  RadioLibrary(platform::Radios& radios, platform::Log& log) : radios_(radios), log_(log) {}

  platform::Radios& radios_;
  platform::Log& log_;
};

}  // namespace zelko::comm
