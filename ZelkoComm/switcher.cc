#include "ZelkoComm/switcher.h"

#include <chrono>

#include "ZelkoComm/radio_library.h"
#include "common/suite.h"
#include "common/wait_cursor.h"
#include "platform/platform.h"

namespace zelko::comm {
namespace {

using platform::kEquipmentFull;
using platform::Root;
using std::chrono::milliseconds;

constexpr char kUmtsKey[] = "Software\\OEM\\UMTS";
constexpr int k3GOn = 2;
constexpr int k3GOff = 1;
// The off state the toggles aim at; setting the radio to it leaves the line at 4.
constexpr int kPhoneOff = platform::kEquipmentMinimum;

bool phoneOff(int equipment) {
  return equipment == platform::kEquipmentMinimum || equipment == platform::kEquipmentNoTransmitReceive;
}

}  // namespace

int toggled(const std::string& value, bool isOn, int on, int off) {
  if (value == "off" || (value.empty() && isOn)) return off;
  return on;
}

Switcher::Switcher(Suite& suite)
    : suite_(suite), line_(suite.platform().radios(), suite.platform().log()) {}

std::optional<std::string> Switcher::option(const char* name) const {
  return suite_.settings().argument(name);
}

void Switcher::run() {
  if (auto value = option("-3G")) return networkMode(*value);
  if (option("-data")) return hangUpData();
  if (option("-restart")) return restart();
  if (auto value = option("-phone")) return phone(*value);
  if (option("-status")) return status();
  std::optional<RadioLibrary> library =
      RadioLibrary::load(suite_.platform().radios(), suite_.platform().log());
  if (!library) return;
  if (auto value = option("-flight")) return flight(*library, *value);
  wireless(*library);
}

void Switcher::networkMode(const std::string& value) {
  if (phoneOff(line_.equipmentState())) return;
  WaitCursor cursor(suite_.platform().ui());
  uint32_t current = suite_.regReadNumber(Root::kLocalMachine, kUmtsKey, "OpMode");
  int wanted = toggled(value, current == k3GOn, k3GOn, k3GOff);
  if (static_cast<uint32_t>(wanted) == current) return;
  platform::Clock& clock = suite_.platform().clock();
  line_.setRadio(platform::kEquipmentNoTransmitReceive);
  clock.sleep(milliseconds(2000));
  if (!suite_.regWriteNumber(Root::kLocalMachine, kUmtsKey, "OpMode", static_cast<uint32_t>(wanted))) {
    suite_.platform().log().write("cannot write the 3G mode");
  }
  clock.sleep(milliseconds(3000));
  line_.setRadio(kEquipmentFull);
}

void Switcher::hangUpData() {
  if (phoneOff(line_.equipmentState())) return;
  uint32_t status = suite_.regReadNumber(Root::kLocalMachine, platform::kPhoneStateKey,
                                         platform::kPhoneStatusName);
  if (!(status & platform::kPhoneStatusDataConnection)) return;
  WaitCursor cursor(suite_.platform().ui());
  line_.hangUpData();
}

void Switcher::restart() {
  WaitCursor cursor(suite_.platform().ui());
  line_.hangUpData();
  line_.setRadio(platform::kEquipmentNoTransmitReceive);
  suite_.platform().clock().sleep(milliseconds(3000));
  line_.setRadio(platform::kEquipmentTransmitOnly);
  suite_.platform().clock().sleep(milliseconds(250));
}

void Switcher::phone(const std::string& value) {
  WaitCursor cursor(suite_.platform().ui());
  int current = line_.equipmentState();
  int wanted = toggled(value, current == kEquipmentFull, kEquipmentFull, kPhoneOff);
  if (wanted != current) line_.setRadio(wanted);
}

void Switcher::flight(RadioLibrary& library, const std::string& value) {
  WaitCursor cursor(suite_.platform().ui());
  int current = line_.equipmentState();
  int wanted = toggled(value, current == kEquipmentFull, kEquipmentFull, kPhoneOff);
  if (wanted == kPhoneOff) {
    library.set(platform::WirelessKind::kBluetooth, platform::kWirelessOff);
    library.set(platform::WirelessKind::kWifi, platform::kWirelessOff);
  }
  if (wanted != current) line_.setRadio(wanted);
}

}  // namespace zelko::comm
