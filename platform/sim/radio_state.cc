#include "platform/sim/radio_state.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "platform/sim/device_settings.h"

namespace zelko::platform::sim {
namespace {

constexpr char kHardwareKey[] = "System\\State\\Hardware";
constexpr char kAvailableName[] = "Cellular System Available";
constexpr char kOperatorName[] = "Current Operator Name";

constexpr char kLineSetting[] = "radio.line";          // "present" | "absent"
constexpr char kLibrarySetting[] = "radio.library";    // "present" | "absent"
constexpr char kEquipmentSetting[] = "radio.equipment";  // 1-5
constexpr char kRegisteredSetting[] = "radio.registered";  // "1" | "0"
constexpr char kWifiSetting[] = "radio.wifi";
constexpr char kBluetoothSetting[] = "radio.bluetooth";
// While out of service: "AVAILABLE<TAB>OPERATOR", the network the line had.
constexpr char kNetworkSetting[] = "radio.network";

constexpr std::array<std::pair<WifiState, std::string_view>, 3> kWifiNames = {
    {{WifiState::kOff, "off"}, {WifiState::kOn, "on"}, {WifiState::kConnected, "connected"}}};
constexpr std::array<std::pair<BluetoothState, std::string_view>, 3> kBluetoothNames = {
    {{BluetoothState::kOff, "off"}, {BluetoothState::kOn, "on"},
     {BluetoothState::kDiscoverable, "discoverable"}}};

template <typename State, size_t N>
std::string_view nameOf(const std::array<std::pair<State, std::string_view>, N>& names, State s) {
  for (const auto& [state, name] : names) {
    if (state == s) return name;
  }
  return names[0].second;
}

template <typename State, size_t N>
std::optional<State> stateOf(const std::array<std::pair<State, std::string_view>, N>& names,
                             std::string_view n) {
  for (const auto& [state, name] : names) {
    if (name == n) return state;
  }
  return std::nullopt;
}

std::string presence(bool present) { return present ? "present" : "absent"; }

// Sets a DWORD state value, keeping every bit outside `mask`.
Status setBits(Registry& registry, uint32_t mask, uint32_t bits) {
  auto current = registry.getValue(Root::kLocalMachine, kPhoneStateKey, kPhoneStatusName);
  if (!current.ok() && current.status().code() != Status::Code::kNotFound) return current.status();
  uint32_t old = current.ok() && current->type == ValueType::kDword ? current->dword : 0;
  return registry.setValue(Root::kLocalMachine, kPhoneStateKey, kPhoneStatusName,
                           RegValue::Dword((old & ~mask) | bits));
}

// The line loses its service: the network it had is kept and its state values cleared.
Status leaveNetwork(DeviceSettings& settings, Registry& registry) {
  auto available = registry.getValue(Root::kLocalMachine, kPhoneStateKey, kAvailableName);
  auto name = registry.getValue(Root::kLocalMachine, kPhoneStateKey, kOperatorName);
  uint32_t system = available.ok() && available->type == ValueType::kDword ? available->dword : 0;
  std::string operatorName = name.ok() && name->type == ValueType::kString ? name->text : "";
  Status s = settings.setInTransaction(kNetworkSetting, std::to_string(system) + "\t" + operatorName);
  if (s.ok()) s = registry.setValue(Root::kLocalMachine, kPhoneStateKey, kAvailableName, RegValue::Dword(0));
  if (s.ok()) s = registry.setValue(Root::kLocalMachine, kPhoneStateKey, kOperatorName, RegValue::Text(""));
  return s;
}

// The line has service again: the network it had comes back.
Status rejoinNetwork(DeviceSettings& settings, Registry& registry) {
  std::string saved = settings.get(kNetworkSetting, "");
  size_t tab = saved.find('\t');
  if (tab == std::string::npos) return Status::Ok();  // it never left one
  uint32_t system = static_cast<uint32_t>(std::strtoul(saved.substr(0, tab).c_str(), nullptr, 10));
  Status s = registry.setValue(Root::kLocalMachine, kPhoneStateKey, kAvailableName, RegValue::Dword(system));
  if (s.ok()) {
    s = registry.setValue(Root::kLocalMachine, kPhoneStateKey, kOperatorName,
                          RegValue::Text(saved.substr(tab + 1)));
  }
  if (s.ok()) s = settings.setInTransaction(kNetworkSetting, "");
  return s;
}

Status storePhone(DeviceSettings& settings, Registry& registry, const RadioState& before,
                  const RadioState& after) {
  uint32_t bits = after.radioOff() ? kPhoneStatusRadioOff
                  : after.inService() ? 0
                                      : kPhoneStatusNoService;
  Status s = setBits(registry, kPhoneStatusRadioOff | kPhoneStatusNoService, bits);
  if (s.ok() && before.inService() && !after.inService()) s = leaveNetwork(settings, registry);
  if (s.ok() && !before.inService() && after.inService()) s = rejoinNetwork(settings, registry);
  return s;
}

}  // namespace

std::string_view wifiName(WifiState state) { return nameOf(kWifiNames, state); }
std::string_view bluetoothName(BluetoothState state) { return nameOf(kBluetoothNames, state); }
std::optional<WifiState> parseWifi(std::string_view name) { return stateOf(kWifiNames, name); }
std::optional<BluetoothState> parseBluetooth(std::string_view name) {
  return stateOf(kBluetoothNames, name);
}

uint32_t wifiStateValue(WifiState state) {
  return state == WifiState::kOff ? 1 : state == WifiState::kOn ? 3 : 19;
}

uint32_t bluetoothStateValue(BluetoothState state) {
  return state == BluetoothState::kOff ? 8 : state == BluetoothState::kOn ? 9 : 11;
}

RadioState loadRadioState(DeviceSettings& settings) {
  RadioState state;
  state.linePresent = settings.get(kLineSetting, "present") != "absent";
  state.libraryPresent = settings.get(kLibrarySetting, "present") != "absent";
  int64_t equipment = settings.getInt(kEquipmentSetting, kEquipmentFull);
  if (equipment >= kEquipmentMinimum && equipment <= kEquipmentFull) state.equipment = static_cast<int>(equipment);
  state.registered = settings.get(kRegisteredSetting, "1") != "0";
  state.wifi = parseWifi(settings.get(kWifiSetting, "off")).value_or(WifiState::kOff);
  state.bluetooth = parseBluetooth(settings.get(kBluetoothSetting, "off")).value_or(BluetoothState::kOff);
  return state;
}

Status storeRadioState(DeviceSettings& settings, Registry& registry, const RadioState& before,
                       const RadioState& after) {
  const std::pair<const char*, std::string> kept[] = {
      {kLineSetting, presence(after.linePresent)},
      {kLibrarySetting, presence(after.libraryPresent)},
      {kEquipmentSetting, std::to_string(after.equipment)},
      {kRegisteredSetting, after.registered ? "1" : "0"},
      {kWifiSetting, std::string(wifiName(after.wifi))},
      {kBluetoothSetting, std::string(bluetoothName(after.bluetooth))},
  };
  for (const auto& [name, value] : kept) {
    if (Status s = settings.setInTransaction(name, value); !s.ok()) return s;
  }
  Status s;
  if (before.wifi != after.wifi) {
    s = registry.setValue(Root::kLocalMachine, kHardwareKey, "WiFi", RegValue::Dword(wifiStateValue(after.wifi)));
  }
  if (s.ok() && before.bluetooth != after.bluetooth) {
    s = registry.setValue(Root::kLocalMachine, kHardwareKey, "Bluetooth",
                          RegValue::Dword(bluetoothStateValue(after.bluetooth)));
  }
  if (s.ok() && (before.radioOff() != after.radioOff() || before.inService() != after.inService())) {
    s = storePhone(settings, registry, before, after);
  }
  return s;
}

}  // namespace zelko::platform::sim
