// init, install, up, down: making a device and starting its background services.
#include <chrono>
#include <cstdio>
#include <thread>

#include "device/cli.h"
#include "device/phone_defaults.h"
#include "device/skin_install.h"
#include "device/services.h"

namespace zelko::device {
namespace {

namespace fs = std::filesystem;

const char kInitUsage[] =
    "usage: zelko-device init [--screen 480x800] [--locale en-US] [--timezone UTC]\n"
    "                         [--journal-limit 100000]\n"
    "\n"
    "Creates a fresh device: the stores, the phone's file system with its special\n"
    "folders, the home screen's values and layout files, the state values of an idle\n"
    "phone and the stand-ins of the phone's own programs. The clock starts frozen at the\n"
    "current minute. The journal keeps the newest --journal-limit events. Fails when the\n"
    "folder already holds a device.\n";

const char kInstallUsage[] =
    "usage: zelko-device install\n"
    "\n"
    "Copies the built programs of the suite (from the folder of zelko-device) into\n"
    "\\Program Files\\ZelkoToday as NAME.exe, the plugin's layers ZelkoToday.plg, the default\n"
    "skin into its skins\\default folder and, when the device has none yet, the default\n"
    "ZelkoToday.ini; refreshes the device's launcher.\n";

const char kUpUsage[] =
    "usage: zelko-device up\n"
    "\n"
    "Starts the device's background services that do not run yet, each in a process of\n"
    "its own: the heartbeat writes the System\\State\\DateTime values at every minute\n"
    "while the clock runs and starts the timed starts that fall due; the home screen\n"
    "owns its windows and moves its focus on the arrow keys (see zelko-device home).\n"
    "Their output goes to run/service.log. Several up at once start each service once.\n";

const char kDownUsage[] =
    "usage: zelko-device down\n"
    "\n"
    "Stops every background service of the device, also when its stores cannot be read,\n"
    "then the engine when it runs.\n";

const char kServiceUsage[] =
    "usage: zelko-device service NAME\n"
    "\n"
    "Runs one background service of the device in the foreground until SIGTERM or SIGINT\n"
    "(up starts them so). A service that runs already is not started again.\n";

const char* const kPrograms[] = {"ZelkoWinToday", "ZelkoToday",  "ZelkoMeteo", "ZelkoContacts",
                                 "ZelkoSms",      "ZelkoCalendar", "ZelkoTools", "ZelkoMenu",
                                 "ZelkoComm",     "VARN_installer"};
// The phone's own programs that action strings name; a stand-in only shows up in the journal.
const char* const kStandIns[] = {"tmail.exe", "poutlook.exe"};

fs::path ownFolder() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).parent_path();
}

void copyExecutable(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  // The old file may be a hard link to `from` itself (see Device::create).
  fs::remove(to, ec);
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw Failure("cannot copy " + from.string() + ": " + ec.message());
}

int init(Context& ctx, Args& args) {
  platform::sim::DeviceOptions options;
  if (auto s = args.option("--screen")) options.screen = *s;
  if (auto l = args.option("--locale")) options.locale = *l;
  if (auto t = args.option("--timezone")) options.timezone = *t;
  if (auto j = args.option("--journal-limit")) {
    options.journalLimit = parseInteger(*j, "--journal-limit", 1, INT64_MAX);
  }
  args.done();
  fs::path standIn = ownFolder() / "zelko-standin";
  if (!fs::exists(standIn)) throw Failure("zelko-standin is missing beside zelko-device; build the project first");
  check(platform::sim::Device::create(ctx.dir(), options));
  auto& device = ctx.device();
  platform::ScreenSize screen = device.platform().windows().screenSize();
  check(writePhoneDefaults(device.platform(), screen.width, screen.height));
  for (const char* name : kStandIns) {
    copyExecutable(standIn, device.platform().files().hostPath(std::string("\\Windows\\") + name));
  }
  check(device.tick());
  std::printf("created a device in %s\n", ctx.dir().c_str());
  return 0;
}

int install(Context& ctx, Args& args) {
  args.done();
  auto& device = ctx.device();
  fs::path from = ownFolder();
  copyExecutable(from / "zelko-launch", device.dir() / "bin" / "zelko-launch");
  int copied = 0;
  for (const char* name : kPrograms) {
    fs::path built = from / name;
    if (!fs::exists(built)) continue;
    copyExecutable(built, device.platform().files().hostPath(
                              std::string("\\Program Files\\ZelkoToday\\") + name + ".exe"));
    ++copied;
  }
  // The plugin's layers, which VARN_installer adds to the home screen's layout.
  if (fs::exists(from / "ZelkoToday.plg")) {
    copyExecutable(from / "ZelkoToday.plg",
                   device.platform().files().hostPath("\\Program Files\\ZelkoToday\\ZelkoToday.plg"));
  }
  auto skins = installSkins(from.parent_path(), device.platform().files());
  if (!skins.ok()) throw Failure(skins.status().message());
  std::printf("installed %d program%s and the default skin into \\Program Files\\ZelkoToday\n", copied,
              copied == 1 ? "" : "s");
  return 0;
}

int up(Context& ctx, Args& args) {
  args.done();
  int started = startServices(ctx);
  if (started == 0) {
    std::printf("the device is up already\n");
  } else {
    std::printf("the device is up\n");
  }
  return 0;
}

int service(Context& ctx, Args& args) {
  std::string name = args.next("service name");
  args.done();
  return runService(ctx, name);
}

// Asks the engine to end, and waits for it.
void stopEngine(Context& ctx) {
  auto& windows = ctx.platform().windows();
  // The engine's window class; 1127 asks it to stop cleanly.
  platform::WindowHandle engine = windows.findWindow("ZelkoToday");
  if (!engine) return;
  check(windows.postMessage({engine, platform::kWmUser + 103, 0, 0}));
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (windows.findWindow("ZelkoToday")) {
    if (std::chrono::steady_clock::now() > end) {
      throw Failure("the engine did not stop within 5 seconds");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int down(Context& ctx, Args& args) {
  args.done();
  // The services first, from run/ alone: a device whose registry cannot be read must
  // still stop writing to it.
  stopServices(ctx.dir());
  stopEngine(ctx);
  std::printf("the device is down\n");
  return 0;
}

}  // namespace

const Command kDeviceCommands[] = {
    {"init", "create a fresh device", kInitUsage, init},
    {"install", "copy the built suite into the device", kInstallUsage, install},
    {"up", "start the device's background service", kUpUsage, up},
    {"down", "stop the background service and the engine", kDownUsage, down},
    {"service", "run one background service (started by up)", kServiceUsage, service},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
