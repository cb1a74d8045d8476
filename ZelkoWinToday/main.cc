// ZelkoWinToday.exe, the resident data engine: see engine.h.
#include "ZelkoWinToday/engine.h"
#include "common/suite.h"
#include "platform/sim/device.h"

namespace {
// The controller starts the engine shown normally; it keeps its window minimized.
constexpr int kShowNormal = 1;
}  // namespace

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoWinToday", [](auto& platform) {
    zelko::Suite suite(platform);
    zelko::engine::Engine engine(suite);
    return engine.run(platform.shell().commandLine(), kShowNormal);
  });
}
