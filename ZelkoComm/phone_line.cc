#include "ZelkoComm/phone_line.h"

#include <string>
#include <vector>

#include "platform/log.h"
#include "platform/radios.h"

namespace zelko::comm {

void PhoneLine::logFailure(const char* what, const platform::Status& status) {
  if (!status.ok()) log_.failure(what, status);
}

int PhoneLine::equipmentState() {
  platform::Result<int> state = radios_.equipmentState();
  if (!state.ok()) {
    logFailure("cannot read the phone's equipment state", state.status());
    return kNoLine;
  }
  return *state;
}

void PhoneLine::setRadio(int wanted) {
  if (wanted == 2 || wanted == 3 || wanted == platform::kEquipmentFull) {
    logFailure("cannot switch the phone on", radios_.setEquipmentState(platform::kEquipmentFull));
    logFailure("cannot register on the network", radios_.registerOnNetwork());
  } else if (wanted == platform::kEquipmentMinimum || wanted == platform::kEquipmentNoTransmitReceive) {
    logFailure("cannot leave the network", radios_.unregisterFromNetwork());
    logFailure("cannot switch the phone off",
               radios_.setEquipmentState(platform::kEquipmentNoTransmitReceive));
  }
}

void PhoneLine::hangUpData() {
  std::vector<std::string> active = radios_.dialupConnections();
  if (active.size() != 1) return;
  logFailure("cannot hang up the data connection", radios_.hangUp(active.front()));
}

}  // namespace zelko::comm
