#include "ZelkoMeteo/download.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zelko::meteo {

using platform::Status;

void logFailure(std::string_view what, const Status& status) {
  std::fprintf(stderr, "ZelkoMeteo: %.*s: %s\n", static_cast<int>(what.size()), what.data(),
               status.message().c_str());
}

bool downloadToFile(platform::Platform& platform, std::string_view url, std::string_view path,
                    uint64_t byteLimit) {
  Status removed = platform.files().removeFile(path);
  if (!removed.ok() && removed.code() != Status::Code::kNotFound) logFailure("cannot remove the old file", removed);
  Status connected = platform.radios().connectData();
  if (!connected.ok()) {
    logFailure("no data connection", connected);
    return false;
  }
  auto reply = platform.http().download(url, path, byteLimit);
  if (!reply.ok()) {
    logFailure("cannot download " + std::string(url), reply.status());
    return false;
  }
  const long status = reply->statusCode;
  if (status < 200 || status >= 400) {
    std::fprintf(stderr, "ZelkoMeteo: %s answered %ld\n", std::string(url).c_str(), status);
    return false;
  }
  // The phone took a cut-off body for a whole one; the reader would then work on half a
  // forecast.
  if (reply->brokenOff) {
    std::fprintf(stderr, "ZelkoMeteo: the reply of %s broke off after %llu bytes\n", std::string(url).c_str(),
                 static_cast<unsigned long long>(reply->bytes));
    return false;
  }
  return true;
}

std::string readDownloadedFile(platform::Files& files, std::string_view path) {
  auto bytes = files.readFile(path);
  if (bytes.ok()) return std::move(*bytes);
  if (bytes.status().code() != Status::Code::kNotFound) logFailure("cannot read " + std::string(path), bytes.status());
  return {};
}

void hangUpDialUp(platform::Radios& radios) {
  std::vector<std::string> active = radios.dialupConnections();
  if (active.size() != 1) return;
  Status s = radios.hangUp(active.front());
  if (!s.ok()) logFailure("cannot hang up " + active.front(), s);
}

}  // namespace zelko::meteo
