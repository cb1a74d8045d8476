// net, dialup: the device's network and its connection manager.
#include <cstdio>
#include <optional>
#include <string>

#include "device/cli.h"
#include "platform/sim/sim_connections.h"

namespace zelko::device {
namespace {

using platform::sim::SimConnections;

const char kNetUsage[] =
    "usage: zelko-device net [--online | --offline] [--proxy HOST:PORT | --no-proxy]\n"
    "\n"
    "Whether the device has a network, and the proxy its programs reach the web through\n"
    "(the environment's proxy settings are never used). Offline, every connection request\n"
    "fails at once and every dial-up connection is hung up. A new device is online without\n"
    "a proxy. Without arguments prints the current state:\n"
    "  network<TAB>online|offline\n"
    "  proxy<TAB>HOST:PORT|none\n";

const char kDialupUsage[] =
    "usage: zelko-device dialup list\n"
    "       zelko-device dialup connect NAME\n"
    "       zelko-device dialup drop [NAME]\n"
    "\n"
    "The dial-up connections of the connection manager. list prints one active connection\n"
    "a line; connect brings one up (fails when the device is offline); drop hangs up the\n"
    "connection NAME, or every one. While a connection is up, bit 0x1000 of\n"
    "HKLM\\System\\State\\Phone \"Status\" is set, with notification. A program that goes on\n"
    "the web while none is up dials \"Internet\".\n";

SimConnections& connectionsOf(Context& ctx) { return ctx.device().connections(); }

int net(Context& ctx, Args& args) {
  bool online = args.flag("--online");
  bool offline = args.flag("--offline");
  bool noProxy = args.flag("--no-proxy");
  std::optional<std::string> proxy = args.option("--proxy");
  args.done();
  if (online && offline) throw UsageError("--online and --offline exclude each other");
  if (proxy && noProxy) throw UsageError("--proxy and --no-proxy exclude each other");
  SimConnections& connections = connectionsOf(ctx);
  if (proxy || noProxy) checkInput(connections.setProxy(proxy ? *proxy : ""));
  if (online || offline) checkInput(connections.setOnline(online));
  if (!online && !offline && !proxy && !noProxy) {
    std::string current = connections.proxy();
    std::printf("network\t%s\nproxy\t%s\n", connections.online() ? "online" : "offline",
                current.empty() ? "none" : current.c_str());
  }
  return 0;
}

int dialup(Context& ctx, Args& args) {
  std::string action = args.next("what to do (list, connect or drop)");
  SimConnections& connections = connectionsOf(ctx);
  if (action == "list") {
    args.done();
    for (const std::string& name : connections.active()) std::printf("%s\n", name.c_str());
  } else if (action == "connect") {
    std::string name = args.next("the connection's NAME");
    args.done();
    checkInput(connections.dial(name));
  } else if (action == "drop") {
    std::optional<std::string> name = args.nextOptional();
    args.done();
    checkInput(name ? connections.hangUp(*name) : connections.hangUpAll());
  } else {
    throw UsageError("unknown dialup action " + action + " (expected list, connect or drop)");
  }
  return 0;
}

}  // namespace

const Command kNetCommands[] = {
    {"net", "show or set the network and its proxy", kNetUsage, net},
    {"dialup", "list, connect or drop dial-up connections", kDialupUsage, dialup},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
