// VARN_installer.exe, the plugin installer: see installer.h.
#include "VARN_installer/installer.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "VARN_installer", [](zelko::platform::Platform& platform) {
    zelko::varn::runInstaller(platform);
    return 0;
  });
}
