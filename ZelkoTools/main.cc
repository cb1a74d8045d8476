// ZelkoTools.exe, the setup tool: see tools.h.
#include "ZelkoTools/tools.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoTools", [&](auto& platform) {
    zelko::Suite suite(platform);
    suite.settings().startUp(zelko::kToolsProgram.name, zelko::kToolsProgram.build, argc, argv);
    return zelko::tools::run(suite, platform.shell().commandLine());
  });
}
