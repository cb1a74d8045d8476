// ZelkoMeteo.exe, the weather provider: see meteo.h.
#include <string>
#include <vector>

#include "ZelkoMeteo/meteo.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoMeteo", [](auto& platform) {
    zelko::Suite suite(platform);
    // The arguments as the phone hands them to a program: its own path, then the
    // command line split at blanks outside double quotes.
    std::vector<std::string> args = {platform.shell().modulePath()};
    for (std::string& arg : zelko::platform::splitCommandLine(platform.shell().commandLine())) {
      args.push_back(std::move(arg));
    }
    return zelko::meteo::runMeteo(suite, args);
  });
}
