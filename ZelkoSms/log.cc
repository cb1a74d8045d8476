#include "ZelkoSms/log.h"

#include <cstdio>

namespace zelko::sms {

void logFailure(std::string_view doing, const platform::Status& status) {
  if (status.ok()) return;
  std::fprintf(stderr, "ZelkoSms: %.*s: %s\n", static_cast<int>(doing.size()), doing.data(),
               status.message().c_str());
}

}  // namespace zelko::sms
