// The engine controller as the phone runs it: ZelkoToday.exe started by hand and by the
// engine's persistent launches, with the probe standing in for the engine
// (installed as ZelkoWinToday.exe it keeps a window of class ZelkoToday and reports the
// messages it gets).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

extern char** environ;

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using std::chrono::seconds;

constexpr char kController[] = "\\Program Files\\ZelkoToday\\ZelkoToday.exe";
constexpr char kEngine[] = "\\Program Files\\ZelkoToday\\ZelkoWinToday.exe";
constexpr char kHomeKey[] = "Software\\Microsoft\\CHome";

// The number after "name": in a journal line, or -1.
int field(const std::string& json, const std::string& name) {
  size_t at = json.find("\"" + name + "\":");
  return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + name.size() + 3);
}

class ControllerEndToEnd : public testing::EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    std::filesystem::copy_file(testing::binDir() / "ZelkoToday", hostFile(kController));
    std::filesystem::copy_file(testing::binDir() / "zelko-probe", hostFile(kEngine));
  }
  void TearDown() override {
    if (HasFailure()) {
      for (const auto& e : device().journal().read()) std::fprintf(stderr, "%s\n", e.json.c_str());
    }
    // An engine left running would outlive its device folder.
    if (platform::WindowHandle w = platform().windows().findWindow("ZelkoToday")) {
      platform().windows().postMessage({w, 1127, 0, 0});
      waitFor([&] { return !engineRunning(); });
    }
    EndToEndTest::TearDown();
  }

  void setEnabled(uint32_t v) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled",
                                               RegValue::Dword(v)).ok());
  }
  // The controller as a script starts it; its exit code.
  int controller(const std::string& params) {
    auto r = platform().shell().execute({kController, params, true, seconds(30)});
    return r.ok() && r->exitCode ? *r->exitCode : -1;
  }
  // The engine started by hand, up once its window exists; its pid.
  int startEngine() {
    auto r = platform().shell().execute({kEngine, "", false, std::chrono::milliseconds(-1)});
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(waitFor([&] { return engineRunning(); }));
    return r.ok() ? r->pid : 0;
  }
  bool engineRunning() { return platform().windows().findWindow("ZelkoToday") != 0; }
  // Journal launches of one installed program, as JSON lines.
  std::vector<std::string> launchesOf(const std::string& exe) {
    std::vector<std::string> out;
    for (const auto& e : journalEvents("launch")) {
      if (e.find("\\\\" + exe + "\"") != std::string::npos) out.push_back(e);
    }
    return out;
  }
  // The engine's persistent launches, registered the way the engine registers them.
  void registerLaunches() {
    std::string program = std::string("\"") + kController + "\"";
    auto& n = platform().notifications();
    ASSERT_TRUE(n.registerLaunch({"ZelkoTitanium", {Root::kLocalMachine, kHomeKey, "Enabled"},
                                  program, ""}).ok());
    ASSERT_TRUE(n.registerLaunch({"ZelkoWinToday",
                                  {Root::kLocalMachine, "System\\State\\DateTime", "Time"},
                                  program, ""}).ok());
  }
  // zelko-device reg set, as a user types it.
  int regSet(const std::string& key, const std::string& name, const std::string& type,
             const std::string& data) {
    return tool({"reg", "set", "HKLM", key, name, type, data});
  }
  int regSetEnabled(int v) { return regSet(kHomeKey, "Enabled", "--dword", std::to_string(v)); }
  // The exit code of the controller that the launch `name` started, once it ended.
  std::optional<int> launchedControllerExit(const std::string& name, size_t index = 0) {
    std::vector<std::string> mine;
    for (const auto& e : launchesOf("ZelkoToday.exe")) {
      if (e.find("\"params\":\"" + name + "\"") != std::string::npos) mine.push_back(e);
    }
    if (mine.size() <= index) return std::nullopt;
    return exitCodeOf(field(mine[index], "pid"));
  }
};

TEST_F(ControllerEndToEnd, UpdateWithTheHomeScreenOffStartsNothing) {
  EXPECT_EQ(controller("-update"), 1);  // Enabled missing: off
  setEnabled(5);
  EXPECT_EQ(controller("-update"), 1);
  EXPECT_TRUE(launchesOf("ZelkoWinToday.exe").empty());
}

TEST_F(ControllerEndToEnd, UpdateWithoutEngineStartsIt) {
  setEnabled(1);
  EXPECT_EQ(controller("-update"), 1);
  auto launches = launchesOf("ZelkoWinToday.exe");
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_NE(launches[0].find("\"params\":\"\""), std::string::npos) << launches[0];
  EXPECT_NE(launches[0].find("\"ok\":true"), std::string::npos) << launches[0];
  EXPECT_TRUE(waitFor([&] { return engineRunning(); }));
}

