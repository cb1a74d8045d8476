// What a weather update costs, beside a baseline measured in the same run:
//   a whole update run of ZelkoMeteo (-zelkotoday,    vs  the bare download of the same
//   MSN, no map), started through the device's shell       feed with curl's command-line
//   and waited for: process start to exit                  tool, started and waited for
//   the same update run                               vs  the smallest run of the same
//                                                         program (-zelkotoday -map, three
//                                                         writes): what launching it
//                                                         through the device costs
// Both fetch the sample feed of `zelko-device feeds` from a server in this process. The
// device is made as `zelko-device init` and `install` make one, with the default skin and
// only ZelkoMeteo installed.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/ratio_reporter.h"
#include "device/feed_server.h"
#include "device/phone_defaults.h"
#include "device/skin_install.h"
#include "platform/sim/device.h"

extern char** environ;

namespace fs = std::filesystem;
using zelko::platform::RegValue;
using zelko::platform::Root;
using zelko::platform::sim::Device;

namespace {

constexpr char kMeteo[] = "\\Program Files\\ZelkoToday\\ZelkoMeteo.exe";
const zelko::platform::DateTime kNow{2026, 3, 2, 24, 9, 5, 0, 0};

fs::path gDir;
std::unique_ptr<Device> gDevice;
std::string gBase;  // the server's address

std::unique_ptr<Device> makeDevice(const fs::path& dir, const fs::path& build) {
  if (!Device::create(dir, {}).ok()) return nullptr;
  auto opened = Device::open(dir);
  if (!opened.ok()) return nullptr;
  std::unique_ptr<Device> device = std::move(*opened);
  auto& p = device->platform();
  if (!zelko::device::writePhoneDefaults(p, 480, 800).ok() ||
      !zelko::device::installSkins(build, p.files()).ok() ||
      !p.registry().setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday", "Ville",
                             RegValue::Text("FRXX0023")).ok()) {
    return nullptr;
  }
  std::error_code ec;
  if (!fs::copy_file(build / "bin" / "ZelkoMeteo", p.files().hostPath(kMeteo), ec)) return nullptr;
  std::ofstream(p.files().hostPath("\\Program Files\\ZelkoToday\\ZelkoToday.ini"))
      << "[Weather]\r\nmsn=" << gBase << "\r\n";
  return device;
}

void runMeteo(benchmark::State& state, const std::string& params) {
  auto& shell = gDevice->platform().shell();
  for (auto _ : state) {
    auto r = shell.execute({kMeteo, params, true, std::chrono::seconds(60)});
    if (!r.ok() || r->exitCode != 0) state.SkipWithError("the run failed");
  }
}

void BM_MeteoUpdateRun(benchmark::State& state) { runMeteo(state, "-zelkotoday"); }
BENCHMARK(BM_MeteoUpdateRun)->Unit(benchmark::kMillisecond);

void BM_MeteoMapToggle(benchmark::State& state) { runMeteo(state, "-zelkotoday -map"); }
BENCHMARK(BM_MeteoMapToggle)->Unit(benchmark::kMillisecond);

void BM_CurlDownload(benchmark::State& state) {
  std::string url = gBase + "/data.aspx?wealocations=wc:FRXX0023&culture=en-en&weadegreetype=F";
  std::string out = (gDir / "curl.xml").string();
  std::vector<std::string> args = {"curl", "-s", "-o", out, url};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("curl failed (is it installed?)");
    }
  }
}
BENCHMARK(BM_CurlDownload)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/zelko-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  httplib::Server server;
  zelko::device::addFeedRoutes(server, [] { return kNow; });
  int port = server.bind_to_any_port("127.0.0.1");
  std::thread listener([&] { server.listen_after_bind(); });
  gBase = "http://127.0.0.1:" + std::to_string(port);
  gDevice = makeDevice(gDir / "device", fs::read_symlink("/proc/self/exe").parent_path().parent_path());
  int rc = 0;
  if (!gDevice) {
    std::fprintf(stderr, "meteo_bench: cannot make the device (build ZelkoMeteo and the skins first)\n");
    rc = 1;
  } else {
    benchmark::Initialize(&argc, argv);
    zelko::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios (same run):\n");
    reporter.printRatio("BM_MeteoUpdateRun", "BM_CurlDownload");
    reporter.printRatio("BM_MeteoUpdateRun", "BM_MeteoMapToggle");
  }
  server.stop();
  listener.join();
  gDevice.reset();
  std::error_code ignored;
  fs::remove_all(gDir, ignored);
  return rc;
}
