// The engine's widgets on a device: the values they write for a platform state, the
// programs they start and the user's notify hooks they run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <vector>
#include <string>

#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/sim/device_clock.h"
#include "platform/sim/sim_power.h"
#include "tests/unit/device_fixture.h"

namespace zelko::engine {
namespace {

using platform::RegValue;
using platform::Root;

class WidgetTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    suite_.emplace(platform());
    suite_->settings().startUpFromCommandLine("ZelkoToday", 570, 1, "");
    suite_->settings().enterHomeScreenMode();
    widgets_.emplace(*suite_);
    power_.emplace(device().settings(), platform().registry(), dir() / "device" / "fs");
    setClock("2026-03-24 09:05");
  }

  Widgets& widgets() { return *widgets_; }
  Settings& settings() { return suite_->settings(); }
  void ini(const std::string& text) { settings().suiteIni().parse(text); }
  void setClock(const std::string& local) {
    ASSERT_TRUE(device().deviceClock().setLocal(*platform::parseIsoDateTime(local)).ok());
  }
  void setBattery(uint8_t percent, bool ac = false) {
    ASSERT_TRUE(power_->setBattery(percent, ac).ok());
  }
  void setNumber(Root root, const std::string& key, const std::string& name, uint32_t n) {
    ASSERT_TRUE(platform().registry().setValue(root, key, name, RegValue::Dword(n)).ok());
  }
  // A page value as text ("" when missing); an image path by its file name.
  std::string text(std::string_view page, std::string_view name) {
    return suite_->values().readText(page, name);
  }
  std::string image(std::string_view page, std::string_view name) {
    std::string path = text(page, name);
    return path.substr(path.rfind('\\') + 1);
  }
  uint32_t number(std::string_view page, std::string_view name) {
    return suite_->values().readNumber(page, name);
  }
  // Launches since the test began whose program or parameters contain `what`.
  int launches(const std::string& what) {
    int n = 0;
    for (const std::string& e : journalEvents("launch")) n += e.find(what) != std::string::npos;
    return n;
  }
  void writeInstalledFile(const std::string& relative, const std::string& content) {
    ASSERT_TRUE(platform().files().writeFile(settings().installPath(relative), content).ok());
  }

  std::optional<Suite> suite_;
  std::optional<Widgets> widgets_;
  std::optional<platform::sim::SimPower> power_;
};

TEST_F(WidgetTest, TimeDigitsHandsAndAmPm) {
  ini("[ZelkoToday]\ntime=H:mm\nhour=12\n");
  widgets().time();
  EXPECT_EQ(text("CondensedPage", "Time"), "9:05");
  EXPECT_EQ(image("Page1", "H1"), "null.png");
  EXPECT_EQ(image("Page1", "H2"), "c9.png");
  EXPECT_EQ(image("Page1", "M2"), "c5.png");
  EXPECT_EQ(image("Page1", "AMPM"), "am.png");
  EXPECT_EQ(image("Page1", "HA"), "h_9.png");
  EXPECT_EQ(number("", "isNight"), 0u);
  EXPECT_EQ(text("Page1", "TimeO"), "");  // no second clock without an offset

  setClock("2026-03-24 12:00");
  widgets().time();
  EXPECT_EQ(image("CondensedPage", "AMPM"), "pm.png");
  setClock("2026-03-24 20:00");
  ini("[ZelkoToday]\ntime=HH:mm\n");
  widgets().time();
  EXPECT_EQ(image("Page1", "H1"), "c2.png");
  EXPECT_EQ(image("Page1", "AMPM"), "null.png");
  EXPECT_EQ(number("", "isNight"), 1u);

  // A picture without a colon has no minutes part: its digits show blank.
  ini("[ZelkoToday]\ntime=HH\n");
  widgets().time();
  EXPECT_EQ(image("Page1", "H1"), "c2.png");
  EXPECT_EQ(image("Page1", "M1"), "null.png");
  EXPECT_EQ(image("Page1", "M2"), "null.png");
}

