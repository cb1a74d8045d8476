// The phone's radios: the cellular line, the wireless devices and dial-up connections.
#pragma once

#include <cstdint>
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

// The phone's state value of the cellular core, HKLM\System\State\Phone "Status": bit
// 0x1000 is set while a data connection is up.
inline constexpr char kPhoneStateKey[] = "System\\State\\Phone";
inline constexpr char kPhoneStatusName[] = "Status";
inline constexpr uint32_t kPhoneStatusDataConnection = 0x1000;

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
  // Names of the active dial-up connections, in the order they came up.
  virtual std::vector<std::string> dialupConnections() = 0;
  // Hangs up the connection of that name; NotFound when none of that name is up.
  virtual Status hangUp(std::string_view name) = 0;
  // What a program asks for before it goes on the web: brings up a data connection
  // unless one is up. Failed when the device is offline.
  virtual Status connectData() = 0;
};

}  // namespace zelko::platform
