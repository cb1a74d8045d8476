// HTTP downloads of the emulated device, through libcurl (see platform/http.h): no
// network at all while the device is offline, and the proxy of the device's network
// settings.
#pragma once

#include "platform/files.h"
#include "platform/http.h"

namespace zelko::platform::sim {

class SimConnections;

class SimHttp final : public Http {
 public:
  SimHttp(Files& files, SimConnections& connections);

  Result<HttpResult> download(std::string_view url, std::string_view path,
                              uint64_t byteLimit) override;

 private:
  Files& files_;
  SimConnections& connections_;
};

}  // namespace zelko::platform::sim
