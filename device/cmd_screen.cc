// screen: the size of the device's screen, and turning it.
#include <cstdio>
#include <optional>
#include <string>

#include "device/cli.h"
#include "device/phone_defaults.h"
#include "platform/sim/device_settings.h"

namespace zelko::device {
namespace {

const char kScreenUsage[] =
    "usage: zelko-device screen [WIDTHxHEIGHT]\n"
    "\n"
    "Sets the size of the device's screen in pixels (1-9999 each), as the phone reports it\n"
    "now: 480x800 standing, 800x480 turned on its side. Programs read it from then on (the\n"
    "plugin installer picks the home screen's layout file by it). The home screen's layout\n"
    "files of that size, \\Windows\\Titanium_WxH.cpr for both orientations, are written\n"
    "when the device has none yet. Without an argument prints the current size.\n";

int screen(Context& ctx, Args& args) {
  std::optional<std::string> wanted = args.nextOptional();
  args.done();
  auto& device = ctx.device();
  if (!wanted) {
    std::printf("%s\n", platform::screenSizeText(device.platform().windows().screenSize()).c_str());
    return 0;
  }
  auto size = platform::parseScreenSize(*wanted);
  if (!size) throw UsageError("bad screen size " + *wanted + " (expected WIDTHxHEIGHT, 1-9999 each)");
  // The layouts first: a screen of a size without them would leave the home screen blank.
  check(writeDefaultLayouts(device.platform().files(), *size));
  check(device.settings().set("screen", platform::screenSizeText(*size)));
  return 0;
}

}  // namespace

const Command kScreenCommands[] = {
    {"screen", "show or set the screen size", kScreenUsage, screen},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
