#include "platform/sim/runtime.h"

#include <cstdio>

namespace zelko::platform::sim {

MessageQueue* Runtime::queue() {
  if (!queue_ && !failed_) {
    auto q = MessageQueue::create(deviceId_);
    if (q.ok()) {
      queue_ = std::move(*q);
    } else {
      failed_ = true;
      std::fprintf(stderr, "zelko: %s\n", q.status().message().c_str());
    }
  }
  return queue_.get();
}

}  // namespace zelko::platform::sim
