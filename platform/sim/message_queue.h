// The message queue of one process: a Unix datagram socket in the abstract namespace
// (gone with the process, so no stale files). While the main thread waits in pop() it
// reads the socket itself, so a message costs no thread switch; while it is busy, a reader
// thread drains the socket into memory, so that senders never wait for a busy program
// (the kernel keeps only a few datagrams per socket). Each thread waits on an epoll set of
// its own holding the socket as an exclusive entry, the main thread's first: the kernel
// wakes the first of them that is waiting, so a packet wakes one thread, never both. Both
// read under one lock, and the main thread looks at what the reader kept first, so packets
// keep their arrival order.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/status.h"

namespace zelko::platform::sim {

struct Packet {
  enum Kind : uint32_t { kPost = 1, kSend = 2, kReply = 3, kNotify = 4, kWake = 5 };
  uint32_t kind = 0;
  uint32_t message = 0;
  uint64_t window = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
  uint64_t id = 0;      // kSend/kReply: the request; kNotify: the registration
  int64_t result = 0;   // kReply
  char replyTo[72] = {};  // kSend: the sender's queue address
};

class MessageQueue {
 public:
  // Binds the queue of the current process on the device `deviceId`.
  static Result<std::unique_ptr<MessageQueue>> create(const std::string& deviceId);
  ~MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // The address other processes send to.
  const std::string& address() const { return address_; }
  static std::string addressFor(const std::string& deviceId, int pid, uint64_t startTime);

  // Sends a packet to any queue. NotFound when no process listens there (it ended).
  static Status sendTo(const std::string& address, const Packet& packet);

  // The next packet, waiting at most `wait` (negative: without limit). Main thread only.
  std::optional<Packet> pop(std::chrono::milliseconds wait);
  // Queues a packet from this process to itself, behind those already taken in.
  void push(const Packet& packet);

 private:
  MessageQueue(int fd, std::string address);
  // Makes the epoll sets and the eventfds and starts the reader.
  Status start();
  void readLoop();
  // One datagram without waiting; false when none is there. Called with mutex_ held.
  bool receive(Packet& packet);

  int fd_;
  std::string address_;
  // Each an epoll set: the socket, exclusive, and an eventfd that wakes its thread.
  int mainEpoll_ = -1, readerEpoll_ = -1;
  int mainWake_ = -1;    // the reader kept packets while the main thread waits
  int readerStop_ = -1;  // the queue is being destroyed
  std::mutex mutex_;
  bool mainWaiting_ = false;
  bool stopping_ = false;
  std::deque<Packet> packets_;
  std::thread reader_;
};

}  // namespace zelko::platform::sim
