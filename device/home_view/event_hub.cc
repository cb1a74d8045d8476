#include "device/home_view/event_hub.h"

#include <algorithm>

namespace zelko::device::home {

std::string formatEvent(const Event& event) {
  std::string out = "event: " + event.name + "\n";
  const std::string& data = event.data;
  size_t start = 0;
  for (;;) {
    size_t end = data.find_first_of("\r\n", start);
    out += "data: " + data.substr(start, end - start) + "\n";
    if (end == std::string::npos) break;
    start = end + (data.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out + "\n";
}

std::shared_ptr<EventHub::Client> EventHub::join() {
  std::lock_guard lock(mutex_);
  if (closed_) return nullptr;
  auto client = std::make_shared<Client>();
  for (const auto& [name, event] : latest_) client->queue.push_back(event);
  clients_.push_back(client);
  return client;
}

void EventHub::leave(const std::shared_ptr<Client>& client) {
  std::lock_guard lock(mutex_);
  std::erase(clients_, client);
}

size_t EventHub::clients() {
  std::lock_guard lock(mutex_);
  return clients_.size();
}

void EventHub::publish(const Event& event) {
  {
    std::lock_guard lock(mutex_);
    if (event.latestWins) latest_[event.name] = event;
    for (const auto& client : clients_) {
      auto& queue = client->queue;
      if (event.latestWins) {
        std::erase_if(queue, [&](const Event& queued) { return queued.name == event.name; });
      }
      if (queue.size() >= kMaxQueued) {
        client->dropped = true;
        queue.clear();
        continue;
      }
      queue.push_back(event);
    }
    // A dropped browser is no longer counted as connected.
    std::erase_if(clients_, [](const auto& client) { return client->dropped; });
  }
  changed_.notify_all();
}

std::optional<Event> EventHub::latest(const std::string& name) {
  std::lock_guard lock(mutex_);
  auto it = latest_.find(name);
  if (it == latest_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::vector<Event>> EventHub::next(Client& client, std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait, [&] { return closed_ || client.dropped || !client.queue.empty(); });
  if (closed_ || client.dropped) return std::nullopt;
  std::vector<Event> out(client.queue.begin(), client.queue.end());
  client.queue.clear();
  return out;
}

void EventHub::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    clients_.clear();
  }
  changed_.notify_all();
}

}  // namespace zelko::device::home
