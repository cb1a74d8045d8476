// Windows, messages, timers and the message loop of the emulated device, in one process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::Message;
using platform::Status;
using platform::WindowHandle;
using std::chrono::milliseconds;
constexpr uint32_t kWmPing = platform::kWmUser + 1;

class SimWindowsTest : public testing::DeviceTest {
 protected:
  platform::Windows& win() { return platform().windows(); }
  // A class whose procedure records every message and answers with wParam * 2.
  void registerRecorder(const std::string& cls) {
    ASSERT_TRUE(win().registerClass(cls, [this](const Message& m) -> int64_t {
      got_.push_back(m);
      if (onMessage_) onMessage_(m);
      return static_cast<int64_t>(m.wParam) * 2;
    }).ok());
  }
  WindowHandle create(const std::string& cls, const std::string& title, WindowHandle parent = 0) {
    auto w = win().createWindow(cls, title, parent);
    EXPECT_TRUE(w.ok()) << w.status().message();
    return w.ok() ? *w : 0;
  }
  std::vector<uint32_t> messagesTo(WindowHandle w) const {
    std::vector<uint32_t> out;
    for (const auto& m : got_) if (m.window == w) out.push_back(m.message);
    return out;
  }
  size_t count(uint32_t message) const {
    return std::count_if(got_.begin(), got_.end(), [&](const Message& m) { return m.message == message; });
  }
  // Pumps until `d` has passed: one pump returns once something was handled.
  void pumpFor(milliseconds d) {
    auto end = std::chrono::steady_clock::now() + d;
    for (auto now = end - d; now < end; now = std::chrono::steady_clock::now()) {
      if (!win().pumpMessages(std::chrono::duration_cast<milliseconds>(end - now))) break;
    }
  }
  std::vector<Message> got_;
  std::function<void(const Message&)> onMessage_;
};

TEST_F(SimWindowsTest, ClassesAndWindowsAreFoundWithoutRegardToCaseChildrenUnderTheirParent) {
  registerRecorder("HomeHost");
  EXPECT_EQ(win().registerClass("HOMEHOST", [](const Message&) { return int64_t{0}; }).code(),
            Status::Code::kInvalid);
  EXPECT_EQ(win().registerClass("", [](const Message&) { return int64_t{0}; }).code(),
            Status::Code::kInvalid);
  EXPECT_EQ(win().createWindow("Unregistered", "x").status().code(), Status::Code::kNotFound);
  EXPECT_EQ(win().findWindow("homehost"), 0u);
  WindowHandle w = create("homehost", "Home");
  auto untitled = win().createWindow("HomeHost", std::string_view());  // a null title
  ASSERT_TRUE(untitled.ok()) << untitled.status().message();
  WindowHandle other = *untitled;
  EXPECT_EQ(win().findWindow("HOMEHOST"), w);  // the older of two
  EXPECT_EQ(win().findWindow("Home"), 0u);  // titles are not classes
  EXPECT_EQ(win().windowInfo(w)->pid, getpid());

  registerRecorder("Pane");
  WindowHandle pane = create("Pane", "p", w);
  EXPECT_EQ(win().findChildWindow(w, "PANE"), pane);
  EXPECT_EQ(win().findChildWindow(other, "Pane"), 0u);
  EXPECT_EQ(win().findChildWindow(0, "Pane"), 0u);
  EXPECT_EQ(win().findWindow("Pane"), 0u);  // not a top-level window
  EXPECT_EQ(win().windowInfo(pane)->parent, w);
  std::vector<WindowHandle> listed;
  for (const auto& i : win().listWindows()) listed.push_back(i.handle);
  EXPECT_EQ(listed, (std::vector<WindowHandle>{w, other, pane}));
}

