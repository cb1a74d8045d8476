#include "common/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/host.h"
#include "common/value_store.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::Root;

TEST(ParseArgument, NameAndValueAroundColons) {
  auto check = [](std::string_view arg, std::string_view name, std::string_view value) {
    Argument a = parseArgument(arg);
    EXPECT_EQ(a.name, name) << arg;
    EXPECT_EQ(a.value, value) << arg;
  };
  check("-max:5", "-max", "5");
  check("-reply:3:extra", "-reply", "3");
  check("-zelkotoday", "-zelkotoday", "");
  check("-x:", "-x", "");
  check("-url:http://host", "-url", "http");
  check("", "", "");
}

TEST(InstallFolderOf, CutsAtTheLastBackslash) {
  EXPECT_EQ(installFolderOf("\\Program Files\\ZelkoToday\\ZelkoSms.exe"),
            "\\Program Files\\ZelkoToday\\");
  EXPECT_EQ(installFolderOf("\\x.exe"), "\\");
  EXPECT_EQ(installFolderOf("x.exe"), "\\");
}

TEST(DefaultSkinFolder, WeatherSourceIsCaseSensitive) {
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kMeteo, "accu"), "skins\\default\\accu");
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kMeteo, "google"), "skins\\default\\google");
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kMeteo, "Accu"), "skins\\default\\msn");
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kMeteo, ""), "skins\\default\\msn");
  EXPECT_EQ(defaultSkinFolder(WidgetKind::kClockAO, "accu"), "skins\\default\\clockAO");
}

// Hands out the device's services, with the shell's module path and special folders and
// the clock's sleeps under the test's control.
class TestPlatform : public platform::Platform {
 public:
  class TestShell : public platform::Shell {
   public:
    explicit TestShell(platform::Shell& inner) : inner_(inner) {}
    platform::Result<platform::ExecResult> execute(const platform::ExecRequest& r) override {
      return inner_.execute(r);
    }
    std::string commandLine() override { return inner_.commandLine(); }
    std::string modulePath() override { return module; }
    platform::Result<std::string> specialFolder(platform::SpecialFolder f) override {
      if (f == platform::SpecialFolder::kMyVideo) return platform::Status::NotFound("video");
      return inner_.specialFolder(f);
    }
    platform::Status runAtTime(std::string_view f,
                               std::optional<platform::DateTime> w) override {
      return inner_.runAtTime(f, w);
    }
    std::string module = "\\Program Files\\ZelkoToday\\ZelkoSms.exe";

   private:
    platform::Shell& inner_;
  };

  class TestClock : public platform::Clock {
   public:
    explicit TestClock(platform::Clock& inner) : inner_(inner) {}
    platform::DateTime utcNow() override { return inner_.utcNow(); }
    platform::DateTime localNow() override { return inner_.localNow(); }
    platform::DateTime toLocal(const platform::DateTime& t) override {
      return inner_.toLocal(t);
    }
    platform::DateTime toUtc(const platform::DateTime& t) override { return inner_.toUtc(t); }
    int biasMinutes(const platform::DateTime& t) override { return inner_.biasMinutes(t); }
    std::chrono::steady_clock::time_point steadyNow() override { return inner_.steadyNow(); }
    void sleep(std::chrono::milliseconds d) override { sleeps.push_back(d.count()); }
    std::vector<int64_t> sleeps;

   private:
    platform::Clock& inner_;
  };

  explicit TestPlatform(platform::Platform& inner)
      : inner_(inner), shell_(inner.shell()), clock_(inner.clock()) {}

  platform::Registry& registry() override { return inner_.registry(); }
  platform::Notifications& notifications() override { return inner_.notifications(); }
  platform::Shell& shell() override { return shell_; }
  platform::Windows& windows() override { return inner_.windows(); }
  platform::Sync& sync() override { return inner_.sync(); }
  platform::Clock& clock() override { return clock_; }
  platform::Locale& locale() override { return inner_.locale(); }
  platform::Files& files() override { return inner_.files(); }
  platform::Ui& ui() override { return inner_.ui(); }
  platform::Power& power() override { return inner_.power(); }
  platform::Radios& radios() override { return inner_.radios(); }
  platform::Items& items() override { return inner_.items(); }
  platform::Messaging& messaging() override { return inner_.messaging(); }
  platform::Http& http() override { return inner_.http(); }

