#include "device/home_view/home_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <charconv>

#include "device/home_view/connection_pool.h"
#include "device/home_view/layout.h"
#include "device/home_view/page_assets.h"
#include "platform/sim/bounded_read.h"
#include "platform/text.h"

namespace zelko::device::home {
namespace {

using httplib::Request;
using httplib::Response;
using platform::Status;
namespace fs = std::filesystem;

// Connections served at once, each by a thread of its own; more wait for one to end.
constexpr size_t kMaxConnections = 2048;
// An event stream says something at least this often, so a browser that went away is
// noticed by the failed write.
constexpr std::chrono::seconds kKeepAlive{2};
constexpr size_t kMaxImageBytes = size_t{8} << 20;
constexpr size_t kMaxRequestBytes = 64 * 1024;
constexpr char kPostHeader[] = "X-Zelko-Home";
constexpr int kListenQueue = 1024;

struct ImageType {
  std::string_view extension;
  const char* mime;
};
constexpr ImageType kImageTypes[] = {
    {".png", "image/png"}, {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"},
    {".gif", "image/gif"}, {".bmp", "image/bmp"},
};

const char* imageMime(std::string_view path) {
  for (const ImageType& t : kImageTypes) {
    if (path.size() >= t.extension.size() &&
        platform::equalsIgnoreCase(path.substr(path.size() - t.extension.size()), t.extension)) {
      return t.mime;
    }
  }
  return nullptr;
}

void answerText(Response& res, int status, const std::string& text) {
  res.status = status;
  res.set_content(text, "text/plain; charset=utf-8");
}

void answerStatus(Response& res, const Status& s) {
  if (s.ok()) return answerText(res, 200, "ok");
  int code = s.code() == Status::Code::kNotFound  ? 404
             : s.code() == Status::Code::kInvalid ? 400
             : s.code() == Status::Code::kBusy    ? 503
                                                  : 500;
  answerText(res, code, s.message());
}

std::optional<int64_t> number(const Request& req, const char* name, int64_t max) {
  if (!req.has_param(name)) return std::nullopt;
  std::string text = req.get_param_value(name);
  int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0 || value > max) {
    return std::nullopt;
  }
  return value;
}

std::optional<platform::sim::HomeKey> keyOf(const std::string& name) {
  using platform::sim::HomeKey;
  for (HomeKey k : {HomeKey::kLeft, HomeKey::kUp, HomeKey::kRight, HomeKey::kDown}) {
    if (platform::sim::homeKeyName(k) == name) return k;
  }
  return std::nullopt;
}

// The tap a request describes; nullopt when a field is missing or malformed.
std::optional<PageTap> tapOf(const Request& req) {
  PageTap tap;
  std::optional<int64_t> position = number(req, "position", 100000);
  if (!req.has_param("plugin") || !position) return std::nullopt;
  tap.plugin = req.get_param_value("plugin");
  tap.position = static_cast<int>(*position);
  tap.page = req.get_param_value("page");
  tap.softKey = req.has_param("softkey");
  if (req.has_param("element")) {
    std::optional<int64_t> element = number(req, "element", static_cast<int64_t>(kMaxElements));
    if (!element) return std::nullopt;
    tap.element = static_cast<int>(*element);
  }
  std::optional<int64_t> x = number(req, "x", kMaxPixels), y = number(req, "y", kMaxPixels);
  if (x && y) tap.at = platform::Point{static_cast<int>(*x), static_cast<int>(*y)};
  return tap;
}

}  // namespace

HomeServer::HomeServer(HomeView& view, EventHub& hub, platform::Files& files, fs::path fsRoot)
    : view_(view), hub_(hub), files_(files), fsRoot_(std::move(fsRoot)), server_(std::make_unique<httplib::Server>()) {
  server_->new_task_queue = [] { return new ConnectionPool(kMaxConnections); };
  // httplib's own options would let a second server share the port unnoticed
  // (SO_REUSEPORT); address reuse alone lets a restarted server bind at once.
  server_->set_socket_options([this](int sock) {
    int yes = 1;
    (void)setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listenSocket_ = sock;
  });
  server_->set_keep_alive_timeout(2);
  server_->set_payload_max_length(kMaxRequestBytes);
  server_->set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-store"}});
  routes();
}

HomeServer::~HomeServer() = default;

int HomeServer::bind(const std::string& address, int port) {
  int bound = port == 0 ? server_->bind_to_any_port(address) : server_->bind_to_port(address, port) ? port : -1;
  // httplib listens with a queue of 5 connections: a burst of browsers, or of
  // connections that never speak, would see theirs refused and retried seconds later.
  if (bound >= 0 && listenSocket_ >= 0) (void)::listen(listenSocket_, kListenQueue);
  return bound;
}

void HomeServer::listen() {
  if (!server_->listen_after_bind()) std::fprintf(stderr, "zelko-device home: the server stopped listening\n");
}

void HomeServer::stop() {
  hub_.close();  // the event streams end first: their threads would hold the server up
  server_->stop();
}

void HomeServer::routes() {
  httplib::Server& s = *server_;
  // Only the page itself sends requests that change something.
  s.set_pre_routing_handler([](const Request& req, Response& res) {
    if (req.method != "POST" || req.get_header_value(kPostHeader) == "1") return httplib::Server::HandlerResponse::Unhandled;
    answerText(res, 403, "requests that change the device come from the home screen's page");
    return httplib::Server::HandlerResponse::Handled;
  });
  s.Get("/", [this](const Request&, Response& res) {
    std::string page(kHomeHtml);
    std::optional<Event> screen = hub_.latest("screen");
    size_t at = page.find("{{screen}}");
    if (at != std::string::npos) page.replace(at, 10, screen ? screen->data : std::string());
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; "
                   "img-src 'self'; connect-src 'self'; frame-ancestors 'none'");
    res.set_content(page, "text/html; charset=utf-8");
  });
  s.Get("/home.js", [](const Request&, Response& res) { res.set_content(std::string(kHomeJs), "text/javascript"); });
  s.Get("/home.css", [](const Request&, Response& res) { res.set_content(std::string(kHomeCss), "text/css"); });
  s.Get("/screen", [this](const Request&, Response& res) {
    std::optional<Event> screen = hub_.latest("screen");
    res.set_content(screen ? screen->data : std::string(), "text/html; charset=utf-8");
  });
  s.Get("/events", [this](const Request&, Response& res) {
    std::shared_ptr<EventHub::Client> client = hub_.join();
    if (!client) return answerText(res, 503, "the view is closing");
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, client, first = true](size_t, httplib::DataSink& sink) mutable {
          // A browser reconnects a second after the stream broke.
          std::string text = first ? "retry: 1000\n\n" : "";
          first = false;
          std::optional<std::vector<Event>> events = hub_.next(*client, kKeepAlive);
          if (!events) {
            sink.done();
            return true;
          }
          for (const Event& e : *events) text += formatEvent(e);
          if (text.empty()) text = ": still here\n\n";
          return sink.write(text.data(), text.size());
        },
        [this, client](bool) { hub_.leave(client); });
  });
  s.Get("/image", [this](const Request& req, Response& res) { serveImage(req, res); });
  s.Post("/tap", [this](const Request& req, Response& res) {
    std::optional<PageTap> tap = tapOf(req);
    if (!tap) return answerText(res, 400, "a tap names a plugin, its position, a page and where it was");
    answerStatus(res, view_.perform([t = *tap](HomeView& v) { return v.tap(t); }));
  });
  s.Post("/key", [this](const Request& req, Response& res) {
    std::optional<platform::sim::HomeKey> key = keyOf(req.get_param_value("key"));
    if (!key) return answerText(res, 400, "key is left, right, up or down");
    answerStatus(res, view_.perform([k = *key](HomeView& v) { return v.key(k); }));
  });
  s.Post("/answer", [this](const Request& req, Response& res) {
    std::optional<int64_t> dialog = number(req, "dialog", INT64_MAX);
    if (!dialog || !req.has_param("answer")) return answerText(res, 400, "an answer names its dialog");
    std::string text = req.get_param_value("answer");
    answerStatus(res, view_.perform([d = *dialog, text](HomeView& v) { return v.answer(d, text); }));
  });
  s.Post("/ping", [this](const Request& req, Response& res) {
    hub_.publish({"pong", req.get_param_value("token"), false});
    answerText(res, 200, "ok");
  });
}

