#include "tests/e2e/web_driver.h"

#include <httplib.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/sim/journal.h"
#include "tests/e2e/spawned.h"

namespace zelko::testing {
namespace {

using platform::sim::jsonQuote;

// The element reference key of the W3C WebDriver protocol.
constexpr char kElementKey[] = "element-6066-11e4-a52e-4f735466cecf";

std::filesystem::path onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

// The text of the first string member `key` of a JSON document, escapes decoded (\u only
// within the Basic Multilingual Plane, all chromedriver writes); nullopt when there is none.
std::optional<std::string> jsonText(const std::string& json, const std::string& key) {
  const std::string name = jsonQuote(key) + ":\"";
  size_t at = json.find(name);
  if (at == std::string::npos) return std::nullopt;
  std::string out;
  for (size_t i = at + name.size(); i < json.size(); ++i) {
    if (json[i] == '"') return out;
    if (json[i] != '\\' || ++i >= json.size()) {
      out += json[i];
      continue;
    }
    if (json[i] != 'u') {
      static const char kFrom[] = "nbfrt", kTo[] = "\n\b\f\r\t";
      const char* simple = json[i] ? std::strchr(kFrom, json[i]) : nullptr;
      out += simple ? kTo[simple - kFrom] : json[i];
      continue;
    }
    if (i + 4 >= json.size()) break;
    unsigned code = static_cast<unsigned>(std::stoul(json.substr(i + 1, 4), nullptr, 16));
    i += 4;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
    } else {
      out += {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
              static_cast<char>(0x80 | (code & 0x3F))};
    }
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<Browser> Browser::start(const std::filesystem::path& scratch, std::string* whyNot) {
  std::filesystem::path chromium = onPath("chromium");
  std::filesystem::path driver = onPath("chromedriver");
  if (chromium.empty() || driver.empty()) {
    *whyNot = "chromium and chromedriver are not installed (scripts/install-deps.sh installs them)";
    return nullptr;
  }
  std::unique_ptr<Browser> browser(new Browser());
  std::filesystem::path log = scratch / "chromedriver.out";
  browser->driver_ = spawnLogged({driver.string(), "--port=0"}, log);
  int port = awaitPort(browser->driver_, log, "started successfully on port ");
  if (port == 0) {
    *whyNot = "chromedriver did not start: " + readWhole(log);
    return nullptr;
  }
  browser->client_ = std::make_unique<httplib::Client>("127.0.0.1", port);
  browser->client_->set_read_timeout(60, 0);
  std::string args;
  for (const std::string& arg : std::vector<std::string>{"--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                          "--no-first-run", "--window-size=600,1000", "--user-data-dir=" + (scratch / "profile").string()}) {
    args += (args.empty() ? "" : ",") + jsonQuote(arg);
  }
  auto session = browser->call("POST", "/session",
                               R"({"capabilities":{"alwaysMatch":{"goog:chromeOptions":{"binary":)" +
                                   jsonQuote(chromium.string()) + R"(,"args":[)" + args + "]}}}}");
  std::optional<std::string> id = session ? jsonText(*session, "sessionId") : std::nullopt;
  if (!id) {
    *whyNot = "chromium did not start: " + browser->error_;
    return nullptr;
  }
  browser->session_ = *id;
  return browser;
}

Browser::~Browser() {
  if (!session_.empty()) (void)call("DELETE", "/session/" + session_, "");
  if (driver_ != 0) stopProcess(driver_, std::chrono::seconds(5));
}

std::optional<std::string> Browser::call(const std::string& method, const std::string& path, const std::string& body) {
  httplib::Result res = method == "POST"     ? client_->Post(path.c_str(), body, "application/json")
                        : method == "DELETE" ? client_->Delete(path.c_str())
                                             : client_->Get(path.c_str());
  if (!res) {
    error_ = "no answer from chromedriver (" + httplib::to_string(res.error()) + ")";
    return std::nullopt;
  }
  if (res->status != 200) {
    error_ = jsonText(res->body, "message").value_or(res->body);
    return std::nullopt;
  }
  return res->body;
}

bool Browser::open(const std::string& url) {
  return call("POST", "/session/" + session_ + "/url", "{\"url\":" + jsonQuote(url) + "}").has_value();
}

std::optional<std::string> Browser::run(const std::string& script) {
  auto reply = call("POST", "/session/" + session_ + "/execute/sync",
                    "{\"script\":" + jsonQuote(script) + ",\"args\":[]}");
  if (!reply) return std::nullopt;
  // {"value":...}: the value is everything between the first colon and the last brace.
  size_t colon = reply->find(':');
  size_t brace = reply->rfind('}');
  if (colon == std::string::npos || brace == std::string::npos || brace < colon) return std::nullopt;
  return reply->substr(colon + 1, brace - colon - 1);
}

std::string Browser::text(const std::string& script) {
  auto value = run(script);
  return value ? jsonText("{\"v\":" + *value + "}", "v").value_or("") : "";
}

bool Browser::waitUntil(const std::string& condition, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (run("return !!(" + condition + ");") == "true") return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool Browser::click(const std::string& selector) {
  // Each push redraws the screen, so the element found may be replaced before the click
  // reaches it: find it again then.
  for (int attempt = 0; attempt < 5; ++attempt) {
    auto found = call("POST", "/session/" + session_ + "/element",
                      "{\"using\":\"css selector\",\"value\":" + jsonQuote(selector) + "}");
    std::optional<std::string> element = found ? jsonText(*found, kElementKey) : std::nullopt;
    if (!element) return false;
    if (call("POST", "/session/" + session_ + "/element/" + *element + "/click", "{}")) return true;
    if (error_.find("stale element") == std::string::npos) return false;
  }
  return false;
}

bool Browser::perform(const std::string& actions) {
  return call("POST", "/session/" + session_ + "/actions", "{\"actions\":[" + actions + "]}").has_value() &&
         call("DELETE", "/session/" + session_ + "/actions", "").has_value();
}

bool Browser::press(const std::string& key) {
  std::string k = jsonQuote(key);
  return perform(R"({"type":"key","id":"keys","actions":[{"type":"keyDown","value":)" + k +
                 R"(},{"type":"keyUp","value":)" + k + "}]}");
}

bool Browser::swipe(int fromX, int fromY, int toX, int toY) {
  auto move = [](int x, int y, int ms) {
    return R"({"type":"pointerMove","duration":)" + std::to_string(ms) + R"(,"x":)" + std::to_string(x) +
           R"(,"y":)" + std::to_string(y) + "}";
  };
  return perform(R"({"type":"pointer","id":"finger","parameters":{"pointerType":"touch"},"actions":[)" +
                 move(fromX, fromY, 0) + R"(,{"type":"pointerDown","button":0},)" + move(toX, toY, 150) +
                 R"(,{"type":"pointerUp","button":0}]})");
}

}  // namespace zelko::testing
