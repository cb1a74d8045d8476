// The last two groups of the switcher: the status snapshot and the Bluetooth and Wi-Fi
// switches.
#include "ZelkoComm/radio_library.h"
#include "ZelkoComm/switcher.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::comm {
namespace {

using platform::kWirelessOff;
using platform::kWirelessOn;
using platform::Root;

constexpr char kSnapshotKey[] = "Software\\Zelko\\Comm";
constexpr char kHardwareKey[] = "System\\State\\Hardware";
// Reads of the device list after a switch, until both radios show what was asked.
constexpr int kSettleReads = 15;

// -bt: without a value on, discoverable, off, on...; "off" and "discoverable" as named.
int cycledBluetooth(const std::string& value, int current) {
  int wanted = kWirelessOn;
  if (value.empty()) {
    wanted = current == kWirelessOn                       ? platform::kBluetoothDiscoverable
             : current == platform::kBluetoothDiscoverable ? kWirelessOff
                                                           : kWirelessOn;
  }
  if (value == "off") wanted = kWirelessOff;
  if (value == "discoverable") wanted = platform::kBluetoothDiscoverable;
  return wanted;
}

}  // namespace

void Switcher::status() {
  platform::Platform& p = suite_.platform();
  platform::Status removed = p.registry().deleteKey(Root::kCurrentUser, kSnapshotKey);
  if (!removed.ok() && removed.code() != platform::Status::Code::kNotFound) {
    p.log().failure("cannot remove the old snapshot", removed);
  }
  std::string operatorName = suite_.regReadText(Root::kLocalMachine, platform::kPhoneStateKey,
                                                "Current Operator Name");
  uint32_t phoneStatus = suite_.regReadNumber(Root::kLocalMachine, platform::kPhoneStateKey,
                                              platform::kPhoneStatusName);
  bool written = suite_.regWriteText(Root::kCurrentUser, kSnapshotKey, "operatorname",
                                     operatorName.empty() ? "No Operator" : operatorName);
  const std::pair<const char*, uint32_t> numbers[] = {
      {"activesync", suite_.regReadNumber(Root::kLocalMachine, "System\\State\\ActiveSync", "Synchronizing")},
      {"data", (phoneStatus & platform::kPhoneStatusDataConnection) ? 1u : 0u},
      {"cellular", suite_.regReadNumber(Root::kLocalMachine, platform::kPhoneStateKey,
                                        "Cellular System Connected")},
      {"bluetooth", suite_.regReadNumber(Root::kLocalMachine, kHardwareKey, "Bluetooth")},
      {"wifi", suite_.regReadNumber(Root::kLocalMachine, kHardwareKey, "WiFi")},
  };
  for (const auto& [name, number] : numbers) {
    written = suite_.regWriteNumber(Root::kCurrentUser, kSnapshotKey, name, number) && written;
  }
  if (!written) p.log().write("cannot write the whole status snapshot");
}

void Switcher::wireless(RadioLibrary& library) {
  const WirelessStates now = library.read();
  WirelessStates wanted = now;
  if (auto value = option("-bt")) wanted.bluetooth = cycledBluetooth(*value, now.bluetooth);
  if (auto value = option("-bt2")) {
    wanted.bluetooth = toggled(*value, now.bluetooth == kWirelessOn, kWirelessOn, kWirelessOff);
  }
  if (auto value = option("-wifi")) {
    wanted.wifi = toggled(*value, now.wifi == kWirelessOn, kWirelessOn, kWirelessOff);
  }
  if (wanted.bluetooth == now.bluetooth && wanted.wifi == now.wifi) return;
  WaitCursor cursor(suite_.platform().ui());
  if (wanted.bluetooth != now.bluetooth) library.set(platform::WirelessKind::kBluetooth, wanted.bluetooth);
  if (wanted.wifi != now.wifi) library.set(platform::WirelessKind::kWifi, wanted.wifi);
  for (int read = 0; read < kSettleReads; ++read) {
    WirelessStates after = library.read();
    if (after.bluetooth == wanted.bluetooth && after.wifi == wanted.wifi) return;
  }
  suite_.platform().log().write("the wireless devices did not take the states asked for");
}

}  // namespace zelko::comm
