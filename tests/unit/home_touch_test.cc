// Touches of the home screen: which action string each part of a page runs, the names the
// home screen itself knows, where the cursor goes, and what the journal shows.
#include <gtest/gtest.h>

#include "device/home_view/touch.h"
#include "tests/unit/device_fixture.h"

namespace zelko::testing {
namespace {

using device::home::runTouch;
using device::home::Touch;
using device::home::TouchTarget;
using platform::RegValue;
using platform::Root;

constexpr char kPage[] = "Software\\Microsoft\\CHome\\ZelkoToday\\Page3";

class HomeTouchTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    set("ACTIONURL", "\\Program Files\\ZelkoDeck\\ZelkoDeck.exe;ZelkoToday Page3");
    set("ACTIONURLPNX", "\\Program Files\\ZelkoToday\\ZelkoCalendar.exe;-titanium -zelkotoday");
    set("SK2URL", ":MSCALENDAR");
  }
  void set(const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kPage, name, RegValue::Text(text)).ok());
  }
  platform::Result<device::home::TouchRun> touch(TouchTarget target, std::string action = "") {
    Touch t{"ZelkoToday", "Page3", target, std::move(action), platform::Point{120, 640}};
    return runTouch(platform(), device().journal(), t);
  }
  // The taps and launches of the journal, in its order, as their JSON.
  std::vector<std::string> seen() {
    std::vector<std::string> out;
    for (const auto& e : device().journal().read()) {
      if (e.event == "tap" || e.event == "launch") out.push_back(e.json);
    }
    return out;
  }
};

TEST_F(HomeTouchTest, PanelPageAndSoftKeyRunTheirActionsAfterTheTap) {
  ASSERT_TRUE(touch(TouchTarget::kPanel).ok());
  ASSERT_TRUE(touch(TouchTarget::kPage).ok());
  auto soft = touch(TouchTarget::kSoftKey);
  ASSERT_TRUE(soft.ok());
  EXPECT_EQ(soft->action, ":MSCALENDAR");
  auto element = touch(TouchTarget::kElement, "%WINDOWS%\\tmail.exe;-service \"SMS\"");
  ASSERT_TRUE(element.ok());
  // Each launch follows its tap; the home screen opens its calendar for :MSCALENDAR.
  const char* expected[] = {
      R"("event":"tap","plugin":"ZelkoToday","page":"Page3","target":"panel","action":"\\Program Files\\ZelkoToday\\ZelkoCalendar.exe;-titanium -zelkotoday","x":120,"y":640)",
      R"("program":"\\Program Files\\ZelkoToday\\ZelkoCalendar.exe","params":"-titanium -zelkotoday")",
      R"("target":"page","action":"\\Program Files\\ZelkoDeck\\ZelkoDeck.exe;ZelkoToday Page3")",
      R"("program":"\\Program Files\\ZelkoDeck\\ZelkoDeck.exe","params":"ZelkoToday Page3")",
      R"("target":"softkey","action":":MSCALENDAR")",
      R"("program":"\\Windows\\poutlook.exe","params":"calendar")",
      R"("target":"element","action":"%WINDOWS%\\tmail.exe;-service \"SMS\"")",
      R"("program":"\\Windows\\tmail.exe","params":"-service \"SMS\"")",
  };
  std::vector<std::string> events = seen();
  ASSERT_EQ(events.size(), std::size(expected));
  for (size_t i = 0; i < events.size(); ++i) EXPECT_NE(events[i].find(expected[i]), std::string::npos) << events[i];
  platform::Point cursor = platform().windows().cursorPosition();
  EXPECT_EQ(cursor.x, 120);
  EXPECT_EQ(cursor.y, 640);
}

TEST_F(HomeTouchTest, MissingAndUnknownActionsRunNothing) {
  ASSERT_TRUE(platform().registry().deleteValue(Root::kLocalMachine, kPage, "ACTIONURL").ok());
  EXPECT_EQ(touch(TouchTarget::kPage).status().code(), platform::Status::Code::kNotFound);
  set("SK2URL", "");
  EXPECT_EQ(touch(TouchTarget::kSoftKey).status().code(), platform::Status::Code::kNotFound);
  set("SK2URL", ":MSCONTACTS;x");
  auto unknown = touch(TouchTarget::kSoftKey);
  EXPECT_EQ(unknown.status().code(), platform::Status::Code::kInvalid);
  EXPECT_NE(unknown.status().message().find(":MSCONTACTS"), std::string::npos);
  EXPECT_TRUE(seen().empty());
}

TEST_F(HomeTouchTest, KeysNeedTheHomeScreen) {
  EXPECT_EQ(device::home::pressKey(platform().windows(), platform::sim::HomeKey::kRight).code(),
            platform::Status::Code::kNotFound);
}

}  // namespace
}  // namespace zelko::testing
