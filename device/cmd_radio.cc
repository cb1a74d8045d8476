// radio: the phone's radios, the cellular line and the wireless-device library.
#include <cstdio>
#include <string>

#include "device/cli.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/sim_radios.h"

namespace zelko::device {
namespace {

using platform::sim::BluetoothState;
using platform::sim::RadioState;
using platform::sim::SimRadios;
using platform::sim::WifiState;

const char kRadioUsage[] =
    "usage: zelko-device radio [set phone on|off | set wifi on|off|connected\n"
    "                           | set bluetooth on|off|discoverable]\n"
    "       zelko-device radio line present|absent\n"
    "       zelko-device radio library present|absent\n"
    "\n"
    "The phone's radios, switched the way the person holding it does in its settings.\n"
    "Each change also sets the state values the phone keeps, with notification:\n"
    "HKLM\\System\\State\\Hardware \"WiFi\" (1 off, 3 on, 19 connected to a network) and\n"
    "\"Bluetooth\" (8 off, 9 on, 11 discoverable). The phone off sets bit 0x10 of\n"
    "HKLM\\System\\State\\Phone \"Status\" and empties \"Cellular System Available\" and\n"
    "\"Current Operator Name\" until it has service again.\n"
    "line: whether the device has its telephony line \"Cellular Line\" (without it the\n"
    "phone is off and cannot be switched on). library: whether it has the wireless-device\n"
    "library that programs switch Wi-Fi and Bluetooth through.\n"
    "Without arguments prints the current state:\n"
    "  phone<TAB>on|off\n"
    "  wifi<TAB>off|on|connected\n"
    "  bluetooth<TAB>off|on|discoverable\n"
    "  line<TAB>present|absent\n"
    "  library<TAB>present|absent\n";

// The device's radios with the setters only the device tool reaches.
SimRadios radiosOf(Context& ctx) {
  auto& device = ctx.device();
  return SimRadios(device.settings(), device.platform().registry(), device.journal(),
                   device.connections());
}

void print(const RadioState& s) {
  std::printf("phone\t%s\nwifi\t%s\nbluetooth\t%s\nline\t%s\nlibrary\t%s\n",
              s.linePresent && s.equipment == platform::kEquipmentFull ? "on" : "off",
              std::string(wifiName(s.wifi)).c_str(), std::string(bluetoothName(s.bluetooth)).c_str(),
              s.linePresent ? "present" : "absent", s.libraryPresent ? "present" : "absent");
}

bool parsePresence(const std::string& text) {
  if (text == "present") return true;
  if (text == "absent") return false;
  throw UsageError("expected present or absent, not " + shortened(text));
}

platform::Status set(SimRadios& radios, const std::string& radio, const std::string& value) {
  if (radio == "phone") {
    if (value != "on" && value != "off") throw UsageError("the phone is on or off, not " + shortened(value));
    return radios.setPhone(value == "on");
  }
  if (radio == "wifi") {
    auto wifi = platform::sim::parseWifi(value);
    if (!wifi) throw UsageError("Wi-Fi is on, off or connected, not " + shortened(value));
    return radios.setWifi(*wifi);
  }
  if (radio == "bluetooth") {
    auto bluetooth = platform::sim::parseBluetooth(value);
    if (!bluetooth) throw UsageError("Bluetooth is on, off or discoverable, not " + shortened(value));
    return radios.setBluetooth(*bluetooth);
  }
  throw UsageError("unknown radio " + shortened(radio) + " (expected phone, wifi or bluetooth)");
}

int radio(Context& ctx, Args& args) {
  std::optional<std::string> action = args.nextOptional();
  if (!action) {
    args.done();
    print(radiosOf(ctx).state());
    return 0;
  }
  if (*action == "set") {
    std::string which = args.next("the radio (phone, wifi or bluetooth)");
    std::string value = args.next("its state");
    args.done();
    SimRadios radios = radiosOf(ctx);
    checkInput(set(radios, which, value));
  } else if (*action == "line" || *action == "library") {
    bool present = parsePresence(args.next("present or absent"));
    args.done();
    SimRadios radios = radiosOf(ctx);
    check(*action == "line" ? radios.setLinePresent(present) : radios.setLibraryPresent(present));
  } else {
    throw UsageError("unknown radio action " + shortened(*action) + " (expected set, line or library)");
  }
  return 0;
}

}  // namespace

const Command kRadioCommands[] = {
    {"radio", "show or switch the radios, the cellular line and the radio library", kRadioUsage, radio},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
