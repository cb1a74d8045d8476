// ZelkoContacts.exe, the birthdays provider: see contacts_program.h.
#include "ZelkoContacts/contacts_program.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoContacts", [](auto& platform) {
    zelko::Suite suite(platform);
    std::vector<std::string> args = zelko::argumentsFromCommandLine(
        zelko::kContactsProgram.name, platform.shell().commandLine());
    return zelko::contacts::run(suite, args);
  });
}
