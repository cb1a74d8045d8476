// ZelkoComm.exe, the radio switcher: see switcher.h.
#include "ZelkoComm/switcher.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoComm", [&](auto& platform) {
    zelko::Suite suite(platform);
    // The switcher shows no skin image: it keeps to the earlier start-up.
    suite.settings().startUpEarlier(zelko::kCommProgram.name, zelko::kCommProgram.build,
                                    std::vector<std::string>(argv, argv + argc));
    zelko::comm::Switcher(suite).run();
    return 0;
  });
}
