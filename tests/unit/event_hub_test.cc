// The view's event streams: the wire format, the newest drawing winning over an unsent
// one, and a browser that does not read being dropped while the others go on.
#include <gtest/gtest.h>

#include "device/home_view/event_hub.h"

namespace zelko::testing {
namespace {

using device::home::Event;
using device::home::EventHub;
using std::chrono::milliseconds;

TEST(EventHub, EachLineOfTheDataIsOneDataLine) {
  EXPECT_EQ(device::home::formatEvent({"screen", "<div>", true}), "event: screen\ndata: <div>\n\n");
  EXPECT_EQ(device::home::formatEvent({"screen", "a\nb\r\nc\rd\n", true}),
            "event: screen\ndata: a\ndata: b\ndata: c\ndata: d\ndata: \n\n");
  EXPECT_EQ(device::home::formatEvent({"pong", "", false}), "event: pong\ndata: \n\n");
}

TEST(EventHub, NewestDrawingReplacesAnUnsentOneAndGreetsNewcomers) {
  EventHub hub;
  auto early = hub.join();
  hub.publish({"screen", "1", true});
  hub.publish({"pong", "a", false});
  hub.publish({"screen", "2", true});
  hub.publish({"pong", "b", false});
  auto events = hub.next(*early, milliseconds(0));
  ASSERT_TRUE(events);
  ASSERT_EQ(events->size(), 3u);
  EXPECT_EQ((*events)[0].data, "a");
  EXPECT_EQ((*events)[1].data, "2");
  EXPECT_EQ((*events)[2].data, "b");
  auto late = hub.join();
  auto greeting = hub.next(*late, milliseconds(0));
  ASSERT_TRUE(greeting);
  ASSERT_EQ(greeting->size(), 1u);  // the last drawing, not the pongs
  EXPECT_EQ(greeting->front().data, "2");
  EXPECT_EQ(hub.latest("screen")->data, "2");
  EXPECT_FALSE(hub.latest("dialogs"));
  EXPECT_TRUE(hub.next(*late, milliseconds(10))->empty());  // nothing new: a keep-alive turn
}

TEST(EventHub, ABrowserThatDoesNotReadIsDroppedAndTheOthersGoOn) {
  EventHub hub;
  auto idle = hub.join();
  auto reader = hub.join();
  for (size_t i = 0; i < EventHub::kMaxQueued + 10; ++i) {
    hub.publish({"pong", std::to_string(i), false});
    auto events = hub.next(*reader, milliseconds(0));
    ASSERT_TRUE(events);
    ASSERT_EQ(events->size(), 1u);
  }
  EXPECT_FALSE(hub.next(*idle, milliseconds(0)));
  EXPECT_EQ(hub.clients(), 1u);
  hub.close();
  EXPECT_FALSE(hub.next(*reader, milliseconds(0)));
  EXPECT_EQ(hub.join(), nullptr);
}

}  // namespace
}  // namespace zelko::testing
