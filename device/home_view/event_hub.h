// The browsers connected to the view's event stream, each with a bounded queue of its own,
// so that one that reads slowly or never cannot hold up the others: an event that does not
// fit drops that browser. An event marked latest-wins replaces a queued one of its name
// (the screen is drawn whole each time, so only the newest drawing matters), and the last
// one of each such name is what a browser gets first when it joins.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zelko::device::home {

struct Event {
  std::string name;
  std::string data;
  bool latestWins = false;
};

// The event as server-sent-events text: "event: NAME", one "data: " line per line of the
// data (a CR, LF or CR LF ends a line), and a blank line.
std::string formatEvent(const Event& event);

class EventHub {
 public:
  // Events a browser may have waiting before it is dropped.
  static constexpr size_t kMaxQueued = 64;

  struct Client {
    std::deque<Event> queue;
    bool dropped = false;
  };

  EventHub() = default;
  EventHub(const EventHub&) = delete;
  EventHub& operator=(const EventHub&) = delete;

  // A new browser, with the latest event of each latest-wins name queued. nullptr once
  // the hub is closed.
  std::shared_ptr<Client> join();
  void leave(const std::shared_ptr<Client>& client);
  size_t clients();

  void publish(const Event& event);
  // The last event of a latest-wins name published; nullopt before the first.
  std::optional<Event> latest(const std::string& name);

  // The events waiting for `client`, after waiting up to `wait` for one: empty when none
  // came; nullopt when the client was dropped or the hub closed.
  std::optional<std::vector<Event>> next(Client& client, std::chrono::milliseconds wait);

  // Ends every stream; join() gives nullptr from then on.
  void close();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::shared_ptr<Client>> clients_;
  std::map<std::string, Event> latest_;
  bool closed_ = false;
};

}  // namespace zelko::device::home
