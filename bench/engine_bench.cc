// What the resident engine costs, each figure beside a baseline measured in the same run:
//   a full refresh, in this process             vs  the same notifying writes alone,
//   (Engine::fullRefresh)                           replayed in the same order
//   a battery change to the new BattVal of the  vs  a change callback in another process
//   engine process, heard here                      and its message back (the probe)
//   the engine process's resident memory after 10 and after 1,000 skin reloads (message 1126)
// The engine in this process and the engine process each have a device of their own, made
// as `zelko-device init` and `install` make one, with the default skin; of the suite's
// programs only ZelkoWinToday is installed, so the launches of ZelkoSms, ZelkoContacts and
// ZelkoCalendar that a refresh makes fail at once.
// Prints each benchmark, then the ratios and the memory figures.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ZelkoWinToday/engine.h"
#include "common/engine_window.h"
#include "common/suite.h"
#include "device/phone_defaults.h"
#include "device/skin_install.h"
#include "platform/sim/device.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/journal.h"
#include "platform/sim/sim_power.h"
#include "platform/testing/wrappers.h"

namespace fs = std::filesystem;
using zelko::platform::Message;
using zelko::platform::Platform;
using zelko::platform::RegValue;
using zelko::platform::Root;
using zelko::platform::sim::Device;

namespace {

constexpr char kPage1Key[] = "Software\\Microsoft\\CHome\\ZelkoToday\\Page1";
constexpr char kEngineFile[] = "\\Program Files\\ZelkoToday\\ZelkoWinToday.exe";
constexpr int kShowNormal = 1;

fs::path gDir;
fs::path gBuild;                     // the build folder: bin/ and skins/
std::unique_ptr<Device> gLocal;      // the engine runs inside this process
std::unique_ptr<Device> gDevice;     // the engine runs as its own process

// ---- Counting a refresh's writes ----------------------------------------------------

struct Write {
  Root root;
  std::string key, name;
  RegValue value;
};

// While `recording`, keeps each setValue and counts the reads.
class RecordingRegistry final : public zelko::platform::testing::RegistryWrapper {
 public:
  using RegistryWrapper::RegistryWrapper;
  bool recording = false;
  std::vector<Write> writes;
  int changed = 0, reads = 0;

  zelko::platform::Result<RegValue> getValue(Root r, std::string_view k, std::string_view n) override {
    reads += recording;
    return RegistryWrapper::getValue(r, k, n);
  }
  zelko::platform::Status setValue(Root r, std::string_view k, std::string_view n,
                                   const RegValue& v) override {
    if (recording) {
      auto old = RegistryWrapper::getValue(r, k, n);
      changed += !old.ok() || !(*old == v);
      writes.push_back({r, std::string(k), std::string(n), v});
    }
    return RegistryWrapper::setValue(r, k, n, v);
  }
};

// The device's platform with the recording registry in place of its own.
class RecordingPlatform final : public zelko::platform::testing::PlatformWrapper {
 public:
  explicit RecordingPlatform(Platform& target) : PlatformWrapper(target), registry_(target.registry()) {}
  RecordingRegistry& recorder() { return registry_; }
  zelko::platform::Registry& registry() override { return registry_; }

 private:
  RecordingRegistry registry_;
};

// The engine started in this process, and one refresh recorded after the start-up's own.
struct LocalRig {
  RecordingPlatform platform{gLocal->platform()};
  zelko::Suite suite{platform};
  zelko::engine::Engine engine{suite};
  bool ok = false;
  int launches = 0, failedLaunches = 0;

  LocalRig() {
    if (engine.start("", kShowNormal)) return;
    auto& journal = gLocal->journal();
    auto seen = journal.read();
    int64_t since = seen.empty() ? 0 : seen.back().seq;
    platform.recorder().recording = true;
    engine.fullRefresh();
    platform.recorder().recording = false;
    for (const auto& e : journal.read(since)) {
      if (e.event != "launch") continue;
      ++launches;
      failedLaunches += e.json.find("\"ok\":false") != std::string::npos;
    }
    ok = !platform.recorder().writes.empty();
  }
};
// Made on first use and dropped before its device.
std::unique_ptr<LocalRig> gLocalRig;
LocalRig* localRig() {
  if (!gLocalRig) gLocalRig = std::make_unique<LocalRig>();
  return gLocalRig.get();
}

void BM_FullRefresh(benchmark::State& state) {
  LocalRig* rig = localRig();
  if (!rig->ok) return state.SkipWithError("the engine did not start");
  for (auto _ : state) rig->engine.fullRefresh();
}
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMillisecond);

