// ZelkoToday.exe, the engine controller: see controller.h.
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
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoToday", [](auto& platform) {
    zelko::Suite suite(platform);
    return zelko::controller::run(suite, platform.shell().commandLine(), kShowNormal,
                                  [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); });
  });
}