TEST_F(ControllerEndToEnd, SwitchesReachTheRunningEngineAndStopEndsIt) {
  setEnabled(1);
  int engine = startEngine();
  EXPECT_EQ(controller("-update"), 1);
  EXPECT_EQ(controller("-runAt"), 1);
  EXPECT_EQ(controller("-Stop"), 0);
  EXPECT_TRUE(waitFor([&] { return report("messages") == "1126,1157"; })) << report("messages");
  EXPECT_EQ(controller("-stop"), 1);
  EXPECT_TRUE(waitFor([&] { return exitCodeOf(engine).has_value(); }));
  EXPECT_EQ(exitCodeOf(engine), 0);
  EXPECT_EQ(report("messages"), "1126,1157,1127,2");
  EXPECT_FALSE(engineRunning());
  EXPECT_EQ(launchesOf("ZelkoWinToday.exe").size(), 1u);  // only the one started by hand
}

TEST_F(ControllerEndToEnd, SwitchesWithoutEngineStartNothing) {
  setEnabled(1);
  EXPECT_EQ(controller("-runAt"), 1);
  EXPECT_EQ(controller("-stop"), 1);
  EXPECT_TRUE(launchesOf("ZelkoWinToday.exe").empty());
}

TEST_F(ControllerEndToEnd, PersistentLaunchesStartAMissingEngine) {
  setEnabled(0);
  registerLaunches();
  // The home screen comes on: the engine starts, told to skip its second refresh.
  ASSERT_EQ(regSetEnabled(1), 0);
  ASSERT_TRUE(waitFor([&] { return engineRunning(); }));
  EXPECT_EQ(report("engineCommandLine"), "-restart");
  EXPECT_TRUE(waitFor([&] { return launchedControllerExit("ZelkoTitanium").has_value(); }));
  EXPECT_EQ(launchedControllerExit("ZelkoTitanium"), 1);

  // The engine ends without the controller; the next minute brings it back.
  platform().windows().postMessage({platform().windows().findWindow("ZelkoToday"), 1127, 0, 0});
  ASSERT_TRUE(waitFor([&] { return !engineRunning(); }));
  ASSERT_EQ(regSet("System\\State\\DateTime", "Time", "--text", "12:01"), 0);
  ASSERT_TRUE(waitFor([&] { return engineRunning(); }));
  EXPECT_EQ(report("engineCommandLine"), "");
  EXPECT_TRUE(waitFor([&] { return launchedControllerExit("ZelkoWinToday").has_value(); }));
  EXPECT_EQ(launchedControllerExit("ZelkoWinToday"), 1);
  EXPECT_EQ(launchesOf("ZelkoWinToday.exe").size(), 2u);
}

TEST_F(ControllerEndToEnd, HomeScreenOffForFiveSecondsStopsTheEngine) {
  setEnabled(1);
  registerLaunches();
  int engine = startEngine();
  auto off = std::chrono::steady_clock::now();
  ASSERT_EQ(regSetEnabled(0), 0);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(engine).has_value(); }, seconds(15)));
  EXPECT_GE(std::chrono::steady_clock::now() - off, std::chrono::milliseconds(4500));
  EXPECT_EQ(report("messages"), "1127,2");
  EXPECT_TRUE(waitFor([&] { return launchedControllerExit("ZelkoTitanium").has_value(); }));
  EXPECT_EQ(launchedControllerExit("ZelkoTitanium"), 1);
}

TEST_F(ControllerEndToEnd, HomeScreenBackOnWithinFiveSecondsKeepsTheEngine) {
  setEnabled(1);
  registerLaunches();
  startEngine();
  ASSERT_EQ(regSetEnabled(0), 0);
  std::this_thread::sleep_for(seconds(1));
  ASSERT_EQ(regSetEnabled(1), 0);
  // Both launched controllers end: the first after its five seconds.
  ASSERT_TRUE(waitFor([&] { return launchedControllerExit("ZelkoTitanium", 1).has_value(); }));
  ASSERT_TRUE(waitFor([&] { return launchedControllerExit("ZelkoTitanium", 0).has_value(); },
                      seconds(15)));
  EXPECT_TRUE(engineRunning());
  EXPECT_EQ(report("messages"), "");
  EXPECT_EQ(launchesOf("ZelkoWinToday.exe").size(), 1u);
}

}  // namespace
}  // namespace zelko
