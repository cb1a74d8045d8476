// What the two item providers cost as whole processes, each beside a baseline measured in
// the same run on the same device:
//   ZelkoContacts -zelkotoday (start, listing of       vs  the bare store walk: the
//   both kinds, five records, the page, exit)             birthday and the anniversary
//                                                          restriction walked through
//   ZelkoCalendar -max:5 -days:30 -zelkotoday          vs  the listing's restriction walked
//   (start, listing with all-day and recurring              through
//   pieces, five records, the page, exit)
// over 1,000 and 10,000 items, and each provider's growth from 1,000 to 10,000 items; and
// what a process costs that starts up and ends without listing (ZelkoContacts -max:1), the
// part of each whole-process figure that no number of items changes.
// Each size has a device of its own, made as `zelko-device init` and `install` make one,
// with only the two providers installed.
// Times are CPU time (user and system): the processes' own, taken from the resource use of
// the children waited for, and this process's for the walks. The machine is shared, and
// waiting for a core says nothing about the programs.
// Prints each benchmark, then the ratios.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include "bench/ratio_reporter.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ZelkoCalendar/appointment_listing.h"
#include "device/phone_defaults.h"
#include "device/skin_install.h"
#include "platform/sim/device.h"
#include "platform/sim/device_clock.h"

namespace fs = std::filesystem;
using zelko::platform::Appointment;
using zelko::platform::Contact;
using zelko::platform::DateTime;
using zelko::platform::ItemFolder;
using zelko::platform::NewContact;
using zelko::platform::Platform;
using zelko::platform::sim::Device;

