// The threads that serve the view's connections: one for each connection while there are
// fewer than a limit, started when needed and ended after a while idle. httplib's own
// pool has a fixed few threads, which a handful of open event streams, or connections
// that send nothing, would keep busy while every other request waited.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace zelko::device::home {

class ConnectionPool final : public httplib::TaskQueue {
 public:
  // Beyond `maxThreads` connections wait for a thread to come free.
  explicit ConnectionPool(size_t maxThreads) : maxThreads_(maxThreads) {}
  ~ConnectionPool() override;

  void enqueue(std::function<void()> task) override;
  // Runs what is queued, then ends every thread and waits for them.
  void shutdown() override;

 private:
  void work();

  const size_t maxThreads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable ended_;
  std::deque<std::function<void()>> tasks_;
  size_t threads_ = 0;
  size_t idle_ = 0;
  bool stopping_ = false;
};

}  // namespace zelko::device::home
