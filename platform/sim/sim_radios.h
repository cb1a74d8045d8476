// The device's radios. The cellular line and the wireless devices are kept in the device
// settings (radio_state.h), each change in one transaction with the state values that
// mirror it, and each goes to the journal as a "radio" event ("radio": phone, network,
// wifi, bluetooth, line or library; "state": what it became). The dial-up side is the
// connection manager (sim_connections.h): those methods only forward to it, so that a
// data connection means the same thing to every program.
#pragma once

#include <functional>

#include "platform/radios.h"
#include "platform/sim/radio_state.h"

namespace zelko::platform::sim {

class DeviceSettings;
class Journal;
class SimConnections;

class SimRadios final : public Radios {
 public:
  // `registry` writes to the store of `settings` (the device's registry.db).
  SimRadios(DeviceSettings& settings, Registry& registry, Journal& journal,
            SimConnections& connections)
      : settings_(settings), registry_(registry), journal_(journal), connections_(connections) {}

  Result<int> equipmentState() override;
  Status setEquipmentState(int state) override;
  Status registerOnNetwork() override;
  Status unregisterFromNetwork() override;
  Result<std::vector<WirelessDevice>> wirelessDevices() override;
  Status setWirelessState(WirelessKind kind, int state) override;

  // Dial-up: SimConnections::active, hangUp and connectData.
  std::vector<std::string> dialupConnections() override;
  Status hangUp(std::string_view name) override;
  Status connectData() override;

  // What the person holding the phone does in its settings (zelko-device radio). These
  // work whether or not the wireless-device library is there.
  RadioState state();
  // The phone on (full function, registered) or off (unregistered, no transmit and
  // receive). NotFound without a cellular line.
  Status setPhone(bool on);
  Status setWifi(WifiState wifi);
  Status setBluetooth(BluetoothState bluetooth);
  Status setLinePresent(bool present);
  Status setLibraryPresent(bool present);

 private:
  // Reads the state, lets `edit` change it, and stores it with its state values in one
  // transaction; then journals what changed. An error from `edit` changes nothing.
  Status change(const std::function<Status(RadioState&)>& edit);
  // The same for the line's own calls: NotFound without a line.
  Status changeLine(const std::function<Status(RadioState&)>& edit);
  // Sets one member of the state; `ofLine`: a call of the line's own (see changeLine).
  template <typename T>
  Status setField(T RadioState::*field, T value, bool ofLine);
  void journalChanges(const RadioState& before, const RadioState& after);

  DeviceSettings& settings_;
  Registry& registry_;
  Journal& journal_;
  SimConnections& connections_;
};

}  // namespace zelko::platform::sim
