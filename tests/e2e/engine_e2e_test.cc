// The resident engine as a user meets it: installed with zelko-device, started and stopped
// through its controller, fed with the state changes the phone makes, and judged by the
// page values it leaves in the registry and the launches the journal shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using testing::kHomeKey;
using testing::kPluginKey;
using std::chrono::seconds;

constexpr char kFolder[] = "\\Program Files\\ZelkoToday\\";

std::string installed(const std::string& file) { return kFolder + file; }

std::string fileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Each hook starts a stand-in with its own word: the journal tells which widget finished.
constexpr char kHooks[] =
    "[Notify]\n"
    "ZelkoTodayTime=\\Windows\\tmail.exe;time\n"
    "ZelkoTodayDate=\\Windows\\tmail.exe;date\n"
    "ZelkoTodayBatt=\\Windows\\tmail.exe;batt\n"
    "ZelkoTodayWifi=\\Windows\\tmail.exe;wifi\n";

class EngineEndToEnd : public testing::EndToEndTest {
 protected:
  // Away from UTC, so that a time read or written in the wrong zone shows.
  platform::sim::DeviceOptions options() override { return inZone("Europe/Paris"); }
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_EQ(tool({"install"}), 0);
    // The providers the engine starts are not under test: stand-ins leave their launches
    // in the journal without writing pages of their own or going on the network.
    for (const char* exe : {"ZelkoSms", "ZelkoContacts", "ZelkoCalendar", "ZelkoMeteo", "ZelkoComm"}) {
      installStandIn(installed(std::string(exe) + ".exe"));
    }
    installStandIn("\\Windows\\tmail.exe");
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled",
                                               RegValue::Dword(1)).ok());
    ASSERT_EQ(tool({"clock", "set", "2026-03-24 09:05"}), 0);  // a Tuesday
    ASSERT_EQ(tool({"battery", "80", "--no-ac"}), 0);
    writeIni("");
  }

  void TearDown() override {
    if (HasFailure()) {
      for (const auto& e : device().journal().read()) std::fprintf(stderr, "%s\n", e.json.c_str());
    }
    // No controller may bring the engine back while it is stopped here.
    for (const char* launch : {"ZelkoTitanium", "ZelkoWinToday"}) {
      platform::Status stopped = platform().notifications().stopLaunch(launch);
      EXPECT_TRUE(stopped.ok() || stopped.code() == platform::Status::Code::kNotFound) << launch;
    }
    EXPECT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled",
                                               RegValue::Dword(0)).ok());
    // Whatever was started (the engine, controllers, stand-ins) would outlive the folder.
    waitFor([&] {
      if (platform::WindowHandle w = platform().windows().findWindow("ZelkoToday")) {
        (void)platform().windows().postMessage({w, 1127, 0, 0});  // it may end meanwhile
      }
      return launchesRunning() == 0;
    }, seconds(15));
    EndToEndTest::TearDown();
  }

  void installStandIn(const std::string& devicePath) {
    std::filesystem::path to = hostFile(devicePath);
    std::filesystem::remove(to);
    std::filesystem::copy_file(testing::binDir() / "zelko-standin", to);
  }

  // The suite INI file: the test's sections, then the hooks.
  void writeIni(const std::string& sections) {
    std::ofstream(hostFile(installed("ZelkoToday.ini"))) << sections << kHooks;
  }
  void writeFile(const std::string& devicePath, const std::string& text) {
    std::ofstream(hostFile(devicePath), std::ios::binary) << text;
  }

  // A value of a page ("" for the plugin key itself); "<missing>" when there is none.
  std::string value(const std::string& page, const std::string& name) {
    std::string key = page.empty() ? kPluginKey : std::string(kPluginKey) + "\\" + page;
    auto v = platform().registry().getValue(Root::kLocalMachine, key, name);
    if (!v.ok()) return "<missing>";
    return v->type == platform::ValueType::kDword ? std::to_string(v->dword) : v->text;
  }
  // Waits for each value to hold its text (an image: its file name); reports those that
  // never do with what they hold.
  void expectShows(const std::string& page,
                   std::initializer_list<std::pair<std::string, std::string>> want) {
    for (const auto& wanted : want) {
      const std::string& name = wanted.first;
      const std::string& text = wanted.second;
      std::string got;
      auto holds = [&] {
        got = value(page, name);
        if (text.ends_with(".png")) got = fileName(got);
        return got == text;
      };
      waitFor(holds, seconds(5));
      EXPECT_EQ(got, text) << page << " " << name;
    }
  }

  // Journal launches of a program (its file name) with exactly these params.
  size_t launches(const std::string& exe, const std::string& params) {
    size_t n = 0;
    for (const auto& e : journalEvents("launch")) {
      n += e.find("\\\\" + exe + "\"") != std::string::npos &&
           e.find("\"params\":\"" + params + "\"") != std::string::npos;
    }
    return n;
  }
  size_t hooks(const std::string& word) { return launches("tmail.exe", word); }
  size_t opens(const std::string& file) {
    size_t n = 0;
    for (const auto& e : journalEvents("open")) n += e.find(file) != std::string::npos;
    return n;
  }
  bool waitHooks(const std::string& word, size_t count) {
    return waitFor([&] { return hooks(word) >= count; }, seconds(5));
  }
  // The pid of the last engine started, or 0.
  int enginePid() {
    int pid = 0;
    for (const auto& e : journalEvents("launch")) {
      size_t at = e.find("\"pid\":");
      if (e.find("\\\\ZelkoWinToday.exe\"") != std::string::npos && at != std::string::npos) {
        pid = std::atoi(e.c_str() + at + 6);
      }
    }
    return pid;
  }
  bool engineRunning() { return platform().windows().findWindow("ZelkoToday") != 0; }

  int controller(const std::string& params) {
    return tool({"exec", "--wait", installed("ZelkoToday.exe"), params});
  }
  // The controller starts the engine; back once both start-up refreshes are done.
  void startEngine() {
    size_t dates = hooks("date");
    ASSERT_EQ(controller("-update"), 1);
    ASSERT_TRUE(waitFor([&] { return engineRunning(); }));
    ASSERT_TRUE(waitHooks("date", dates + 2));
  }
  // The running engine re-reads its INI file and refreshes everything.
  void update() {
    size_t dates = hooks("date");
    ASSERT_EQ(controller("-update"), 1);
    ASSERT_TRUE(waitHooks("date", dates + 1));
  }
  // Moves the clock of the running engine; back once the engine has handled the new
  // minute (the time widget's hook runs last, after a new day's date widget), so that
  // anything it was going to do is in the journal.
  void clock(const std::string& command, const std::string& to) {
    size_t times = hooks("time");
    ASSERT_EQ(tool({"clock", command, to}), 0);
    ASSERT_TRUE(waitHooks("time", times + 1));
  }
  void advance(int minutes) { clock("advance", std::to_string(minutes)); }
  int regSet(const std::string& root, const std::string& key, const std::string& name,
             const std::string& type, const std::string& data) {
    return tool({"reg", "set", root, key, name, type, data});
  }
};

