// Named mutexes as lock files under run/. Every open handle holds a shared lock on the
// file; a creator first tries an exclusive lock, which succeeds only when no handle of
// any process is open. Creators pass one at a time through the lock of run/mutex.gate,
// so that of simultaneous creators exactly one finds the mutex new. The kernel drops the
// locks of a process however it ends.
#pragma once

#include <filesystem>

#include "platform/sync.h"

namespace zelko::platform::sim {

class SimSync final : public Sync {
 public:
  explicit SimSync(std::filesystem::path runDir) : runDir_(std::move(runDir)) {}
  Result<std::unique_ptr<NamedMutex>> createMutex(std::string_view name) override;

 private:
  std::filesystem::path runDir_;
};

}  // namespace zelko::platform::sim
