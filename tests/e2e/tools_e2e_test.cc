// The setup tool as a user runs it after installing the suite: the registration the home
// screen reads, the engine's launches removed, the optional pages after a question, the
// skin's layout against the screen.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/suite_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

class ToolsEndToEnd : public SuiteEndToEnd {
 protected:
  int tools(const std::string& params) { return run("ZelkoTools", params); }
  std::string output(const std::vector<std::string>& args) {
    std::string out;
    EXPECT_EQ(tool(args, &out), 0) << args[0];
    return out;
  }
  std::string registration() { return output({"reg", "dump", "HKLM", kPluginKey}); }
  void writeFile(const std::string& devicePath, const std::string& text) {
    std::ofstream(hostFile(devicePath), std::ios::binary) << text;
  }
};

// The whole registration as `reg dump` lists it (sorted by name).
std::string expectedRegistration(const std::string& width, const std::string& height,
                                 const std::string& meteo, const std::string& calPng) {
  const std::string k = std::string("HKLM\\") + kPluginKey;
  const std::string folder = "\\Program Files\\ZelkoToday\\";
  const std::string deck = "\\Program Files\\ZelkoDeck\\ZelkoDeck.exe;ZelkoToday ";
  std::string out = k + "\tbatt\tREG_SZ\tskins\\default\\batt\n" + k + "\tcal\tREG_SZ\tskins\\default\\cal\n" +
                    k + "\tclock\tREG_SZ\tskins\\default\\clock\n" + k + "\tclockA\tREG_SZ\tskins\\default\\clockA\n" +
                    k + "\tclockAO\tREG_SZ\tskins\\default\\clockA\n" + k + "\tclockO\tREG_SZ\tskins\\default\\clock\n" +
                    k + "\tDataSource\tREG_SZ\tSoftware\\Microsoft\\CHome\\ZelkoToday\n" + k +
                    "\tGUID\tREG_SZ\t{F0A1B246-6E64-40cd-8E15-347D29FF6F18}\n" + k + "\tHeight\tREG_DWORD\t" + height +
                    "\n" + k + "\tLayout\tREG_SZ\tZelkoToday\n" + k + "\tLocName\tREG_SZ\tZelkoToday\n" + k +
                    "\tmeteo\tREG_SZ\t" + meteo + "\n" + k + "\tPages\tREG_SZ\tPage1;Page2;Page3;Page4;Page5\n" + k +
                    "\tsys\tREG_SZ\tskins\\default\\sys\n" + k + "\tUpdated\tREG_SZ\t0\n" + k + "\tWidth\tREG_DWORD\t" +
                    width + "\n" + k + "\\CondensedPage\tPluginLabel\tREG_SZ\tZelkoToday\n";
  out += k + "\\Page1\tACTIONURL\tREG_SZ\t" + deck + "Page1\n" + k + "\\Page1\tACTIONURLPNX\tREG_SZ\t" + folder +
         "ZelkoMenu.exe;ZelkoAction.mnu\n" + k + "\\Page1\tCalPNG\tREG_SZ\t" + calPng + "\n" + k +
         "\\Page1\tSK2TEXT\tREG_SZ\tC.Manager\n" + k + "\\Page1\tSK2URL\tREG_SZ\t" + folder + "CommManager.lnk\n" +
         k + "\\Page1\tSysPNG\tREG_SZ\t" + folder + "skins\\default\\sys\\Sys.png\n";
  out += k + "\\Page2\tACTIONURL\tREG_SZ\t" + deck + "Page2\n" + k + "\\Page2\tACTIONURLPNX\tREG_SZ\t" + folder +
         "ZelkoMeteo.exe;-zelkotoday\n" + k + "\\Page2\tSK2TEXT\tREG_SZ\tConfig.\n" + k + "\\Page2\tSK2URL\tREG_SZ\t" +
         folder + "ZelkoTodayVille.mscr\n";
  out += k + "\\Page3\tACTIONURL\tREG_SZ\t" + deck + "Page3\n" + k + "\\Page3\tACTIONURLPNX\tREG_SZ\t" + folder +
         "ZelkoCalendar.exe;-titanium -zelkotoday\n" + k + "\\Page3\tSK2TEXT\tREG_SZ\tCal.\n" + k +
         "\\Page3\tSK2URL\tREG_SZ\t:MSCALENDAR\n";
  out += k + "\\Page4\tACTIONURL\tREG_SZ\t" + deck + "Page4\n" + k + "\\Page4\tACTIONURLPNX\tREG_SZ\t" + folder +
         "ZelkoSms.exe;-zelkotoday\n" + k + "\\Page4\tSK2TEXT\tREG_SZ\tSMS\n" + k +
         "\\Page4\tSK2URL\tREG_SZ\t\\Windows\\tmail.exe;-service \"SMS\"\n";
  out += k + "\\Page5\tACTIONURL\tREG_SZ\t" + deck + "Page5\n" + k + "\\Page5\tACTIONURLPNX\tREG_SZ\t" + folder +
         "ZelkoContacts.exe;-zelkotoday\n" + k + "\\Page5\tSK2TEXT\tREG_SZ\t\n" + k + "\\Page5\tSK2URL\tREG_SZ\t\n";
  return out;
}

