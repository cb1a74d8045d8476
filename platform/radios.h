// The phone's radios: the cellular line, the wireless devices and dial-up connections.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::platform {

enum class WirelessKind { kWifi, kBluetooth, kPhone };

struct WirelessDevice {
  WirelessKind kind = WirelessKind::kWifi;
  std::string name;
  int state = 0;  // 0 off, 1 on, 2 discoverable (Bluetooth) / connected (Wi-Fi)
};

// Every change also sets the matching state values under System\State with notification,
// as the phone does.
class Radios {
 public:
  Radios() = default;
  Radios(const Radios&) = delete;
  Radios& operator=(const Radios&) = delete;
  virtual ~Radios() = default;

  // The cellular line: NotFound when the device has no "Cellular Line".
  virtual Result<bool> phoneRadioOn() = 0;
  virtual Status setPhoneRadio(bool on) = 0;
  // Unsupported when the wireless-device library is absent.
  virtual Result<std::vector<WirelessDevice>> wirelessDevices() = 0;
  virtual Status setWirelessState(WirelessKind kind, int state) = 0;
  // Names of the active dial-up connections.
  virtual std::vector<std::string> dialupConnections() = 0;
  virtual Status hangUp(std::string_view name) = 0;
  // Brings up a data connection unless one is up; Failed when the device is offline.
  virtual Status connectData() = 0;
};

}  // namespace zelko::platform
