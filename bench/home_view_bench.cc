// What the served home screen costs to follow the device, beside a baseline of the same run:
//   a battery change (`zelko-device battery`,      vs  a bare push round trip of the same
//   alternately 9 % and 42 %) until the page's         server: POST /ping and its "pong"
//   event stream brings the drawing with the           event back on the same stream
//   new battery image (the engine hears the
//   change, rewrites its values in a batch, the
//   server draws and pushes the screen)
//   `zelko-device battery` reading the level, the share of the command's own start
//   the same change written by this process       vs  the bare push round trip
//   (the setter zelko-device uses) until the
//   page's stream brings the new image
// The device is made as `zelko-device init` and `install` make one, with the plugin's layers
// installed, the services up and the engine running; the server is `zelko-device home
// --serve` on a free loopback port. Prints each benchmark, then the ratio.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "platform/sim/device.h"
#include "platform/sim/sim_power.h"
#include "tests/e2e/served_home.h"
#include "tests/e2e/spawned.h"

namespace fs = std::filesystem;
using zelko::testing::EventStream;
using zelko::testing::ServedHome;

namespace {

fs::path gDir;
std::unique_ptr<ServedHome> gServed;
std::unique_ptr<EventStream> gEvents;

fs::path binDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// Runs zelko-device on the bench's device; true when it exits with `expected`.
bool zd(std::vector<std::string> args, int expected = 0) {
  args.insert(args.begin(), {(binDir() / "zelko-device").string(), "-d", (gDir / "device").string()});
  pid_t pid = zelko::testing::spawnLogged(args, gDir / "zd.out");
  if (pid == 0) return false;
  auto code = zelko::testing::waitExit(pid, std::chrono::seconds(60));
  if (code != expected) std::fprintf(stderr, "%s: %s", args[3].c_str(), zelko::testing::readWhole(gDir / "zd.out").c_str());
  return code == expected;
}

bool makeDevice() {
  const char* controller = "\\Program Files\\ZelkoToday\\ZelkoToday.exe";
  return zd({"init", "--screen", "480x800", "--locale", "en-US"}) && zd({"install"}) &&
         zd({"exec", "--wait", "\\Program Files\\ZelkoToday\\VARN_installer.exe",
             "-addchange -silent -plg:\\Program Files\\ZelkoToday\\ZelkoToday.plg -cpr:currentPortrait"}) &&
         zd({"reg", "set", "HKLM", "Software\\Microsoft\\CHome\\ZelkoToday", "Pages", "--text", "Page1;Page2"}) &&
         zd({"up"}) && zd({"clock", "set", "2026-12-31 23:59"}) && zd({"battery", "42", "--no-ac"}) &&
         zd({"exec", "--wait", controller, "-update"}, 1);
}

// The levels stay above the critical one, which would start the radio switcher each time.
void BM_BatteryChangeToPage(benchmark::State& state) {
  bool low = false;
  for (auto _ : state) {
    low = !low;
    if (!zd({"battery", low ? "25" : "42", "--no-ac"}) ||
        !gEvents->next("screen", low ? "battery_2.png" : "battery_3.png")) {
      state.SkipWithError("the new battery image never came");
      return;
    }
  }
}
BENCHMARK(BM_BatteryChangeToPage)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BatteryWriteToPage(benchmark::State& state) {
  auto device = zelko::platform::sim::Device::open(gDir / "device");
  if (!device.ok()) {
    state.SkipWithError("cannot open the device");
    return;
  }
  zelko::platform::sim::SimPower power((*device)->settings(), (*device)->platform().registry(),
                                      gDir / "device" / "fs");
  bool low = false;
  for (auto _ : state) {
    low = !low;
    if (!power.setBattery(low ? 25 : 42, false).ok() || !gEvents->next("screen", low ? "battery_2.png" : "battery_3.png")) {
      state.SkipWithError("the new battery image never came");
      return;
    }
  }
}
BENCHMARK(BM_BatteryWriteToPage)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BatteryCommandAlone(benchmark::State& state) {
  for (auto _ : state) {
    if (!zd({"battery"})) {
      state.SkipWithError("zelko-device battery failed");
      return;
    }
  }
}
BENCHMARK(BM_BatteryCommandAlone)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PushRoundTrip(benchmark::State& state) {
  httplib::Client client("127.0.0.1", gServed->port());
  int token = 0;
  for (auto _ : state) {
    std::string t = "t" + std::to_string(++token) + ".";
    auto res = client.Post("/ping", {{"X-Zelko-Home", "1"}}, "token=" + t, "application/x-www-form-urlencoded");
    if (!res || res->status != 200 || !gEvents->next("pong", t)) {
      state.SkipWithError("no pong");
      return;
    }
  }
}
BENCHMARK(BM_PushRoundTrip)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  char dir[] = "/tmp/zelko-home-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  gDir = dir;
  int rc = 1;
  if (makeDevice()) {
    gServed = std::make_unique<ServedHome>(gDir / "device");
    if (gServed->port() != 0) {
      gEvents = std::make_unique<EventStream>(gServed->port());
      if (gEvents->next("screen", ">42%<")) {
        zelko::bench::RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const std::string push = "BM_PushRoundTrip/iterations:200/real_time";
        reporter.printRatio("BM_BatteryChangeToPage/iterations:20/real_time", push);
        reporter.printRatio("BM_BatteryCommandAlone/iterations:20/real_time", push);
        reporter.printRatio("BM_BatteryWriteToPage/iterations:20/real_time", push);
        rc = 0;
      } else {
        std::fprintf(stderr, "the engine's first values never reached the page\n");
      }
      gEvents.reset();
      gServed->stop();
    } else {
      std::fprintf(stderr, "the server did not start: %s\n", gServed->output().c_str());
    }
  }
  (void)zd({"exec", "--wait", "\\Program Files\\ZelkoToday\\ZelkoToday.exe", "-stop"}, 1);
  (void)zd({"down"});
  std::error_code ignored;
  fs::remove_all(gDir, ignored);
  return rc;
}
