#include "platform/sim/sim_radios.h"

#include "platform/sim/sim_connections.h"
#include "platform/sim/stub.h"

namespace zelko::platform::sim {
namespace {

constexpr char kLine[] = "the cellular line";
constexpr char kWireless[] = "the wireless-device library";

}  // namespace

Result<bool> SimRadios::phoneRadioOn() { return stub("phoneRadioOn", kLine); }

Status SimRadios::setPhoneRadio(bool) { return stub("setPhoneRadio", kLine); }

Result<std::vector<WirelessDevice>> SimRadios::wirelessDevices() {
  return stub("wirelessDevices", kWireless);
}

Status SimRadios::setWirelessState(WirelessKind, int) { return stub("setWirelessState", kWireless); }

std::vector<std::string> SimRadios::dialupConnections() { return connections_.active(); }

Status SimRadios::hangUp(std::string_view name) { return connections_.hangUp(name); }

Status SimRadios::connectData() { return connections_.connectData(); }

Status SimRadios::stub(std::string_view call, std::string_view what) {
  reportStub(journal_, "radios", call);
  return Status::Unsupported(std::string(what) + " is not emulated on this device yet");
}

}  // namespace zelko::platform::sim
