// Real processes on one device: what one program does reaches another.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

using DeviceEndToEnd = EndToEndTest;

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

TEST_F(DeviceEndToEnd, ExecWaitEndsWithTheProgramsExitCode) {
  EXPECT_EQ(tool({"exec", "--wait", "\\program files\\zelkotoday\\PROBE.EXE", "exit", "7"}), 7);
  auto launches = journalEvents("launch");
  auto exits = journalEvents("exit");
  ASSERT_EQ(launches.size(), 1u);
  ASSERT_EQ(exits.size(), 1u);
  EXPECT_NE(launches[0].find("\"params\":\"exit 7\",\"ok\":true"), std::string::npos);
  EXPECT_NE(exits[0].find("\"code\":7"), std::string::npos);
  // Missing programs fail clearly and leave a failed launch.
  EXPECT_EQ(tool({"exec", "--wait", "\\Windows\\nothing.exe"}), 1);
  EXPECT_NE(journalEvents("launch").back().find("\"ok\":false"), std::string::npos);
}

TEST_F(DeviceEndToEnd, ActionStringsExpandMacrosAndSplitAtTheirSeparator) {
  EXPECT_EQ(tool({"action", "--wait", "%ZELKOTODAY%\\Probe.exe;exit 4"}), 4);
  EXPECT_EQ(tool({"action", "--wait", "%PROGRAMFILES%\\ZelkoToday\\Probe.exe|exit 5;6|ignored"}), 5);
  auto launches = journalEvents("launch");
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_NE(launches[0].find("\"program\":\"\\\\Program Files\\\\ZelkoToday\\\\Probe.exe\","
                             "\"params\":\"exit 4\""),
            std::string::npos)
      << launches[0];
  EXPECT_NE(launches[1].find("\"params\":\"exit 5;6\""), std::string::npos) << launches[1];
  EXPECT_EQ(tool({"action", ";;"}), 1) << "an action of separators runs nothing";
}

TEST_F(DeviceEndToEnd, SecondInstanceFindsTheFirstThroughItsMutexAndWindow) {
  int first = startProbe("instance");
  ASSERT_TRUE(waitFor([&] { return report("instance") == "up"; }));
  EXPECT_EQ(runProbe("instance"), 3);
  std::string windows;
  ASSERT_EQ(tool({"windows"}), 0);
  ASSERT_EQ(tool({"windows"}, &windows), 0);
  EXPECT_EQ(windows, "ProbeInstance\tprobe\t" + std::to_string(first) + "\n");

  ASSERT_EQ(tool({"post", "probeinstance", "1127"}), 0);
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(first).has_value(); }));
  EXPECT_EQ(exitCodeOf(first), 0);
  std::string after;
  ASSERT_EQ(tool({"windows"}, &after), 0);
  EXPECT_EQ(after, "");
  EXPECT_EQ(tool({"post", "ProbeInstance", "1127"}), 1) << "no window is left to post to";
}

TEST_F(DeviceEndToEnd, BadInputChangesNothing) {
  std::string before, after;
  ASSERT_EQ(tool({"reg", "dump"}, &before), 0);
  EXPECT_EQ(tool({"reg", "set", "HKXX", "Software", "A", "--text", "x"}), 2);
  EXPECT_EQ(tool({"reg", "set", "HKLM", "Software", "A", "--dword", "4294967296"}), 2);
  EXPECT_EQ(tool({"clock", "set", "2026-02-30 10:00"}), 2);
  EXPECT_EQ(tool({"clock", "advance", "ten"}), 2);
  EXPECT_EQ(tool({"frobnicate"}), 2);
  std::filesystem::path reg = dir() / "bad.reg";
  {
    std::ofstream f(reg);
    f << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=\"1\"\n"
         "\"y\"=dword:zz\n";
  }
  EXPECT_EQ(tool({"reg", "import", reg.string()}), 1);
  ASSERT_EQ(tool({"reg", "dump"}, &after), 0);
  EXPECT_EQ(before, after);
  EXPECT_EQ(tool({"-d"}), 2);
  EXPECT_NE(tool({"init"}), 0) << "a device is there already";
}

TEST_F(DeviceEndToEnd, RegFilesRoundTripThroughExportAndImport) {
  auto& reg = platform().registry();
  ASSERT_TRUE(reg.setValue(Root::kCurrentUser, "Software\\Zelko\\Sms\\1", "Text", RegValue::Text("Ça va ? \"oui\"\\non")).ok());
  ASSERT_TRUE(reg.setValue(Root::kCurrentUser, "Software\\Zelko\\Sms", "total", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg.setValue(Root::kCurrentUser, "Software\\Zelko", "Blob", RegValue::Binary({0, 1, 255})).ok());
  std::string file = (dir() / "zelko.reg").string();
  ASSERT_EQ(tool({"reg", "export", "HKCU", "Software\\Zelko", file}), 0);
  std::string before;
  ASSERT_EQ(tool({"reg", "dump", "HKCU"}, &before), 0);
  ASSERT_EQ(tool({"reg", "del", "HKCU", "Software\\Zelko"}), 0);
  ASSERT_EQ(tool({"reg", "import", file}), 0);
  std::string after;
  ASSERT_EQ(tool({"reg", "dump", "HKCU"}, &after), 0);
  EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace zelko::testing
