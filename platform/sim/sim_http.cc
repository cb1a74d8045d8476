#include "platform/sim/sim_http.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/sim/curl_library.h"
#include "platform/sim/sim_connections.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

// As long as the phone's connection manager waits for a connection.
constexpr long kConnectTimeoutMs = 15000;
// A host that sends nothing for this long, or a transfer longer than the other limit,
// is given up: a program waiting on it must not hang.
constexpr long kStallSeconds = 30;
constexpr long kTransferTimeoutMs = 120000;
// The web library's agent name on the phone.
constexpr char kAgent[] = "Agent name";

bool acceptedStatus(long code) { return code >= 200 && code < 400; }

// One transfer: where its body goes, and how reading it ended.
struct Transfer {
  const CurlLibrary* lib = nullptr;
  CURL* curl = nullptr;
  std::string hostPath;
  uint64_t limit = 0;
  int fd = -1;
  uint64_t written = 0;
  bool refused = false;  // a status whose body is not wanted
  bool limitReached = false;
  int writeErrno = 0;

  ~Transfer() {
    if (fd >= 0) ::close(fd);
  }
  bool open() {
    fd = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) writeErrno = errno;
    return fd >= 0;
  }
  bool writeAll(const char* data, size_t n) {
    while (n > 0) {
      ssize_t w = ::write(fd, data, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        writeErrno = w < 0 ? errno : EIO;
        return false;
      }
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
};

// libcurl's write callback. Returning less than it was given ends the transfer.
size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t total = size * count;
  if (t.fd < 0) {
    long code = 0;
    t.lib->easyGetinfo(t.curl, CURLINFO_RESPONSE_CODE, &code);
    if (!acceptedStatus(code)) {
      t.refused = true;
      return 0;
    }
    if (!t.open()) return 0;
  }
  // The limit is looked at before each read block is written, as the phone's read loop does.
  for (size_t done = 0; done < total;) {
    if (t.written > t.limit) {
      t.limitReached = true;
      return 0;
    }
    size_t n = std::min(total - done, kHttpReadBlock);
    if (!t.writeAll(data + done, n)) return 0;
    t.written += n;
    done += n;
  }
  return total;
}

bool isHttpUrl(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  return url.size() > kScheme.size() && equalsIgnoreCase(url.substr(0, kScheme.size()), kScheme) &&
         url.find('\0') == std::string_view::npos;
}

void configure(const std::string& url, const std::string& proxy, Transfer& t, curl_slist* headers,
               char* error) {
  auto set = [&](CURLoption option, auto value) { t.lib->easySetopt(t.curl, option, value); };
  set(CURLOPT_URL, url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http");
  set(CURLOPT_FOLLOWLOCATION, 0L);
  // An empty proxy turns a proxy from the environment off; an empty no-proxy list keeps
  // the environment from exempting hosts.
  set(CURLOPT_PROXY, proxy.c_str());
  set(CURLOPT_NOPROXY, "");
  set(CURLOPT_USERAGENT, kAgent);
  set(CURLOPT_HTTPHEADER, headers);
  set(CURLOPT_BUFFERSIZE, static_cast<long>(kHttpReadBlock));
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  set(CURLOPT_TIMEOUT_MS, kTransferTimeoutMs);
  set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  set(CURLOPT_WRITEFUNCTION, onBody);
  set(CURLOPT_WRITEDATA, &t);
  set(CURLOPT_ERRORBUFFER, error);
}

}  // namespace

SimHttp::SimHttp(Files& files, SimConnections& connections)
    : files_(files), connections_(connections) {}

Result<HttpResult> SimHttp::download(std::string_view url, std::string_view path,
                                     uint64_t byteLimit) {
  if (!isHttpUrl(url)) return Status::Invalid("not an http URL: " + std::string(url));
  if (!connections_.online()) return Status::Failed("the device is offline");
  std::string loadError;
  const CurlLibrary* lib = curlLibrary(loadError);
  if (!lib) return Status::Failed(loadError);
  std::unique_ptr<CURL, decltype(lib->easyCleanup)> curl(lib->easyInit(), lib->easyCleanup);
  // Always from the origin: a cache on the way must not answer with an old forecast.
  std::unique_ptr<curl_slist, decltype(lib->slistFreeAll)> headers(
      lib->slistAppend(nullptr, "Cache-Control: no-cache"), lib->slistFreeAll);
  if (!curl || !headers) return Status::Failed("cannot start a transfer");
  Transfer t;
  t.lib = lib;
  t.curl = curl.get();
  t.hostPath = files_.hostPath(path);
  t.limit = byteLimit;
  char error[CURL_ERROR_SIZE] = "";
  configure(std::string(url), connections_.proxy(), t, headers.get(), error);
  CURLcode rc = lib->easyPerform(curl.get());

  HttpResult result;
  lib->easyGetinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.statusCode);
  if (t.writeErrno != 0) {
    return Status::IoError("cannot write " + std::string(path) + ": " + std::strerror(t.writeErrno));
  }
  if (result.statusCode == 0) {
    return Status::Failed("no reply from " + std::string(url) + ": " +
                          (*error ? error : lib->easyStrerror(rc)));
  }
  // A body of no bytes still makes an (empty) file.
  if (acceptedStatus(result.statusCode) && t.fd < 0 && !t.open()) {
    return Status::IoError("cannot write " + std::string(path) + ": " + std::strerror(t.writeErrno));
  }
  result.bytes = t.written;
  result.limitReached = t.limitReached;
  result.brokenOff = rc != CURLE_OK && !t.refused && !t.limitReached;
  return result;
}

}  // namespace zelko::platform::sim
