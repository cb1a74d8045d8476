// Named mutexes shared by the programs of a device.
#pragma once

#include <memory>
#include <string_view>

#include "platform/status.h"

namespace zelko::platform {

// An open handle; closing it (destroying the object) lets the mutex go once no handle
// of any process is left.
class NamedMutex {
 public:
  NamedMutex() = default;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  virtual ~NamedMutex() = default;
  // Whether a handle of this name was open (in any process) when this one was created.
  virtual bool alreadyExisted() const = 0;
};

class Sync {
 public:
  Sync() = default;
  Sync(const Sync&) = delete;
  Sync& operator=(const Sync&) = delete;
  virtual ~Sync() = default;

  // Creates or opens the mutex of that name (compared without regard to case). A process
  // that ends, however it ends, closes its handles.
  virtual Result<std::unique_ptr<NamedMutex>> createMutex(std::string_view name) = 0;
};

}  // namespace zelko::platform
