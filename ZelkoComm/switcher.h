// ZelkoComm.exe, the radio switcher: a run-once program the home screen and the engine
// start through action strings ("ZelkoComm.exe;-bt:off -wifi:off"). It carries out the
// first of these option groups that its command line holds and ends with exit code 0:
//   -3G[:off]       3G mode on, off, or toggled (the radio is cycled around the change)
//   -data           hang up the active data connection
//   -restart        hang up data and cycle the cellular radio
//   -phone[:off]    the cellular radio on, off, or toggled
//   -status         a snapshot of the connection states under HKCU\Software\Zelko\Comm
//   -flight[:off]   all radios off, the phone on, or toggled between the two
//   -bt[:off|:discoverable] -bt2[:off] -wifi[:off]   Bluetooth and Wi-Fi, in one pass
// Nothing is reported to the user; failures of the platform go to the program's log.
#pragma once

#include <optional>
#include <string>

#include "ZelkoComm/phone_line.h"

namespace zelko {
class Suite;
}

namespace zelko::comm {

class RadioLibrary;

// The wanted state of a switch with an on and an off state: off for the value "off", and
// for no value while it is on (a toggle); on otherwise.
int toggled(const std::string& value, bool isOn, int on, int off);

class Switcher {
 public:
  explicit Switcher(Suite& suite);

  // Runs the first group the arguments of the started-up settings hold.
  void run();

 private:
  std::optional<std::string> option(const char* name) const;
  void networkMode(const std::string& value);
  void hangUpData();
  void restart();
  void phone(const std::string& value);
  void status();
  void flight(RadioLibrary& library, const std::string& value);
  void wireless(RadioLibrary& library);

  Suite& suite_;
  PhoneLine line_;
};

}  // namespace zelko::comm
