// ZelkoSms.exe, the text-message provider: see program.h.
#include "ZelkoSms/program.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoSms", [&](auto& platform) {
    zelko::Suite suite(platform);
    suite.settings().startUp(zelko::kSmsProgram.name, zelko::kSmsProgram.build, argc, argv);
    return zelko::sms::run(suite);
  });
}