TEST_F(SimWindowsTest, DestroyWindowTellsItAndTakesItsChildren) {
  registerRecorder("Frame");
  WindowHandle frame = create("Frame", "f");
  WindowHandle child = create("Frame", "c", frame);
  WindowHandle grandchild = create("Frame", "gc", child);
  WindowHandle sibling = create("Frame", "s");
  ASSERT_TRUE(win().setTimer(child, 1, milliseconds(1)).ok());
  ASSERT_TRUE(win().setForeground(child).ok());
  EXPECT_EQ(win().setForeground(child + 100).code(), Status::Code::kNotFound);
  // The procedure may already not find itself: it is gone from the device.
  WindowHandle seenDuringDestroy = 1;
  onMessage_ = [&](const Message& m) {
    if (m.window == frame && m.message == platform::kWmDestroy) {
      seenDuringDestroy = win().findWindow("Frame") == frame ? frame : 0;
    }
  };

  ASSERT_TRUE(win().destroyWindow(frame).ok());
  EXPECT_EQ(seenDuringDestroy, 0u);
  for (WindowHandle w : {frame, child, grandchild}) {
    EXPECT_EQ(messagesTo(w), std::vector<uint32_t>{platform::kWmDestroy}) << w;
    EXPECT_FALSE(win().windowInfo(w));
    EXPECT_EQ(win().postMessage({w, kWmPing, 0, 0}).code(), Status::Code::kNotFound);
    EXPECT_EQ(win().sendMessage({w, kWmPing, 0, 0}).status().code(), Status::Code::kNotFound);
  }
  EXPECT_TRUE(messagesTo(sibling).empty());
  EXPECT_EQ(win().findWindow("frame"), sibling);
  EXPECT_EQ(win().foreground(), 0u);
  EXPECT_EQ(win().destroyWindow(frame).code(), Status::Code::kInvalid);

  got_.clear();
  pumpFor(milliseconds(20));  // the child's timer went with it
  EXPECT_TRUE(got_.empty());
}

TEST_F(SimWindowsTest, WindowDestroyingItselfAgainWhileGoingIsRefused) {
  registerRecorder("Frame");
  WindowHandle frame = create("Frame", "f");
  WindowHandle child = create("Frame", "c", frame);
  std::vector<Status> again;
  onMessage_ = [&](const Message& m) {
    if (m.message != platform::kWmDestroy || again.size() >= 10) return;
    again.push_back(win().destroyWindow(m.window));
    if (m.window == frame) again.push_back(win().destroyWindow(child));
  };
  ASSERT_TRUE(win().destroyWindow(frame).ok());
  ASSERT_EQ(again.size(), 3u);
  for (const Status& s : again) EXPECT_EQ(s.code(), Status::Code::kInvalid);
  EXPECT_EQ(count(platform::kWmDestroy), 2u);
}

TEST_F(SimWindowsTest, PostedMessagesArriveInOrderFromTheLoopAndSentOnesAtOnce) {
  registerRecorder("Q");
  WindowHandle w = create("Q", "q");
  for (uint64_t i = 1; i <= 3; ++i) ASSERT_TRUE(win().postMessage({w, kWmPing, i, -int64_t(i)}).ok());
  ASSERT_TRUE(win().invalidate(w).ok());
  EXPECT_TRUE(got_.empty());  // nothing runs before the loop does
  auto r = win().sendMessage({w, kWmPing, 21, 0});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r, 42);
  ASSERT_EQ(got_.size(), 1u);  // sent before the posted ones are handled
  EXPECT_TRUE(win().pumpMessages(milliseconds(0)));
  ASSERT_EQ(got_.size(), 5u);
  for (uint64_t i = 1; i <= 3; ++i) {
    EXPECT_EQ(got_[i].message, kWmPing);
    EXPECT_EQ(got_[i].wParam, i);
    EXPECT_EQ(got_[i].lParam, -int64_t(i));
  }
  EXPECT_EQ(got_[4].message, platform::kWmPaint);
  EXPECT_EQ(win().invalidate(w + 100).code(), Status::Code::kNotFound);
}