  TestShell& testShell() { return shell_; }
  TestClock& testClock() { return clock_; }

 private:
  platform::Platform& inner_;
  TestShell shell_;
  TestClock clock_;
};

class SettingsTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    test_platform_ = std::make_unique<TestPlatform>(platform());
  }
  void TearDown() override {
    test_platform_.reset();
    DeviceTest::TearDown();
  }
  TestPlatform& tp() { return *test_platform_; }
  void setPluginText(std::string_view name, std::string_view text) {
    regWriteText(platform().registry(), Root::kLocalMachine, host::kPluginKey, name, text);
  }
  void writeFile(const std::string& devicePath, const std::string& text) {
    std::ofstream(hostFile(devicePath), std::ios::binary) << text;
  }

  std::unique_ptr<TestPlatform> test_platform_;
};

TEST_F(SettingsTest, StartUpBuildsPathsAndRecordsTheBuildNumber) {
  setPluginText("SkinName", "Blue");
  Settings s(tp());
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe"});
  EXPECT_EQ(regReadNumber(platform().registry(), Root::kCurrentUser, "Software\\Zelko",
                          "ZelkoSms"),
            160u);
  EXPECT_EQ(s.installFolder(), "\\Program Files\\ZelkoToday\\");
  EXPECT_EQ(s.ownIniPath(), "\\Program Files\\ZelkoToday\\ZelkoSms.ini");
  EXPECT_EQ(s.suiteIniPath(), "\\Program Files\\ZelkoToday\\ZelkoToday.ini");
  EXPECT_EQ(s.skinIniPath(), "\\Program Files\\ZelkoToday\\skins\\Blue\\Blue.ini");
  EXPECT_EQ(s.installPath("SMS.txt"), "\\Program Files\\ZelkoToday\\SMS.txt");
  EXPECT_FALSE(s.homeScreenMode());
}

TEST_F(SettingsTest, SpecialFolderTheShellLacksIsABlank) {
  Settings s(tp());
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe"});
  EXPECT_EQ(s.specialFolders().myVideo, " ");
  auto windows = platform().shell().specialFolder(platform::SpecialFolder::kWindows);
  ASSERT_TRUE(windows.ok());
  EXPECT_EQ(s.specialFolders().windows, *windows);
}

TEST_F(SettingsTest, ArgumentStore) {
  Settings s(tp());
  const char* argv[] = {"ZelkoSms.exe", "-max:5", "-reply:3:9", "-Read", "-x:"};
  s.startUp("ZelkoSms", 160, 5, argv);
  EXPECT_EQ(s.argument("-MAX"), "5");
  EXPECT_EQ(s.argumentNumber("-max", 1), 5);
  EXPECT_EQ(s.argument("-reply"), "3");
  EXPECT_EQ(s.argument("-read"), "");
  EXPECT_TRUE(s.hasArgument("-x"));
  EXPECT_FALSE(s.hasArgument("ZelkoSms.exe"));  // the program's own name is skipped
  EXPECT_EQ(s.argument("-delete"), std::nullopt);
  EXPECT_EQ(s.argumentNumber("-delete", 7), 7);

  // A second start-up starts from an empty store.
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe"});
  EXPECT_FALSE(s.hasArgument("-max"));
}

TEST_F(SettingsTest, HomeScreenModeLoadsBothDocumentsAndSkinFolders) {
  setPluginText("SkinName", "Blue");
  setPluginText("sys", "skins\\Blue\\sys");
  setPluginText("Weather", "google");
  setPluginText("Lang", "fr");
  writeFile("\\Program Files\\ZelkoToday\\ZelkoToday.ini", "[SMS]\nallread=1\n");
  writeFile("\\Program Files\\ZelkoToday\\skins\\Blue\\Blue.ini", "[Page1]\nBattPNG=X\n");

  Settings s(tp());
  s.startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe", "-ZelkoToday"});
  EXPECT_TRUE(s.homeScreenMode());
  EXPECT_EQ(s.suiteIni().getText("SMS", "allread", "0"), "1");
  EXPECT_EQ(s.skinIni().getText("Page1", "BattPNG", ""), "X");
  EXPECT_EQ(s.skinFolder(WidgetKind::kSys), "skins\\Blue\\sys");
  EXPECT_EQ(s.skinFolder(WidgetKind::kBatt), "");
  EXPECT_EQ(s.defaultFolder(WidgetKind::kBatt), "skins\\default\\batt");
  EXPECT_EQ(s.defaultFolder(WidgetKind::kMeteo), "skins\\default\\google");
  EXPECT_EQ(s.lang(), "fr");
}