TEST_F(WidgetTest, SecondClockOffsets) {
  ini("[ZelkoToday]\nhour=12\n[Offset]\noffset=-1:30\ncity=Azores\n");
  widgets().time();
  EXPECT_EQ(text("Page1", "TimeO"), "07:35");
  EXPECT_EQ(image("Page1", "H1O"), "c0.png");
  EXPECT_EQ(image("Page1", "HAO"), "h_7.2.png");
  EXPECT_EQ(text("Page1", "CityO"), "Azores");
  EXPECT_EQ(image("Page1", "AMPMO"), "am.png");
  EXPECT_EQ(text("CondensedPage", "AMPMO"), "");  // the second clock is on Page1 only

  // "-0" hours are not negative: the half hour is added.
  ini("[Offset]\noffset=-0:30\n");
  widgets().time();
  EXPECT_EQ(text("Page1", "TimeO"), "09:35");
  ini("[Offset]\noffset=15\n");
  widgets().time();
  EXPECT_EQ(text("Page1", "TimeO"), "00:05");
}

TEST_F(WidgetTest, TimeRunsTheSchedulerHookOfItsMinuteAndItsNotifyHook) {
  ini("[Scheduler]\n09:05=\\Windows\\sched.exe;now\n09:06=\\Windows\\sched.exe;later\n"
      "[Notify]\nZelkoTodayTime=\\Windows\\hook.exe;time\n");
  widgets().time();
  EXPECT_EQ(launches("\"params\":\"now\""), 1);
  EXPECT_EQ(launches("\"params\":\"later\""), 0);
  EXPECT_EQ(launches("\"params\":\"time\""), 1);
  // The minute also refreshes the battery and memory.
  EXPECT_NE(text("Page1", "BattVal"), "");
  EXPECT_NE(text("Page1", "RamPercent"), "");
}

TEST_F(WidgetTest, BatteryThresholdFromTheIniAndNoReading) {
  setBattery(9);
  widgets().battery();
  EXPECT_EQ(number("", "isBatteryVeryCritical"), 1u);
  EXPECT_EQ(launches("ZelkoComm.exe\",\"params\":\"-bt:off -wifi:off\""), 1);
  ini("[Battery]\ncritical=5\naction=\\Windows\\radio.exe;-off\n");
  widgets().battery();
  EXPECT_EQ(number("", "isBatteryVeryCritical"), 0u);
  setBattery(4);
  widgets().battery();
  EXPECT_EQ(launches("ZelkoComm.exe"), 1);
  EXPECT_EQ(launches("radio.exe\",\"params\":\"-off\""), 1);

  setBattery(platform::kNoBatteryReading);
  widgets().battery();
  EXPECT_EQ(text("Page1", "BattVal"), "255%");
  EXPECT_EQ(image("Page1", "BattPNG"), "battery_full.png");
  EXPECT_EQ(number("", "isBatteryCritical20"), 0u);
  EXPECT_EQ(number("", "isBatteryVeryCritical"), 0u);
}

// Each battery run tells each watcher of a value once per change of it, in the order of
// the writes, and runs the battery hook only when the level or its image changed.
TEST_F(WidgetTest, BatteryChangesAreHeardOnceAndTheHookFollowsThem) {
  std::vector<std::string> heard;
  auto watch = [&](std::string_view page, const std::string& name) {
    auto h = platform().notifications().registerCallback(
        {Root::kLocalMachine, host::pageKey(page), name}, [&heard, name] { heard.push_back(name); });
    ASSERT_TRUE(h.ok()) << h.status().message();
  };
  watch("Page1", "BattVal");
  watch("Page1", "BattPNG");
  watch("", "Updated");
  // The changes of a run are queued by its end, and one pump delivers them all.
  auto run = [&] {
    heard.clear();
    widgets().battery();
    platform().windows().pumpMessages(std::chrono::milliseconds(0));
    return heard;
  };
  using Heard = std::vector<std::string>;
  // The first run: the level, its image and the two update brackets (the summary's too).
  setBattery(50);
  EXPECT_EQ(run(), (Heard{"Updated", "BattVal", "BattPNG", "Updated", "Updated", "Updated"}));
  EXPECT_EQ(text("Page1", "BattVal"), "50%");
  // Another level with the same image; then nothing new but the brackets.
  setBattery(51);
  EXPECT_EQ(run(), (Heard{"Updated", "BattVal", "Updated", "Updated", "Updated"}));
  EXPECT_EQ(run(), (Heard{"Updated", "Updated", "Updated", "Updated"}));
  EXPECT_EQ(launches("\"params\":\"batt\""), 0);

  ini("[Notify]\nZelkoTodayBatt=\\Windows\\hook.exe;batt\n");
  widgets().battery();  // nothing changed since the last run
  EXPECT_EQ(launches("\"params\":\"batt\""), 0);
  setBattery(52);
  widgets().battery();
  EXPECT_EQ(launches("\"params\":\"batt\""), 1);
  setBattery(52, true);  // the same level on the mains: another image
  widgets().battery();
  EXPECT_EQ(launches("\"params\":\"batt\""), 2);
  widgets().battery();
  EXPECT_EQ(launches("\"params\":\"batt\""), 2);
}

