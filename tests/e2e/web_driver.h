// A headless Chromium driven through chromedriver (the W3C WebDriver protocol), for tests
// that check the served home screen in a real browser.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace httplib {
class Client;
}

namespace zelko::testing {

class Browser {
 public:
  // Starts chromedriver and a headless Chromium with its profile in `scratch`. nullptr
  // when either program is missing or will not start; `whyNot` then says why.
  static std::unique_ptr<Browser> start(const std::filesystem::path& scratch, std::string* whyNot);
  ~Browser();
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  bool open(const std::string& url);
  // Runs `script` (a function body) in the page; what it returns, as JSON, or nullopt when
  // the browser reports an error (`error()` says which).
  std::optional<std::string> run(const std::string& script);
  // The text `script` returns, or "" on an error or a value that is not a text.
  std::string text(const std::string& script);
  // Waits up to `limit` until `condition` (a JavaScript expression) is true in the page.
  bool waitUntil(const std::string& condition, std::chrono::milliseconds limit = std::chrono::seconds(15));
  // Clicks, as a person does, the first element matching the CSS `selector`.
  bool click(const std::string& selector);
  // Presses and releases a key: `key` is its WebDriver code ("\uE014" the right arrow).
  bool press(const std::string& key);
  // Drags a finger (a touch pointer) from one point of the window to another.
  bool swipe(int fromX, int fromY, int toX, int toY);
  const std::string& error() const { return error_; }

 private:
  Browser() = default;
  bool perform(const std::string& actions);
  std::optional<std::string> call(const std::string& method, const std::string& path, const std::string& body);

  pid_t driver_ = 0;
  std::unique_ptr<httplib::Client> client_;
  std::string session_;
  std::string error_;
};

}  // namespace zelko::testing
