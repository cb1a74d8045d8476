// ZelkoMenu.exe, the popup menu: see popup_menu.h.
#include "ZelkoMenu/popup_menu.h"
#include "common/suite.h"
#include "platform/sim/device.h"

int main(int argc, char** argv) {
  return zelko::platform::sim::runProgram(argc, argv, "ZelkoMenu", [](auto& platform) {
    zelko::Suite suite(platform);
    zelko::menu::PopupMenu menu(suite);
    return menu.run(platform.shell().commandLine());
  });
}
