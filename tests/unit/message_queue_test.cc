// The message queue of a process: what a sender can count on, whichever of the queue's two
// threads takes a packet in.
#include "platform/sim/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zelko::platform::sim {
namespace {

using std::chrono::milliseconds;

constexpr int kPackets = 2000;  // far more than the kernel keeps for one socket

Packet numbered(uint64_t id) {
  Packet p;
  p.kind = Packet::kPost;
  p.id = id;
  return p;
}

// Sends 0..count-1 to `address` from a thread of its own; `failed` counts sends that failed.
std::thread sendNumbered(const std::string& address, int count, std::atomic<int>& failed) {
  return std::thread([address, count, &failed] {
    for (int i = 0; i < count; ++i) failed += !MessageQueue::sendTo(address, numbered(i)).ok();
  });
}

TEST(MessageQueue, ABusyProgramNeitherHoldsItsSendersNorLosesOrReordersPackets) {
  auto queue = MessageQueue::create("queue-test-busy");
  ASSERT_TRUE(queue.ok()) << queue.status().message();
  std::atomic<int> failed{0};
  // Nobody pops while these are sent: the reader thread alone keeps the socket drained,
  // or the sender waits out its timeout and fails.
  sendNumbered((*queue)->address(), kPackets, failed).join();
  EXPECT_EQ(failed, 0);
  (*queue)->push(numbered(kPackets));  // behind all that arrived before it
  for (int i = 0; i <= kPackets; ++i) {
    auto p = (*queue)->pop(milliseconds(1000));
    ASSERT_TRUE(p.has_value()) << "packet " << i << " never came";
    ASSERT_EQ(p->id, static_cast<uint64_t>(i));
  }
  EXPECT_FALSE((*queue)->pop(milliseconds(10)).has_value());
}

TEST(MessageQueue, PacketsSentWhileTheMainThreadWaitsAndWorksComeInOrder) {
  auto queue = MessageQueue::create("queue-test-order");
  ASSERT_TRUE(queue.ok()) << queue.status().message();
  std::atomic<int> failed{0};
  std::thread sender = sendNumbered((*queue)->address(), kPackets, failed);
  // Alternately waiting, which is when the main thread reads the socket itself, and busy,
  // when the reader takes packets in: each handover is where one could be lost or passed.
  for (int i = 0; i < kPackets; ++i) {
    auto p = (*queue)->pop(milliseconds(5000));
    ASSERT_TRUE(p.has_value()) << "packet " << i << " never came";
    ASSERT_EQ(p->id, static_cast<uint64_t>(i));
    if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  sender.join();
  EXPECT_EQ(failed, 0);
}

TEST(MessageQueue, EachPacketWakesTheMainThreadThatWaitsForIt) {
  auto queue = MessageQueue::create("queue-test-wake");
  ASSERT_TRUE(queue.ok()) << queue.status().message();
  std::atomic<int> taken{0};
  std::atomic<bool> stop{false};
  std::atomic<int> failed{0};
  // One packet at a time, each sent a varying moment after the last was taken, so that
  // some arrive just as the main thread goes to wait: a packet the reader takes in then
  // must still wake it.
  std::thread sender([&] {
    for (int i = 0; i < kPackets && !stop; ++i) {
      while (taken < i && !stop) std::this_thread::yield();
      std::this_thread::sleep_for(std::chrono::microseconds(i % 23));
      failed += !MessageQueue::sendTo((*queue)->address(), numbered(i)).ok();
    }
  });
  std::string fault;
  for (int i = 0; i < kPackets && fault.empty(); ++i) {
    // A lost wake-up shows as a pop that sleeps out its whole wait with a packet at hand.
    auto start = std::chrono::steady_clock::now();
    auto p = (*queue)->pop(milliseconds(3000));
    if (std::chrono::steady_clock::now() - start > milliseconds(1500)) {
      fault = "packet " + std::to_string(i) + " came but did not wake the main thread";
    } else if (!p || p->id != static_cast<uint64_t>(i)) {
      fault = "packet " + std::to_string(i) + " is missing or out of order";
    }
    taken = i + 1;
  }
  stop = true;
  sender.join();
  EXPECT_EQ(fault, "");
  EXPECT_EQ(failed, 0);
}

TEST(MessageQueue, ASenderToAnEndedProcessIsToldNobodyListens) {
  std::string address;
  {
    auto queue = MessageQueue::create("queue-test-ended");
    ASSERT_TRUE(queue.ok()) << queue.status().message();
    address = (*queue)->address();
  }
  EXPECT_EQ(MessageQueue::sendTo(address, numbered(1)).code(), Status::Code::kNotFound);
}

}  // namespace
}  // namespace zelko::platform::sim