void BM_RefreshWrites(benchmark::State& state) {
  LocalRig* rig = localRig();
  if (!rig->ok) return state.SkipWithError("the engine did not start");
  auto& reg = gLocal->platform().registry();
  for (auto _ : state) {
    for (const Write& w : rig->platform.recorder().writes) {
      if (!reg.setValue(w.root, w.key, w.name, w.value).ok()) return state.SkipWithError("a write failed");
    }
  }
}
BENCHMARK(BM_RefreshWrites)->Unit(benchmark::kMillisecond);

// ---- The engine as its own process ---------------------------------------------------

// Hears the probe's echoes and the engine's BattVal, and starts both programs.
struct ProcessRig {
  int echoes = 0, battVals = 0;
  bool echoReady = false;
  bool ok = false;
  zelko::platform::WindowHandle engine = 0;
  int enginePid = 0, probePid = 0;

  ProcessRig() {
    Platform& p = gDevice->platform();
    auto& w = p.windows();
    auto registered = w.registerClass("BenchHost", [this](const Message& m) -> int64_t {
      if (m.message == zelko::platform::kWmUser + 1) ++echoes;
      if (m.message == zelko::platform::kWmUser + 2) echoReady = true;
      return 0;
    });
    auto host = w.createWindow("BenchHost", "bench", 0);
    auto watch = p.notifications().registerCallback({Root::kLocalMachine, kPage1Key, "BattVal"},
                                                    [this] { ++battVals; });
    auto probe = p.shell().execute({"\\Windows\\probe.exe", "echo Software\\Bench Ping", false,
                                    std::chrono::milliseconds(-1)});
    auto started = p.shell().execute({kEngineFile, "", false, std::chrono::milliseconds(-1)});
    bool launched = registered.ok() && host.ok() && probe.ok() && started.ok();
    for (int i = 0; i < 200 && launched && !(echoReady && engine); ++i) {
      w.pumpMessages(std::chrono::milliseconds(50));
      engine = w.findWindow(zelko::kEngineWindowClass);
    }
    if (probe.ok()) probePid = probe->pid;
    if (!engine || !watch.ok()) return;
    if (auto info = w.windowInfo(engine)) enginePid = info->pid;
    ok = echoReady && settle();
  }
  // Waits until the engine has handled everything queued before: a message it ignores
  // comes back only after them.
  bool settle() {
    return gDevice->platform().windows().sendMessage({engine, zelko::platform::kWmUser, 0, 0}).ok();
  }
  // Ends both programs and waits for them, so that none still holds the device's files.
  void stop() {
    auto& w = gDevice->platform().windows();
    // Either may be gone already, which is what stopping wants.
    (void)w.postMessage({engine, zelko::kStopMessage, 0, 0});
    if (auto host = w.findWindow("BenchHost")) (void)w.destroyWindow(host);  // the probe ends with it
    for (int i = 0; i < 200 && (running(enginePid) || running(probePid)); ++i) {
      w.pumpMessages(std::chrono::milliseconds(50));
    }
  }
  // Neither gone nor a zombie that nobody reaped yet.
  static bool running(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string state;
    in.ignore(1 << 12, ')');
    return in >> state && state != "Z";
  }
};
ProcessRig* processRig() {
  static ProcessRig rig;
  return &rig;
}

void BM_CallbackRoundTrip(benchmark::State& state) {
  ProcessRig* rig = processRig();
  if (!rig->ok) return state.SkipWithError("the probe or the engine did not start");
  auto& p = gDevice->platform();
  static uint32_t ping = 0;
  for (auto _ : state) {
    int before = rig->echoes;
    if (!p.registry().setValue(Root::kLocalMachine, "Software\\Bench", "Ping", RegValue::Dword(++ping)).ok()) {
      return state.SkipWithError("the ping was not written");
    }
    while (rig->echoes == before) p.windows().pumpMessages(std::chrono::milliseconds(1000));
  }
}
BENCHMARK(BM_CallbackRoundTrip)->Unit(benchmark::kMicrosecond);

// What `zelko-device battery N` does, to the new BattVal heard here. What the battery
// widget does after BattVal is left to finish outside the timing, so each change meets an
// idle engine.
void BM_BatteryToBattVal(benchmark::State& state) {
  ProcessRig* rig = processRig();
  if (!rig->ok) return state.SkipWithError("the probe or the engine did not start");
  auto& p = gDevice->platform();
  zelko::platform::sim::SimPower power(gDevice->settings(), p.registry(), gDevice->dir() / "fs");
  static uint8_t level = 50;
  for (auto _ : state) {
    int before = rig->battVals;
    level = level == 50 ? 51 : 50;
    if (!power.setBattery(level, false).ok()) return state.SkipWithError("the level was not set");
    while (rig->battVals == before) p.windows().pumpMessages(std::chrono::milliseconds(1000));
    state.PauseTiming();
    rig->settle();
    p.windows().pumpMessages(std::chrono::milliseconds(0));
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BatteryToBattVal)->Unit(benchmark::kMicrosecond);

long residentKb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Skin reloads in the engine process, each waited for: message 1126 is sent, not posted.
// -1 when the engine stopped answering.
double reloadMs(ProcessRig& rig, int count) {
  auto& w = gDevice->platform().windows();
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    if (!w.sendMessage({rig.engine, zelko::kUpdateMessage, 0, 0}).ok()) return -1;
  }
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count() / count;
}

