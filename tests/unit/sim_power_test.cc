// Power, memory and storage of the emulated device: the host's readings and the settings
// that replace them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "platform/sim/device_settings.h"
#include "platform/sim/sim_power.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using platform::PowerStatus;
using platform::RegValue;
using platform::Root;
using platform::sim::HostSources;
using platform::sim::SimPower;

using SupplyFiles = std::initializer_list<std::pair<const char*, const char*>>;

// One supply of a fake /sys/class/power_supply.
void addPowerSupply(const fs::path& root, const std::string& name, SupplyFiles files) {
  fs::create_directories(root / name);
  for (const auto& [file, text] : files) std::ofstream(root / name / file) << text << "\n";
}

class HostPowerTest : public testing::DeviceTest {
 protected:
  void add(const std::string& name, SupplyFiles files) { addPowerSupply(dir() / "ps", name, files); }
  PowerStatus read() { return platform::sim::readHostPower(dir() / "ps"); }
};

TEST_F(HostPowerTest, BatteryLevelAndMainsLine) {
  add("BAT0", {{"type", "Battery"}, {"capacity", "57"}, {"status", "Discharging"}});
  add("AC", {{"type", "Mains"}, {"online", "0"}});
  EXPECT_EQ(read().batteryPercent, 57);
  EXPECT_FALSE(read().acLine);
  // A USB charger counts as external power too, as does a battery that says it charges.
  add("ucsi", {{"type", "USB"}, {"online", "1"}});
  EXPECT_TRUE(read().acLine);
  add("ucsi", {{"type", "USB"}, {"online", "0"}});
  add("BAT0", {{"type", "Battery"}, {"capacity", "40"}, {"status", "Charging"}});
  EXPECT_TRUE(read().acLine);
  // Two batteries share out as their mean; a level above 100 counts as 100.
  add("BAT1", {{"type", "Battery"}, {"capacity", "250"}});
  EXPECT_EQ(read().batteryPercent, 70);
}

TEST_F(HostPowerTest, WithoutAReadableBatteryThereIsNoReading) {
  EXPECT_EQ(read().batteryPercent, 255);  // no such folder
  EXPECT_TRUE(read().acLine);
  // A mouse's battery and a removed battery are not the machine's.
  add("hid-mouse", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "20"}});
  add("BAT1", {{"type", "Battery"}, {"present", "0"}, {"capacity", "0"}});
  EXPECT_EQ(read().batteryPercent, 255);
  EXPECT_TRUE(read().acLine);
  // A battery without a readable level is still a battery: on its own power, no reading.
  add("BAT0", {{"type", "Battery"}, {"capacity", "lots"}});
  EXPECT_EQ(read().batteryPercent, 255);
  EXPECT_FALSE(read().acLine);
}

TEST(MemInfoTest, LoadIsTheUsedShareAndDamagedFilesStayInBounds) {
  auto m = platform::sim::parseMemInfo(
      "MemTotal:        1000 kB\nMemFree:          100 kB\nMemAvailable:     250 kB\n");
  EXPECT_EQ(m.totalPhysical, 1000u * 1024);
  EXPECT_EQ(m.availablePhysical, 250u * 1024);
  EXPECT_EQ(m.loadPercent, 75u);
  EXPECT_EQ(platform::sim::parseMemInfo("MemTotal: 3 kB\nMemAvailable: 2 kB\n").loadPercent, 33u);
  // Without MemAvailable: free plus buffers plus page cache.
  auto old = platform::sim::parseMemInfo(
      "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n");
  EXPECT_EQ(old.availablePhysical, 400u * 1024);
  EXPECT_EQ(old.loadPercent, 60u);

  EXPECT_EQ(platform::sim::parseMemInfo("MemTotal: 100 kB\nMemAvailable: 900 kB\n").availablePhysical, 100u * 1024);
  auto huge = platform::sim::parseMemInfo("MemTotal: 18446744073709551615 kB\nMemAvailable: 0 kB\n");
  EXPECT_EQ(huge.totalPhysical, UINT64_MAX);  // saturated, not wrapped
  EXPECT_EQ(huge.loadPercent, 100u);

  for (const char* bad : {"", "MemTotal: 0 kB\n", "garbage\n:\nMemTotal:\nMemTotal: x kB",
                          "MemAvailable: 5 kB\n"}) {
    auto m = platform::sim::parseMemInfo(bad);
    EXPECT_EQ(m.totalPhysical, 0u) << bad;
    EXPECT_EQ(m.availablePhysical, 0u) << bad;
    EXPECT_EQ(m.loadPercent, 0u) << bad;
  }
  auto none = platform::sim::readHostStorage("/no/such/folder/here");
  EXPECT_EQ(none.total + none.free, 0u);
}

// The device's own power service against a fake host, and a second SimPower standing for
// the device tool in another process.
class SimPowerTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    host_.powerSupplies = dir() / "ps";
    host_.memInfo = dir() / "meminfo";
    addPowerSupply(host_.powerSupplies, "BAT0", {{"type", "Battery"}, {"capacity", "33"}});
    std::ofstream(host_.memInfo) << "MemTotal: 2000 kB\nMemAvailable: 500 kB\n";
    power_ = std::make_unique<SimPower>(device().settings(), platform().registry(),
                                        device().dir() / "fs", host_);
  }
  std::optional<uint32_t> batteryState() {
    auto v = platform().registry().getValue(Root::kLocalMachine, "System\\State\\Battery", "Main");
    if (!v.ok()) return std::nullopt;
    EXPECT_EQ(v->type, platform::ValueType::kDword);
    return v->dword;
  }
  HostSources host_;
  std::unique_ptr<SimPower> power_;
};

