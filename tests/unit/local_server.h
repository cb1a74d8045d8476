// A web server on the loopback for the tests, on a free port, serving in its own threads
// until it is destroyed. It notes the target (path and query, as sent) of every request.
#pragma once

#include <httplib.h>

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zelko::testing {

class LocalServer {
 public:
  // Answers a request itself and returns true, or leaves it to the routes.
  using Override = std::function<bool(const httplib::Request&, httplib::Response&)>;

  explicit LocalServer(const std::function<void(httplib::Server&)>& routes);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by `path`.
  std::string url(std::string_view path = "") const;
  // From now on every request goes to `override` first; an empty one ends that.
  void answerWith(Override override);
  std::vector<std::string> targets();

 private:
  httplib::Server server_;
  int port_ = -1;
  std::thread thread_;
  std::mutex mutex_;
  Override override_;
  std::vector<std::string> targets_;
};

}  // namespace zelko::testing
