#include "platform/sim/sim_http.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

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
    curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &code);
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

void globalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isHttpUrl(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  return url.size() > kScheme.size() && equalsIgnoreCase(url.substr(0, kScheme.size()), kScheme) &&
         url.find('\0') == std::string_view::npos;
}

void configure(CURL* curl, const std::string& url, const std::string& proxy, Transfer& t,
               curl_slist* headers) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  // An empty proxy turns a proxy from the environment off; an empty no-proxy list keeps
  // the environment from exempting hosts.
  curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kHttpReadBlock));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kTransferTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
}

}  // namespace

SimHttp::SimHttp(Files& files, SimConnections& connections)
    : files_(files), connections_(connections) {
  globalInit();
}

Result<HttpResult> SimHttp::download(std::string_view url, std::string_view path,
                                     uint64_t byteLimit) {
  if (!isHttpUrl(url)) return Status::Invalid("not an http URL: " + std::string(url));
  if (!connections_.online()) return Status::Failed("the device is offline");
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  // Always from the origin: a cache on the way must not answer with an old forecast.
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
      curl_slist_append(nullptr, "Cache-Control: no-cache"), curl_slist_free_all);
  if (!curl || !headers) return Status::Failed("cannot start a transfer");
  Transfer t;
  t.curl = curl.get();
  t.hostPath = files_.hostPath(path);
  t.limit = byteLimit;
  char error[CURL_ERROR_SIZE] = "";
  configure(curl.get(), std::string(url), connections_.proxy(), t, headers.get());
  curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
  CURLcode rc = curl_easy_perform(curl.get());

  HttpResult result;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.statusCode);
  if (t.writeErrno != 0) {
    return Status::IoError("cannot write " + std::string(path) + ": " + std::strerror(t.writeErrno));
  }
  if (result.statusCode == 0) {
    return Status::Failed("no reply from " + std::string(url) + ": " +
                          (*error ? error : curl_easy_strerror(rc)));
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
