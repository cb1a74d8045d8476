// What the text-message provider costs, as whole processes on devices of N inbox texts
// and N contacts (N = 1,000 and 10,000), each figure beside a baseline of the same run:
//   ZelkoSms -zelkotoday: the home screen's      vs  the bare walk of the same texts:
//   listing; the three unread texts are the           `zelko-device sms list`, which reads
//   oldest, so it walks every text, and it            the inbox and prints each text
//   matches them against every contact
//   the same listing on a device without contacts: what reading the contacts costs
//   ZelkoSms -read:all -max:N: every text a      vs  the same listing on a device without
//   record, every sender matched                      contacts: what matching costs
// and the growth of both listings from N = 1,000 to 10,000 (10 for linear growth, 100 for
// a walk of the contacts per text). Senders are a quarter "Last, First", a quarter one
// name, a quarter a contact's mobile number written otherwise, a quarter unknown. One
// contact in ten has a picture. Prints each benchmark and then the ratios.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/phone_defaults.h"
#include "platform/sim/device.h"
#include "platform/sim/sim_messaging.h"

extern char** environ;

namespace fs = std::filesystem;
using zelko::platform::sim::Device;

namespace {

constexpr char kSmsFile[] = "\\Program Files\\ZelkoToday\\ZelkoSms.exe";

fs::path gDir, gBin;
std::map<std::string, fs::path> gDevices;  // by name, made on first use

std::string mobileOf(int k) { return "+33 6 " + std::to_string(10000000 + k); }

bool fillContacts(Device& device, int n) {
  std::vector<zelko::platform::NewContact> batch(n);
  for (int k = 0; k < n; ++k) {
    auto& c = batch[k].contact;
    c.firstName = "First" + std::to_string(k);
    c.lastName = "Last" + std::to_string(k);
    c.mobilePhone = mobileOf(k);
    c.homePhone = k % 3 ? "" : "01 23 " + std::to_string(100000 + k);
    if (k % 10 == 0) batch[k].picture = "JPEG" + std::to_string(k);
  }
  return device.platform().items().addContacts(batch).ok();
}

std::string senderOf(int i, int contacts) {
  int k = i % contacts;
  switch (i % 4) {
    case 0: return "Last" + std::to_string(k) + ", First" + std::to_string(k);
    case 1: return "First" + std::to_string(k);
    case 2: return "+336" + std::to_string(10000000 + k);
    default: return "Unknown " + std::to_string(i);
  }
}

bool fillInbox(Device& device, int n) {
  auto& store = zelko::platform::sim::simMessaging(device);
  for (int i = 0; i < n; ++i) {
    zelko::platform::InboxMessage m;
    m.sender = senderOf(i, n);
    m.subject = "Text number " + std::to_string(i);
    m.delivered = zelko::platform::fromEpochMs(1767225600000LL + i * 60000LL);  // 2026, a minute apart
    m.read = i >= 3;
    if (!store.receive(m).ok()) return false;
  }
  return true;
}

// A device as `zelko-device init` and `install` leave it, with ZelkoSms installed, n texts
// and, when `withContacts`, n contacts.
fs::path device(int n, bool withContacts) {
  std::string name = std::to_string(n) + (withContacts ? "-contacts" : "-alone");
  if (auto it = gDevices.find(name); it != gDevices.end()) return it->second;
  fs::path dir = gDir / name;
  if (!Device::create(dir, {}).ok()) return {};
  auto opened = Device::open(dir);
  if (!opened.ok()) return {};
  Device& d = **opened;
  std::error_code ec;
  if (!zelko::device::writePhoneDefaults(d.platform(), 480, 800).ok() ||
      (withContacts && !fillContacts(d, n)) || !fillInbox(d, n) ||
      !fs::copy_file(gBin / "ZelkoSms", d.platform().files().hostPath(kSmsFile), ec)) {
    return {};
  }
  gDevices[name] = dir;
  return dir;
}

// Runs a program to its end, its output thrown away; whether it ran.
bool runProcess(std::vector<std::string> args, const fs::path& deviceDir) {
  std::vector<std::string> env = {"ZELKO_DEVICE=" + deviceDir.string()};
  for (char** e = environ; *e; ++e) {
    if (std::string_view(*e).rfind("ZELKO_", 0) != 0) env.emplace_back(*e);
  }
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  for (auto& e : env) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
}

void runZelkoSms(benchmark::State& state, bool withContacts, const std::string& params) {
  fs::path dir = device(static_cast<int>(state.range(0)), withContacts);
  if (dir.empty()) return state.SkipWithError("cannot make the device (build ZelkoSms first)");
  std::string exe = dir / "fs" / "Program Files" / "ZelkoToday" / "ZelkoSms.exe";
  std::vector<std::string> args = {exe};
  for (size_t at = 0; at < params.size();) {
    size_t end = params.find(' ', at);
    if (end == std::string::npos) end = params.size();
    args.push_back(params.substr(at, end - at));
    at = end + 1;
  }
  for (auto _ : state) {
    if (!runProcess(args, dir)) return state.SkipWithError("ZelkoSms did not run");
  }
}

void BM_BareWalk(benchmark::State& state) {
  fs::path dir = device(static_cast<int>(state.range(0)), true);
  if (dir.empty()) return state.SkipWithError("cannot make the device (build ZelkoSms first)");
  for (auto _ : state) {
    if (!runProcess({(gBin / "zelko-device").string(), "-d", dir.string(), "sms", "list"}, dir)) {
      return state.SkipWithError("zelko-device did not run");
    }
  }
}
BENCHMARK(BM_BareWalk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_HomeScreenListing(benchmark::State& state) { runZelkoSms(state, true, "-zelkotoday"); }
BENCHMARK(BM_HomeScreenListing)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_HomeScreenListingNoContacts(benchmark::State& state) { runZelkoSms(state, false, "-zelkotoday"); }
BENCHMARK(BM_HomeScreenListingNoContacts)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FullListing(benchmark::State& state) {
  runZelkoSms(state, true, "-read:all -max:" + std::to_string(state.range(0)));
}
BENCHMARK(BM_FullListing)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FullListingNoContacts(benchmark::State& state) {
  runZelkoSms(state, false, "-read:all -max:" + std::to_string(state.range(0)));
}
BENCHMARK(BM_FullListingNoContacts)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/zelko-sms-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  gBin = fs::read_symlink("/proc/self/exe").parent_path();
  benchmark::Initialize(&argc, argv);
  zelko::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (same run):\n");
  reporter.printRatio("BM_HomeScreenListing/10000/iterations:5", "BM_BareWalk/10000/iterations:5");
  reporter.printRatio("BM_HomeScreenListing/10000/iterations:5",
                      "BM_HomeScreenListingNoContacts/10000/iterations:5");
  reporter.printRatio("BM_FullListing/10000/iterations:2", "BM_FullListingNoContacts/10000/iterations:2");
  reporter.printRatio("BM_FullListing/10000/iterations:2", "BM_BareWalk/10000/iterations:5");
  reporter.printRatio("BM_HomeScreenListing/10000/iterations:5", "BM_HomeScreenListing/1000/iterations:5");
  reporter.printRatio("BM_FullListing/10000/iterations:2", "BM_FullListing/1000/iterations:2");
  reporter.printRatio("BM_BareWalk/10000/iterations:5", "BM_BareWalk/1000/iterations:5");
  std::error_code ignored;
  fs::remove_all(gDir, ignored);
  return 0;
}
