// The engine and the foundation when the platform fails them: a registry that refuses a
// write, a store that is full, a callback or a launch the platform does not take, a
// clock that jumps. The phone shows nothing of such failures; the engine goes on, makes
// good what it can once the platform recovers, and leaves a line in its log.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ZelkoWinToday/engine.h"
#include "common/engine_window.h"
#include "common/suite.h"
#include "platform/sim/device_clock.h"
#include "platform/sim/sim_power.h"
#include "platform/testing/wrappers.h"
#include "tests/unit/device_fixture.h"

namespace zelko::engine {
namespace {

namespace pt = platform::testing;
using platform::RegValue;
using platform::Root;
using platform::Status;

class FaultyRegistry : public pt::RegistryWrapper {
 public:
  using RegistryWrapper::RegistryWrapper;
  bool full = false;                // every write fails, as on a full disk
  std::set<std::string> refused;    // writes of these value names are refused
  int failedWrites = 0;

  Status setValue(Root root, std::string_view key, std::string_view name,
                  const RegValue& value) override {
    if (full || refused.count(std::string(name))) {
      ++failedWrites;
      return full ? Status::IoError("database or disk is full") : Status::Failed("access denied");
    }
    return RegistryWrapper::setValue(root, key, name, value);
  }
};

class FaultyNotifications : public pt::NotificationsWrapper {
 public:
  using NotificationsWrapper::NotificationsWrapper;
  int launchesToRefuse = 0;   // the next this many launch registrations fail
  std::string unwatchable;    // callbacks on values of this name cannot be registered

  platform::Result<platform::NotificationHandle> registerCallback(
      const platform::ValueRef& value, platform::ChangeCallback callback) override {
    if (value.name == unwatchable) return Status::Failed("no more notification slots");
    return NotificationsWrapper::registerCallback(value, std::move(callback));
  }
  Status registerLaunch(const platform::LaunchRegistration& launch) override {
    if (launchesToRefuse > 0) {
      --launchesToRefuse;
      return Status::IoError("cannot commit");
    }
    return NotificationsWrapper::registerLaunch(launch);
  }
};

// A clock that moves on by `jump` at every reading of the time, as when the time is set
// between two reads; its steady time can be moved on by hand.
class JumpingClock : public pt::ClockWrapper {
 public:
  using ClockWrapper::ClockWrapper;
  std::chrono::minutes jump{0};
  std::chrono::steady_clock::duration steadyAhead{0};

  platform::DateTime utcNow() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(jump * readings_++).count();
    return platform::fromEpochMs(platform::toEpochMs(ClockWrapper::utcNow()) + ms);
  }
  platform::DateTime localNow() override { return toLocal(utcNow()); }
  std::chrono::steady_clock::time_point steadyNow() override {
    return ClockWrapper::steadyNow() + steadyAhead;
  }

 private:
  int readings_ = 0;
};

class RefusingShell : public pt::ShellWrapper {
 public:
  using ShellWrapper::ShellWrapper;
  bool refuse = false;
  platform::Result<platform::ExecResult> execute(const platform::ExecRequest& request) override {
    if (refuse) return Status::Failed("no process slots left");
    return ShellWrapper::execute(request);
  }
};

class FaultyPlatform : public pt::PlatformWrapper {
 public:
  explicit FaultyPlatform(platform::Platform& target)
      : PlatformWrapper(target),
        reg(target.registry()),
        notes(target.notifications()),
        clk(target.clock()),
        shl(target.shell()),
        logged(target.log()) {}
  platform::Registry& registry() override { return reg; }
  platform::Notifications& notifications() override { return notes; }
  platform::Clock& clock() override { return clk; }
  platform::Shell& shell() override { return shl; }
  platform::Log& log() override { return logged; }

  FaultyRegistry reg;
  FaultyNotifications notes;
  JumpingClock clk;
  RefusingShell shl;
  pt::RecordingLog logged;
};

class EngineFaultsTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    faulty_.emplace(platform());
    suite_.emplace(*faulty_);
    engine_.emplace(*suite_);
    power_.emplace(device().settings(), platform().registry(), dir() / "device" / "fs");
    ASSERT_TRUE(power_->setBattery(60, false).ok());
  }
  void TearDown() override {
    engine_.reset();
    suite_.reset();
    faulty_.reset();
    DeviceTest::TearDown();
  }
  FaultyPlatform& faulty() { return *faulty_; }
  // A battery change, and the callbacks it runs in the engine.
  void battery(uint8_t percent) {
    ASSERT_TRUE(power_->setBattery(percent, false).ok());
    ASSERT_TRUE(platform().windows().pumpMessages(std::chrono::milliseconds(200)));
  }
  std::string value(std::string_view page, std::string_view name) {
    return suite_->values().readText(page, name);
  }

  std::optional<FaultyPlatform> faulty_;
  std::optional<Suite> suite_;
  std::optional<Engine> engine_;
  std::optional<platform::sim::SimPower> power_;
};

