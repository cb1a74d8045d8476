// HTTP downloads over the device's data connection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace zelko::platform {

struct HttpResult {
  long statusCode = 0;  // 0 when no response arrived
  uint64_t bytes = 0;
};

class Http {
 public:
  Http() = default;
  Http(const Http&) = delete;
  Http& operator=(const Http&) = delete;
  virtual ~Http() = default;

  // Downloads `url` into the device file `path` (replaced only once the body is complete),
  // through the device's proxy setting. Failed when no connection can be made.
  virtual Result<HttpResult> download(std::string_view url, std::string_view path) = 0;
};

}  // namespace zelko::platform
