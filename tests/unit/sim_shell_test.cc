// The emulated shell (starting programs, opening files, timed starts) and the device
// clock with its minute heartbeat.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/device_clock.h"
#include "platform/sim/heartbeat.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using platform::DateTime;
using platform::ExecRequest;
using platform::RegValue;
using platform::Root;
using platform::Status;
using platform::splitCommandLine;
using std::chrono::milliseconds;
using Args = std::vector<std::string>;

TEST(SimShellCommandLine, SplitsLikeThePhonesRuntime) {
  EXPECT_EQ(splitCommandLine(""), Args{});
  EXPECT_EQ(splitCommandLine(" \t "), Args{});
  EXPECT_EQ(splitCommandLine("a  b\tc"), (Args{"a", "b", "c"}));
  EXPECT_EQ(splitCommandLine("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(splitCommandLine("x\"y z\"w"), (Args{"xy zw"}));
  EXPECT_EQ(splitCommandLine("a \"\" b"), (Args{"a", "", "b"}));
  EXPECT_EQ(splitCommandLine("\"\""), (Args{""}));
  EXPECT_EQ(splitCommandLine("\"\\Program Files\\x.exe\" -y"), (Args{"\\Program Files\\x.exe", "-y"}));
  EXPECT_EQ(splitCommandLine("C:\\dir\\ \\\\share"), (Args{"C:\\dir\\", "\\\\share"}));
  EXPECT_EQ(splitCommandLine("\"open ended"), (Args{"open ended"}));
}

using zelko::testing::at;

class SimShellTest : public testing::DeviceTest {
 protected:
  platform::Shell& shell() { return platform().shell(); }
  // Copies the stand-in program (it exits 0 at once) into the device.
  void installProbe(const std::string& devicePath) {
    fs::path self = fs::read_symlink("/proc/self/exe").parent_path();
    fs::copy_file(self / "zelko-standin", hostFile(devicePath));
  }
  // A "program" that runs until it is stopped.
  void installSleeper(const std::string& devicePath) {
    fs::path p = hostFile(devicePath);
    std::ofstream(p) << "#!/bin/sh\nexec sleep 5\n";
    fs::permissions(p, fs::perms::owner_all, fs::perm_options::add);
  }
  static bool has(const std::string& json, const std::string& part) {
    return json.find(part) != std::string::npos;
  }
  // Polls the journal for an event of `kind` that holds `part`.
  bool waitForEvent(const std::string& kind, const std::string& part) {
    for (int i = 0; i < 400; ++i) {
      for (const auto& e : journalEvents(kind)) if (has(e, part)) return true;
      std::this_thread::sleep_for(milliseconds(5));
    }
    return false;
  }
};

// A Latin-1 name from an old file: the journal line must still be readable as JSON.
TEST_F(SimShellTest, MissingFileIsJournalledAsUtf8AndAFileThatIsNoProgramIsOpened) {
  auto missing = shell().execute({"\"\\Windows\\caf\xE9.exe\"", "Zo\xC3\xAB \xFF\tend", false});
  EXPECT_EQ(missing.status().code(), Status::Code::kNotFound);
  auto launches = journalEvents("launch");
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_TRUE(has(launches[0], R"("program":"\\Windows\\caf\ufffd.exe")")) << launches[0];
  EXPECT_TRUE(has(launches[0], "\"params\":\"Zo\xC3\xAB \\ufffd\\tend\",\"ok\":false")) << launches[0];
  EXPECT_EQ(shell().execute({"", "", false}).status().code(), Status::Code::kNotFound);

  // A file that is no program is opened.
  ASSERT_TRUE(platform().files().writeFile("\\My Documents\\Note.txt", "hi").ok());
  auto r = shell().execute({"\"\\my documents\\NOTE.TXT\"", "", false});
  ASSERT_TRUE(r.ok()) << r.status().message();
  EXPECT_EQ(r->pid, 0);
  EXPECT_FALSE(r->exitCode);
  auto opened = journalEvents("open");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(has(opened[0], R"("file":"\\my documents\\NOTE.TXT")")) << opened[0];
  EXPECT_EQ(journalEvents("launch").size(), 2u);  // the two missing programs only
}

