// The plugin installer as other installers call it: the home screen's layout files of two
// screen sizes in both orientations, its plugin order, and the switches that hold back a
// part of the work.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/e2e/varn_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;
using Names = std::vector<std::string>;

const Names kDefaultBlocks = {"Clock", "Home", "Messaging", "Email", "Calendar", "Music", "Pictures", "Settings"};
constexpr char kDefaultOrder[] = "ZelkoToday;Clock;Home;Messaging;Email;Calendar;Music;Pictures;Settings";

Names with(Names names, const std::string& name) {
  names.push_back(name);
  return names;
}

using InstallerEndToEnd = InstallerTest;

TEST_F(InstallerEndToEnd, ScreenCommandTurnsTheScreenAndBringsLayoutsOfANewSize) {
  std::string out;
  ASSERT_EQ(tool({"screen"}, &out), 0);
  EXPECT_EQ(out, "480x800\n");
  for (const char* bad : {"0x800", "480x", "x800", "10000x800", "-480x800", "480X800", "480x800x2"}) {
    EXPECT_EQ(tool({"screen", bad}), 2) << bad;
  }
  writeDeviceFile(kLandscapeLayout, "mine");
  ASSERT_EQ(tool({"screen", "0320x240"}), 0);
  ASSERT_EQ(tool({"screen"}, &out), 0);
  EXPECT_EQ(out, "320x240\n");
  EXPECT_EQ(blocksIn("\\Windows\\Titanium_320x240.cpr"), kDefaultBlocks);
  EXPECT_EQ(blocksIn("\\Windows\\Titanium_240x320.cpr"), kDefaultBlocks);
  ASSERT_EQ(tool({"screen", "800x480"}), 0);
  EXPECT_EQ(readDeviceFile(kLandscapeLayout), "mine") << "a layout that is there is kept";
}

TEST_F(InstallerEndToEnd, AddsNewPluginsAtTheFrontInsideAndPastTheEnd) {
  runInstaller("-addchange -silent -plg:" + writeDefinition("First", 0) + " -cpr:currentPortrait");
  runInstaller("-addchange -silent -plg:" + writeDefinition("Third", 2) + " -cpr:currentPortrait");
  runInstaller("-addchange -silent -plg:" + writeDefinition("Last", 99) + " -cpr:currentPortrait");
  EXPECT_EQ(status("ErrorNumber"), "0");
  EXPECT_EQ(status("ErrorDescription"), "#0 Success");
  EXPECT_EQ(order(), std::string("First;ZelkoToday;Third;") + (kDefaultOrder + 11) + ";Last");
  EXPECT_EQ(home("DefaultXML"), home("ExtensibilityXML"));
  EXPECT_EQ(home("ExtensibilityXML"), "<Plugins Order=\"" + order() + "\" CPRFileName=\"Titanium\" />");
  EXPECT_EQ(home("Plugins"), std::string(kDefaultOrder) + ";First;Third;Last");
  // New layers go to the end of the layout; the order places them on the screen.
  EXPECT_EQ(blocksIn(kPortraitLayout), with(with(with(kDefaultBlocks, "First"), "Third"), "Last"));
  std::string layout = readDeviceFile(kPortraitLayout);
  EXPECT_EQ(layout.substr(layout.size() - 9), "\r\n</Form>");
  EXPECT_EQ(readDeviceFile(kPortraitTemp), layout);
  EXPECT_EQ(blocksIn(kLandscapeLayout), kDefaultBlocks);
}