TEST_F(WidgetTest, OperatorAndRadioImagesFromMissingAndSetValues) {
  const std::string hardware = "System\\State\\Hardware", phone = "System\\State\\Phone";
  widgets().operatorName();
  EXPECT_EQ(text("Page1", "OperatorName"), "No Service");
  EXPECT_EQ(text("Page1", "HeaderText"), "No Service");
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, phone, "Current Operator Name",
                                             RegValue::Text("Orange F")).ok());
  widgets().operatorName();
  EXPECT_EQ(text("CondensedPage", "OperatorName"), "Orange F");

  // Missing values read as 0.
  auto runRadios = [&] {
    widgets().cradle();
    widgets().data();
    widgets().networkMode();
    widgets().bluetooth();
    widgets().cellular();
    return image("Page1", "ActiveSyncPNG") + " " + image("Page1", "DataPNG") + " " + image("Page1", "3GPNG") +
           " " + image("Page1", "BlueToothPNG") + " " + image("CondensedPage", "CellularPNG");
  };
  EXPECT_EQ(runRadios(), "activesync_d.png data_d.png 3G_e.png bluetooth_g.png cellular_u.png");
  setNumber(Root::kLocalMachine, hardware, "Cradled", 1);
  setNumber(Root::kLocalMachine, phone, "Status", 0x1010);
  setNumber(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode", 1);
  EXPECT_EQ(runRadios(), "activesync_e.png data_e.png 3G_d.png bluetooth_g.png cellular_d.png");
}

TEST_F(WidgetTest, CountersAndTheirTotal) {
  const std::string sms = "System\\State\\Messages\\SMS\\Unread";
  setNumber(Root::kCurrentUser, sms, "Count", 2);
  widgets().counter(Counter::kSms);
  EXPECT_EQ(image("Page1", "SmsPNG"), "sms_e.png");
  EXPECT_EQ(image("Page1", "SmsPuce"), "vert.png");
  EXPECT_EQ(text("CondensedPage", "Sms"), "2");
  EXPECT_EQ(text("Page1", "Total"), "2");
  EXPECT_EQ(image("Page1", "TotalPNG"), "total_sms.png");
  // The text-message provider is asked for its listing first.
  EXPECT_EQ(launches("ZelkoSms.exe\",\"params\":\"-zelkotoday\""), 1);

  // Its unread image replaces the total's notify image while anything is unread.
  ASSERT_TRUE(suite_->values().writeText("Page4", "UnreadPNG", "\\x\\unread.png"));
  setNumber(Root::kCurrentUser, "System\\State\\Phone", "Missed Call Count", 1);
  setNumber(Root::kCurrentUser, sms, "Count", 0);
  setNumber(Root::kCurrentUser, "System\\State\\Messages\\TotalEmail\\Unread", "Count", 1);
  widgets().counter(Counter::kEmail);
  EXPECT_EQ(text("Page1", "Total"), "2");
  EXPECT_EQ(image("Page1", "TotalPNG"), "total_e.png");
  EXPECT_EQ(image("Page1", "TotalPuce"), "bleu.png");
  EXPECT_EQ(image("Page1", "TotalNotify"), "unread.png");

  setNumber(Root::kCurrentUser, "System\\State\\Messages\\TotalEmail\\Unread", "Count", 0);
  widgets().total();
  EXPECT_EQ(image("Page1", "TotalPNG"), "total_tel.png");
  EXPECT_EQ(image("Page1", "TotalPuce"), "rouge.png");

  setNumber(Root::kCurrentUser, "System\\State\\Phone", "Missed Call Count", 0);
  widgets().counter(Counter::kMissedCalls);
  // Nothing unread: blank on the page, zero and grey on the condensed one.
  EXPECT_EQ(text("Page1", "Tel"), "");
  EXPECT_EQ(image("Page1", "TelPuce"), "null.png");
  EXPECT_EQ(text("CondensedPage", "Tel"), "0");
  EXPECT_EQ(image("CondensedPage", "TelPuce"), "gris.png");
  EXPECT_EQ(image("Page1", "TotalNotify"), "total_d.png");
}

