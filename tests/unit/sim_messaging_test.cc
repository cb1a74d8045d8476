// The device's message store: the inbox's order and entry ids and the unread count the
// phone keeps in System\State. (A damaged or missing store is tried in device_stores_test;
// sending, calls and bubbles end to end, through ZelkoSms.)
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/platform.h"
#include "platform/sim/sim_messaging.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko {
namespace {

using platform::InboxMessage;
using platform::kSmsStore;
using platform::Root;
using platform::sim::SimMessaging;
using zelko::testing::at;

class SimMessagingTest : public testing::DeviceTest {
 protected:
  SimMessaging& store() { return platform::sim::simMessaging(device()); }
  uint64_t receive(const std::string& from, const std::string& text, platform::DateTime when,
                   bool read = false) {
    auto id = store().receive({0, from, text, when, read});
    EXPECT_TRUE(id.ok()) << id.status().message();
    return id.ok() ? *id : 0;
  }
  uint32_t unreadCount() {
    auto v = platform().registry().getValue(Root::kCurrentUser, platform::kSmsUnreadKey,
                                            platform::kSmsUnreadValue);
    return v.ok() ? v->dword : 999;
  }
};

TEST_F(SimMessagingTest, InboxIsNewestFirstAndIdsAreNeverReused) {
  uint64_t march = receive("+3361", "march", at(2026, 3, 1, 10, 0));
  uint64_t feb = receive("Doe, John", "feb", at(2026, 2, 1, 10, 0), true);
  uint64_t tie = receive("+3362", "same minute, later", at(2026, 3, 1, 10, 0));
  auto inbox = store().inbox(kSmsStore);
  ASSERT_TRUE(inbox.ok());
  ASSERT_EQ(inbox->size(), 3u);
  EXPECT_EQ((std::vector<uint64_t>{(*inbox)[0].id, (*inbox)[1].id, (*inbox)[2].id}),
            (std::vector<uint64_t>{tie, march, feb}));
  EXPECT_EQ((*inbox)[2].sender, "Doe, John");
  EXPECT_TRUE((*inbox)[2].read);

  std::vector<uint64_t> gone = {tie, 4242};  // an id the store never gave is skipped
  auto removed = store().remove(kSmsStore, gone);
  ASSERT_TRUE(removed.ok());
  EXPECT_EQ(*removed, 1u);
  uint64_t next = receive("+3363", "after the delete", at(2026, 3, 2));
  EXPECT_GT(next, tie);
  EXPECT_EQ(platform().messaging().inbox("sms").status().code(), platform::Status::Code::kNotFound);
}

TEST_F(SimMessagingTest, UnreadCountFollowsEveryChangeAndNotifies) {
  int changes = 0;
  auto watch = platform().notifications().registerCallback(
      {Root::kCurrentUser, std::string(platform::kSmsUnreadKey), std::string(platform::kSmsUnreadValue)},
      [&] { ++changes; });
  ASSERT_TRUE(watch.ok());
  auto pump = [&] { platform().windows().pumpMessages(std::chrono::milliseconds(0)); };
  // A text that arrives read leaves the count; a list marked read is one change.

  uint64_t a = receive("a", "1", at(2026, 3, 1));
  uint64_t b = receive("b", "2", at(2026, 3, 2));
  receive("c", "3", at(2026, 3, 3), true);
  pump();
  EXPECT_EQ(unreadCount(), 2u);
  EXPECT_EQ(changes, 2);

  std::vector<uint64_t> both = {a, b, a};
  auto marked = store().markRead(kSmsStore, both);
  ASSERT_TRUE(marked.ok());
  EXPECT_EQ(*marked, 2u);
  std::vector<uint64_t> first = {a};
  ASSERT_TRUE(store().remove(kSmsStore, first).ok());  // a read text: the count stays 0
  pump();
  EXPECT_EQ(unreadCount(), 0u);
  EXPECT_EQ(changes, 3);
}

// Two programs changing the inbox at once: the count written last is that of the last
// change, whatever the interleaving.
TEST_F(SimMessagingTest, CountStaysInStepWhenProgramsChangeTogether) {
  constexpr int kEach = 40;
  auto work = [&](int who) {
    auto other = platform::sim::Device::open(dir() / "device");
    ASSERT_TRUE(other.ok());
    auto& messaging = platform::sim::simMessaging(**other);
    for (int i = 0; i < kEach; ++i) {
      auto id = messaging.receive({0, "t" + std::to_string(who), std::to_string(i), at(2026, 3, 1), false});
      ASSERT_TRUE(id.ok());
      if (i % 3 == 0) {
        std::vector<uint64_t> one = {*id};
        ASSERT_TRUE(messaging.markRead(kSmsStore, one).ok());
      }
    }
  };
  std::thread t1(work, 1), t2(work, 2);
  t1.join();
  t2.join();
  uint32_t unread = 0;
  auto inbox = store().inbox(kSmsStore);
  ASSERT_TRUE(inbox.ok());
  for (const auto& m : *inbox) unread += !m.read;
  EXPECT_EQ(unread, 2u * (kEach - (kEach + 2) / 3));
  EXPECT_EQ(unreadCount(), unread);
}

}  // namespace
}  // namespace zelko
