// The web server of `zelko-device home --serve`: the page, its script and style, the
// current drawing, the event stream, the device's images, and the page's requests (taps,
// keys, dialog answers). Each connection has a thread of its own, so a thousand idle
// connections or a browser that never reads leave the others served.
//
//   GET  /                  the page with the screen as it is
//   GET  /home.js /home.css
//   GET  /screen            the screen as an HTML fragment
//   GET  /events            server-sent events: "screen" (a fragment), "dialogs" (a JSON
//                           array of the open dialogs), "pong" (the token of a /ping)
//   GET  /image?path=P      an image file of the device (P a device path), nothing else
//   POST /tap               plugin, position, page, [element | softkey], [x, y]
//   POST /key               key = left | right | up | down
//   POST /answer            dialog = ID, answer = TEXT
//   POST /ping              token = T: publishes "pong" with T (the bare push round trip)
// POST requests carry the header X-Zelko-Home: 1, which a page of another site cannot
// send without this server's consent.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "device/home_view/event_hub.h"
#include "device/home_view/home_view.h"
#include "platform/files.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}

namespace zelko::device::home {

class HomeServer {
 public:
  // `fsRoot` is the host folder of the device's files, the only place images come from.
  HomeServer(HomeView& view, EventHub& hub, platform::Files& files, std::filesystem::path fsRoot);
  ~HomeServer();
  HomeServer(const HomeServer&) = delete;
  HomeServer& operator=(const HomeServer&) = delete;

  // Binds `address` and `port` (0: a free one); the port bound, or -1.
  int bind(const std::string& address, int port);
  // Serves until stop(); call from a thread of its own.
  void listen();
  void stop();

 private:
  void routes();
  // The host file of an image the page may show: a device path of a picture inside the
  // device's files, links resolved. NotFound for anything else.
  platform::Result<std::filesystem::path> confinedImage(const std::string& path);
  void serveImage(const httplib::Request& req, httplib::Response& res);
  HomeView& view_;
  EventHub& hub_;
  platform::Files& files_;
  std::filesystem::path fsRoot_;
  std::unique_ptr<httplib::Server> server_;
  int listenSocket_ = -1;
};

}  // namespace zelko::device::home