TEST_F(ToolsEndToEnd, InstallReplacesThePluginKeyWithTheRegistration) {
  const std::string defaultCal = "\\Program Files\\ZelkoToday\\skins\\default\\clock\\cal.png";
  // A fresh device: no plugin key yet, a standing 480x800 screen, the msn weather.
  EXPECT_EQ(tools("-install"), 1);
  EXPECT_EQ(registration(), expectedRegistration("480", "800", "skins\\default\\msn", defaultCal));

  // Turned on its side, with the google weather and a skin of its own that has a
  // calendar image: the images still come from that skin, whose settings then go.
  ASSERT_EQ(tool({"screen", "800x480"}), 0);
  writeFile("\\Program Files\\ZelkoToday\\skins\\Night\\clock\\cal.png", "png");
  for (auto [name, text] : {std::pair{"Weather", "google"}, {"SkinName", "Night"}, {"clock", "skins\\Night\\clock"}}) {
    ASSERT_EQ(tool({"reg", "set", "HKLM", kPluginKey, name, "--text", text}), 0);
  }
  ASSERT_EQ(tool({"reg", "set", "HKLM", std::string(kPluginKey) + "\\Page1", "BattVal", "--text", "80%"}), 0);
  EXPECT_EQ(tools("-install"), 1);
  EXPECT_EQ(registration(), expectedRegistration("800", "480", "skins\\default\\google",
                                                 "\\Program Files\\ZelkoToday\\skins\\Night\\clock\\cal.png"));
  // The AccuWeather source.
  ASSERT_EQ(tool({"reg", "set", "HKLM", kPluginKey, "Weather", "--text", "accu"}), 0);
  EXPECT_EQ(tools("-install"), 1);
  EXPECT_EQ(value("", "meteo"), "skins\\default\\accu");
}

TEST_F(ToolsEndToEnd, InstallClearsOldLaunchesAndUninstallTheEngines) {
  for (const char* name : {"ZelkoTodayBatt", "ZelkoToday3G"}) {
    ASSERT_TRUE(platform().notifications().registerLaunch(
        {name, {Root::kLocalMachine, "System\\State\\Battery", "Main"}, "\\Windows\\tmail.exe", ""}).ok());
  }
  startEngine();
  const std::string controller = "\"\\Program Files\\ZelkoToday\\ZelkoToday.exe\"";
  const std::string engines = "ZelkoTitanium\tHKLM\\Software\\Microsoft\\CHome\tEnabled\t" + controller +
                              "\nZelkoWinToday\tHKLM\\System\\State\\DateTime\tTime\t" + controller + "\n";
  EXPECT_EQ(tools("-install"), 1);
  EXPECT_EQ(output({"notifications"}), engines);
  EXPECT_EQ(tools("-uninstall"), 1);
  EXPECT_EQ(output({"notifications"}), "");
  // The registration and the suite's records stay.
  EXPECT_EQ(value("", "LocName"), "ZelkoToday");
  EXPECT_EQ(output({"reg", "get", "HKCU", "Software\\Zelko", "ZelkoTools"}), "570\n");
}

TEST_F(ToolsEndToEnd, SkinLayoutFitsTheScreenOrIsNamed) {
  const std::string layout = "\\Program Files\\ZelkoToday\\skins\\My Skin\\My Skin_480x800.xml";
  writeFile(layout, "<?xml version=\"1.0\"?>\r\n<layout name=\"x\" screenWidth=\"480\" screenHeight=\"800\">\r\n</layout>\r\n");
  EXPECT_EQ(tools("-skin " + layout), 0);
  EXPECT_EQ(value("", "SkinError"), "");
  EXPECT_EQ(value("", "Path"), kInstallFolder);
  ASSERT_EQ(tool({"screen", "240x320"}), 0);
  EXPECT_EQ(tools("-skin " + layout), 0);
  EXPECT_EQ(value("", "SkinError"), layout);
  ASSERT_EQ(tool({"screen", "480x800"}), 0);
  EXPECT_EQ(tools("-skin \\Temp\\missing.xml"), 0);
  EXPECT_EQ(value("", "SkinError"), "\\Temp\\missing.xml");
  // Without a path nothing is tested, and nothing is said to fit.
  EXPECT_EQ(tools("-skin"), 0);
  EXPECT_EQ(value("", "SkinError"), "\\Temp\\missing.xml");
}

TEST_F(ToolsEndToEnd, OnlyTheFirstOptionInTheToolsOrderIsCarriedOut) {
  EXPECT_EQ(tools("-install -uninstall"), 1);
  EXPECT_EQ(value("", "LocName"), "ZelkoToday");
  ASSERT_TRUE(platform().registry().deleteKey(Root::kLocalMachine, kPluginKey).ok());
  EXPECT_EQ(tools("-uninstall -skin \\Temp\\x.xml -install"), 0);
  EXPECT_EQ(value("", "LocName"), "<missing>");
  EXPECT_EQ(value("", "SkinError"), "-skin \\Temp\\x.xml -install");
  EXPECT_EQ(tools(""), 0);
  ASSERT_EQ(tool({"ui", "answer", "yes"}), 0);
  EXPECT_EQ(tools("-panels:Page4"), 1) << "the answers and the lists they make are in the unit tests";
  EXPECT_NE(journalEvents("dialog").at(0).find("\"caption\":\"Panels\",\"text\":\"Enable Page4\",\"answer\":\"yes\""),
            std::string::npos);
  EXPECT_EQ(tools("-Install"), 1) << "option names compare without regard to case";
  EXPECT_EQ(value("", "LocName"), "ZelkoToday");
}

}  // namespace
}  // namespace zelko::testing
