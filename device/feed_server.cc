#include "device/feed_server.h"

#include <httplib.h>

#include <cctype>
#include <string>

#include "device/feed_documents.h"
#include "device/map_image.h"

namespace zelko::device {
namespace {

constexpr char kXml[] = "text/xml; charset=utf-8";

// "wc:FRXX0023" is asked for as "FRXX0023".
std::string msnLocation(const httplib::Request& req) {
  std::string location = req.get_param_value("wealocations");
  return location.rfind("wc:", 0) == 0 ? location.substr(3) : location;
}

// Map names go into a path: only letters, digits, "-" and "_" are kept.
std::string safeMapName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') out.push_back(c);
  }
  return out.empty() ? "map" : out;
}

}  // namespace

void addFeedRoutes(httplib::Server& server, std::function<platform::DateTime()> now) {
  server.Get("/data\\.aspx", [now](const httplib::Request& req, httplib::Response& res) {
    res.set_content(msnDocument(msnLocation(req), req.get_param_value("weadegreetype") == "F", now()), kXml);
  });
  server.Get("/localmaps\\.aspx", [](const httplib::Request& req, httplib::Response& res) {
    std::string name = safeMapName(req.get_param_value("map"));
    std::string image = "http://" + req.get_header_value("Host") + "/maps/" + name + ".jpg";
    res.set_content(mapPage(msnLocation(req), name, image), "text/html; charset=utf-8");
  });
  server.Get("/maps/([A-Za-z0-9_-]+)\\.jpg", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(mapImage(req.matches[1].str()), "image/jpeg");
  });
  server.Get("/ig/api", [now](const httplib::Request& req, httplib::Response& res) {
    res.set_content(googleDocument(req.get_param_value("weather"), req.get_param_value("hl"), now()), kXml);
  });
  server.Get("/widget/kvexa/weather-data\\.asp", [now](const httplib::Request& req, httplib::Response& res) {
    res.set_content(accuDocument(req.get_param_value("location"), req.get_param_value("metric") != "0", now()), kXml);
  });
}

}  // namespace zelko::device