void reportMemory() {
  ProcessRig* rig = processRig();
  if (!rig->ok) return;
  double first = reloadMs(*rig, 10);
  long after10 = residentKb(rig->enginePid);
  double rest = reloadMs(*rig, 990);
  long after1000 = residentKb(rig->enginePid);
  if (first < 0 || rest < 0) {
    std::printf("the engine stopped answering skin reloads\n");
    return;
  }
  std::printf("%-24s / %-22s = %.3f  (%ld kB, %ld kB: %+ld kB)\n", "engine VmRSS after 1,000",
              "after 10 reloads", static_cast<double>(after1000) / static_cast<double>(after10),
              after1000, after10, after1000 - after10);
  std::printf("  a skin reload (1126) in the engine process: %.2f ms (first 10), %.2f ms (next 990)\n",
              first, rest);
}

// The skin folders the setup tool writes when it registers the plugin: a phone where the
// plugin is in use has them, and the engine then finds each image at its first look.
const std::pair<const char*, const char*> kSkinFolders[] = {
    {"clock", "skins\\default\\clock"}, {"clockA", "skins\\default\\clockA"},
    {"clockO", "skins\\default\\clock"}, {"clockAO", "skins\\default\\clockA"},
    {"sys", "skins\\default\\sys"},     {"batt", "skins\\default\\batt"},
    {"meteo", "skins\\default\\msn"},   {"cal", "skins\\default\\cal"},
};

// A device as `zelko-device init` and `install` leave it, with only the engine installed
// and the plugin's skin folders registered.
// `asEngine` opens it the way the device's launcher starts the engine, so that this process
// finds the skin and the suite's programs where the installed engine does.
std::unique_ptr<Device> makeDevice(const fs::path& dir, bool asEngine) {
  if (!Device::create(dir, {}).ok()) return nullptr;
  if (asEngine) {
    setenv("ZELKO_COMMAND_LINE", "", 1);
    setenv("ZELKO_MODULE", kEngineFile, 1);
  }
  auto opened = Device::open(dir);
  if (!opened.ok()) return nullptr;
  std::unique_ptr<Device> device = std::move(*opened);
  Platform& p = device->platform();
  if (!zelko::device::writePhoneDefaults(p, 480, 800).ok()) return nullptr;
  if (!zelko::device::installSkins(gBuild, p.files()).ok()) return nullptr;
  for (const auto& [name, folder] : kSkinFolders) {
    if (!p.registry().setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday", name,
                               RegValue::Text(folder)).ok()) {
      return nullptr;
    }
  }
  std::error_code ec;
  if (!fs::copy_file(gBuild / "bin" / "ZelkoWinToday", p.files().hostPath(kEngineFile), ec) ||
      !fs::copy_file(gBuild / "bin" / "zelko-probe", p.files().hostPath("\\Windows\\probe.exe"), ec)) {
    return nullptr;
  }
  if (!device->tick().ok()) return nullptr;
  return device;
}

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/zelko-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  gBuild = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
  gLocal = makeDevice(gDir / "local", true);
  gDevice = makeDevice(gDir / "device", false);
  if (!gLocal || !gDevice) {
    std::fprintf(stderr, "engine_bench: cannot make the devices (build ZelkoWinToday, zelko-probe "
                         "and the skins first)\n");
    return 1;
  }

  benchmark::Initialize(&argc, argv);
  zelko::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (same run):\n");
  reporter.printRatio("BM_FullRefresh", "BM_RefreshWrites");
  if (LocalRig* local = gLocalRig.get()) {
    const RecordingRegistry& r = local->platform.recorder();
    std::printf("  a refresh: %zu writes (%d changing data), %d reads; %d of its %d launches failed"
                " at once,\n  as ZelkoSms, ZelkoContacts and ZelkoCalendar are not installed\n",
                r.writes.size(), r.changed, r.reads, local->failedLaunches, local->launches);
  }
  reporter.printRatio("BM_BatteryToBattVal", "BM_CallbackRoundTrip");
  reportMemory();
  processRig()->stop();
  gLocalRig.reset();
  gLocal.reset();
  gDevice.reset();
  std::error_code ignored;
  fs::remove_all(gDir, ignored);
  return 0;
}
