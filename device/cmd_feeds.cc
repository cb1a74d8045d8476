// feeds: a loopback server of sample weather documents, so that the weather provider
// shows a forecast without the internet.
#include <httplib.h>
#include <signal.h>

#include <cstdio>
#include <thread>

#include "device/cli.h"
#include "device/feed_server.h"

namespace zelko::device {
namespace {

const char kFeedsUsage[] =
    "usage: zelko-device feeds [--port N]\n"
    "\n"
    "Serves sample documents of the three weather services (MSN, Google, AccuWeather),\n"
    "the MSN map page and its image on 127.0.0.1, port N (default 8080; 0 picks a free\n"
    "one), until interrupted. The default ZelkoToday.ini points the weather provider at\n"
    "http://127.0.0.1:8080 (section [Weather]). Every location gets the same sample\n"
    "forecast, dated from the device's clock, in the units the request asks for. Prints\n"
    "the address it serves on.\n";

int feeds(Context& ctx, Args& args) {
  std::optional<std::string> portText = args.option("--port");
  args.done();
  uint64_t port = portText ? parseNumber(*portText, "port") : kDefaultFeedsPort;
  if (port > 65535) throw UsageError("port " + *portText + " is not 0-65535");
  platform::Clock& clock = ctx.platform().clock();

  // SIGINT and SIGTERM are taken by sigwait below, in this thread only: the server's
  // threads start with them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  httplib::Server server;
  addFeedRoutes(server, [&clock] { return clock.localNow(); });
  int bound = static_cast<int>(port);
  if (port == 0) {
    bound = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", bound)) {
    bound = -1;
  }
  if (bound < 0) throw Failure("cannot listen on 127.0.0.1:" + std::to_string(port));
  std::printf("serving sample weather feeds on http://127.0.0.1:%d (interrupt to stop)\n", bound);
  std::fflush(stdout);
  std::thread listener([&server] { server.listen_after_bind(); });
  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.stop();
  listener.join();
  return 0;
}

}  // namespace

const Command kFeedsCommands[] = {
    {"feeds", "serve sample weather documents on the loopback", kFeedsUsage, feeds},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
