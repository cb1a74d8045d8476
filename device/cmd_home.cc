// home: where the home screen's focus is, for a person or a test to read.
#include <cstdio>
#include <string>
#include <vector>

#include "device/cli.h"
#include "platform/sim/home_host.h"

namespace zelko::device {
namespace {

const char kHomeUsage[] =
    "usage: zelko-device home\n"
    "\n"
    "Prints the home screen's focus and the pages of the focused plugin:\n"
    "\n"
    "  plugin<TAB>NAME\n"
    "  page<TAB>NAME\n"
    "  pages<TAB>PAGE;PAGE;...\n"
    "\n"
    "The plugins come from ExtensibilityXML of Software\\Microsoft\\CHome, in screen order,\n"
    "and a plugin's pages from the Pages value of its key. The arrow keys that programs\n"
    "send to the home screen's Confetti window move the focus: up and down between\n"
    "plugins (onto the first page), left and right between pages. The home screen runs\n"
    "while the device is up; without it this fails.\n";

std::string joined(const std::vector<std::string>& pages) {
  std::string out;
  for (size_t i = 0; i < pages.size(); ++i) out += (i ? ";" : "") + pages[i];
  return out;
}

int home(Context& ctx, Args& args) {
  args.done();
  auto& device = ctx.device();
  if (!platform::sim::HomeScreenHost::running(device.platform().windows())) {
    throw Failure("the home screen is not running (zelko-device up starts it)");
  }
  platform::sim::HomeScreen screen(device.platform().registry(), device.settings());
  platform::sim::HomeFocus focus = screen.focus();
  std::printf("plugin\t%s\npage\t%s\npages\t%s\n", escapeText(focus.plugin).c_str(),
              escapeText(focus.page).c_str(), escapeText(joined(screen.pages(focus.plugin))).c_str());
  return 0;
}

}  // namespace

const Command kHomeCommands[] = {
    {"home", "the home screen's focus and the focused plugin's pages", kHomeUsage, home},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
