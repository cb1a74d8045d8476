#include "platform/sim/message_queue.h"

#include <errno.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
  std::unique_ptr<MessageQueue> queue(new MessageQueue(fd, std::move(address)));
  if (Status s = queue->start(); !s.ok()) return s;
  return queue;
}

MessageQueue::MessageQueue(int fd, std::string address) : fd_(fd), address_(std::move(address)) {}

namespace {

Status systemError(const char* what) {
  return Status::IoError(std::string("cannot set up the message queue: ") + what + ": " +
                         std::strerror(errno));
}

// An epoll set holding `socket` as an exclusive entry and `wake` as an ordinary one.
int waitSet(int socket, int wake) {
  int ep = epoll_create1(EPOLL_CLOEXEC);
  if (ep < 0) return -1;
  epoll_event in{};
  in.events = EPOLLIN | EPOLLEXCLUSIVE;
  in.data.fd = socket;
  epoll_event woken{};
  woken.events = EPOLLIN;
  woken.data.fd = wake;
  if (epoll_ctl(ep, EPOLL_CTL_ADD, socket, &in) != 0 || epoll_ctl(ep, EPOLL_CTL_ADD, wake, &woken) != 0) {
    int saved = errno;
    close(ep);
    errno = saved;
    return -1;
  }
  return ep;
}

// Waits in `ep` at most `timeoutMs` (-1: without limit), and resets `wake` when it was
// signalled. The caller looks for itself at what there is to do.
void waitIn(int ep, int wake, int timeoutMs) {
  epoll_event events[2];
  int n = epoll_wait(ep, events, 2, timeoutMs);
  for (int i = 0; i < n; ++i) {
    if (events[i].data.fd != wake) continue;
    uint64_t count;
    (void)!read(wake, &count, sizeof count);
  }
}

void wakeUp(int wake) {
  uint64_t one = 1;
  (void)!write(wake, &one, sizeof one);
}

}  // namespace

Status MessageQueue::start() {
  mainWake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  readerStop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (mainWake_ < 0 || readerStop_ < 0) return systemError("eventfd");
  // The main thread's set first: of two waiting threads the kernel wakes the one whose
  // entry came first on the socket.
  mainEpoll_ = waitSet(fd_, mainWake_);
  if (mainEpoll_ < 0) return systemError("epoll");
  readerEpoll_ = waitSet(fd_, readerStop_);
  if (readerEpoll_ < 0) return systemError("epoll");
  reader_ = std::thread([this] { readLoop(); });
  return Status::Ok();
}

MessageQueue::~MessageQueue() {
  if (reader_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wakeUp(readerStop_);
    reader_.join();
  }
  for (int f : {fd_, mainEpoll_, readerEpoll_, mainWake_, readerStop_}) {
    if (f >= 0) close(f);
  }
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
  for (;;) {
    waitIn(readerEpoll_, readerStop_, -1);
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    bool kept = false;
    Packet p;
    while (receive(p)) {
      packets_.push_back(p);
      kept = true;
    }
    // Woken in the main thread's stead, which happens when a packet comes just before the
    // main thread waits: it is told, or it would sleep on what the reader holds.
    if (kept && mainWaiting_) wakeUp(mainWake_);
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
    waitIn(mainEpoll_, mainWake_, timeout);
    lock.lock();
    mainWaiting_ = false;
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
