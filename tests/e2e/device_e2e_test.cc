// Real processes on one device: what one program does reaches another, and what the device
// tool shows of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/host.h"
#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

class DeviceEndToEnd : public EndToEndTest {
 protected:
  void setPageValue(std::string_view page, const std::string& name, const RegValue& value) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, host::pageKey(page), name, value).ok());
  }
};

TEST_F(DeviceEndToEnd, CallbackOfOneProgramFiresWhenAnotherWritesOrDeletes) {
  int pid = startProbe("watch Software\\Test Value 3");
  ASSERT_NE(pid, 0);
  ASSERT_TRUE(waitFor([&] { return report("watching") == "yes"; }));
  // Written by zelko-device, a third process; the repeated "one" must not notify.
  for (const char* v : {"one", "one", "two"}) {
    ASSERT_EQ(tool({"reg", "set", "HKLM", "software\\TEST", "VALUE", "--text", v}), 0);
  }
  ASSERT_EQ(tool({"reg", "del", "HKLM", "Software"}), 0);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }));
  EXPECT_EQ(exitCodeOf(pid), 0);
  EXPECT_EQ(report("seen"), "one,two,<deleted>");
}

// How the change of a watched value starts a program is tried in sim_registry_test; here,
// what the device tool lists and that the program really runs.
TEST_F(DeviceEndToEnd, PersistentLaunchIsListedAndStartsItsProgram) {
  platform::LaunchRegistration launch;
  launch.name = "ProbeTitanium";
  launch.value = {Root::kLocalMachine, "Software\\Microsoft\\CHome", "Enabled"};
  launch.program = std::string("\"") + kProbe + "\"";
  ASSERT_TRUE(platform().notifications().registerLaunch(launch).ok());
  std::string listed;
  ASSERT_EQ(tool({"notifications"}, &listed), 0);
  EXPECT_EQ(listed, "ProbeTitanium\tHKLM\\Software\\Microsoft\\CHome\tEnabled\t\"" +
                        std::string(kProbe) + "\"\n");
  ASSERT_EQ(tool({"reg", "set", "HKLM", "Software\\Microsoft\\CHome", "Enabled", "--dword", "0"}), 0);
  ASSERT_TRUE(waitFor([&] { return journalEvents("exit").size() == 1; }));
  auto launches = journalEvents("launch");
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_NE(launches[0].find("\"params\":\"ProbeTitanium\",\"ok\":true"), std::string::npos)
      << launches[0];
}

// Macros and separators of action strings are tried in actions_test; here, the exit codes.
TEST_F(DeviceEndToEnd, ExecAndActionWaitEndWithTheProgramsExitCode) {
  EXPECT_EQ(tool({"exec", "--wait", "\\program files\\zelkotoday\\PROBE.EXE", "exit", "7"}), 7);
  EXPECT_EQ(tool({"action", "--wait", "%ZELKOTODAY%\\Probe.exe;exit 4"}), 4);
  auto launches = journalEvents("launch");
  auto exits = journalEvents("exit");
  ASSERT_EQ(launches.size(), 2u);
  ASSERT_EQ(exits.size(), 2u);
  EXPECT_NE(launches[0].find("\"params\":\"exit 7\",\"ok\":true"), std::string::npos) << launches[0];
  EXPECT_NE(exits[0].find("\"code\":7"), std::string::npos);
  EXPECT_NE(launches[1].find("\"program\":\"\\\\Program Files\\\\ZelkoToday\\\\Probe.exe\","
                             "\"params\":\"exit 4\""),
            std::string::npos)
      << launches[1];
  // Missing programs fail clearly and leave a failed launch.
  EXPECT_EQ(tool({"exec", "--wait", "\\Windows\\nothing.exe"}), 1);
  EXPECT_NE(journalEvents("launch").back().find("\"ok\":false"), std::string::npos);
  EXPECT_EQ(tool({"action", ";;"}), 1) << "an action of separators runs nothing";
}

