// Power, memory and storage readings.
#pragma once

#include <cstdint>

namespace zelko::platform {

struct PowerStatus {
  bool acLine = false;          // on external power
  uint8_t batteryPercent = 255;  // 0-100, 255 when there is no reading
};

struct MemoryStatus {
  uint32_t loadPercent = 0;
  uint64_t totalPhysical = 0;      // bytes
  uint64_t availablePhysical = 0;  // bytes
};

struct StorageStatus {
  uint64_t total = 0;  // bytes of the object store
  uint64_t free = 0;
};

class Power {
 public:
  Power() = default;
  Power(const Power&) = delete;
  Power& operator=(const Power&) = delete;
  virtual ~Power() = default;

  // A fresh reading each call.
  virtual PowerStatus powerStatus() = 0;
  virtual MemoryStatus memoryStatus() = 0;
  virtual StorageStatus storageStatus() = 0;
};

}  // namespace zelko::platform
