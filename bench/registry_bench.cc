// The registry's two costs that every widget pays, each beside a bare baseline measured in
// the same run:
//   a notifying write        vs  one SQLite upsert of one row (WAL, synchronous=NORMAL)
//   a change callback in     vs  a Unix datagram round trip between two processes
//   another process, and its
//   message back
// Prints each benchmark and then the ratios.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "platform/sim/device.h"

namespace fs = std::filesystem;
using zelko::platform::RegValue;
using zelko::platform::Root;
using zelko::platform::sim::Device;

namespace {

fs::path gDir;
std::unique_ptr<Device> gDevice;

void BM_BareUpsert(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open((gDir / "bare.db").c_str(), &db);
  sqlite3_busy_timeout(db, 30000);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                   "CREATE TABLE IF NOT EXISTS v(k TEXT PRIMARY KEY, data) WITHOUT ROWID", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO v(k, data) VALUES('BattVal', ?) ON CONFLICT(k) DO UPDATE SET data = excluded.data",
                     -1, &st, nullptr);
  int64_t i = 0;
  for (auto _ : state) {
    std::string text = std::to_string(i++ % 100) + "%";
    sqlite3_bind_text(st, 1, text.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(BM_BareUpsert);

void BM_NotifyingWrite(benchmark::State& state) {
  auto& reg = gDevice->platform().registry();
  int64_t i = 0;
  for (auto _ : state) {
    if (!reg.setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday\\Page1", "BattVal",
                      RegValue::Text(std::to_string(i++ % 100) + "%")).ok()) {
      return state.SkipWithError("a write failed");
    }
  }
}
BENCHMARK(BM_NotifyingWrite);

// A raw echo server in a child process, and a client socket for the parent.
socklen_t abstractAddress(const std::string& name, sockaddr_un& a) {
  std::memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  std::memcpy(a.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

void BM_DatagramRoundTrip(benchmark::State& state) {
  std::string server = "zelko-bench-echo-" + std::to_string(getpid());
  std::string client = server + "-client";
  sockaddr_un sa, ca;
  socklen_t sl = abstractAddress(server, sa), cl = abstractAddress(client, ca);
  int s = socket(AF_UNIX, SOCK_DGRAM, 0);
  bind(s, reinterpret_cast<sockaddr*>(&sa), sl);
  pid_t child = fork();
  if (child == 0) {
    char buf[128];
    sockaddr_un from;
    for (;;) {
      socklen_t fl = sizeof from;
      ssize_t n = recvfrom(s, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fl);
      if (n <= 0 || buf[0] == 'q') _exit(0);
      sendto(s, buf, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&from), fl);
    }
  }
  close(s);
  int c = socket(AF_UNIX, SOCK_DGRAM, 0);
  bind(c, reinterpret_cast<sockaddr*>(&ca), cl);
  char msg[104] = "p";  // the size of a platform packet
  for (auto _ : state) {
    sendto(c, msg, sizeof msg, 0, reinterpret_cast<sockaddr*>(&sa), sl);
    recv(c, msg, sizeof msg, 0);
  }
  msg[0] = 'q';
  sendto(c, msg, sizeof msg, 0, reinterpret_cast<sockaddr*>(&sa), sl);
  close(c);
  waitpid(child, nullptr, 0);
}
BENCHMARK(BM_DatagramRoundTrip);

// The window that hears the echo program, and the program itself, made once: the benchmark
// library runs a benchmark function more than once.
struct EchoRig {
  int echoes = 0;
  bool ready = false;
  bool ok = false;

  EchoRig() {
    auto& p = gDevice->platform();
    auto& w = p.windows();
    auto registered = w.registerClass("BenchHost", [this](const zelko::platform::Message& m) -> int64_t {
      if (m.message == zelko::platform::kWmUser + 1) ++echoes;
      if (m.message == zelko::platform::kWmUser + 2) ready = true;
      return 0;
    });
    auto host = w.createWindow("BenchHost", "bench", 0);
    auto started = p.shell().execute({"\\Windows\\probe.exe", "echo Software\\Bench Ping", false,
                                      std::chrono::milliseconds(-1)});
    for (int i = 0; i < 100 && registered.ok() && host.ok() && started.ok() && !ready; ++i) {
      w.pumpMessages(std::chrono::milliseconds(100));
    }
    ok = ready;
  }
};

void BM_CallbackRoundTrip(benchmark::State& state) {
  static EchoRig rig;
  if (!rig.ok) {
    state.SkipWithError("the echo program did not start");
    return;
  }
  auto& p = gDevice->platform();
  static uint32_t ping = 0;
  for (auto _ : state) {
    int before = rig.echoes;
    if (!p.registry().setValue(Root::kLocalMachine, "Software\\Bench", "Ping", RegValue::Dword(++ping)).ok()) {
      return state.SkipWithError("the ping was not written");
    }
    while (rig.echoes == before) p.windows().pumpMessages(std::chrono::milliseconds(1000));
  }
}
BENCHMARK(BM_CallbackRoundTrip);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/zelko-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
  if (!Device::create(gDir / "device", {}).ok()) return 1;
  auto opened = Device::open(gDir / "device");
  if (!opened.ok()) return 1;
  gDevice = std::move(*opened);
  fs::copy_file(bin / "zelko-probe", gDevice->platform().files().hostPath("\\Windows\\probe.exe"));

  benchmark::Initialize(&argc, argv);
  zelko::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (same run):\n");
  reporter.printRatio("BM_NotifyingWrite", "BM_BareUpsert");
  reporter.printRatio("BM_CallbackRoundTrip", "BM_DatagramRoundTrip");
  gDevice.reset();
  fs::remove_all(gDir);
  return 0;
}
