// Power, memory and storage of the emulated device. A reading set with zelko-device is kept
// in the device settings and wins; without one the device reports the Linux host's own
// battery, memory and the space of the file system that holds the device's fs/.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/power.h"
#include "platform/registry.h"
#include "platform/status.h"

namespace zelko::platform::sim {

class DeviceSettings;

// Where the host's readings come from; tests point these at fixture files.
struct HostSources {
  std::filesystem::path powerSupplies = "/sys/class/power_supply";
  std::filesystem::path memInfo = "/proc/meminfo";
};

// Kilobyte figures are capped at this: the engine keeps them in 32-bit registry numbers.
inline constexpr uint64_t kMaxKilobytes = UINT32_MAX;

// HKLM\System\State\Battery "Main", the phone's battery state value that watchers of the
// battery wait on. Bits 0-7 hold the level in percent (255: no reading), bit 8 (0x100) is
// set on external power. Every change of level or AC line changes the value, so each one
// wakes the watchers; a plain 100 is a full battery on its own power, the idle phone's
// value.
inline constexpr char kBatteryStateKey[] = "System\\State\\Battery";
inline constexpr char kBatteryStateName[] = "Main";
inline constexpr uint32_t kBatteryStateOnAc = 0x100;
uint32_t batteryStateValue(const PowerStatus& status);

// The host's readings.
PowerStatus readHostPower(const std::filesystem::path& powerSupplies);
MemoryStatus parseMemInfo(std::string_view text);
MemoryStatus readHostMemory(const std::filesystem::path& memInfo);
StorageStatus readHostStorage(const std::filesystem::path& folder);

class SimPower final : public Power {
 public:
  // `store` is the folder whose file system stands for the object store (the device's fs/).
  // `registry` writes to the same store as `settings` (the device's registry.db), so that
  // a reading and the state value that mirrors it change in one transaction.
  SimPower(DeviceSettings& settings, Registry& registry, std::filesystem::path store,
           HostSources host = {});

  PowerStatus powerStatus() override;
  MemoryStatus memoryStatus() override;
  StorageStatus storageStatus() override;

  // Each setter keeps its reading until the matching useHost call; Invalid (nothing
  // changed) for a reading no phone gives. The battery ones also write the battery state
  // value through the notifying setter in the same transaction as the reading, so a
  // woken watcher reads the new level.
  Status setBattery(uint8_t percent, bool acLine);  // percent 0-100 or kNoBatteryReading
  // Changes the level, the AC line or both, keeping the other part of the reading as it
  // is at that moment.
  Status changeBattery(std::optional<uint8_t> percent, std::optional<bool> acLine);
  Status setMemory(uint32_t loadPercent, uint64_t totalKb, uint64_t availKb);
  Status setStorage(uint64_t totalKb, uint64_t freeKb);
  Status useHostBattery();
  Status useHostMemory();
  Status useHostStorage();

 private:
  std::optional<PowerStatus> setPower();
  // Inside a settings update: stores the reading (empty: the host's) and its state value.
  Status storeBattery(const std::string& setting, const PowerStatus& status);

  DeviceSettings& settings_;
  Registry& registry_;
  std::filesystem::path store_;
  HostSources host_;
};

}  // namespace zelko::platform::sim
