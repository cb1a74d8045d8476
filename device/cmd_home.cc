// home: where the home screen's focus is, for a person or a test to read; with --serve,
// the home screen drawn in a browser.
#include <signal.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/host.h"
#include "device/cli.h"
#include "device/home_view/event_hub.h"
#include "device/home_view/home_server.h"
#include "device/home_view/home_view.h"
#include "platform/sim/home_host.h"

namespace zelko::device {
namespace {

const char kHomeUsage[] =
    "usage: zelko-device home [--serve [ADDRESS:PORT]]\n"
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
    "while the device is up; without it this fails.\n"
    "\n"
    "--serve draws the home screen in a web browser, from the layout file of the screen\n"
    "(\\Windows\\<CPRFile>_<W>x<H>.cpr, docs/layout.md) and the page values, on\n"
    "ADDRESS:PORT (default 127.0.0.1:8480, the loopback only; port 0 picks a free one),\n"
    "until interrupted. It prints the address to open. The page follows every batch of\n"
    "values (Updated going to 1) and every move of the focus without reloading; a tap\n"
    "runs what the home screen runs (see tap), a swipe or an arrow key moves the focus,\n"
    "and while a browser is connected the device's popup menus, question boxes and contact\n"
    "choosers appear in it and take the person's answer (an answer queued with ui still\n"
    "comes first).\n";

constexpr char kDefaultAddress[] = "127.0.0.1";
constexpr int kDefaultPort = 8480;

std::pair<std::string, int> parseAddress(const std::string& text) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) throw UsageError("expected ADDRESS:PORT, not " + shortened(text));
  std::string address = text.substr(0, colon);
  if (address.size() > 2 && address.front() == '[' && address.back() == ']') address = address.substr(1, address.size() - 2);
  int port = static_cast<int>(parseNumber(text.substr(colon + 1), "port", 65535));
  return {address, port};
}

// A thousand browsers at once need more descriptors than a shell usually allows.
void raiseDescriptorLimit() {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  (void)setrlimit(RLIMIT_NOFILE, &limit);  // the lower limit serves fewer browsers, nothing more
}

int serve(Context& ctx, const std::string& address, int port) {
  // SIGINT and SIGTERM are taken by sigwait in one thread: the others start with them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  raiseDescriptorLimit();

  auto& device = ctx.device();
  home::EventHub hub;
  home::HomeView view(device, hub);
  check(view.start());
  home::HomeServer server(view, hub, device.platform().files(), device.dir() / "fs");
  int bound = server.bind(address, port);
  if (bound < 0) throw Failure("cannot listen on " + address + ":" + std::to_string(port));
  std::string shown = address.find(':') == std::string::npos ? address : "[" + address + "]";
  std::printf("serving the home screen on http://%s:%d/ (interrupt to stop)\n", shown.c_str(), bound);
  std::fflush(stdout);

  std::atomic<bool> stop{false};
  std::thread listener([&server] { server.listen(); });
  std::thread signals([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    stop = true;
    view.wake();
  });
  view.run(stop);
  server.stop();
  listener.join();
  signals.join();
  return 0;
}

int homeCommand(Context& ctx, Args& args) {
  if (args.flag("--serve")) {
    std::optional<std::string> where = args.nextOptional();
    args.done();
    auto [address, port] = where ? parseAddress(*where) : std::pair<std::string, int>{kDefaultAddress, kDefaultPort};
    return serve(ctx, address, port);
  }
  args.done();
  auto& device = ctx.device();
  if (!platform::sim::HomeScreenHost::running(device.platform().windows())) {
    throw Failure("the home screen is not running (zelko-device up starts it)");
  }
  platform::sim::HomeScreen screen(device.platform().registry(), device.settings());
  platform::sim::HomeFocus focus = screen.focus();
  std::printf("plugin\t%s\npage\t%s\npages\t%s\n", escapeText(focus.plugin).c_str(),
              escapeText(focus.page).c_str(), escapeText(host::joinList(screen.pages(focus.plugin))).c_str());
  return 0;
}

}  // namespace

const Command kHomeCommands[] = {
    {"home", "the home screen's focus; --serve: the home screen in a browser", kHomeUsage, homeCommand},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