platform::Result<fs::path> HomeServer::confinedImage(const std::string& path) {
  if (path.empty() || path.size() > 1024 || !imageMime(path)) {
    return Status::NotFound("not an image of the device");
  }
  std::error_code ec;
  fs::path root = fs::canonical(fsRoot_, ec);
  if (ec) return Status::IoError("the device's files cannot be reached");
  // The device path is matched without regard to case and never climbs above fs/; links
  // inside fs/ are followed and must end inside it too.
  fs::path file = fs::weakly_canonical(files_.hostPath(path), ec);
  fs::path inside = ec ? fs::path() : file.lexically_relative(root);
  if (inside.empty() || *inside.begin() == ".." || !fs::is_regular_file(file, ec)) {
    return Status::NotFound("no image " + path + " on the device");
  }
  return file;
}

void HomeServer::serveImage(const Request& req, Response& res) {
  std::string path = req.get_param_value("path");
  platform::Result<fs::path> file = confinedImage(path);
  if (!file.ok()) return answerText(res, 404, file.status().message());
  auto bytes = platform::sim::readBoundedFile(*file, kMaxImageBytes, path);
  if (!bytes.ok()) return answerText(res, 404, bytes.status().message());
  // The drawing names an image with its last change, so a changed file has a new address.
  if (req.has_param("v")) {
    res.headers.erase("Cache-Control");
    res.set_header("Cache-Control", "max-age=31536000, immutable");
  }
  res.set_content(std::move(*bytes), imageMime(path));
}

}  // namespace zelko::device::home