TEST_F(EngineEndToEnd, StartedByTheControllerFillsThePageAndStopsOnRequest) {
  startEngine();
  expectShows("Page1", {{"Time", "09:05"}, {"Date", "Tuesday 24 Mar"}, {"BattVal", "80%"}});
  EXPECT_EQ(value("Page1", "BattPNG"), "\\Program Files\\ZelkoToday\\skins\\default\\batt\\battery_6.png");

  // Both launches start the controller by its quoted path, and outlive the engine.
  const std::string controllerPath = "\"\\Program Files\\ZelkoToday\\ZelkoToday.exe\"";
  const std::string registered = "ZelkoTitanium\tHKLM\\Software\\Microsoft\\CHome\tEnabled\t" +
                               controllerPath + "\nZelkoWinToday\tHKLM\\System\\State\\DateTime\tTime\t" +
                               controllerPath + "\n";
  std::string listed;
  ASSERT_EQ(tool({"notifications"}, &listed), 0);
  EXPECT_EQ(listed, registered);

  int engine = enginePid();
  ASSERT_GT(engine, 0);
  // A second engine started by hand gives way to the running one.
  EXPECT_EQ(tool({"exec", "--wait", installed("ZelkoWinToday.exe")}), 0);
  EXPECT_TRUE(engineRunning());

  EXPECT_EQ(controller("-stop"), 1);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(engine).has_value(); }));
  EXPECT_EQ(exitCodeOf(engine), 0);
  std::string windows;
  ASSERT_EQ(tool({"windows"}, &windows), 0);
  EXPECT_EQ(windows.find("ZelkoToday\t"), std::string::npos) << windows;
  ASSERT_EQ(tool({"notifications"}, &listed), 0);
  EXPECT_EQ(listed, registered);
}

