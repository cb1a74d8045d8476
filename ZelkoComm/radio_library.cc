#include "ZelkoComm/radio_library.h"

#include "platform/log.h"

namespace zelko::comm {

std::optional<RadioLibrary> RadioLibrary::load(platform::Radios& radios, platform::Log& log) {
  auto list = radios.wirelessDevices();
  if (!list.ok() && list.status().code() == platform::Status::Code::kUnsupported) return std::nullopt;
  return RadioLibrary(radios, log);
}

WirelessStates RadioLibrary::read() {
  WirelessStates states;
  auto list = radios_.wirelessDevices();
  if (!list.ok()) {
    log_.failure("cannot list the wireless devices", list.status());
    return states;
  }
  for (const platform::WirelessDevice& device : *list) {
    switch (device.kind) {
      case platform::WirelessKind::kWifi: states.wifi = device.state; break;
      case platform::WirelessKind::kPhone: states.phone = device.state; break;
      case platform::WirelessKind::kBluetooth: states.bluetooth = device.state; break;
    }
  }
  return states;
}

void RadioLibrary::set(platform::WirelessKind kind, int state) {
  platform::Status s = radios_.setWirelessState(kind, state);
  if (!s.ok()) log_.failure("cannot switch a wireless device", s);
}

}  // namespace zelko::comm