// Of four instances started at once, one runs and three find it through its mutex and
// window, each in a process of its own; a later one finds it too.
TEST_F(DeviceEndToEnd, OfSimultaneousStartsOneRunsAndTheOthersFindIt) {
  std::vector<int> pids;
  for (int i = 0; i < 4; ++i) pids.push_back(startProbe("instance"));
  auto endedWith = [&](int code) {
    return std::count_if(pids.begin(), pids.end(), [&](int pid) { return exitCodeOf(pid) == code; });
  };
  ASSERT_TRUE(waitFor([&] { return endedWith(3) == 3; })) << endedWith(3) << " gave way";
  ASSERT_TRUE(waitFor([&] { return report("instance") == "up"; }));
  EXPECT_EQ(runProbe("instance"), 3);
  int first = *std::find_if(pids.begin(), pids.end(), [&](int pid) { return !exitCodeOf(pid); });
  std::string windows;
  ASSERT_EQ(tool({"windows"}), 0);
  ASSERT_EQ(tool({"windows"}, &windows), 0);
  EXPECT_EQ(windows, "ProbeInstance\tprobe\t" + std::to_string(first) + "\n");

  ASSERT_EQ(tool({"post", "probeinstance", "1127"}), 0);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(first).has_value(); }));
  EXPECT_EQ(exitCodeOf(first), 0);
  ASSERT_EQ(tool({"windows"}, &windows), 0);
  EXPECT_EQ(windows, "");
  EXPECT_EQ(tool({"post", "ProbeInstance", "1127"}), 1) << "no window is left to post to";
}

// show: the pages as a person reads them, whatever the engine wrote.
TEST_F(DeviceEndToEnd, ShowEveryPageInOrderThenThePlugin) {
  setPageValue("Page1", "weather", RegValue::Text("Sunny\t21\n"));
  setPageValue("Page1", "BatteryIcon",
               RegValue::Text("\\Program Files\\ZelkoToday\\skins\\default\\batt\\battery_6.PNG"));
  setPageValue("Page1", "Note", RegValue::Text("\\Temp\\list.txt"));  // a path, but no image
  setPageValue("Page1", "ANameLongerThanTheColumn", RegValue::Dword(4294967295u));
  setPageValue("Page1", "Empty", RegValue::Text(""));
  setPageValue("CondensedPage", "Stamp", RegValue::Binary({0x00, 0xab, 0x10}));
  setPageValue("", "isNight", RegValue::Dword(1));
  std::string out;
  ASSERT_EQ(tool({"show"}, &out), 0);
  EXPECT_EQ(out,
            "Page1\n"
            "  ANameLongerThanTheColumn 4294967295\n"
            "  BatteryIcon     battery_6.PNG\n"
            "  Empty\n"
            "  Note            \\Temp\\list.txt\n"
            "  weather         Sunny\\t21\\n\n"
            "\n"
            "Page2\n  (no values)\n\n"
            "Page3\n  (no values)\n\n"
            "Page4\n  (no values)\n\n"
            "Page5\n  (no values)\n\n"
            "CondensedPage\n"
            "  Stamp           00ab10\n"
            "\n"
            "plugin\n"
            "  isNight         1\n");
}

TEST_F(DeviceEndToEnd, ShowOnePageByNameInAnyCaseAndAnUnknownPageIsAUsageError) {
  std::string out;
  ASSERT_EQ(tool({"show", "plugin"}, &out), 0);
  EXPECT_EQ(out, "plugin\n  (no values)\n");  // the key is missing
  setPageValue("Page2", "Text", RegValue::Text("two"));
  ASSERT_EQ(tool({"show", "pAGE2"}, &out), 0);
  EXPECT_EQ(out, "Page2\n  Text            two\n");
  EXPECT_EQ(tool({"show", "Page6"}, &out), 2);
  EXPECT_EQ(out, "");
  EXPECT_EQ(tool({"show", "Page1", "Page2"}), 2);
}

}  // namespace
}  // namespace zelko::testing
