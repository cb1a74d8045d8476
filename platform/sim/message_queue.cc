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
  if (stopPipe_[1] >= 0) {
    char c = 0;
    (void)!write(stopPipe_[1], &c, 1);
  }
  reader_.join();
  close(fd_);
  if (stopPipe_[0] >= 0) close(stopPipe_[0]);
  if (stopPipe_[1] >= 0) close(stopPipe_[1]);
}

void MessageQueue::readLoop() {
  pollfd fds[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
  for (;;) {
    int n = poll(fds, stopPipe_[0] >= 0 ? 2 : 1, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (fds[1].revents & POLLIN)) return;
    Packet p;
    ssize_t got = recv(fd_, &p, sizeof p, MSG_DONTWAIT);
    if (got != static_cast<ssize_t>(sizeof p)) continue;  // a stray or short datagram
    p.replyTo[sizeof(p.replyTo) - 1] = '\0';
    push(p);
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
  std::unique_lock lock(mutex_);
  auto has = [this] { return !packets_.empty(); };
  if (wait.count() < 0) {
    ready_.wait(lock, has);
  } else if (!ready_.wait_for(lock, wait, has)) {
    return std::nullopt;
  }
  Packet p = packets_.front();
  packets_.pop_front();
  return p;
}

void MessageQueue::push(const Packet& packet) {
  {
    std::lock_guard lock(mutex_);
    packets_.push_back(packet);
  }
  ready_.notify_one();
}

}  // namespace zelko::platform::sim
