#include "platform/sim/message_queue.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/sim/process_info.h"

namespace zelko::platform::sim {
namespace {

socklen_t makeAddress(const std::string& name, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  // Abstract namespace: a leading NUL, then the name (not NUL-terminated).
  size_t n = std::min(name.size(), sizeof(addr.sun_path) - 1);
  std::memcpy(addr.sun_path + 1, name.data(), n);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

// One unbound socket per process for sending; datagrams keep their order per sender.
int senderSocket() {
  static int fd = [] {
    int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    // A receiver that stopped draining (suspended) must not hold a sender forever.
    timeval tv{5, 0};
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    return s;
  }();
  return fd;
}

}  // namespace

std::string MessageQueue::addressFor(const std::string& deviceId, int pid, uint64_t startTime) {
  return "zelko." + deviceId + "." + std::to_string(pid) + "." + std::to_string(startTime);
}

Result<std::unique_ptr<MessageQueue>> MessageQueue::create(const std::string& deviceId) {
  ProcessId self = currentProcess();
  std::string address = addressFor(deviceId, self.pid, self.startTime);
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Status::IoError(std::string("socket: ") + std::strerror(errno));
  sockaddr_un addr;
  socklen_t len = makeAddress(address, addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    Status s = Status::IoError("cannot bind the message queue: " + std::string(std::strerror(errno)));
    close(fd);
    return s;
  }
  int big = 1 << 20;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  return std::unique_ptr<MessageQueue>(new MessageQueue(fd, std::move(address)));
}

MessageQueue::MessageQueue(int fd, std::string address) : fd_(fd), address_(std::move(address)) {
  if (pipe2(stopPipe_, O_CLOEXEC) != 0) stopPipe_[0] = stopPipe_[1] = -1;
  reader_ = std::thread([this] { readLoop(); });
}

MessageQueue::~MessageQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  mainBusy_.notify_all();
  if (stopPipe_[1] >= 0) {
    char c = 0;
    (void)!write(stopPipe_[1], &c, 1);
  }
  reader_.join();
  close(fd_);
  if (stopPipe_[0] >= 0) close(stopPipe_[0]);
  if (stopPipe_[1] >= 0) close(stopPipe_[1]);
}

bool MessageQueue::receive(Packet& p) {
  for (;;) {
    ssize_t got = recv(fd_, &p, sizeof p, MSG_DONTWAIT);
    if (got == static_cast<ssize_t>(sizeof p)) {
      p.replyTo[sizeof(p.replyTo) - 1] = '\0';
      return true;
    }
    if (got < 0 && errno != EINTR) return false;  // EAGAIN: nothing there
    // a stray or short datagram: skip it
  }
}

void MessageQueue::readLoop() {
  pollfd fds[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      mainBusy_.wait(lock, [this] { return !mainWaiting_ || stopping_; });
      if (stopping_) return;
    }
    int n = poll(fds, stopPipe_[0] >= 0 ? 2 : 1, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (fds[1].revents & POLLIN)) return;
    std::lock_guard lock(mutex_);
    if (mainWaiting_) continue;  // the main thread is reading: leave it the packet
    Packet p;
    while (receive(p)) packets_.push_back(p);
  }
}

Status MessageQueue::sendTo(const std::string& address, const Packet& packet) {
  sockaddr_un addr;
  socklen_t len = makeAddress(address, addr);
  for (;;) {
    ssize_t sent = sendto(senderSocket(), &packet, sizeof packet, MSG_NOSIGNAL,
                          reinterpret_cast<sockaddr*>(&addr), len);
    if (sent == static_cast<ssize_t>(sizeof packet)) return Status::Ok();
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == ECONNREFUSED || errno == ENOENT)) {
      return Status::NotFound("no process listens at " + address);
    }
    return Status::IoError(std::string("cannot deliver a message: ") + std::strerror(errno));
  }
}

std::optional<Packet> MessageQueue::pop(std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + wait;
  std::unique_lock lock(mutex_);
  for (;;) {
    Packet p;
    if (!packets_.empty()) {
      p = packets_.front();
      packets_.pop_front();
      return p;
    }
    if (receive(p)) return p;
    int timeout = -1;
    if (wait.count() >= 0) {
      // Rounded up: a wait cut short by a fraction of a millisecond wakes a timer too early.
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return std::nullopt;
      timeout = static_cast<int>(std::min<int64_t>(left.count(), 1 << 30));
    }
    mainWaiting_ = true;
    lock.unlock();
    pollfd fd{fd_, POLLIN, 0};
    poll(&fd, 1, timeout);
    lock.lock();
    mainWaiting_ = false;
    mainBusy_.notify_one();
  }
}

void MessageQueue::push(const Packet& packet) {
  std::lock_guard lock(mutex_);
  // Whatever already arrived on the socket came first.
  Packet p;
  while (receive(p)) packets_.push_back(p);
  packets_.push_back(packet);
}

}  // namespace zelko::platform::sim