TEST_F(WidgetTest, MemoryStorageAndSummary) {
  ini("[Notify]\nZelkoTodayMem=\\Windows\\hook.exe;mem\n");
  ASSERT_TRUE(power_->setMemory(70, 2048, 614).ok());
  ASSERT_TRUE(power_->setStorage(1000, 250).ok());
  setBattery(80);
  widgets().battery();
  widgets().memory();
  EXPECT_EQ(text("Page1", "RamPercent"), "70%");
  EXPECT_EQ(number("Page1", "RamFree"), 614u);
  EXPECT_EQ(text("Page1", "RomPercent"), "75%");
  EXPECT_EQ(number("Page1", "RomSize"), 1000u);
  EXPECT_EQ(text("Page1", "SystemVal"), "80%\n70%");
  EXPECT_EQ(image("Page1", "SystemPNG"), "BhRh.png");
  EXPECT_EQ(launches("\"params\":\"mem\""), 1);
  widgets().memory();  // unchanged: no hook
  EXPECT_EQ(launches("\"params\":\"mem\""), 1);

  ASSERT_TRUE(power_->setMemory(90, 2048, 204).ok());
  widgets().memory();
  EXPECT_EQ(image("Page1", "SystemPNG"), "BhRl.png");
  EXPECT_EQ(launches("\"params\":\"mem\""), 2);
  setBattery(15);
  widgets().battery();
  EXPECT_EQ(image("Page1", "SystemPNG"), "BlRl.png");

  // A store too small to hold a kilobyte shows as unused rather than dividing by zero.
  ASSERT_TRUE(power_->setStorage(0, 0).ok());
  widgets().memory();
  EXPECT_EQ(text("Page1", "RomPercent"), "0%");
}

TEST_F(WidgetTest, DateTextsNotesAndProviders) {
  widgets().date();
  EXPECT_EQ(text("Page1", "Date0"), "Tue 24 Mar");
  EXPECT_EQ(text("CondensedPage", "Date1"), "Tuesday 24 March");
  EXPECT_EQ(text("Page2", "DateUser2"), "Tuesday 24 Mar");
  EXPECT_EQ(text("Page5", "Private"), "");
  EXPECT_EQ(image("Page5", "IconA"), "null.png");
  EXPECT_EQ(text("Page1", "DateSaint"), "");
  EXPECT_EQ(launches("ZelkoContacts.exe\",\"params\":\"-zelkotoday\""), 1);
  EXPECT_EQ(launches("ZelkoCalendar.exe\",\"params\":\"-max:5 -days:30 -zelkotoday\""), 1);
  EXPECT_EQ(launches("ZelkoMeteo.exe"), 0);  // no saint's-day file

  writeInstalledFile("Private.txt", "24/03 Dentist\r\n25/03 Later\r\n24/03 Call Ann");
  widgets().date();
  EXPECT_EQ(text("Page5", "LabelA"), "Dentist\nCall Ann");
  EXPECT_EQ(image("Page5", "PrivatePNG"), "Private.png");
}

TEST_F(WidgetTest, AnimationFlipsTheMinuteDigit) {
  ini("[Animation]\nsleep=1\nimage=flip\nnb=3\n");
  setClock("2026-03-24 09:07");
  widgets().animation(7);
  EXPECT_EQ(image("Page1", "M2"), "c7.png");  // written halfway through the flip
  EXPECT_EQ(image("Page1", "BG"), "bg.png");
  ini("[Animation]\nsleep=1\n");
  widgets().animation(4);
  EXPECT_EQ(image("Page1", "M2"), "c4.png");  // the digit counted up from 0
}

}  // namespace
}  // namespace zelko::engine
