// Power, memory and storage readings.
#pragma once

#include <cstdint>

namespace zelko::platform {

inline constexpr uint8_t kNoBatteryReading = 255;

struct PowerStatus {
  bool acLine = false;                         // on external power
  uint8_t batteryPercent = kNoBatteryReading;  // 0-100, 255 when there is no reading
};

struct MemoryStatus {
  uint32_t loadPercent = 0;        // 0-100: the share of physical memory in use
  uint64_t totalPhysical = 0;      // bytes
  uint64_t availablePhysical = 0;  // bytes, never more than totalPhysical
};

struct StorageStatus {
  uint64_t total = 0;  // bytes of the object store; may be 0
  uint64_t free = 0;   // bytes, never more than total
};

class Power {
 public:
  Power() = default;
  Power(const Power&) = delete;
  Power& operator=(const Power&) = delete;
  virtual ~Power() = default;

  // A fresh reading each call; never fails (a source that cannot be read gives the
  // defaults above).
  virtual PowerStatus powerStatus() = 0;
  virtual MemoryStatus memoryStatus() = 0;
  virtual StorageStatus storageStatus() = 0;
};

}  // namespace zelko::platform