TEST_F(InstallerEndToEnd, EditsTheLayoutOfEachScreenSizeAndOrientation) {
  const std::string plg = writeDefinition("Weather", 1);
  // The screen, the option, and the file edited, which gets the layers of its own size.
  for (const auto& [screen, option, size] : std::vector<std::array<std::string, 3>>{
           {"480x800", "currentPortrait", "480x800"},
           {"480x800", "currentLandscape", "800x480"},
           {"800x480", "forcecurrentPortrait", "800x480"},
           {"240x320", "forcecurrentLandscape", "320x240"},
           {"320x240", "currentLandscape", "240x320"},
       }) {
    const std::string layout = "\\Windows\\Titanium_" + size + ".cpr";
    SCOPED_TRACE(screen + " " + option);
    ASSERT_EQ(tool({"screen", screen}), 0);
    // As init wrote it, or as an earlier case left it: without a line end after "</Form>".
    std::string before = readDeviceFile(layout);
    if (before.size() >= 2 && before.compare(before.size() - 2, 2, "\r\n") == 0) before.resize(before.size() - 2);
    ASSERT_EQ(blocksIn(layout), kDefaultBlocks);
    runInstaller(std::string("-addchange -silent -plg:") + plg + " -cpr:" + option);
    EXPECT_EQ(status("ErrorDescription"), "#0 Success");
    EXPECT_EQ(status("callCPR"), layout);
    EXPECT_EQ(status("curResX") + "x" + status("curResY"), screen);
    EXPECT_EQ(blocksIn(layout), with(kDefaultBlocks, "Weather"));
    EXPECT_NE(readDeviceFile(layout).find("\"Weather " + size + "\""), std::string::npos);
    runInstaller(std::string("-delete -silent -plugin:Weather -cpr:") + option);
    EXPECT_EQ(status("callPlugin"), "Weather");
    EXPECT_EQ(readDeviceFile(layout), before);
  }
  EXPECT_EQ(status("callTypeCPR"), "plugin");
  EXPECT_EQ(order(), kDefaultOrder);
}

TEST_F(InstallerEndToEnd, ReplacesAnInstalledPluginWhereItStands) {
  runInstaller("-addchange -silent -plg:" + writeDefinition("Weather", 1) + " -cpr:currentPortrait");
  const std::string ext = home("ExtensibilityXML"), plugins = home("Plugins");
  // A new version of the plugin, and one of a plugin the phone came with.
  runInstaller("-addchange -silent -plg:" + writeDefinition("Weather", 5, " v2") + " -cpr:currentPortrait");
  runInstaller("-addchange -silent -plg:" + writeDefinition("Home", 0, " v2") + " -cpr:currentPortrait");
  EXPECT_EQ(blocksIn(kPortraitLayout), with(kDefaultBlocks, "Weather"));
  const std::string layout = readDeviceFile(kPortraitLayout);
  EXPECT_NE(layout.find("\"Weather 480x800 v2\""), std::string::npos);
  EXPECT_NE(layout.find("\"Home 480x800 v2\""), std::string::npos);
  EXPECT_EQ(layout.find("<Image Source=\"\\Windows\\Home.png\" />"), std::string::npos);
  // Already in the order: the order stays, and so does the registry.
  EXPECT_EQ(home("ExtensibilityXML"), ext);
  EXPECT_EQ(home("Plugins"), plugins);
  EXPECT_EQ(status("newPlugins"), plugins);
}

// The text of the switch is in the unit tests of the layout edits.
TEST_F(InstallerEndToEnd, SwitchesTheListViewBothWaysAndNothingElse) {
  const std::string ext = home("ExtensibilityXML");
  runInstaller("-change -silent -view:BronzeListView -cpr:currentLandscape");
  EXPECT_EQ(status("ListView"), "Titanium");
  const std::string layout = readDeviceFile(kLandscapeLayout);
  EXPECT_EQ(layout.find("Titanium"), std::string::npos);
  EXPECT_EQ(blocksIn(kLandscapeLayout), kDefaultBlocks);
  runInstaller("-change -silent -view:BronzeListView -cpr:currentLandscape");
  EXPECT_EQ(status("ListView"), "Bronze");
  EXPECT_EQ(readDeviceFile(kLandscapeLayout), layout);
  runInstaller("-change -silent -view:TitaniumListView -cpr:\\Windows\\Titanium_800x480.cpr");
  EXPECT_EQ(status("callTypeCPR"), "direct");
  EXPECT_NE(readDeviceFile(kLandscapeLayout).find("\r\n   <TitaniumListView ID=\"ListView\""), std::string::npos);
  EXPECT_EQ(home("ExtensibilityXML"), ext);
}