TEST_F(EngineFaultsTest, RefusedWritesAreLoggedOncePerUpdateAndTheRestIsWritten) {
  faulty().reg.refused = {"BattVal", "ZelkoToday"};
  ASSERT_EQ(engine_->start("-restart", 1), std::nullopt);
  EXPECT_EQ(faulty().logged.count("cannot record the build number: access denied"), 1);
  EXPECT_EQ(value("Page1", "BattVal"), "");
  EXPECT_NE(value("Page1", "BattPNG"), "");
  EXPECT_EQ(value("", "Updated"), "1");
  // The battery widget runs in the time widget and on its own in the refresh.
  const std::string line =
      "1 writes of an update failed, the first: cannot write "
      "HKLM\\Software\\Microsoft\\CHome\\ZelkoToday\\Page1\\BattVal: access denied";
  EXPECT_EQ(faulty().logged.count(line), 2);

  faulty().reg.refused.clear();
  battery(61);
  EXPECT_EQ(value("Page1", "BattVal"), "61%");
}

TEST_F(EngineFaultsTest, AFullStoreCostsALinePerUpdateNotPerWrite) {
  faulty().reg.full = true;
  ASSERT_EQ(engine_->start("", 1), std::nullopt);
  EXPECT_NE(platform().windows().findWindow(kEngineWindowClass), 0u);
  const int lines = faulty().logged.count("database or disk is full");
  EXPECT_GT(lines, 0);
  EXPECT_LT(lines * 5, faulty().reg.failedWrites);

  // Once there is room again, the next change is shown in full.
  faulty().reg.full = false;
  battery(42);
  EXPECT_EQ(value("Page1", "BattVal"), "42%");
  EXPECT_EQ(value("", "Updated"), "1");
}

TEST_F(EngineFaultsTest, AWidgetWhoseCallbackIsRefusedRunsWithTheFullRefreshes) {
  faulty().notes.unwatchable = "Main";
  ASSERT_EQ(engine_->start("-restart", 1), std::nullopt);
  EXPECT_EQ(faulty().logged.count("cannot watch HKLM\\System\\State\\Battery Main: no more "
                                  "notification slots"),
            1);
  EXPECT_EQ(value("Page1", "BattVal"), "60%");
  battery(30);
  EXPECT_EQ(value("Page1", "BattVal"), "60%");
  ASSERT_TRUE(platform().windows().postMessage({engine_->window(), kUpdateMessage, 0, 0}).ok());
  ASSERT_TRUE(platform().windows().pumpMessages(std::chrono::milliseconds(200)));
  EXPECT_EQ(value("Page1", "BattVal"), "30%");
}

TEST_F(EngineFaultsTest, RefusedLaunchesAreTriedAgainSoTheEngineStillComesBack) {
  faulty().notes.launchesToRefuse = 2;
  ASSERT_EQ(engine_->start("-restart", 1), std::nullopt);
  EXPECT_EQ(faulty().logged.count("cannot register the launch"), 2);
  EXPECT_TRUE(platform().notifications().launches().empty());

  // Not at every notification: at most once a minute.
  battery(59);
  EXPECT_TRUE(platform().notifications().launches().empty());
  faulty().clk.steadyAhead = kLaunchRetry;
  battery(58);
  EXPECT_EQ(platform().notifications().launches().size(), 2u);
  EXPECT_EQ(faulty().logged.count("cannot register the launch"), 2);
}

TEST_F(EngineFaultsTest, ALaunchTheShellRefusesIsLoggedAndTheRefreshGoesOn) {
  faulty().shl.refuse = true;
  // The programs of this device are in its root folder.
  std::ofstream(hostFile("\\ZelkoToday.ini"))
      << "[Notify]\nZelkoTodayWifi=Wifi.exe;-x\n";
  ASSERT_EQ(engine_->start("-restart", 1), std::nullopt);
  EXPECT_EQ(faulty().logged.count("ZelkoContacts.exe;-zelkotoday: no process slots left"), 1);
  EXPECT_EQ(faulty().logged.count("cannot run Wifi.exe;-x: no process slots left"), 1);
  EXPECT_EQ(value("Page1", "BattVal"), "60%");  // written after the first refused launch
}

TEST_F(EngineFaultsTest, BothClocksShowOneReadingWhenTheClockJumpsMeanwhile) {
  ASSERT_TRUE(device().deviceClock().setLocal(*platform::parseIsoDateTime("2026-03-24 10:00")).ok());
  faulty().clk.jump = std::chrono::minutes(1);
  ASSERT_EQ(engine_->start("-restart", 1), std::nullopt);
  suite_->settings().suiteIni().parse("[Offset]\noffset=1:00\n");
  engine_->widgets().time();
  const std::string local = value("Page1", "Time");
  const std::string second = value("Page1", "TimeO");
  ASSERT_EQ(local.size(), 5u);
  int localMinutes = std::stoi(local.substr(0, 2)) * 60 + std::stoi(local.substr(3));
  int secondMinutes = std::stoi(second.substr(0, 2)) * 60 + std::stoi(second.substr(3));
  EXPECT_EQ(secondMinutes - localMinutes, 60) << local << " " << second;
}

}  // namespace
}  // namespace zelko::engine