TEST_F(SimPowerTest, SettingsWinUntilTheHostIsChosenAgain) {
  EXPECT_EQ(power_->powerStatus().batteryPercent, 33);
  EXPECT_EQ(power_->memoryStatus().loadPercent, 75u);

  ASSERT_TRUE(power_->setBattery(80, true).ok());
  ASSERT_TRUE(power_->setMemory(40, 4096, 1024).ok());
  ASSERT_TRUE(power_->setStorage(10240, 2048).ok());
  // The device's service sees what the tool set, without being told.
  auto& devicePower = platform().power();
  EXPECT_EQ(devicePower.powerStatus().batteryPercent, 80);
  EXPECT_TRUE(devicePower.powerStatus().acLine);
  EXPECT_EQ(devicePower.memoryStatus().availablePhysical, 1024u * 1024);
  EXPECT_EQ(devicePower.storageStatus().free, 2048u * 1024);

  ASSERT_TRUE(power_->useHostBattery().ok());
  ASSERT_TRUE(power_->useHostMemory().ok());
  ASSERT_TRUE(power_->useHostStorage().ok());
  EXPECT_EQ(power_->powerStatus().batteryPercent, 33);
  EXPECT_FALSE(power_->powerStatus().acLine);
  EXPECT_EQ(power_->memoryStatus().loadPercent, 75u);
  auto real = power_->storageStatus();  // the host's file system
  EXPECT_GT(real.total, 0u);
  EXPECT_LE(real.free, real.total);
}

// A battery change reaches the state value and tells its watchers once, also when level
// and mains are given together (written without reading the old value).
TEST_F(SimPowerTest, BatteryChangesReachTheStateValueAndAreHeardOnce) {
  int heard = 0;
  auto h = platform().notifications().registerCallback(
      {Root::kLocalMachine, "System\\State\\Battery", "Main"}, [&heard] { ++heard; });
  ASSERT_TRUE(h.ok());
  auto pump = [&] {
    heard = 0;
    platform().windows().pumpMessages(std::chrono::milliseconds(0));
    return heard;
  };
  ASSERT_TRUE(power_->setBattery(50, false).ok());
  EXPECT_EQ(batteryState(), 50u);
  EXPECT_EQ(pump(), 1);
  ASSERT_TRUE(power_->setBattery(50, false).ok());
  EXPECT_EQ(pump(), 0);  // a repeat
  ASSERT_TRUE(power_->setBattery(50, true).ok());
  EXPECT_EQ(batteryState(), 0x100u | 50);
  EXPECT_EQ(pump(), 1);
  ASSERT_TRUE(power_->setBattery(20, false).ok());
  ASSERT_TRUE(power_->setBattery(255, false).ok());
  EXPECT_EQ(pump(), 2);
  EXPECT_EQ(batteryState(), 255u);
  EXPECT_EQ(power_->powerStatus().batteryPercent, 255);
  EXPECT_FALSE(power_->powerStatus().acLine);
  // Back to the host: the value follows the host's battery.
  ASSERT_TRUE(power_->useHostBattery().ok());
  EXPECT_EQ(batteryState(), 33u);
}

TEST_F(SimPowerTest, ImpossibleReadingsChangeNothing) {
  ASSERT_TRUE(power_->setBattery(60, false).ok());
  ASSERT_TRUE(power_->setMemory(10, 100, 90).ok());
  ASSERT_TRUE(power_->setStorage(100, 10).ok());

  const auto max = platform::sim::kMaxKilobytes;
  for (const platform::Status& s : {power_->setBattery(101, true), power_->setBattery(254, true),
                                    power_->setMemory(101, 100, 10), power_->setMemory(10, 100, 101),
                                    power_->setMemory(10, max + 1, 0), power_->setStorage(100, 101),
                                    power_->setStorage(max + 1, 0)}) {
    EXPECT_EQ(s.code(), platform::Status::Code::kInvalid);
  }
  EXPECT_EQ(batteryState(), 60u);
  EXPECT_EQ(power_->memoryStatus().availablePhysical, 90u * 1024);
  EXPECT_EQ(power_->storageStatus().free, 10u * 1024);

  // The edges are kept as set: an empty store is a reading the engine must cope with.
  ASSERT_TRUE(power_->setStorage(0, 0).ok());
  EXPECT_EQ(power_->storageStatus().total, 0u);
  ASSERT_TRUE(power_->setMemory(100, max, max).ok());
  EXPECT_EQ(power_->memoryStatus().totalPhysical, max * 1024);
  ASSERT_TRUE(power_->setBattery(0, false).ok());
  EXPECT_EQ(power_->powerStatus().batteryPercent, 0);
}

TEST_F(SimPowerTest, DamagedSettingsFallBackToTheHost) {
  auto& settings = device().settings();
  for (const char* bad : {"x", "50", "50 2", "300 1", "50 1 extra", "-1 0", " 50 1", "50  1"}) {
    ASSERT_TRUE(settings.set("power.battery", bad).ok());
    EXPECT_EQ(power_->powerStatus().batteryPercent, 33) << bad;
  }
  for (const char* bad : {"10 100", "10 100 200", "101 100 50", "1 99999999999999999999 0"}) {
    ASSERT_TRUE(settings.set("power.memory", bad).ok());
    EXPECT_EQ(power_->memoryStatus().loadPercent, 75u) << bad;
  }
  ASSERT_TRUE(settings.set("power.storage", "10 20").ok());
  EXPECT_NE(power_->storageStatus().total, 10u * 1024);
}

}  // namespace
}  // namespace zelko