TEST_F(SettingsTest, WithoutSkinNameTheSkinDocumentStaysEmpty) {
  writeFile("\\Program Files\\ZelkoToday\\ZelkoToday.ini", "[SMS]\nallread=1\n");
  Settings s(tp());
  s.startUp("ZelkoMeteo", 155, std::vector<std::string>{"m", "-zelkotoday"});
  EXPECT_EQ(s.skinIniPath(), "\\Program Files\\ZelkoToday\\skins\\\\.ini");
  EXPECT_TRUE(s.skinIni().entries().empty());
  EXPECT_EQ(s.suiteIni().getNumber("SMS", "allread", 0), 1);
}

TEST_F(SettingsTest, OverlongSkinTextsAreRefused) {
  setPluginText("SkinName", std::string(kMaxSkinNameUnits + 1, 's'));
  setPluginText("clock", std::string(kMaxSkinSettingUnits + 1, 'c'));
  setPluginText("batt", std::string(kMaxSkinSettingUnits, 'b'));
  Settings s(tp());
  s.startUp("ZelkoMeteo", 155, std::vector<std::string>{"m", "-zelkotoday"});
  EXPECT_EQ(s.skinName(), "");
  EXPECT_EQ(s.skinFolder(WidgetKind::kClock), "");
  EXPECT_EQ(s.skinFolder(WidgetKind::kBatt), std::string(kMaxSkinSettingUnits, 'b'));
}

TEST_F(SettingsTest, ReloadSkinFollowsASkinChange) {
  setPluginText("SkinName", "Blue");
  writeFile("\\Program Files\\ZelkoToday\\skins\\Red\\Red.ini", "[Page1]\nBG=RedBG\n");
  Settings s(tp());
  s.startUpFromCommandLine("ZelkoToday", 570, 1, "-restart");
  s.enterHomeScreenMode();
  EXPECT_EQ(s.rawCommandLine(), "-restart");
  EXPECT_EQ(s.showState(), 1);
  EXPECT_TRUE(s.skinIni().entries().empty());

  setPluginText("SkinName", "Red");
  setPluginText("Weather", "accu");
  s.reloadSkin();
  EXPECT_EQ(s.skinName(), "Red");
  EXPECT_EQ(s.skinIni().getText("Page1", "BG", ""), "RedBG");
  EXPECT_EQ(s.defaultFolder(WidgetKind::kMeteo), "skins\\default\\accu");
}

TEST_F(SettingsTest, FindRunningInstance) {
  Settings first(tp());
  EXPECT_FALSE(first.findRunningInstance("ZelkoToday"));
  EXPECT_TRUE(tp().testClock().sleeps.empty());

  // The mutex is held but no window exists yet: three looks, two waits, then give up.
  {
    Settings second(tp());
    EXPECT_FALSE(second.findRunningInstance("ZelkoToday"));
    EXPECT_EQ(tp().testClock().sleeps, (std::vector<int64_t>{500, 500}));
  }

  auto& windows = platform().windows();
  ASSERT_TRUE(windows.registerClass("ZelkoToday", [](const platform::Message&) {
    return int64_t{0};
  }).ok());
  auto window = windows.createWindow("ZelkoToday", "");
  ASSERT_TRUE(window.ok());
  tp().testClock().sleeps.clear();
  Settings third(tp());
  EXPECT_TRUE(third.findRunningInstance("ZelkoToday"));
  EXPECT_TRUE(tp().testClock().sleeps.empty());
  windows.destroyWindow(*window);
}

TEST_F(SettingsTest, TheFirstInstanceHoldsItsMutexForItsLifetime) {
  auto first = std::make_unique<Settings>(tp());
  EXPECT_FALSE(first->findRunningInstance("ZelkoMenu"));
  auto held = platform().sync().createMutex("zelkomenu");
  ASSERT_TRUE(held.ok());
  EXPECT_TRUE((*held)->alreadyExisted());
  held->reset();

  first.reset();
  auto after = platform().sync().createMutex("ZelkoMenu");
  ASSERT_TRUE(after.ok());
  EXPECT_FALSE((*after)->alreadyExisted());
}

}  // namespace
}  // namespace zelko
