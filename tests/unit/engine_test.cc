// The engine in this process: its start-up, registrations, window messages and the
// callbacks that run its widgets.
#include "ZelkoWinToday/engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "common/engine_window.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/items.h"
#include "platform/platform.h"
#include "platform/sim/sim_power.h"
#include "tests/unit/device_fixture.h"

namespace zelko::engine {
namespace {

using platform::RegValue;
using platform::Root;
using std::chrono::milliseconds;

class EngineTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    suite_.emplace(platform());
    engine_.emplace(*suite_);
  }
  void TearDown() override {
    engine_.reset();
    suite_.reset();
    DeviceTest::TearDown();
  }
  std::optional<int> start(const std::string& commandLine) {
    return engine_->start(commandLine, 1);
  }
  int launches(const std::string& what) {
    int n = 0;
    for (const std::string& e : journalEvents("launch")) n += e.find(what) != std::string::npos;
    return n;
  }
  void post(uint32_t message, int64_t lParam = 0) {
    ASSERT_TRUE(platform().windows().postMessage({engine_->window(), message, 0, lParam}).ok());
  }
  // Handles what is queued; false once the engine asked to quit.
  bool pump() { return platform().windows().pumpMessages(milliseconds(200)); }
  std::string pageImage(std::string_view page, std::string_view name) {
    std::string path = suite_->values().readText(page, name);
    return path.substr(path.rfind('\\') + 1);
  }

  std::optional<Suite> suite_;
  std::optional<Engine> engine_;
};

constexpr char kAppointmentsRun[] = "\"params\":\"-titanium -zelkotoday\"";

TEST_F(EngineTest, StartRefreshesTwiceUnlessRestarted) {
  ASSERT_EQ(start(""), std::nullopt);
  EXPECT_EQ(launches(kAppointmentsRun), 2);
  EXPECT_NE(platform().windows().findWindow(kEngineWindowClass), 0u);
  EXPECT_EQ(suite_->values().readText("Page1", "Time").size(), 5u);
  EXPECT_EQ(suite_->settings().homeScreenMode(), true);
  EXPECT_EQ(platform().notifications().launches().size(), 2u);  // their text: EngineEndToEnd
}

TEST_F(EngineTest, RestartRefreshesOnceAndASecondEngineEndsAtOnce) {
  ASSERT_EQ(start("-restart"), std::nullopt);
  EXPECT_EQ(launches(kAppointmentsRun), 1);

  Suite other(platform());
  Engine second(other);
  EXPECT_EQ(second.start("", 1), 0);
  EXPECT_EQ(launches(kAppointmentsRun), 1);
  // Its start replaced the launches rather than adding to them.
  EXPECT_EQ(platform().notifications().launches().size(), 2u);
}

TEST_F(EngineTest, StateChangesRunTheirWidgets) {
  ASSERT_EQ(start("-restart"), std::nullopt);
  platform::sim::SimPower power(device().settings(), platform().registry(), dir() / "device" / "fs");
  const int before = launches("ZelkoComm.exe");
  ASSERT_TRUE(power.setBattery(5, false).ok());
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, "System\\State\\Hardware", "WiFi",
                                             RegValue::Dword(19)).ok());
  ASSERT_TRUE(pump());
  EXPECT_EQ(suite_->values().readText("Page1", "BattVal"), "5%");
  EXPECT_EQ(pageImage("Page1", "WiFiPNG"), "wifi_e.png");
  // The battery is watched once: one change, one critical action.
  EXPECT_EQ(launches("ZelkoComm.exe") - before, 1);

  // The operator widget runs only on its own notification.
  EXPECT_EQ(suite_->values().readText("Page1", "OperatorName"), "");
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, "System\\State\\Phone",
                                             "Current Operator Name", RegValue::Text("Free")).ok());
  ASSERT_TRUE(pump());
  EXPECT_EQ(suite_->values().readText("Page1", "OperatorName"), "Free");
}

TEST_F(EngineTest, WindowMessages) {
  ASSERT_EQ(start("-restart"), std::nullopt);

  post(kUpdateMessage);
  ASSERT_TRUE(pump());
  EXPECT_EQ(pageImage("Page1", "CalPNG"), "cal.png");
  EXPECT_EQ(pageImage("Page3", "Bkg"), "Bkg3.png");
  EXPECT_EQ(pageImage("Page5", "PagesPNG"), "pages5.png");
  EXPECT_EQ(pageImage("Page1", "BG"), "bg.png");
  EXPECT_EQ(launches(kAppointmentsRun), 2);  // and a full refresh

  suite_->settings().suiteIni().parse("[RunAt]\nenable=1\ntime=23:00\n");
  post(kRescheduleMessage);
  ASSERT_TRUE(pump());
  EXPECT_FALSE(suite_->values().readText("", "RunAt").empty());

  // Store changes start the provider of the folder; other folders start nothing. The
  // two refreshes so far started each provider once already.
  post(platform::kItemAdded, 9);
  post(platform::kItemChanged, 10);
  post(platform::kItemDeleted, 3);
  ASSERT_TRUE(pump());
  EXPECT_EQ(launches("\"params\":\"-max:5 -days:30 -zelkotoday\""), 3);
  EXPECT_EQ(launches("ZelkoContacts.exe"), 3);

  post(kStopMessage);
  EXPECT_FALSE(pump());
  EXPECT_EQ(platform().windows().quitCode(), 0);
  EXPECT_EQ(platform().windows().findWindow(kEngineWindowClass), 0u);
}

}  // namespace
}  // namespace zelko::engine