namespace {

constexpr char kContactsExe[] = "\\Program Files\\ZelkoToday\\ZelkoContacts.exe";
constexpr char kCalendarExe[] = "\\Program Files\\ZelkoToday\\ZelkoCalendar.exe";
constexpr const char* kContactRestrictions[] = {
    R"([Birthday] >= "01/01/1900" AND [Birthday] <= "01/01/2100")",
    R"([Anniversary] >= "01/01/1900" AND [Anniversary] <= "01/01/2100")"};
// The engine's calendar run at 09:05 on 24 March 2026: thirty days from today.
constexpr char kCalendarWindowEnd[] = "4/22/2026";

fs::path gDir;
fs::path gBuild;
std::map<int, std::unique_ptr<Device>> gDevices;  // by number of items of each kind

DateTime day(int daysFromNewYear, int hour = 0) {
  return zelko::platform::fromEpochMs(zelko::platform::toEpochMs(DateTime{2026, 1, 4, 1}) +
                                      daysFromNewYear * 86400000LL + hour * 3600000LL);
}

// Nine contacts in ten have a birthday, one in four a wedding date; numbers with blanks.
std::vector<NewContact> addressBook(int n) {
  std::vector<NewContact> book(n);
  for (int i = 0; i < n; ++i) {
    Contact& c = book[i].contact;
    c.firstName = "First" + std::to_string(i);
    c.lastName = "Last" + std::to_string(i % 977);
    c.mobilePhone = "+33 6 " + std::to_string(10000000 + i);
    c.homePhone = i % 3 ? "" : "01 23 45 " + std::to_string(1000 + i);
    if (i % 10) c.birthday = DateTime{1940 + i % 70, 1 + i % 12, 1, 1 + i % 28};
    if (i % 4 == 0) c.anniversary = DateTime{1970 + i % 50, 1 + (i / 7) % 12, 1, 1 + i % 28};
    if (c.birthday) zelko::platform::normalizeDateTime(*c.birthday);
    if (c.anniversary) zelko::platform::normalizeDateTime(*c.anniversary);
  }
  return book;
}

// A year of appointments: one in ten a series (weekly without end mostly, some daily until
// the year's end, some weekly courses of twenty sessions), one in ten all-day over one to
// three days, the rest hour-long meetings spread over the year.
std::vector<Appointment> calendar(int n) {
  std::vector<Appointment> items(n);
  for (int i = 0; i < n; ++i) {
    Appointment& a = items[i];
    a.subject = "Meeting " + std::to_string(i);
    a.location = "Room " + std::to_string(i % 40);
    a.categories = i % 3 ? "Work" : "";
    int when = (i * 37) % 365;
    if (i % 10 == 0) {
      a.start = day(i % 7, 8 + i % 10);
      a.end = day(i % 7, 9 + i % 10);
      a.recurrenceRule = i % 40 == 0    ? "FREQ=DAILY;UNTIL=20261231T000000"
                         : i % 40 == 10 ? "FREQ=WEEKLY;COUNT=20"
                                        : "FREQ=WEEKLY";
    } else if (i % 10 == 1) {
      a.allDay = true;
      a.start = day(when);
      a.end = day(when + 1 + i % 3);
    } else {
      a.start = day(when, 8 + i % 10);
      a.end = day(when, 9 + i % 10);
    }
  }
  return items;
}

std::unique_ptr<Device> makeDevice(const fs::path& dir, int n) {
  if (!Device::create(dir, {}).ok()) return nullptr;
  auto opened = Device::open(dir);
  if (!opened.ok()) return nullptr;
  std::unique_ptr<Device> device = std::move(*opened);
  Platform& p = device->platform();
  if (!zelko::device::writePhoneDefaults(p, 480, 800).ok()) return nullptr;
  if (!zelko::device::installSkins(gBuild, p.files()).ok()) return nullptr;
  std::error_code ec;
  if (!fs::copy_file(gBuild / "bin" / "ZelkoContacts", p.files().hostPath(kContactsExe), ec) ||
      !fs::copy_file(gBuild / "bin" / "ZelkoCalendar", p.files().hostPath(kCalendarExe), ec)) {
    return nullptr;
  }
  if (!p.items().addContacts(addressBook(n)).ok()) return nullptr;
  if (!p.items().addAppointments(calendar(n)).ok()) return nullptr;
  auto now = zelko::platform::parseIsoDateTime("2026-03-24 09:05");
  if (!now || !device->deviceClock().setLocal(*now).ok()) return nullptr;
  return device;
}

double seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

// CPU seconds of the children waited for so far (the launcher and the program it ran).
double childrenCpu() {
  rusage use{};
  getrusage(RUSAGE_CHILDREN, &use);
  return seconds(use.ru_utime) + seconds(use.ru_stime);
}

double ownCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

void runProgram(benchmark::State& state, const char* program, const char* params, int code) {
  Platform& p = gDevices.at(static_cast<int>(state.range(0)))->platform();
  for (auto _ : state) {
    double before = childrenCpu();
    auto run = p.shell().execute({program, params, true, std::chrono::seconds(60)});
    state.SetIterationTime(childrenCpu() - before);
    if (!run.ok() || run->exitCode != code) return state.SkipWithError("the provider did not end well");
  }
}

size_t walk(Platform& p, ItemFolder folder, const std::string& restriction) {
  auto found = p.items().find(folder, restriction);
  if (!found.ok()) return 0;
  size_t n = 0;
  while (auto item = (*found)->next()) {
    benchmark::DoNotOptimize(item);
    ++n;
  }
  return n;
}

void BM_ContactsProcess(benchmark::State& state) {
  runProgram(state, kContactsExe, "-zelkotoday", 1);
}
BENCHMARK(BM_ContactsProcess)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ContactsWalk(benchmark::State& state) {
  Platform& p = gDevices.at(static_cast<int>(state.range(0)))->platform();
  for (auto _ : state) {
    double before = ownCpu();
    size_t n = 0;
    for (const char* restriction : kContactRestrictions) n += walk(p, ItemFolder::kContacts, restriction);
    state.SetIterationTime(ownCpu() - before);
    if (n == 0) return state.SkipWithError("the walk found nothing");
  }
}
BENCHMARK(BM_ContactsWalk)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartUpOnly(benchmark::State& state) {
  runProgram(state, kContactsExe, "-max:1", 0);
}
BENCHMARK(BM_StartUpOnly)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CalendarProcess(benchmark::State& state) {
  runProgram(state, kCalendarExe, "-max:5 -days:30 -zelkotoday", 0);
}
BENCHMARK(BM_CalendarProcess)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CalendarWalk(benchmark::State& state) {
  Platform& p = gDevices.at(static_cast<int>(state.range(0)))->platform();
  std::string restriction = zelko::calendar::windowRestriction("3/24/2026", kCalendarWindowEnd);
  for (auto _ : state) {
    double before = ownCpu();
    size_t n = walk(p, ItemFolder::kCalendar, restriction);
    state.SetIterationTime(ownCpu() - before);
    if (n == 0) return state.SkipWithError("the walk found nothing");
  }
}
BENCHMARK(BM_CalendarWalk)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/zelko-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  gBuild = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
  for (int n : {1000, 10000}) {
    gDevices[n] = makeDevice(gDir / std::to_string(n), n);
    if (!gDevices[n]) {
      std::fprintf(stderr, "providers_bench: cannot make the devices (build ZelkoContacts, "
                           "ZelkoCalendar and the skins first)\n");
      return 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  zelko::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (same run):\n");
  auto name = [](const std::string& benchmark, int n) {
    return "BM_" + benchmark + "/" + std::to_string(n) + "/manual_time";
  };
  for (const char* provider : {"Contacts", "Calendar"}) {
    std::string process = std::string(provider) + "Process", walk = std::string(provider) + "Walk";
    reporter.printRatio(name(process, 10000), name(walk, 10000));
    reporter.printRatio(name(process, 1000), name(walk, 1000));
    reporter.printRatio(name(process, 10000), name(process, 1000));
    reporter.printRatio(name(walk, 10000), name(walk, 1000));
    reporter.printRatio(name(process, 10000), name("StartUpOnly", 10000));
  }
  gDevices.clear();
  std::error_code ignored;
  fs::remove_all(gDir, ignored);
  return 0;
}
