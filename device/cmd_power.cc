// battery, memory, storage: the readings the device reports, and setting them.
#include <cstdio>
#include <optional>
#include <string>

#include "device/cli.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/sim_power.h"

namespace zelko::device {
namespace {

using platform::sim::SimPower;

const char kBatteryUsage[] =
    "usage: zelko-device battery [PERCENT | none] [--ac | --no-ac]\n"
    "       zelko-device battery --real\n"
    "\n"
    "Sets the battery level (0-100, or none for a phone without a reading) and the AC\n"
    "line: --ac on external power, --no-ac on the battery, neither keeps it as it is. Either\n"
    "part alone keeps the other. Each change also writes HKLM\\System\\State\\Battery \"Main\"\n"
    "with notification, as the phone does. --real goes back to the host's own battery.\n"
    "Without arguments prints the current reading: PERCENT|none<TAB>ac|battery.\n";

const char kMemoryUsage[] =
    "usage: zelko-device memory --load PCT --total KB --avail KB\n"
    "       zelko-device memory [--real]\n"
    "\n"
    "Sets the memory status: the load in percent (0-100), the total and the available\n"
    "physical memory in kilobytes (available at most the total). --real goes back to the\n"
    "host's own memory. Without arguments prints the current reading:\n"
    "LOAD<TAB>TOTAL_KB<TAB>AVAIL_KB.\n";

const char kStorageUsage[] =
    "usage: zelko-device storage --total KB --free KB\n"
    "       zelko-device storage [--real]\n"
    "\n"
    "Sets the size and the free space of the object store in kilobytes (free at most the\n"
    "total). --real goes back to the free space of the host's file system that holds the\n"
    "device. Without arguments prints the current reading: TOTAL_KB<TAB>FREE_KB.\n";

// A SimPower over the device's own stores: the same readings its programs get, and the
// setters only the device tool reaches.
SimPower powerOf(Context& ctx) {
  auto& device = ctx.device();
  return SimPower(device.settings(), device.platform().registry(), device.dir() / "fs");
}

uint64_t parseKilobytes(const std::string& text, const std::string& what) {
  return parseNumber(text, what, platform::sim::kMaxKilobytes);
}

uint32_t parsePercent(const std::string& text, const std::string& what) {
  return static_cast<uint32_t>(parseNumber(text, what, 100));
}

void rejectRealWithSettings(bool real, bool anySetting) {
  if (real && anySetting) throw UsageError("--real takes no other arguments");
}

int battery(Context& ctx, Args& args) {
  bool real = args.flag("--real");
  bool ac = args.flag("--ac");
  bool noAc = args.flag("--no-ac");
  std::optional<std::string> level = args.nextOptional();
  args.done();
  if (ac && noAc) throw UsageError("--ac and --no-ac exclude each other");
  rejectRealWithSettings(real, ac || noAc || level);
  SimPower power = powerOf(ctx);
  if (real) {
    checkInput(power.useHostBattery());
  } else if (level || ac || noAc) {
    std::optional<uint8_t> percent;
    if (level) {
      percent = *level == "none" ? platform::kNoBatteryReading
                                 : static_cast<uint8_t>(parsePercent(*level, "PERCENT"));
    }
    std::optional<bool> acLine;
    if (ac || noAc) acLine = ac;
    checkInput(power.changeBattery(percent, acLine));
  } else {
    platform::PowerStatus now = power.powerStatus();
    std::string percent = now.batteryPercent == platform::kNoBatteryReading
                              ? "none"
                              : std::to_string(now.batteryPercent);
    std::printf("%s\t%s\n", percent.c_str(), now.acLine ? "ac" : "battery");
  }
  return 0;
}

int memory(Context& ctx, Args& args) {
  bool real = args.flag("--real");
  auto load = args.option("--load");
  auto total = args.option("--total");
  auto avail = args.option("--avail");
  args.done();
  rejectRealWithSettings(real, load || total || avail);
  SimPower power = powerOf(ctx);
  if (real) {
    checkInput(power.useHostMemory());
  } else if (load || total || avail) {
    if (!load || !total || !avail) throw UsageError("--load, --total and --avail go together");
    checkInput(power.setMemory(parsePercent(*load, "--load"), parseKilobytes(*total, "--total"),
                          parseKilobytes(*avail, "--avail")));
  } else {
    platform::MemoryStatus now = power.memoryStatus();
    std::printf("%u\t%llu\t%llu\n", now.loadPercent,
                static_cast<unsigned long long>(now.totalPhysical / 1024),
                static_cast<unsigned long long>(now.availablePhysical / 1024));
  }
  return 0;
}

int storage(Context& ctx, Args& args) {
  bool real = args.flag("--real");
  auto total = args.option("--total");
  auto free = args.option("--free");
  args.done();
  rejectRealWithSettings(real, total || free);
  SimPower power = powerOf(ctx);
  if (real) {
    checkInput(power.useHostStorage());
  } else if (total || free) {
    if (!total || !free) throw UsageError("--total and --free go together");
    checkInput(power.setStorage(parseKilobytes(*total, "--total"), parseKilobytes(*free, "--free")));
  } else {
    platform::StorageStatus now = power.storageStatus();
    std::printf("%llu\t%llu\n", static_cast<unsigned long long>(now.total / 1024),
                static_cast<unsigned long long>(now.free / 1024));
  }
  return 0;
}

}  // namespace

const Command kPowerCommands[] = {
    {"battery", "show or set the battery level and the AC line", kBatteryUsage, battery},
    {"memory", "show or set the memory status", kMemoryUsage, memory},
    {"storage", "show or set the size and free space of the store", kStorageUsage, storage},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
