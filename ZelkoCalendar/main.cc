// ZelkoCalendar.exe, the appointments provider: see calendar_program.h.
#include "ZelkoCalendar/calendar_program.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoCalendar", [](auto& platform) {
    zelko::Suite suite(platform);
    std::vector<std::string> args = zelko::argumentsFromCommandLine(
        zelko::kCalendarProgram.name, platform.shell().commandLine());
    return zelko::calendar::run(suite, args);
  });
}
