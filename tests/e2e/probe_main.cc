// zelko-probe: a small program of the device that the end-to-end tests, the stress test
// and the benchmarks start through the device's shell. It reports through the registry
// (HKCU\Software\Probe) and its exit code.
//
//   exit N                      ends with exit code N
//   watch KEY NAME COUNT        watches HKLM KEY NAME; appends each value it is told of to
//                               "seen"; ends after COUNT changes (exit 0), or 2 after 20 s
//   instance                    the single-instance start-up: 3 when another instance runs,
//                               else a window of class ProbeInstance until message 1127, with
//                               a change callback on HKLM Software\Probe "poke"; says "up" on
//                               its stdout
//   write KEY WRITER COUNT      COUNT notifying writes of distinct values and of "Shared"
//   read KEY SECONDS            reads values of KEY until SECONDS passed
//   echo KEY NAME               on each change of HKLM KEY NAME posts WM_USER+1 to the window
//                               of class BenchHost; ends on message 1127 to it or after 60 s
//
// Every registry failure ends the probe with exit code 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/suite.h"
#include "platform/sim/device.h"

namespace {

using zelko::platform::Platform;
using zelko::platform::RegValue;
using zelko::platform::Root;

constexpr char kReportKey[] = "Software\\Probe";

int fail(const std::string& what) {
  std::fprintf(stderr, "zelko-probe: %s\n", what.c_str());
  return 1;
}

int watch(Platform& p, const std::vector<std::string>& a) {
  if (a.size() != 4) return fail("usage: watch KEY NAME COUNT");
  int wanted = std::atoi(a[3].c_str());
  int seen = 0;
  std::string log;
  auto handle = p.notifications().registerCallback({Root::kLocalMachine, a[1], a[2]}, [&] {
    auto v = p.registry().getValue(Root::kLocalMachine, a[1], a[2]);
    log += (log.empty() ? "" : ",") + (v.ok() ? v->text : std::string("<deleted>"));
    if (!p.registry().setValue(Root::kCurrentUser, kReportKey, "seen", RegValue::Text(log)).ok()) {
      p.windows().postQuit(1);
    } else if (++seen == wanted) {
      p.windows().postQuit(0);
    }
  });
  if (!handle.ok()) return fail(handle.status().message());
  auto watching = p.registry().setValue(Root::kCurrentUser, kReportKey, "watching", RegValue::Text("yes"));
  if (!watching.ok()) return fail(watching.message());
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (p.windows().pumpMessages(std::chrono::milliseconds(100))) {
    if (std::chrono::steady_clock::now() > end) return 2;
  }
  return p.windows().quitCode();
}

int instance(Platform& p) {
  zelko::Suite suite(p);
  if (suite.settings().findRunningInstance("ProbeInstance")) return 3;
  auto& w = p.windows();
  auto registered = w.registerClass("ProbeInstance", [&](const zelko::platform::Message& m) -> int64_t {
    if (m.message == zelko::platform::kWmUser + 103 && !w.destroyWindow(m.window).ok()) w.postQuit(1);
    if (m.message == zelko::platform::kWmDestroy) w.postQuit(0);
    return 0;
  });
  if (!registered.ok()) return fail(registered.message());
  auto window = w.createWindow("ProbeInstance", "probe", 0);
  if (!window.ok()) return fail(window.status().message());
  auto poked = p.notifications().registerCallback({Root::kLocalMachine, kReportKey, "poke"}, [] {});
  if (!poked.ok()) return fail(poked.status().message());
  std::printf("up\n");
  std::fflush(stdout);
  auto up = p.registry().setValue(Root::kCurrentUser, kReportKey, "instance", RegValue::Text("up"));
  if (!up.ok()) return fail(up.message());
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (w.pumpMessages(std::chrono::milliseconds(100))) {
    if (std::chrono::steady_clock::now() > end) return 2;
  }
  return w.quitCode();
}

int write(Platform& p, const std::vector<std::string>& a) {
  if (a.size() != 4) return fail("usage: write KEY WRITER COUNT");
  int count = std::atoi(a[3].c_str());
  for (int i = 0; i < count; ++i) {
    std::string n = "w" + a[2] + "-" + std::to_string(i);
    auto s = p.registry().setValue(Root::kLocalMachine, a[1], n, RegValue::Text(n));
    if (s.ok()) s = p.registry().setValue(Root::kLocalMachine, a[1], "Shared", RegValue::Text(n));
    if (!s.ok()) return fail(s.message());
  }
  return 0;
}

int read(Platform& p, const std::vector<std::string>& a) {
  if (a.size() != 3) return fail("usage: read KEY SECONDS");
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(a[2].c_str()));
  while (std::chrono::steady_clock::now() < end) {
    auto v = p.registry().getValue(Root::kLocalMachine, a[1], "Shared");
    if (!v.ok() && v.status().code() != zelko::platform::Status::Code::kNotFound) {
      return fail(v.status().message());
    }
    p.registry().values(Root::kLocalMachine, a[1]);
  }
  return 0;
}

int echo(Platform& p, const std::vector<std::string>& a) {
  if (a.size() != 3) return fail("usage: echo KEY NAME");
  auto& w = p.windows();
  zelko::platform::WindowHandle host = w.findWindow("BenchHost");
  if (!host) return fail("no BenchHost window");
  auto handle = p.notifications().registerCallback({Root::kLocalMachine, a[1], a[2]}, [&] {
    if (!w.postMessage({host, zelko::platform::kWmUser + 1, 0, 0}).ok()) w.postQuit(0);
  });
  if (!handle.ok()) return fail(handle.status().message());
  auto ready = w.postMessage({host, zelko::platform::kWmUser + 2, 0, 0});
  if (!ready.ok()) return fail(ready.message());
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (w.pumpMessages(std::chrono::milliseconds(200))) {
    if (std::chrono::steady_clock::now() > end || !w.windowInfo(host)) return 0;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  auto device = zelko::platform::sim::Device::openForProgram(argc, argv);
  if (!device.ok()) return fail(device.status().message());
  Platform& p = (*device)->platform();
  std::vector<std::string> a = zelko::platform::splitCommandLine(p.shell().commandLine());
  if (a.empty()) return 0;
  if (a[0] == "exit" && a.size() == 2) return std::atoi(a[1].c_str());
  if (a[0] == "watch") return watch(p, a);
  if (a[0] == "instance") return instance(p);
  if (a[0] == "write") return write(p, a);
  if (a[0] == "read") return read(p, a);
  if (a[0] == "echo") return echo(p, a);
  return 0;  // a launch notification's name, or anything else: nothing to do
}
