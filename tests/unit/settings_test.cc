#include "common/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/host.h"
#include "common/value_store.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace p = platform;

TEST(SettingsParts, ArgumentsFoldersAndWeather) {
  auto arg = [](std::string_view a) {
    Argument parsed = parseArgument(a);
    return parsed.name + "|" + parsed.value;
  };
  EXPECT_EQ(arg("-reply:3:extra"), "-reply|3");
  EXPECT_EQ(arg("-zelkotoday"), "-zelkotoday|");
  EXPECT_EQ(installFolderOf("\\Program Files\\ZelkoToday\\ZelkoSms.exe"),
            "\\Program Files\\ZelkoToday\\");
  EXPECT_EQ(installFolderOf("x.exe"), "\\");
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kMeteo, "google"), "skins\\default\\google");
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kMeteo, "Accu"), "skins\\default\\msn");  // names match in case
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kClockAO, "accu"), "skins\\default\\clockAO");
}

class SettingsTest : public testing::DeviceTest {
 protected:
  void pluginText(std::string_view name, std::string_view text) {
    regWriteText(platform().registry(), p::Root::kLocalMachine, host::kPluginKey, name, text);
  }
  // A file of the installation folder, which is wherever the device put this program.
  void file(const std::string& path, const std::string& text) {
    std::ofstream(hostFile(installFolderOf(platform().shell().modulePath()) + path)) << text;
  }
};

TEST_F(SettingsTest, StartUpOutsideHomeScreenMode) {
  pluginText("SkinName", "Blue");
  Settings s(platform());
  const char* argv[] = {"ZelkoSms.exe", "-MAX:5", "-reply:3:9", "-x:", "-text:See you at 10:30"};
  s.startUp("ZelkoSms", 160, 5, argv);
  EXPECT_EQ(
      regReadNumber(platform().registry(), p::Root::kCurrentUser, "Software\\Zelko", "ZelkoSms"),
      160u);
  EXPECT_EQ(s.skinIniPath(), s.installPath("skins\\Blue\\Blue.ini"));
  EXPECT_FALSE(s.homeScreenMode());

  EXPECT_EQ(s.argumentNumber("-Max", 1), 5);
  EXPECT_EQ(s.argument("-x"), "");
  EXPECT_EQ(s.argument("ZelkoSms.exe"), std::nullopt);  // the program's own name
  EXPECT_EQ(s.argumentNumber("-delete", 7), 7);
  EXPECT_EQ(s.argument("-text"), "See you at 10");
  EXPECT_EQ(s.argumentText("-TEXT"), "See you at 10:30");
  EXPECT_EQ(s.argumentText("-y"), std::nullopt);
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe"});
  EXPECT_FALSE(s.hasArgument("-max"));
}

TEST_F(SettingsTest, HomeScreenModeLoadsDocumentsAndSkinFolders) {
  pluginText("SkinName", "Blue");
  pluginText("sys", "skins\\Blue\\sys");
  pluginText("clock", std::string(kMaxSkinSettingUnits + 1, 'c'));
  pluginText("Weather", "google");
  file("ZelkoToday.ini", "[SMS]\nallread=1\n");
  file("skins\\Blue\\Blue.ini", "[Page1]\nBattPNG=X\n");
  Settings s(platform());
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe", "-ZelkoToday"});
  EXPECT_TRUE(s.homeScreenMode());
  EXPECT_EQ(s.suiteIni().getText("SMS", "allread", "0"), "1");
  EXPECT_EQ(s.skinIni().getText("Page1", "BattPNG", ""), "X");
  EXPECT_EQ(s.skinFolder(WidgetKind::kSys), "skins\\Blue\\sys");
  EXPECT_EQ(s.skinFolder(WidgetKind::kClock), "");  // too long: refused
  EXPECT_EQ(s.defaultFolder(WidgetKind::kMeteo), "skins\\default\\google");
}

