// HTTP downloads over the device's data connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace zelko::platform {

// A download hands its body to the file in reads of at most this many bytes.
inline constexpr size_t kHttpReadBlock = 4096;

struct HttpResult {
  long statusCode = 0;  // the reply's status: 200, 302, 404...
  uint64_t bytes = 0;   // body bytes written to the file
  // Reading stopped because more than the byte limit had been written.
  bool limitReached = false;
  // The connection ended before the body was complete; the file holds what arrived.
  bool brokenOff = false;
};

class Http {
 public:
  Http() = default;
  Http(const Http&) = delete;
  Http& operator=(const Http&) = delete;
  virtual ~Http() = default;

  // Fetches `url` with a plain GET, the way the phone's web library does for the suite:
  // only http, no redirect followed, nothing from a cache, and the proxy of the device's
  // settings (never one from the environment).
  //
  // When the status is 2xx or 3xx, the device file `path` is created (replacing an old
  // one) and the body is written to it as it arrives, a read of at most kHttpReadBlock
  // bytes at a time; once more than `byteLimit` bytes are written, reading stops, so the
  // file may end up to one read longer than the limit. Any other status leaves `path`
  // alone and the body unread. Either way the result tells the status.
  //
  // Invalid for a URL that is not http; Failed when no reply came (the device is
  // offline, the host cannot be reached, or it stays silent); IoError when the file
  // cannot be written. Blocks until the transfer ends: it is broken off when the host
  // takes more than 15 s to accept the connection, sends nothing for 30 s, or the whole
  // transfer takes more than 2 minutes.
  virtual Result<HttpResult> download(std::string_view url, std::string_view path,
                                      uint64_t byteLimit) = 0;
};

}  // namespace zelko::platform