TEST_F(SimWindowsTest, PumpEndsEvenWhenAHandlerKeepsPostingToItself) {
  registerRecorder("Busy");
  WindowHandle w = create("Busy", "b");
  // Works in steps, posting itself the next one; the guard only ends a runaway pump.
  onMessage_ = [&](const Message& m) {
    if (m.message == kWmPing && got_.size() < 100000) {
      EXPECT_TRUE(win().postMessage({w, kWmPing, m.wParam + 1, 0}).ok());
    }
  };
  ASSERT_TRUE(win().postMessage({w, kWmPing, 0, 0}).ok());
  EXPECT_TRUE(win().pumpMessages(milliseconds(0)));
  EXPECT_GE(got_.size(), 1u);
  EXPECT_LE(got_.size(), 2u);
  const size_t first = got_.size();
  EXPECT_TRUE(win().pumpMessages(milliseconds(20)));
  EXPECT_GT(got_.size(), first);
  EXPECT_LT(got_.size(), 100u);
  // The chain goes on where it stopped, in order.
  for (size_t i = 0; i < got_.size(); ++i) EXPECT_EQ(got_[i].wParam, i);
}

TEST_F(SimWindowsTest, TimersTickUntilKilledAndAreReplacedById) {
  registerRecorder("T");
  WindowHandle w = create("T", "t");
  ASSERT_TRUE(win().setTimer(w, 7, milliseconds(5)).ok());
  pumpFor(milliseconds(60));
  size_t ticks = count(platform::kWmTimer);
  EXPECT_GE(ticks, 3u);
  for (const auto& m : got_) EXPECT_EQ(m.wParam, 7u);

  ASSERT_TRUE(win().killTimer(w, 7).ok());
  EXPECT_EQ(win().killTimer(w, 7).code(), Status::Code::kNotFound);
  got_.clear();
  pumpFor(milliseconds(30));
  EXPECT_TRUE(got_.empty());

  // Setting the same id again replaces the interval rather than adding a second timer.
  ASSERT_TRUE(win().setTimer(w, 8, milliseconds(5)).ok());
  ASSERT_TRUE(win().setTimer(w, 8, milliseconds(10000)).ok());
  pumpFor(milliseconds(30));
  EXPECT_TRUE(got_.empty());

  EXPECT_EQ(win().setTimer(w + 100, 1, milliseconds(5)).code(), Status::Code::kInvalid);

  // A timer that kills itself ticks once; one pump serves a timer that falls due meanwhile.
  onMessage_ = [&](const Message& m) {
    if (m.message == platform::kWmTimer) {
      EXPECT_TRUE(win().killTimer(m.window, static_cast<uint32_t>(m.wParam)).ok());
    }
  };
  ASSERT_TRUE(win().setTimer(w, 1, milliseconds(2)).ok());
  EXPECT_TRUE(win().pumpMessages(milliseconds(500)));
  pumpFor(milliseconds(20));
  EXPECT_EQ(count(platform::kWmTimer), 1u);
}

TEST_F(SimWindowsTest, MessageLoopRunsTimersUntilQuitAndReturnsTheCode) {
  registerRecorder("L");
  WindowHandle w = create("L", "l");
  onMessage_ = [&](const Message& m) {
    if (m.message == platform::kWmTimer && count(platform::kWmTimer) == 3) win().postQuit(42);
  };
  ASSERT_TRUE(win().setTimer(w, 1, milliseconds(2)).ok());
  EXPECT_EQ(win().runMessageLoop(), 42);
  EXPECT_EQ(win().quitCode(), 42);
  EXPECT_EQ(count(platform::kWmTimer), 3u);
  // Once quit, the loop handles nothing more.
  ASSERT_TRUE(win().postMessage({w, kWmPing, 0, 0}).ok());
  EXPECT_FALSE(win().pumpMessages(milliseconds(0)));
  EXPECT_EQ(count(kWmPing), 0u);
}

TEST_F(SimWindowsTest, PostedQuitMessageEndsTheLoop) {
  registerRecorder("L");
  WindowHandle w = create("L", "l");
  for (uint32_t m : {kWmPing, platform::kWmQuit, kWmPing}) ASSERT_TRUE(win().postMessage({w, m, 7, 0}).ok());
  EXPECT_EQ(win().runMessageLoop(), 7);
  EXPECT_EQ(got_.size(), 1u);  // the quit message itself never reaches the procedure
}

}  // namespace
}  // namespace zelko
