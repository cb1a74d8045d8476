// The phone's radios: the cellular line, the wireless devices and dial-up connections.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::platform {

// Equipment states of the cellular line, numbered as the telephony interface numbers them.
inline constexpr int kEquipmentMinimum = 1;  // the radio is off
inline constexpr int kEquipmentReceiveOnly = 2;
inline constexpr int kEquipmentTransmitOnly = 3;
inline constexpr int kEquipmentNoTransmitReceive = 4;  // off, as flight mode leaves it
inline constexpr int kEquipmentFull = 5;               // on

// Device types of the wireless-device list, numbered as the radio library numbers them.
enum class WirelessKind { kWifi = 1, kPhone = 2, kBluetooth = 3 };

// States in the wireless-device list: 0 off, 1 on; a Bluetooth radio may also be 2,
// discoverable. A Wi-Fi radio that is connected to a network is on (1) here.
inline constexpr int kWirelessOff = 0;
inline constexpr int kWirelessOn = 1;
inline constexpr int kBluetoothDiscoverable = 2;

struct WirelessDevice {
  WirelessKind kind = WirelessKind::kWifi;
  std::string name;
  int state = kWirelessOff;
};

// The phone's state value of the cellular core, HKLM\System\State\Phone "Status": bit
// 0x1000 is set while a data connection is up, bit 0x10 while the radio is off, bit 0x20
// while it is on without service.
inline constexpr char kPhoneStateKey[] = "System\\State\\Phone";
inline constexpr char kPhoneStatusName[] = "Status";
inline constexpr uint32_t kPhoneStatusDataConnection = 0x1000;
inline constexpr uint32_t kPhoneStatusRadioOff = 0x10;
inline constexpr uint32_t kPhoneStatusNoService = 0x20;

// Every change also sets the matching state values under System\State with notification,
// as the phone does, so that their watchers follow without asking the radios.
class Radios {
 public:
  Radios() = default;
  Radios(const Radios&) = delete;
  Radios& operator=(const Radios&) = delete;
  virtual ~Radios() = default;

  // The telephony line "Cellular Line". Each call is NotFound when the device has none.
  // The equipment state, kEquipmentMinimum to kEquipmentFull.
  virtual Result<int> equipmentState() = 0;
  // Invalid for a state outside 1-5. Below full function the line loses its service.
  virtual Status setEquipmentState(int state) = 0;
  // Registers the line on the network in automatic mode: it has service while its
  // equipment is at full function. Unregistering leaves the network.
  virtual Status registerOnNetwork() = 0;
  virtual Status unregisterFromNetwork() = 0;

  // The wireless-device library: Unsupported when the device has none.
  // The radios it knows (Wi-Fi, Bluetooth and, while there is a cellular line, the phone).
  virtual Result<std::vector<WirelessDevice>> wirelessDevices() = 0;
  // Switches every radio of that kind to `state`; Invalid for a state the kind does not
  // have, Unsupported for the phone (its radio is switched through the line).
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
