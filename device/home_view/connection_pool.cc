#include "device/home_view/connection_pool.h"

#include <chrono>
#include <thread>

namespace zelko::device::home {
namespace {

// How long a thread waits for another connection before it ends.
constexpr std::chrono::seconds kIdleEnd{30};

}  // namespace

ConnectionPool::~ConnectionPool() { shutdown(); }

void ConnectionPool::enqueue(std::function<void()> task) {
  std::unique_lock lock(mutex_);
  tasks_.push_back(std::move(task));
  if (idle_ == 0 && threads_ < maxThreads_) {
    ++threads_;
    // Detached: a thread that ends while idle takes itself away; shutdown() waits for
    // the count to reach 0.
    std::thread([this] { work(); }).detach();
  } else {
    wake_.notify_one();
  }
}

void ConnectionPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    bool woken = wake_.wait_for(lock, kIdleEnd, [this] { return stopping_ || !tasks_.empty(); });
    --idle_;
    if (tasks_.empty() && (stopping_ || !woken)) break;
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
  if (--threads_ == 0) ended_.notify_all();
}

void ConnectionPool::shutdown() {
  std::unique_lock lock(mutex_);
  stopping_ = true;
  wake_.notify_all();
  ended_.wait(lock, [this] { return threads_ == 0; });
}

}  // namespace zelko::device::home
