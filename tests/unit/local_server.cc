#include "tests/unit/local_server.h"

namespace zelko::testing {

LocalServer::LocalServer(const std::function<void(httplib::Server&)>& routes) {
  routes(server_);
  server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    Override override;
    {
      std::lock_guard lock(mutex_);
      targets_.push_back(req.target);
      override = override_;
    }
    return override && override(req, res) ? httplib::Server::HandlerResponse::Handled
                                          : httplib::Server::HandlerResponse::Unhandled;
  });
  port_ = server_.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
}

LocalServer::~LocalServer() {
  server_.stop();
  thread_.join();
}

std::string LocalServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void LocalServer::answerWith(Override override) {
  std::lock_guard lock(mutex_);
  override_ = std::move(override);
}

std::vector<std::string> LocalServer::targets() {
  std::lock_guard lock(mutex_);
  return targets_;
}

}  // namespace zelko::testing