TEST_F(InstallerEndToEnd, NoChangeSwitchesAndTheOrderElementsLayoutName) {
  const std::string layout = readDeviceFile(kPortraitLayout);
  runInstaller("-addchange -silent -nochangecpr -plg:" + writeDefinition("A", 0) + " -cpr:currentPortrait");
  EXPECT_EQ(readDeviceFile(kPortraitLayout), layout);
  EXPECT_EQ(blocksIn(kPortraitTemp), with(kDefaultBlocks, "A"));
  EXPECT_EQ(order().substr(0, 2), "A;");

  runInstaller("-addchange -silent -nochangechomereg -plg:" + writeDefinition("B", 0) + " -cpr:currentPortrait");
  EXPECT_EQ(blocksIn(kPortraitLayout), with(kDefaultBlocks, "B"));
  EXPECT_EQ(order().substr(0, 2), "A;");
  EXPECT_EQ(status("newExtensibilityXML").find("Order=\"B;A;"), 9u) << "worked out, not written";

  // A layout given by its path is not the home screen's own: its order stays.
  runInstaller("-delete -silent -plugin:A -cpr:\\Windows\\Titanium_480x800.cpr");
  EXPECT_EQ(order().substr(0, 2), "A;");
  EXPECT_EQ(status("ErrorNumber"), "0");

  // The layout's name comes from the order element.
  setHome("ExtensibilityXML", "<Plugins Order=\"Clock;Home\" CPRFileName=\"Custom\" />");
  writeDeviceFile("\\Windows\\Custom_800x480.cpr", readDeviceFile(kLandscapeLayout));
  runInstaller("-delete -silent -plugin:Home -cpr:currentLandscape -nochangechomereg");
  EXPECT_EQ(status("callCPR"), "\\Windows\\Custom_800x480.cpr");
  EXPECT_EQ(home("CPRFile"), "Titanium");
  EXPECT_EQ(order(), "Clock;Home") << "-nochangechomereg holds back the order too";
  runInstaller("-delete -silent -plugin:Home -cpr:currentLandscape");
  EXPECT_EQ(home("CPRFile"), "Custom");
  EXPECT_EQ(order(), "Clock;");
  EXPECT_EQ(blocksIn("\\Windows\\Custom_800x480.cpr").size(), kDefaultBlocks.size() - 1);
  EXPECT_EQ(blocksIn(kLandscapeLayout), kDefaultBlocks);
}

TEST_F(InstallerEndToEnd, ForbiddenLayoutsAreEditedOnlyInTheTemporaryFile) {
  ASSERT_TRUE(platform().registry().setValue(Root::kCurrentUser, kStatusKey, "ForbiddenList",
                                             RegValue::Text(";Other;Titanium;")).ok());
  const std::string layout = readDeviceFile(kPortraitLayout);
  runInstaller("-addchange -silent -plg:" + writeDefinition("A", 0) + " -cpr:currentPortrait");
  EXPECT_EQ(status("ErrorDescription"), "#0 Success");
  EXPECT_EQ(readDeviceFile(kPortraitLayout), layout);
  EXPECT_EQ(blocksIn(kPortraitTemp), with(kDefaultBlocks, "A"));
  EXPECT_EQ(order(), kDefaultOrder);
  runInstaller("-delete -silent -plugin:Clock -cpr:currentPortrait");
  EXPECT_EQ(readDeviceFile(kPortraitLayout), layout);
  EXPECT_EQ(order(), kDefaultOrder);
  // The list guards the home screen's own layouts only; a switch of the view is no edit
  // of plugins.
  runInstaller("-delete -silent -plugin:Clock -cpr:all");
  EXPECT_EQ(blocksIn(kPortraitLayout).front(), "Home");
  runInstaller("-change -silent -view:BronzeListView -cpr:currentPortrait");
  EXPECT_EQ(status("ListView"), "Titanium");
  EXPECT_NE(readDeviceFile(kPortraitLayout).find("<BronzeListView"), std::string::npos);
}

