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

TEST(ControllerDecision, CommandLineEngineAndHomeScreenDecideTheAction) {
  constexpr Action kNone = Action::kNothing;
  struct Row {
    const char* line;
    bool running;
    HomeScreenState state;
    Action action;  // a recognised line exits 1, whatever it does
  } rows[] = {
      // The minute launch starts only a missing engine while the home screen is on; its
      // name is found anywhere in the line.
      {"ZelkoWinToday", false, kOn, Action::kStartEngine}, {"ZelkoWinToday", true, kOn, kNone},
      {"ZelkoWinToday", false, kOff, kNone}, {"ZelkoWinToday", false, kOther, kNone},
      {"xZelkoWinTodayx", false, kOn, Action::kStartEngine},
      // The home-screen launch restarts, or stops after confirmation; a value neither on
      // nor off does neither.
      {"ZelkoTitanium", false, kOn, Action::kRestartEngine},
      {"ZelkoTitanium", true, kOff, Action::kStopIfStillOff}, {"ZelkoTitanium", true, kOn, kNone},
      {"ZelkoTitanium", false, kOff, kNone}, {"ZelkoTitanium", true, kOther, kNone},
      {"ZelkoTitanium", false, kOther, kNone}, {"-runAt", true, kOn, Action::kPostReschedule},
      {"-runAt", false, kOn, kNone}, {"-runAt", true, kOff, kNone},
      {"-update", true, kOn, Action::kPostUpdate}, {"-update", false, kOn, Action::kStartEngine},
      {"-update", false, kOff, kNone}, {"-update", true, kOther, kNone},
      {"-stop", true, kOther, Action::kPostStop}, {"-stop", true, kOff, Action::kPostStop},
      {"-stop", false, kOn, kNone},
      // The first matching row wins: the minute launch before the home-screen launch, a
      // launch name anywhere before a switch.
      {"ZelkoTitanium ZelkoWinToday", false, kOn, Action::kStartEngine},
      {"ZelkoTitanium ZelkoWinToday", true, kOff, kNone}, {"-stop ZelkoTitanium", true, kOn, kNone},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(decide(r.line, r.running, r.state), (Decision{r.action, 1}))
        << r.line << " running=" << r.running << " state=" << static_cast<int>(r.state);
  }
  // Switches must be the whole command line, in their case.
  for (const char* line : {"", "-Stop", "-runat", "-Update", "-update ", " -update", "\"-update\"",
                           "-update -stop", "-stop:1", "zelkowintoday", "ZELKOTITANIUM", "ZelkoToday"}) {
    for (bool running : {true, false}) {
      EXPECT_EQ(decide(line, running, kOn), (Decision{kNone, 0})) << "[" << line << "]";
    }
  }
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

// The switch-off is confirmed by reading the value again after five seconds.
TEST_F(ControllerRunTest, SwitchOffStopsTheEngineOnlyWhenItLastsFiveSeconds) {
  setEnabled(0);
  startEngine();
  EXPECT_EQ(run("ZelkoTitanium"), 1);
  EXPECT_EQ(pauses_, (std::vector<std::chrono::milliseconds>{std::chrono::seconds(5)}));
  EXPECT_EQ(delivered(), (std::vector<uint32_t>{1127}));

  received_.clear();
  EXPECT_EQ(run("ZelkoTitanium", [&] { setEnabled(1); }), 1);
  // Neither on nor off after the pause: not "still 0", so the engine stays.
  setEnabled(0);
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
