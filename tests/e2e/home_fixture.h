// The home screen served to browsers on a device of a test: `zelko-device home --serve` on
// a free port of the loopback, and a reader of its event stream, as a page reads it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "tests/e2e/varn_fixture.h"

namespace httplib {
class Client;
}

namespace zelko::testing {

class ServedHome {
 public:
  // Starts the server on the device in `device` and waits until it prints its address.
  explicit ServedHome(const std::filesystem::path& device);
  ~ServedHome();
  ServedHome(const ServedHome&) = delete;
  ServedHome& operator=(const ServedHome&) = delete;

  // 0 when the server did not come up; what it printed says why.
  int port() const { return port_; }
  const std::string& output() const { return output_; }
  // Asks it to end (SIGTERM) and returns its exit code; -1 when it had to be killed.
  int stop();

 private:
  pid_t pid_ = 0;
  int port_ = 0;
  std::string output_;
  std::filesystem::path outFile_;
};

struct StreamEvent {
  std::string name;
  std::string data;
  std::chrono::steady_clock::time_point arrived;
};

// Reads /events in a thread of its own until destroyed.
class EventStream {
 public:
  explicit EventStream(int port);
  ~EventStream();
  EventStream(const EventStream&) = delete;
  EventStream& operator=(const EventStream&) = delete;

  // The next event named `name` whose data holds `text`, waiting up to `limit`; the events
  // before it are passed over. nullopt when none came.
  std::optional<StreamEvent> next(const std::string& name, const std::string& text,
                                  std::chrono::milliseconds limit = std::chrono::seconds(15));

 private:
  void take(std::string_view bytes);

  std::unique_ptr<httplib::Client> client_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<StreamEvent> events_;
  std::string pending_;
  std::thread reader_;
};

// A device made by `zelko-device init`, with the suite installed, the plugin registered
// as the setup tool does and its layers added to both layouts by the plugin installer.
class HomeDeviceTest : public InstallerTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the services and the engine at 2026-12-31 23:59, battery 42 %, and waits for
  // the engine's first values.
  void startEngine();
  void setPageText(const std::string& page, const std::string& name, const std::string& text);
  // Writes `text` as `name` of `page` inside an update bracket, as the programs do.
  void writeBatch(const std::string& page, const std::string& name, const std::string& text);

  // Requests to the served home screen.
  int get(const ServedHome& served, const std::string& path, std::string* body = nullptr);
  int post(const ServedHome& served, const std::string& path, const std::string& form,
           std::string* body = nullptr, bool fromPage = true);

  bool engineStarted_ = false;
};

}  // namespace zelko::testing
