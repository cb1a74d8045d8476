// init, install, up, down: making a device and starting its background service.
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <functional>
#include <optional>
#include <cstdio>
#include <fstream>
#include <thread>

#include "device/cli.h"
#include "device/phone_defaults.h"
#include "device/skin_install.h"
#include "platform/sim/device_clock.h"
#include "platform/sim/home_host.h"
#include "platform/sim/process_info.h"

extern char** environ;

namespace zelko::device {
namespace {

namespace fs = std::filesystem;
using platform::sim::ProcessId;

const char kInitUsage[] =
    "usage: zelko-device init [--screen 480x800] [--locale en-US] [--timezone UTC]\n"
    "\n"
    "Creates a fresh device: the stores, the phone's file system with its special\n"
    "folders, the home screen's values and layout files, the state values of an idle\n"
    "phone and the stand-ins of the phone's own programs. The clock starts frozen at the\n"
    "current minute. Fails when the folder already holds a device.\n";

const char kInstallUsage[] =
    "usage: zelko-device install\n"
    "\n"
    "Copies the built programs of the suite (from the folder of zelko-device) into\n"
    "\\Program Files\\ZelkoToday as NAME.exe, the default skin into its skins\\default\n"
    "folder and, when the device has none yet, the default ZelkoToday.ini; refreshes the\n"
    "device's launcher.\n";

const char kUpUsage[] =
    "usage: zelko-device up\n"
    "\n"
    "Starts the device's background service: while the clock runs it writes the\n"
    "System\\State\\DateTime values at every minute and starts the timed starts that fall\n"
    "due; it also runs the home screen (see zelko-device home). Its output goes to\n"
    "run/service.log.\n";

const char kDownUsage[] =
    "usage: zelko-device down\n"
    "\n"
    "Stops the background service with the home screen, and the engine when it runs.\n";

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
  device.tick();
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
  auto skins = installSkins(from.parent_path(), device.platform().files());
  if (!skins.ok()) throw Failure(skins.status().message());
  std::printf("installed %d program%s and the default skin into \\Program Files\\ZelkoToday\n", copied,
              copied == 1 ? "" : "s");
  return 0;
}

fs::path pidFile(Context& ctx) { return ctx.dir() / "run" / "service.pid"; }

std::optional<ProcessId> runningService(Context& ctx) {
  std::ifstream in(pidFile(ctx));
  ProcessId id;
  if (!(in >> id.pid >> id.startTime) || !platform::sim::processAlive(id)) return std::nullopt;
  return id;
}

volatile sig_atomic_t stopRequested = 0;

// The background service itself (started by up): the minute heartbeat of a running clock.
int service(Context& ctx, Args& args) {
  args.done();
  auto& device = ctx.device();
  // The home screen's windows exist before the pid file tells up that the device is up.
  platform::sim::HomeScreenHost home(device);
  if (platform::Status s = home.start(); !s.ok()) {
    std::fprintf(stderr, "zelko-device service: no home screen: %s\n", s.message().c_str());
  }
  ProcessId self = platform::sim::currentProcess();
  {
    std::ofstream out(pidFile(ctx), std::ios::trunc);
    out << self.pid << ' ' << self.startTime << '\n';
  }
  signal(SIGTERM, [](int) { stopRequested = 1; });
  signal(SIGINT, [](int) { stopRequested = 1; });
  auto& clock = device.deviceClock();
  int64_t lastMinute = -1;
  while (!stopRequested) {
    int64_t now = clock.utcMs();
    int64_t minute = now / 60000;
    if (!clock.frozen() && minute != lastMinute) {
      device.tick();
      lastMinute = minute;
    }
    int64_t untilNext = 60000 - now % 60000;
    home.serve(std::chrono::milliseconds(std::min<int64_t>(untilNext + 5, 500)));
  }
  std::error_code ec;
  fs::remove(pidFile(ctx), ec);
  return 0;
}

int up(Context& ctx, Args& args) {
  args.done();
  ctx.device();  // fails clearly when there is no device
  if (runningService(ctx)) {
    std::printf("the device is up already\n");
    return 0;
  }
  std::string exe = (ownFolder() / "zelko-device").string();
  std::string dir = fs::absolute(ctx.dir()).string();
  std::string log = (ctx.dir() / "run" / "service.log").string();
  std::vector<std::string> args2 = {exe, "-d", dir, "service"};
  std::vector<char*> argv;
  for (auto& a : args2) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, exe.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) throw Failure("cannot start the background service");
  // Wait until the service has written its pid, so that a down right after finds it.
  for (int i = 0; i < 100 && !runningService(ctx); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!runningService(ctx)) throw Failure("the background service did not start; see " + log);
  std::printf("the device is up (service pid %d)\n", pid);
  return 0;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

int down(Context& ctx, Args& args) {
  args.done();
  auto& windows = ctx.platform().windows();
  // The engine's window class; 1127 asks it to stop cleanly.
  if (platform::WindowHandle engine = windows.findWindow("ZelkoToday")) {
    windows.postMessage({engine, platform::kWmUser + 103, 0, 0});
    if (!waitUntil([&] { return !windows.findWindow("ZelkoToday"); }, std::chrono::seconds(5))) {
      std::fprintf(stderr, "zelko-device down: the engine did not stop within 5 seconds\n");
    }
  }
  if (auto service = runningService(ctx)) {
    kill(service->pid, SIGTERM);
    if (!waitUntil([&] { return !platform::sim::processAlive(*service); }, std::chrono::seconds(5))) {
      kill(service->pid, SIGKILL);
    }
  }
  std::printf("the device is down\n");
  return 0;
}

}  // namespace

const Command kDeviceCommands[] = {
    {"init", "create a fresh device", kInitUsage, init},
    {"install", "copy the built suite into the device", kInstallUsage, install},
    {"up", "start the device's background service", kUpUsage, up},
    {"down", "stop the background service and the engine", kDownUsage, down},
    {"service", "the background service itself (started by up)", kUpUsage, service},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