TEST_F(SimShellTest, WaitedProgramReportsItsExitAfterItsLaunch) {
  installProbe("\\Windows\\Probe.exe");
  for (const char* asked : {"\\WINDOWS\\probe.EXE", "probe.exe", "\"Probe.exe\""}) {
    ExecRequest req{asked, "-x \"a b\"", true};
    auto r = shell().execute(req);
    ASSERT_TRUE(r.ok()) << asked << ": " << r.status().message();
    EXPECT_GT(r->pid, 0);
    EXPECT_EQ(r->exitCode, 0) << asked;
    EXPECT_FALSE(r->timedOut);
  }
  auto all = device().journal().read();
  ASSERT_EQ(all.size(), 6u);
  for (size_t i = 0; i < all.size(); i += 2) {
    ASSERT_EQ(all[i].event + " " + all[i + 1].event, "launch exit");
    const std::string pid = all[i + 1].json.substr(all[i + 1].json.find("\"pid\":"));
    EXPECT_TRUE(has(all[i].json, pid.substr(0, pid.find(',')) + "}")) << all[i].json << " / " << pid;
    EXPECT_TRUE(has(all[i + 1].json, R"("code":0)"));
    EXPECT_TRUE(has(all[i].json, R"("params":"-x \"a b\"","ok":true)")) << all[i].json;
  }
  EXPECT_TRUE(has(all[2].json, R"("program":"probe.exe")")) << all[2].json;
}

TEST_F(SimShellTest, WaitLimitGivesUpWhileTheProgramRuns) {
  installSleeper("\\Windows\\sleeper.exe");
  ExecRequest req{"\\Windows\\sleeper.exe", "", true, milliseconds(50)};
  auto start = std::chrono::steady_clock::now();
  auto r = shell().execute(req);
  ASSERT_TRUE(r.ok()) << r.status().message();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(r->timedOut);
  EXPECT_FALSE(r->exitCode);
  ASSERT_GT(r->pid, 0);
  // A program that is killed reports 128 + the signal, as the journal shows.
  ASSERT_EQ(kill(r->pid, SIGTERM), 0);
  EXPECT_TRUE(waitForEvent("exit", "\"pid\":" + std::to_string(r->pid) + ",\"code\":143"));
}

TEST_F(SimShellTest, TimedStartRunsOnceWhenTheClockReachesIt) {
  installProbe("\\Windows\\probe.exe");
  auto& clock = device().deviceClock();
  ASSERT_TRUE(clock.setLocal(at(2024, 5, 10, 8, 0)).ok());
  ASSERT_TRUE(shell().runAtTime("\\Windows\\probe.exe", at(2024, 5, 10, 9, 0)).ok());
  // A later call for the same file, in any case, replaces the time.
  ASSERT_TRUE(shell().runAtTime("\"\\WINDOWS\\PROBE.exe\"", at(2024, 5, 10, 8, 5)).ok());
  ASSERT_TRUE(shell().runAtTime("\\Windows\\gone.exe", at(2024, 5, 10, 8, 1)).ok());
  ASSERT_TRUE(shell().runAtTime("\\windows\\GONE.exe", std::nullopt).ok());
  EXPECT_EQ(shell().runAtTime("", at(2024, 5, 10, 8, 1)).code(), Status::Code::kInvalid);

  ASSERT_TRUE(device().tick().ok());
  EXPECT_TRUE(journalEvents("launch").empty());
  ASSERT_TRUE(clock.advanceMinutes(5).ok());
  ASSERT_TRUE(device().tick().ok());
  auto launches = journalEvents("launch");
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_TRUE(has(launches[0], R"("program":"\\WINDOWS\\PROBE.exe","params":"","ok":true)"))
      << launches[0];
  EXPECT_TRUE(has(launches[0], R"("time":"2024-05-10T08:05:00")")) << launches[0];
  ASSERT_TRUE(clock.advanceMinutes(120).ok());
  ASSERT_TRUE(device().tick().ok());
  EXPECT_EQ(journalEvents("launch").size(), 1u);
  EXPECT_TRUE(waitForEvent("exit", R"("code":0)"));
}

// The device clock, in a zone with summer time.
class SimClockTest : public testing::DeviceTest {
 protected:
  platform::sim::DeviceOptions options() override { return inZone("Europe/Paris"); }
  platform::sim::DeviceClock& clock() { return device().deviceClock(); }
  std::vector<uint8_t> stored(const char* name) {
    auto v = platform().registry().getValue(Root::kLocalMachine, platform::sim::kDateTimeKey, name);
    EXPECT_TRUE(v.ok()) << name;
    EXPECT_EQ(v.ok() ? v->type : platform::ValueType::kString, platform::ValueType::kBinary);
    return v.ok() ? v->bytes : std::vector<uint8_t>{};
  }
  static std::vector<uint8_t> bytesOf(const DateTime& t) {
    return platform::sim::fileTimeBytes(platform::toFileTime(t));
  }
};

TEST_F(SimClockTest, FrozenClockStaysWhereItWasSet) {
  const DateTime set = at(2024, 7, 1, 12, 0, 30);
  ASSERT_TRUE(clock().setLocal(set).ok());
  EXPECT_TRUE(clock().frozen());
  std::this_thread::sleep_for(milliseconds(15));
  EXPECT_EQ(clock().localNow(), set);
  EXPECT_EQ(platform().clock().localNow(), set);

  ASSERT_TRUE(clock().run().ok());
  std::this_thread::sleep_for(milliseconds(15));
  int64_t ran = clock().utcMs() - platform::toEpochMs(at(2024, 7, 1, 10, 0, 30));
  EXPECT_GE(ran, 15);
  EXPECT_LT(ran, 5000);
  ASSERT_TRUE(clock().freeze().ok());
  const DateTime stopped = clock().localNow();
  std::this_thread::sleep_for(milliseconds(15));
  EXPECT_EQ(clock().localNow(), stopped);
}

TEST_F(SimClockTest, LocalTimeFollowsTheZoneAcrossSeasonsAndYears) {
  ASSERT_TRUE(clock().setLocal(at(2024, 7, 1, 12, 0)).ok());
  EXPECT_EQ(clock().biasMinutes(clock().utcNow()), -120);
  ASSERT_TRUE(clock().setLocal(at(2024, 12, 31, 23, 59)).ok());
  EXPECT_EQ(clock().utcNow(), at(2024, 12, 31, 22, 59));
  EXPECT_EQ(clock().biasMinutes(clock().utcNow()), -60);
  ASSERT_TRUE(clock().advanceMinutes(2).ok());
  EXPECT_EQ(clock().localNow(), at(2025, 1, 1, 0, 1));
  EXPECT_EQ(clock().localNow().dayOfWeek, 3);  // a Wednesday
}

// Each tick stores the local minute and midnight; a watcher hears only real changes.
TEST_F(SimClockTest, TickStoresLocalMidnightAndMinuteAsFileTimes) {
  int timeChanges = 0, dateChanges = 0;
  const std::string key = platform::sim::kDateTimeKey;
  auto& notes = platform().notifications();
  ASSERT_TRUE(notes.registerCallback({Root::kLocalMachine, key, "Time"}, [&] { ++timeChanges; }).ok());
  ASSERT_TRUE(notes.registerCallback({Root::kLocalMachine, key, "Date"}, [&] { ++dateChanges; }).ok());
  auto tick = [&](int minutes) {
    if (minutes) {
      EXPECT_TRUE(clock().advanceMinutes(minutes).ok());
    }
    EXPECT_TRUE(device().tick().ok());
    platform().windows().pumpMessages(milliseconds(0));
    return std::pair{timeChanges, dateChanges};
  };
  ASSERT_TRUE(clock().setLocal(at(2024, 3, 5, 23, 58, 42)).ok());
  EXPECT_EQ(tick(0), std::pair(1, 1));
  EXPECT_EQ(stored("Time"), bytesOf(at(2024, 3, 5, 23, 58)));
  EXPECT_EQ(stored("Date"), bytesOf(at(2024, 3, 5, 0, 0)));
  EXPECT_EQ(tick(0), std::pair(1, 1));  // the same minute again changes nothing
  EXPECT_EQ(tick(1), std::pair(2, 1));
  EXPECT_EQ(tick(1), std::pair(3, 2));
  EXPECT_EQ(stored("Date"), bytesOf(at(2024, 3, 6, 0, 0)));
  EXPECT_EQ(stored("Time"), bytesOf(at(2024, 3, 6, 0, 0)));
}

}  // namespace
}  // namespace zelko
