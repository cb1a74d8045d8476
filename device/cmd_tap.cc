// tap: touch a page of the ZelkoToday plugin the way the home screen does.
#include <algorithm>
#include <cstdio>
#include <string>

#include "common/host.h"
#include "device/cli.h"
#include "device/home_view/touch.h"

namespace zelko::device {
namespace {

const char kTapUsage[] =
    "usage: zelko-device tap PAGE panel|page|softkey [--at X,Y]\n"
    "\n"
    "Touches a page of the ZelkoToday plugin (Page1 ... Page5, one of its Pages) as the\n"
    "home screen does: its panel runs the page's ACTIONURLPNX action, the page itself its\n"
    "ACTIONURL, the second soft key its SK2URL, through the device's shell (the action\n"
    "strings the setup tool registers; :MSCALENDAR opens the calendar). --at puts the\n"
    "cursor where the screen was touched first, so that a popup menu opens there; without\n"
    "it the cursor stays where it is. The journal records an event \"tap\" and then the\n"
    "launch. Prints the action run.\n";

platform::Point parsePoint(const std::string& text) {
  size_t comma = text.find(',');
  if (comma == std::string::npos) throw UsageError("--at takes X,Y, not " + shortened(text));
  return {static_cast<int>(parseNumber(text.substr(0, comma), "X", 9999)),
          static_cast<int>(parseNumber(text.substr(comma + 1), "Y", 9999))};
}

int tap(Context& ctx, Args& args) {
  std::optional<std::string> at = args.option("--at");
  std::string page = args.next("PAGE");
  std::string target = args.next("panel, page or softkey");
  args.done();
  home::Touch touch;
  touch.plugin = std::string(host::kPluginName);
  touch.page = page;
  std::optional<home::TouchTarget> kind = home::touchTargetOf(target);
  if (!kind) throw UsageError("tap touches a panel, a page or a softkey, not " + shortened(target));
  touch.target = *kind;
  if (at) touch.at = parsePoint(*at);
  auto& device = ctx.device();
  std::vector<std::string> pages = host::readPluginPages(device.platform().registry(), host::kPluginName);
  if (std::find(pages.begin(), pages.end(), page) == pages.end()) {
    throw Failure("ZelkoToday has no page " + shortened(page) + " (its Pages: " +
                  (pages.empty() ? std::string("none; ZelkoTools.exe -install registers them") : host::joinList(pages)) + ")");
  }
  auto run = home::runTouch(device.platform(), device.journal(), touch);
  check(run.status());
  std::printf("%s\n", run->action.c_str());
  if (!run->started) throw Failure("the action could not be started (the journal has the launch)");
  return 0;
}

}  // namespace

const Command kTapCommands[] = {
    {"tap", "touch a page of the plugin: its panel, the page or its soft key", kTapUsage, tap},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
