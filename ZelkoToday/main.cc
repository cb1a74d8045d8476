// ZelkoToday.exe, the engine controller: see controller.h.
#include <cstdio>
#include <thread>

#include "ZelkoToday/controller.h"
#include "common/suite.h"
#include "platform/sim/device.h"

namespace {
// The platform keeps no show state for a program without a window; the phone hands
// such programs SW_SHOWNORMAL.
constexpr int kShowNormal = 1;
}  // namespace

int main(int argc, char** argv) {
  auto device = zelko::platform::sim::Device::openForProgram(argc, argv);
  if (!device.ok()) {
    std::fprintf(stderr, "ZelkoToday: %s\n", device.status().message().c_str());
    return 2;  // neither of the codes a decision ends with: nothing was decided
  }
  zelko::platform::Platform& p = (*device)->platform();
  zelko::Suite suite(p);
  return zelko::controller::run(suite, p.shell().commandLine(), kShowNormal,
                                [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); });
}
