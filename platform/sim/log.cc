#include "platform/sim/log.h"

#include <cstdio>

namespace zelko::platform::sim {

void logFailure(std::string_view what, const Status& status) {
  if (status.ok()) return;
  std::fprintf(stderr, "zelko: %.*s: %s\n", static_cast<int>(what.size()), what.data(),
               status.message().c_str());
}

}  // namespace zelko::platform::sim