TEST_F(EngineEndToEnd, HomeScreenSwitchStopsTheEngineAndStartsItAgain) {
  startEngine();
  int first = enginePid();
  ASSERT_EQ(regSet("HKLM", kHomeKey, "Enabled", "--dword", "0"), 0);
  // The controller confirms the switch-off for five seconds before it stops the engine.
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(first).has_value(); }, seconds(15)));
  EXPECT_EQ(exitCodeOf(first), 0);
  EXPECT_FALSE(engineRunning());

  size_t dates = hooks("date");
  ASSERT_EQ(regSet("HKLM", kHomeKey, "Enabled", "--dword", "1"), 0);
  ASSERT_TRUE(waitFor([&] { return engineRunning(); }));
  EXPECT_EQ(launches("ZelkoToday.exe", "ZelkoTitanium"), 2u);
  EXPECT_EQ(launches("ZelkoWinToday.exe", "-restart"), 1u);
  // Started with -restart the engine refreshes once, not twice.
  ASSERT_TRUE(waitHooks("date", dates + 1));
  advance(1);
  EXPECT_EQ(hooks("date"), dates + 1);
  expectShows("Page1", {{"Time", "09:06"}});

  std::string listed;
  ASSERT_EQ(tool({"notifications"}, &listed), 0);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 2) << listed;  // replaced, not added

  // An engine that ended without the controller is back at the next minute.
  int second = enginePid();
  size_t minuteStarts = launches("ZelkoToday.exe", "ZelkoWinToday");
  ASSERT_TRUE(platform().windows().postMessage({platform().windows().findWindow("ZelkoToday"), 1127, 0, 0}).ok());
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(second).has_value(); }));
  ASSERT_EQ(tool({"clock", "advance", "1"}), 0);
  ASSERT_TRUE(waitFor([&] { return engineRunning(); }));
  EXPECT_EQ(launches("ZelkoToday.exe", "ZelkoWinToday"), minuteStarts + 1);
  EXPECT_EQ(launches("ZelkoWinToday.exe", ""), 2u);  // the first start, and this one
}

// State changes made by another process reach the engine's watchers: the battery (with its
// critical action), a radio whose passing state still runs the hook, an unread counter.
TEST_F(EngineEndToEnd, StateChangesFromAnotherProcessRunTheirWidgets) {
  startEngine();
  ASSERT_EQ(tool({"battery", "3", "--no-ac"}), 0);
  expectShows("Page1", {{"BattVal", "3%"}, {"BattPNG", "battery_empty!.png"}, {"SystemPNG", "BlRh.png"}});
  expectShows("", {{"isBatteryCritical20", "1"}});
  EXPECT_TRUE(waitFor([&] { return launches("ZelkoComm.exe", "-bt:off -wifi:off") >= 1; }));

  const std::string hw = "System\\State\\Hardware";
  size_t wifi = hooks("wifi");
  ASSERT_EQ(regSet("HKLM", hw, "WiFi", "--dword", "19"), 0);
  EXPECT_TRUE(waitHooks("wifi", wifi + 1));
  expectShows("Page1", {{"WiFiPNG", "wifi_e.png"}});
  ASSERT_EQ(regSet("HKLM", hw, "WiFi", "--dword", "2"), 0);
  EXPECT_TRUE(waitHooks("wifi", wifi + 2));
  expectShows("CondensedPage", {{"WiFiPNG", "wifi_e.png"}});

  ASSERT_EQ(regSet("HKCU", "System\\State\\Messages\\SMS\\Unread", "Count", "--dword", "2"), 0);
  expectShows("Page1", {{"Sms", "2"}, {"Total", "2"}, {"TotalPNG", "total_sms.png"}});
  EXPECT_GE(launches("ZelkoSms.exe", "-zelkotoday"), 3u);  // both refreshes and the change
}

