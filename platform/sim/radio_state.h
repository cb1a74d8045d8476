// What the emulated device keeps of its radios, in its settings, and the state values
// under System\State that mirror it the way the phone's own radio drivers set them:
//   HKLM\System\State\Hardware "WiFi"       1 off, 3 on, 19 connected
//   HKLM\System\State\Hardware "Bluetooth"  8 off, 9 on, 11 discoverable
//   HKLM\System\State\Phone "Status"        bit 0x10 radio off, 0x20 no service
// While the cellular line has no service, "Cellular System Available" is 0 and "Current
// Operator Name" is empty; the values they had are kept in the settings and come back
// with the service.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/radios.h"
#include "platform/registry.h"
#include "platform/status.h"

namespace zelko::platform::sim {

class DeviceSettings;

enum class WifiState { kOff, kOn, kConnected };
enum class BluetoothState { kOff, kOn, kDiscoverable };

// A new device: a phone on and registered, Wi-Fi and Bluetooth off, every part present.
struct RadioState {
  bool linePresent = true;     // the telephony line "Cellular Line"
  bool libraryPresent = true;  // the wireless-device library
  int equipment = kEquipmentFull;
  bool registered = true;
  WifiState wifi = WifiState::kOff;
  BluetoothState bluetooth = BluetoothState::kOff;

  bool radioOff() const {
    return !linePresent || equipment == kEquipmentMinimum || equipment == kEquipmentNoTransmitReceive;
  }
  bool inService() const { return linePresent && equipment == kEquipmentFull && registered; }
  bool operator==(const RadioState&) const = default;
};

// Names as zelko-device shows and takes them ("off", "on", "connected", "discoverable");
// nullopt for any other name.
std::string_view wifiName(WifiState state);
std::string_view bluetoothName(BluetoothState state);
std::optional<WifiState> parseWifi(std::string_view name);
std::optional<BluetoothState> parseBluetooth(std::string_view name);

// The state values: WiFi 1/3/19, Bluetooth 8/9/11.
uint32_t wifiStateValue(WifiState state);
uint32_t bluetoothStateValue(BluetoothState state);

// The state the settings hold; a setting that is missing or damaged reads as a new
// device's.
RadioState loadRadioState(DeviceSettings& settings);

// Inside a write transaction of the settings' store: keeps `after` and sets the state
// values of what differs from `before`, through `registry`, which must write to the same
// store so that both commit together.
Status storeRadioState(DeviceSettings& settings, Registry& registry, const RadioState& before,
                       const RadioState& after);

}  // namespace zelko::platform::sim
