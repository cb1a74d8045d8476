// The device's background services and the programs it starts, as a user meets them: up
// and down run at once and on a damaged device, output captured from a shell, and what a
// killed program leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "tests/e2e/captured_tool.h"
#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

namespace fs = std::filesystem;

class ServicesTest : public EndToEndTest {
 protected:
  void TearDown() override {
    captureTool(dir() / "device", {"down"});
    for (int pid : serviceProcesses()) kill(pid, SIGKILL);
    EndToEndTest::TearDown();
  }
  // The pids of the `zelko-device ... service ...` processes of this device that run.
  std::vector<int> serviceProcesses() {
    std::vector<int> out;
    std::string device = fs::absolute(dir() / "device").string();
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::ifstream in(entry.path() / "cmdline", std::ios::binary);
      std::string cmd((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (cmd.find(device + '\0' + "service") != std::string::npos) {
        std::ifstream st(entry.path() / "stat");
        std::string line((std::istreambuf_iterator<char>(st)), std::istreambuf_iterator<char>());
        if (line.find(") Z") == std::string::npos) out.push_back(std::stoi(entry.path().filename()));
      }
    }
    return out;
  }
  // Rows that registry.db keeps for the process with this pid.
  int rowsOf(const char* table, int pid) {
    sqlite3* db = nullptr;
    sqlite3_open((dir() / "device" / "registry.db").c_str(), &db);
    std::string sql = std::string("SELECT count(*) FROM ") + table + " WHERE address LIKE '%." +
                      std::to_string(pid) + ".%'";
    sqlite3_stmt* q = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &q, nullptr) == SQLITE_OK && sqlite3_step(q) == SQLITE_ROW) {
      n = sqlite3_column_int(q, 0);
    }
    sqlite3_finalize(q);
    sqlite3_close(db);
    return n;
  }
};

TEST_F(ServicesTest, UpAtOnceStartsEachServiceOnceAndDownStopsThemAllEvenOnADamagedDevice) {
  std::vector<std::future<Captured>> ups;
  for (int i = 0; i < 3; ++i) {
    ups.push_back(std::async(std::launch::async, [&] { return captureTool(dir() / "device", {"up"}); }));
  }
  for (auto& up : ups) {
    Captured c = up.get();
    EXPECT_TRUE(c.ended) << "up returned with its output";
    EXPECT_EQ(c.code, 0) << c.output;
  }
  EXPECT_EQ(serviceProcesses().size(), 2u);  // the heartbeat and the home screen
  Captured again = captureTool(dir() / "device", {"up"});
  EXPECT_NE(again.output.find("up already"), std::string::npos) << again.output;
  Captured down = captureTool(dir() / "device", {"down"});
  EXPECT_EQ(down.code, 0) << down.output;
  EXPECT_TRUE(serviceProcesses().empty());

  ASSERT_EQ(captureTool(dir() / "device", {"up"}).code, 0);
  std::ofstream(dir() / "device" / "registry.db", std::ios::binary | std::ios::trunc)
      << std::string(8192, '\x5a');
  down = captureTool(dir() / "device", {"down"});
  EXPECT_TRUE(down.ended);
  EXPECT_TRUE(serviceProcesses().empty());
  // The engine could not be looked for: said in one line naming the store.
  EXPECT_EQ(down.code, 1);
  EXPECT_NE(down.output.find("registry.db is damaged or not a device store"), std::string::npos)
      << down.output;
}

TEST_F(ServicesTest, ProgramsLeftRunningNeverHoldTheCallersOutput) {
  Captured exec = captureTool(dir() / "device", {"exec", kProbe, "instance"});
  EXPECT_TRUE(exec.ended) << "the running probe kept the pipe";
  EXPECT_EQ(exec.code, 0) << exec.output;
  ASSERT_TRUE(waitFor([&] { return report("instance") == "up"; }));
  // A second one finds the first and ends with 3, waited for.
  Captured second = captureTool(dir() / "device", {"exec", "--wait", kProbe, "instance"});
  EXPECT_TRUE(second.ended);
  EXPECT_EQ(second.code, 3);
  Captured action = captureTool(dir() / "device", {"action", std::string(kProbe) + ";instance"});
  EXPECT_TRUE(action.ended);
  Captured up = captureTool(dir() / "device", {"up"});
  EXPECT_TRUE(up.ended) << "the service kept the pipe";
  EXPECT_EQ(up.code, 0);
  // What the probe said went to its log.
  std::ifstream log(dir() / "device" / "run" / "Probe.log");
  std::string said((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(said.find("up\n"), std::string::npos) << said;
  ASSERT_EQ(tool({"post", "ProbeInstance", "1127"}), 0);
}

TEST_F(ServicesTest, AKilledProgramsRowsGoWhenItIsFoundDead) {
  int pid = startProbe("instance");
  ASSERT_TRUE(waitFor([&] { return report("instance") == "up"; }));
  EXPECT_EQ(rowsOf("windows", pid), 1);
  EXPECT_EQ(rowsOf("watches", pid), 1);
  kill(pid, SIGKILL);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }));
  EXPECT_EQ(exitCodeOf(pid), 128 + SIGKILL);
  EXPECT_EQ(platform().windows().findWindow("ProbeInstance"), 0u);
  std::string windows;
  ASSERT_EQ(tool({"windows"}, &windows), 0);
  EXPECT_EQ(windows, "");
  EXPECT_EQ(rowsOf("windows", pid), 0);
  EXPECT_EQ(rowsOf("watches", pid), 0);
  // Its mutex went with it: a new instance starts as the first one.
  int again = startProbe("instance");
  ASSERT_TRUE(waitFor([&] { return platform().windows().findWindow("ProbeInstance") != 0; }));
  ASSERT_EQ(tool({"post", "ProbeInstance", "1127"}), 0);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(again).has_value(); }));
  EXPECT_EQ(exitCodeOf(again), 0);
}

}  // namespace
}  // namespace zelko::testing
