// The engine controller: which command line, engine and home-screen state lead to which
// action and exit code, and the run that carries the decision out on a device.
#include "ZelkoToday/controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "common/suite.h"
#include "platform/platform.h"
#include "platform/testing/wrappers.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using controller::Action;
using controller::Decision;
using controller::decide;
using host::HomeScreenState;
using platform::RegValue;
using platform::Root;

constexpr HomeScreenState kOn = HomeScreenState::kOn;
constexpr HomeScreenState kOff = HomeScreenState::kOff;
constexpr HomeScreenState kOther = HomeScreenState::kUnknown;  // Enabled neither 0 nor 1
constexpr bool kRunning = true;
constexpr bool kNotRunning = false;

Decision acted(Action a) { return {a, 1}; }
const Decision kRecognisedNothing{Action::kNothing, 1};
const Decision kUnrecognised{Action::kNothing, 0};

TEST(ControllerDecision, MinuteLaunchStartsOnlyAMissingEngineWhileTheHomeScreenIsOn) {
  EXPECT_EQ(decide("ZelkoWinToday", kNotRunning, kOn), acted(Action::kStartEngine));
  EXPECT_EQ(decide("ZelkoWinToday", kRunning, kOn), kRecognisedNothing);
  EXPECT_EQ(decide("ZelkoWinToday", kNotRunning, kOff), kRecognisedNothing);
  EXPECT_EQ(decide("ZelkoWinToday", kNotRunning, kOther), kRecognisedNothing);
  // The platform may put parameters before the name; the name is found anywhere.
  EXPECT_EQ(decide("-x ZelkoWinToday", kNotRunning, kOn), acted(Action::kStartEngine));
  EXPECT_EQ(decide("xZelkoWinTodayx", kNotRunning, kOn), acted(Action::kStartEngine));
}

TEST(ControllerDecision, HomeScreenLaunchRestartsOrStopsAfterConfirmation) {
  EXPECT_EQ(decide("ZelkoTitanium", kNotRunning, kOn), acted(Action::kRestartEngine));
  EXPECT_EQ(decide("ZelkoTitanium", kRunning, kOff), acted(Action::kStopIfStillOff));
  EXPECT_EQ(decide("ZelkoTitanium", kRunning, kOn), kRecognisedNothing);
  EXPECT_EQ(decide("ZelkoTitanium", kNotRunning, kOff), kRecognisedNothing);
  // A value that is neither on nor off neither starts nor stops anything.
  EXPECT_EQ(decide("ZelkoTitanium", kRunning, kOther), kRecognisedNothing);
  EXPECT_EQ(decide("ZelkoTitanium", kNotRunning, kOther), kRecognisedNothing);
}

TEST(ControllerDecision, RunAtReschedulesARunningEngineAndNeverStartsOne) {
  EXPECT_EQ(decide("-runAt", kRunning, kOn), acted(Action::kPostReschedule));
  EXPECT_EQ(decide("-runAt", kNotRunning, kOn), kRecognisedNothing);
  EXPECT_EQ(decide("-runAt", kRunning, kOff), kRecognisedNothing);
  EXPECT_EQ(decide("-runAt", kRunning, kOther), kRecognisedNothing);
}

TEST(ControllerDecision, UpdateNeedsTheHomeScreenOn) {
  EXPECT_EQ(decide("-update", kRunning, kOn), acted(Action::kPostUpdate));
  EXPECT_EQ(decide("-update", kNotRunning, kOn), acted(Action::kStartEngine));
  EXPECT_EQ(decide("-update", kNotRunning, kOff), kRecognisedNothing);
  EXPECT_EQ(decide("-update", kRunning, kOff), kRecognisedNothing);
  EXPECT_EQ(decide("-update", kNotRunning, kOther), kRecognisedNothing);
}

TEST(ControllerDecision, StopReachesARunningEngineWhateverTheHomeScreen) {
  EXPECT_EQ(decide("-stop", kRunning, kOn), acted(Action::kPostStop));
  EXPECT_EQ(decide("-stop", kRunning, kOff), acted(Action::kPostStop));
  EXPECT_EQ(decide("-stop", kRunning, kOther), acted(Action::kPostStop));
  EXPECT_EQ(decide("-stop", kNotRunning, kOn), kRecognisedNothing);
}

TEST(ControllerDecision, SwitchesMustBeTheWholeCommandLineInTheirCase) {
  for (const char* line : {"", "-Stop", "-STOP", "-runat", "-Update", "-update ", " -update",
                           "\"-update\"", "-update -stop", "-stop:1", "zelkowintoday",
                           "ZELKOTITANIUM", "ZelkoToday"}) {
    for (bool running : {kRunning, kNotRunning}) {
      EXPECT_EQ(decide(line, running, kOn), kUnrecognised) << "[" << line << "]";
    }
  }
}

TEST(ControllerDecision, FirstMatchingRowWins) {
  // Both launch names: the minute launch is tested first.
  EXPECT_EQ(decide("ZelkoTitanium ZelkoWinToday", kNotRunning, kOn), acted(Action::kStartEngine));
  EXPECT_EQ(decide("ZelkoTitanium ZelkoWinToday", kRunning, kOff), kRecognisedNothing);
  // A launch name anywhere outranks a switch.
  EXPECT_EQ(decide("-stop ZelkoTitanium", kRunning, kOn), kRecognisedNothing);
}

