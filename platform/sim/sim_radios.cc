#include "platform/sim/sim_radios.h"

#include "platform/sim/device_settings.h"
#include "platform/sim/journal.h"
#include "platform/sim/sim_connections.h"

namespace zelko::platform::sim {
namespace {

constexpr char kNoLine[] = "the device has no cellular line";
constexpr char kNoLibrary[] = "the device has no wireless-device library";

const char* presence(bool present) { return present ? "present" : "absent"; }

}  // namespace

RadioState SimRadios::state() { return loadRadioState(settings_); }

Status SimRadios::change(const std::function<Status(RadioState&)>& edit) {
  RadioState before, after;
  Status s = settings_.update([&] {
    before = loadRadioState(settings_);
    after = before;
    if (Status e = edit(after); !e.ok()) return e;
    if (after == before) return Status::Ok();
    return storeRadioState(settings_, registry_, before, after);
  });
  if (s.ok()) journalChanges(before, after);
  return s;
}

Status SimRadios::changeLine(const std::function<Status(RadioState&)>& edit) {
  return change([&](RadioState& state) {
    return state.linePresent ? edit(state) : Status::NotFound(kNoLine);
  });
}

template <typename T>
Status SimRadios::setField(T RadioState::*field, T value, bool ofLine) {
  auto edit = [&](RadioState& s) {
    s.*field = value;
    return Status::Ok();
  };
  return ofLine ? changeLine(edit) : change(edit);
}

void SimRadios::journalChanges(const RadioState& before, const RadioState& after) {
  auto record = [&](std::string_view radio, std::string_view state) {
    journal_.record("radio", {JsonField::Text("radio", radio), JsonField::Text("state", state)});
  };
  if (before.linePresent != after.linePresent) record("line", presence(after.linePresent));
  if (before.libraryPresent != after.libraryPresent) record("library", presence(after.libraryPresent));
  if (before.equipment != after.equipment) {
    record("phone", after.equipment == kEquipmentFull ? "on" : "off");
  }
  if (before.registered != after.registered) {
    record("network", after.registered ? "registered" : "unregistered");
  }
  if (before.bluetooth != after.bluetooth) record("bluetooth", bluetoothName(after.bluetooth));
  if (before.wifi != after.wifi) record("wifi", wifiName(after.wifi));
}

Result<int> SimRadios::equipmentState() {
  RadioState now = state();
  if (!now.linePresent) return Status::NotFound(kNoLine);
  return now.equipment;
}

Status SimRadios::setEquipmentState(int equipment) {
  if (equipment < kEquipmentMinimum || equipment > kEquipmentFull) {
    return Status::Invalid("no equipment state " + std::to_string(equipment));
  }
  return changeLine([&](RadioState& s) {
    s.equipment = equipment;
    return Status::Ok();
  });
}

Status SimRadios::registerOnNetwork() { return setField(&RadioState::registered, true, true); }

Status SimRadios::unregisterFromNetwork() { return setField(&RadioState::registered, false, true); }

Result<std::vector<WirelessDevice>> SimRadios::wirelessDevices() {
  RadioState now = state();
  if (!now.libraryPresent) return Status::Unsupported(kNoLibrary);
  std::vector<WirelessDevice> out;
  out.push_back({WirelessKind::kWifi, "Wi-Fi", now.wifi == WifiState::kOff ? kWirelessOff : kWirelessOn});
  if (now.linePresent) {
    out.push_back({WirelessKind::kPhone, "Phone", now.equipment == kEquipmentFull ? kWirelessOn : kWirelessOff});
  }
  int bluetooth = now.bluetooth == BluetoothState::kOff  ? kWirelessOff
                  : now.bluetooth == BluetoothState::kOn ? kWirelessOn
                                                         : kBluetoothDiscoverable;
  out.push_back({WirelessKind::kBluetooth, "Bluetooth", bluetooth});
  return out;
}

Status SimRadios::setWirelessState(WirelessKind kind, int wanted) {
  if (kind == WirelessKind::kPhone) {
    return Status::Unsupported("the phone's radio is switched through the cellular line");
  }
  int highest = kind == WirelessKind::kBluetooth ? kBluetoothDiscoverable : kWirelessOn;
  if (wanted < kWirelessOff || wanted > highest) {
    return Status::Invalid("no such radio state " + std::to_string(wanted));
  }
  return change([&](RadioState& s) {
    if (!s.libraryPresent) return Status::Unsupported(kNoLibrary);
    if (kind == WirelessKind::kBluetooth) {
      s.bluetooth = static_cast<BluetoothState>(wanted);
    } else if (wanted == kWirelessOff) {
      s.wifi = WifiState::kOff;
    } else if (s.wifi == WifiState::kOff) {
      s.wifi = WifiState::kOn;  // switched on, it has yet to find a network
    }
    return Status::Ok();
  });
}

std::vector<std::string> SimRadios::dialupConnections() { return connections_.active(); }

Status SimRadios::hangUp(std::string_view name) { return connections_.hangUp(name); }

Status SimRadios::connectData() { return connections_.connectData(); }

Status SimRadios::setPhone(bool on) {
  return changeLine([&](RadioState& s) {
    s.equipment = on ? kEquipmentFull : kEquipmentNoTransmitReceive;
    s.registered = on;
    return Status::Ok();
  });
}

Status SimRadios::setWifi(WifiState wifi) { return setField(&RadioState::wifi, wifi, false); }

Status SimRadios::setBluetooth(BluetoothState bluetooth) {
  return setField(&RadioState::bluetooth, bluetooth, false);
}

Status SimRadios::setLinePresent(bool present) {
  return setField(&RadioState::linePresent, present, false);
}

Status SimRadios::setLibraryPresent(bool present) {
  return setField(&RadioState::libraryPresent, present, false);
}

}  // namespace zelko::platform::sim
