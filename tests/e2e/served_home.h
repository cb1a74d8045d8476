// The home screen served to browsers on a device: `zelko-device home --serve` on a free
// port of the loopback, and a reader of its event stream, as a page reads it. Used by the
// end-to-end tests and the home screen benchmark.
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

}  // namespace zelko::testing
