// The device's radios. The dial-up side is the connection manager (sim_connections.h):
// the three dial-up methods only forward to it. The cellular line and the wireless
// devices are not emulated yet: their four methods answer Unsupported and leave a
// "stub" event in the journal. The work that emulates them replaces those four methods
// (and may take more services in the constructor) and leaves the dial-up forwarding as
// it is, so that a data connection keeps meaning the same thing to every program.
#pragma once

#include "platform/radios.h"

namespace zelko::platform::sim {

class Journal;
class SimConnections;

class SimRadios final : public Radios {
 public:
  SimRadios(Journal& journal, SimConnections& connections)
      : journal_(journal), connections_(connections) {}

  // The cellular line and the wireless devices.
  Result<bool> phoneRadioOn() override;
  Status setPhoneRadio(bool on) override;
  Result<std::vector<WirelessDevice>> wirelessDevices() override;
  Status setWirelessState(WirelessKind kind, int state) override;

  // Dial-up: SimConnections::active, hangUp and connectData.
  std::vector<std::string> dialupConnections() override;
  Status hangUp(std::string_view name) override;
  Status connectData() override;

 private:
  // Journals the call of a method that is not emulated yet; Unsupported.
  Status stub(std::string_view call, std::string_view what);

  Journal& journal_;
  SimConnections& connections_;
};

}  // namespace zelko::platform::sim