TEST_F(InstallerEndToEnd, StatusRecordKeepsTheCallBeforeAndMarksTheRun) {
  runInstaller("-addchange -silent -isVARNSystemCall -plg:" + writeDefinition("A", 0) + " -cpr:currentPortrait");
  runInstaller("-change -silent -view:BronzeListView -cpr:\\Windows\\Titanium_240x320.cpr");
  EXPECT_EQ(status("lastCallAction"), "addchange");
  EXPECT_EQ(status("lastCallPLG"), "\\A.plg");
  EXPECT_EQ(status("lastCallCPR"), kPortraitLayout);
  EXPECT_EQ(status("callAction"), "change");
  EXPECT_EQ(status("callPLG"), "\\A.plg") << "kept from the call that named one";
  EXPECT_EQ(status("callOverall"), "-change -silent -view:BronzeListView -cpr:\\Windows\\Titanium_240x320.cpr");
  EXPECT_EQ(status("Version"), "1.0 rc3.1");
  EXPECT_EQ(status("VARNhasChangedSomething"), "1");
  EXPECT_EQ(status("ErrorNumber"), "351") << "no layout of that size yet";

  // Once the suite is completely installed, its own page is marked.
  auto& reg = platform().registry();
  ASSERT_TRUE(reg.setValue(Root::kCurrentUser, kStatusKey, "VARNCompleteInstalled", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg.setValue(Root::kCurrentUser, kStatusKey, "is2StarPath", RegValue::Text("\\star.png")).ok());
  runInstaller("-change -silent -cpr:currentPortrait");
  EXPECT_FALSE(reg.keyExists(Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN")) << "keys are not made";
  ASSERT_TRUE(reg.createKey(Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN\\Page1").ok());
  runInstaller("-change -silent -cpr:currentPortrait");
  EXPECT_EQ(reg.getValue(Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN\\Page1", "starPNG")->text, "\\star.png");
  EXPECT_EQ(reg.getValue(Root::kLocalMachine, "SOFTWARE\\Microsoft\\CHome\\VARN", "Updated")->dword, 1u);
}

TEST_F(InstallerEndToEnd, GivesWayToTheSuitesInstallerOnScreen) {
  auto& windows = platform().windows();
  ASSERT_TRUE(windows.registerClass("VARN_insClass", [](const platform::Message&) { return 0; }).ok());
  auto window = windows.createWindow("VARN_insClass", "Installer");
  ASSERT_TRUE(window.ok());
  runInstaller("-delete -plugin:Clock -cpr:currentPortrait");
  EXPECT_EQ(windows.foreground(), *window);
  EXPECT_FALSE(platform().registry().keyExists(Root::kCurrentUser, kStatusKey));
  EXPECT_EQ(blocksIn(kPortraitLayout), kDefaultBlocks);
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(InstallerEndToEnd, TwoInstallersAtOnceLoseNeitherPlugin) {
  const std::string a = writeDefinition("A", 0), b = writeDefinition("B", 0);
  std::vector<int> pids;
  for (int round = 0; round < 3; ++round) {
    for (const std::string& plg : {a, b}) {
      auto r = platform().shell().execute({kInstaller, "-addchange -silent -plg:" + plg + " -cpr:currentPortrait",
                                           false, std::chrono::milliseconds(-1)});
      ASSERT_TRUE(r.ok());
      pids.push_back(r->pid);
    }
    for (int pid : pids) ASSERT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }));
    // Either may come first; neither may be lost.
    auto blocks = blocksIn(kPortraitLayout);
    EXPECT_TRUE(blocks == with(with(kDefaultBlocks, "A"), "B") || blocks == with(with(kDefaultBlocks, "B"), "A"))
        << "round " << round << ": " << ::testing::PrintToString(blocks);
    EXPECT_EQ(home("Plugins").find(";A;B") != std::string::npos || home("Plugins").find(";B;A") != std::string::npos, true);
    for (const char* name : {"A", "B"}) runInstaller(std::string("-delete -silent -cpr:currentPortrait -plugin:") + name);
    pids.clear();
  }
}

}  // namespace
}  // namespace zelko::testing