// The run on a device, with the engine's window in this process.
class ControllerRunTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(windows().registerClass(kEngineWindowClass,
                                        [this](const platform::Message& m) -> int64_t {
                                          received_.push_back(m.message);
                                          receivers_.push_back(m.window);
                                          return 0;
                                        })
                    .ok());
  }
  platform::Windows& windows() { return platform().windows(); }
  void startEngine() { ASSERT_TRUE(windows().createWindow("ZelkoToday", "ZelkoToday").ok()); }
  void setEnabled(uint32_t v) {
    ASSERT_TRUE(platform()
                    .registry()
                    .setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome", "Enabled",
                              RegValue::Dword(v))
                    .ok());
  }
  // Runs the controller; `duringPause` stands in for whatever happens while it waits.
  int run(const std::string& line, std::function<void()> duringPause = {}) {
    Suite suite(platform());
    return controller::run(suite, line, 1, [&](std::chrono::milliseconds d) {
      pauses_.push_back(d);
      if (duringPause) duringPause();
    });
  }
  std::vector<uint32_t> delivered() {
    windows().pumpMessages(std::chrono::milliseconds(0));
    return received_;
  }
  std::vector<uint32_t> received_;
  std::vector<platform::WindowHandle> receivers_;
  std::vector<std::chrono::milliseconds> pauses_;
};

TEST_F(ControllerRunTest, SwitchesPostTheirMessageToTheEngine) {
  setEnabled(1);
  startEngine();
  EXPECT_EQ(run("-update"), 1);
  EXPECT_EQ(run("-runAt"), 1);
  EXPECT_EQ(run("-stop"), 1);
  EXPECT_EQ(delivered(), (std::vector<uint32_t>{1126, 1157, 1127}));
  EXPECT_TRUE(pauses_.empty());
}

TEST_F(ControllerRunTest, SwitchOffStopsTheEngineOnlyWhenItLastsFiveSeconds) {
  setEnabled(0);
  startEngine();
  EXPECT_EQ(run("ZelkoTitanium"), 1);
  EXPECT_EQ(pauses_, (std::vector<std::chrono::milliseconds>{std::chrono::seconds(5)}));
  EXPECT_EQ(delivered(), (std::vector<uint32_t>{1127}));

  received_.clear();
  EXPECT_EQ(run("ZelkoTitanium", [&] { setEnabled(1); }), 1);
  EXPECT_TRUE(delivered().empty());
}

TEST_F(ControllerRunTest, SwitchOffConfirmationReadsTheValueAgain) {
  setEnabled(0);
  startEngine();
  // Neither on nor off after the pause: not "still 0", so the engine stays.
  run("ZelkoTitanium", [&] { setEnabled(7); });
  EXPECT_TRUE(delivered().empty());
  // A value deleted meanwhile reads 0, which is off.
  setEnabled(0);
  run("ZelkoTitanium", [&] {
    ASSERT_TRUE(platform().registry().deleteValue(Root::kLocalMachine, "Software\\Microsoft\\CHome",
                                                  "Enabled").ok());
  });
  EXPECT_EQ(delivered(), (std::vector<uint32_t>{1127}));
}

TEST_F(ControllerRunTest, StopAfterThePauseGoesToTheEngineRunningThen) {
  setEnabled(0);
  startEngine();
  platform::WindowHandle first = windows().findWindow("ZelkoToday");
  platform::WindowHandle second = 0;
  run("ZelkoTitanium", [&] {
    ASSERT_TRUE(windows().destroyWindow(first).ok());
    auto w = windows().createWindow("ZelkoToday", "ZelkoToday");
    ASSERT_TRUE(w.ok());
    second = *w;
  });
  received_.clear();  // the first window's own destroy message
  receivers_.clear();
  EXPECT_EQ(delivered(), (std::vector<uint32_t>{1127}));
  EXPECT_EQ(receivers_, (std::vector<platform::WindowHandle>{second}));
}

TEST_F(ControllerRunTest, AMessageThePlatformCannotPostIsLogged) {
  struct RefusingWindows : platform::testing::WindowsWrapper {
    using WindowsWrapper::WindowsWrapper;
    platform::Status postMessage(const platform::Message&) override {
      return platform::Status::IoError("the queue is full");
    }
  };
  struct Faulty : platform::testing::PlatformWrapper {
    explicit Faulty(platform::Platform& p) : PlatformWrapper(p), win(p.windows()), logged(p.log()) {}
    platform::Windows& windows() override { return win; }
    platform::Log& log() override { return logged; }
    RefusingWindows win;
    platform::testing::RecordingLog logged;
  };
  setEnabled(1);
  startEngine();
  Faulty faulty(platform());
  Suite suite(faulty);
  EXPECT_EQ(controller::run(suite, "-update", 1, [](std::chrono::milliseconds) {}), 1);
  EXPECT_EQ(faulty.logged.lines(),
            (std::vector<std::string>{"cannot post message 1126 to the engine: the queue is full"}));
}

}  // namespace
}  // namespace zelko