TEST_F(SettingsTest, MissingOrChangedSkin) {
  file("skins\\Red\\Red.ini", "[Page1]\nBG=RedBG\n");
  pluginText("SkinName", std::string(kMaxSkinNameUnits + 1, 's'));  // refused
  Settings s(platform());
  s.startUpFromCommandLine("ZelkoToday", 570, 1, "-restart");
  s.enterHomeScreenMode();
  EXPECT_EQ(s.rawCommandLine(), "-restart");
  EXPECT_EQ(s.skinIniPath(), s.installPath("skins\\\\.ini"));
  EXPECT_TRUE(s.skinIni().entries().empty());

  pluginText("SkinName", "Red");
  s.reloadSkin();
  EXPECT_EQ(s.skinIni().getText("Page1", "BG", ""), "RedBG");
}

TEST_F(SettingsTest, EarlierStartUpKnowsNoSkinAndNoGoogleFolder) {
  pluginText("SkinName", "Blue");
  pluginText("Weather", "google");
  pluginText("meteo", "skins\\Blue\\meteo");
  file("ZelkoToday.ini", "[Menu]\nx=1\n");
  file("skins\\Blue\\Blue.ini", "[Page1]\nBattPNG=X\n");
  Settings s(platform());
  s.startUpEarlier("ZelkoMenu", 130, std::vector<std::string>{"ZelkoMenu.exe", "-zelkotoday"});
  EXPECT_EQ(
      regReadNumber(platform().registry(), p::Root::kCurrentUser, "Software\\Zelko", "ZelkoMenu"),
      130u);
  EXPECT_TRUE(s.earlierForm());
  EXPECT_EQ(s.skinIniPath(), "");
  EXPECT_EQ(s.suiteIni().getText("Menu", "x", ""), "1");
  EXPECT_EQ(s.skinFolder(WidgetKind::kMeteo), "skins\\Blue\\meteo");
  EXPECT_EQ(s.defaultFolder(WidgetKind::kMeteo), "skins\\default\\msn");
  s.reloadSkin();
  EXPECT_TRUE(s.skinIni().entries().empty());
  pluginText("Weather", "accu");
  s.loadSkinFolders();
  EXPECT_EQ(s.defaultFolder(WidgetKind::kMeteo), "skins\\default\\accu");

  // The current start-up on the same record is the whole one again.
  pluginText("Weather", "google");
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe", "-zelkotoday"});
  EXPECT_FALSE(s.earlierForm());
  EXPECT_EQ(s.skinIniPath(), s.installPath("skins\\Blue\\Blue.ini"));
  EXPECT_EQ(s.skinIni().getText("Page1", "BattPNG", ""), "X");
  EXPECT_EQ(s.defaultFolder(WidgetKind::kMeteo), "skins\\default\\google");
}

TEST_F(SettingsTest, FindRunningInstance) {
  auto first = std::make_unique<Settings>(platform());
  EXPECT_FALSE(first->findRunningInstance("ZelkoToday"));
  {
    // The mutex is held but there is no window (yet): give up after three looks, and
    // run holding the mutex like a first instance, so that the next start sees it.
    Settings second(platform());
    EXPECT_FALSE(second.findRunningInstance("ZelkoToday"));
    first.reset();
    auto probe = platform().sync().createMutex("ZelkoToday");
    ASSERT_TRUE(probe.ok());
    EXPECT_TRUE((*probe)->alreadyExisted());
    first = std::make_unique<Settings>(platform());
  }
  EXPECT_FALSE(first->findRunningInstance("ZelkoToday"));
  auto& windows = platform().windows();
  ASSERT_TRUE(windows.registerClass("ZelkoToday", [](const p::Message&) { return 0; }).ok());
  ASSERT_TRUE(windows.createWindow("ZelkoToday", "").ok());
  EXPECT_TRUE(Settings(platform()).findRunningInstance("ZelkoToday"));

  // The first instance lets its mutex go only when it ends.
  first.reset();
  EXPECT_FALSE(Settings(platform()).findRunningInstance("ZelkoToday"));
}

}  // namespace
}  // namespace zelko