TEST_F(EngineEndToEnd, ClockFollowsTheMinuteTheIniPicturesAndTheAlarm) {
  writeIni("[Scheduler]\n10:00=\\Windows\\tmail.exe;ten\n");
  ASSERT_EQ(tool({"clock", "set", "2026-03-24 09:59"}), 0);
  startEngine();
  expectShows("Page1", {{"Time", "09:59"}});
  EXPECT_EQ(hooks("ten"), 0u);
  advance(1);
  expectShows("Page1", {{"Time", "10:00"}, {"H1", "c1.png"}, {"MA", "m_00.png"}});
  EXPECT_EQ(hooks("ten"), 1u);

  // -update makes the running engine read its INI file again.
  writeIni("[ZelkoToday]\ntime=H:mm\n");
  clock("set", "2026-03-24 09:05");
  update();
  expectShows("Page1", {{"Time", "9:05"}});

  const std::string alarms = "System\\State\\Shell\\Alarms";
  ASSERT_EQ(regSet("HKCU", alarms, "Next", "--filetime", "2026-03-30 07:30"), 0);
  expectShows("Page1", {{"Alarm", "Monday 30 March 07:30"}, {"AlarmPNG", "alarm.png"}});
  ASSERT_EQ(tool({"reg", "del", "HKCU", alarms, "Next"}), 0);
  expectShows("Page1", {{"Alarm", ""}, {"AlarmPNG", "null.png"}});
}

TEST_F(EngineEndToEnd, SchedulerRegistersTheNextTimedStart) {
  writeFile(installed("ZelkoRunAt.mscr"), "; the user's script\n");
  writeIni("[RunAt]\nenable=1\ntime=08:00\nevery=60\nendTime=12:00\n");
  ASSERT_EQ(tool({"clock", "set", "2026-03-24 09:10"}), 0);
  startEngine();
  expectShows("", {{"RunAt", "2026/03/24 10:00"}});

  // The device starts the script when its time comes, not before.
  advance(49);
  EXPECT_EQ(opens("ZelkoRunAt.mscr"), 0u);
  advance(1);
  EXPECT_EQ(opens("ZelkoRunAt.mscr"), 1u);
  // The script asks for the next start through the controller.
  EXPECT_EQ(controller("-runAt"), 1);
  expectShows("", {{"RunAt", "2026/03/24 11:00"}});
}

TEST_F(EngineEndToEnd, DateShowsNotesAndSaintAndStartsTheWeatherOnceADay) {
  ASSERT_EQ(regSet("HKLM", kPluginKey, "Lang", "--text", "fra"), 0);
  writeFile(installed("Private.txt"), "24/03 Dentist at 10\r\n23/03 Yesterday\r\n24/03 Call Anna\r\n");
  writeFile(installed("lang\\Ephemeride2026.fra"),
            "23/03 St Victorien\n24/03 Ste Catherine de Suède\n25/03 Annonciation\n");
  const std::string weather = "-glissade -zelkotoday";
  startEngine();
  expectShows("Page5", {{"Private", "Dentist at 10\nCall Anna"}, {"HeaderText", "Ste Catherine de Suède"}});
  expectShows("Page1", {{"Saint", "Ste Catherine de Suède"}, {"DateSaint", "24/03"}});
  expectShows("Page2", {{"Glissade", "24/03"}});
  // Two refreshes at start-up and one more on -update: the weather starts once.
  EXPECT_EQ(launches("ZelkoMeteo.exe", weather), 1u);
  update();
  EXPECT_EQ(launches("ZelkoMeteo.exe", weather), 1u);

  // Midnight: a new day with a saint and no notes.
  size_t dates = hooks("date");
  advance(15 * 60);
  EXPECT_EQ(hooks("date"), dates + 1);
  expectShows("Page1", {{"Saint", "Annonciation"}, {"DateSaint", "25/03"}});
  expectShows("Page5", {{"Private", ""}});
  expectShows("Page2", {{"Glissade", "25/03"}});
  EXPECT_EQ(launches("ZelkoMeteo.exe", weather), 2u);
}

}  // namespace
}  // namespace zelko
