// The radio switcher's option groups against a device whose clock only notes the waits:
// what each option switches, in which order, and what it leaves alone.
#include "ZelkoComm/switcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "common/suite.h"
#include "platform/sim/sim_connections.h"
#include "platform/sim/sim_radios.h"
#include "platform/testing/wrappers.h"
#include "tests/unit/device_fixture.h"

namespace zelko::comm {
namespace {

namespace pt = platform::testing;
using platform::RegValue;
using platform::Root;
using platform::sim::BluetoothState;
using platform::sim::WifiState;

class NotingClock : public pt::ClockWrapper {
 public:
  using ClockWrapper::ClockWrapper;
  void sleep(std::chrono::milliseconds d) override { waits.push_back(static_cast<int>(d.count())); }
  std::vector<int> waits;
};

class QuickPlatform : public pt::PlatformWrapper {
 public:
  explicit QuickPlatform(platform::Platform& target) : PlatformWrapper(target), clock_(target.clock()) {}
  platform::Clock& clock() override { return clock_; }
  NotingClock clock_;
};

class SwitcherTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    quick_ = std::make_unique<QuickPlatform>(platform());
    setState("Software\\OEM\\UMTS", "OpMode", RegValue::Dword(2));
  }
  platform::sim::SimRadios radios() {
    return platform::sim::SimRadios(device().settings(), platform().registry(), device().journal(),
                                    device().connections());
  }
  void setState(const char* key, const char* name, const RegValue& value) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, key, name, value).ok());
  }
  uint32_t number(Root root, const std::string& key, const char* name) {
    auto v = platform().registry().getValue(root, key, name);
    return v.ok() ? v->dword : 0xDEAD;
  }
  // Runs ZelkoComm with these arguments; the radio events it caused, "radio state" each.
  std::vector<std::string> comm(std::vector<std::string> args) {
    size_t before = journalEvents("radio").size();
    args.insert(args.begin(), "ZelkoComm.exe");
    Suite suite(*quick_);
    suite.settings().startUpEarlier(kCommProgram.name, kCommProgram.build, args);
    Switcher(suite).run();
    std::vector<std::string> out;
    auto events = journalEvents("radio");
    for (size_t i = before; i < events.size(); ++i) out.push_back(field(events[i], "radio") + " " + field(events[i], "state"));
    return out;
  }
  static std::string field(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":\"") + key.size() + 4;
    return json.substr(at, json.find('"', at) - at);
  }
  std::vector<int>& waits() { return quick_->clock_.waits; }

  std::unique_ptr<QuickPlatform> quick_;
};

using Events = std::vector<std::string>;

TEST_F(SwitcherTest, BluetoothCyclesAndTakesItsNamedStates) {
  EXPECT_EQ(comm({"-bt"}), Events{"bluetooth on"});
  EXPECT_EQ(comm({"-bt"}), Events{"bluetooth discoverable"});
  EXPECT_EQ(comm({"-bt"}), Events{"bluetooth off"});
  EXPECT_EQ(comm({"-bt:discoverable"}), Events{"bluetooth discoverable"});
  EXPECT_EQ(comm({"-bt:yes"}), Events{"bluetooth on"});
  EXPECT_EQ(comm({"-bt:on"}), Events{});
  EXPECT_EQ(comm({"-BT:off"}), Events{"bluetooth off"});
  // -bt2 knows on and off only: discoverable counts as not on.
  ASSERT_TRUE(radios().setBluetooth(BluetoothState::kDiscoverable).ok());
  EXPECT_EQ(comm({"-bt2"}), Events{"bluetooth on"});
  EXPECT_EQ(comm({"-bt2"}), Events{"bluetooth off"});
  // After -bt, -bt2 decides.
  EXPECT_EQ(comm({"-bt2:off", "-bt"}), Events{});
}

TEST_F(SwitcherTest, BluetoothAndWifiGoInOnePassBluetoothFirst) {
  ASSERT_TRUE(radios().setWifi(WifiState::kConnected).ok());
  ASSERT_TRUE(radios().setBluetooth(BluetoothState::kOn).ok());
  EXPECT_EQ(comm({"-wifi:off", "-bt:off"}), (Events{"bluetooth off", "wifi off"}));
  EXPECT_EQ(comm({"-wifi"}), Events{"wifi on"});
  EXPECT_EQ(comm({"-wifi"}), Events{"wifi off"});
  EXPECT_EQ(comm({"-wifi:off"}), Events{});
  EXPECT_EQ(comm({"-bt:on", "-wifi:on"}), (Events{"bluetooth on", "wifi on"}));
  EXPECT_TRUE(waits().empty());
}

TEST_F(SwitcherTest, ThePhoneTogglesAndSwitchesAsAsked) {
  EXPECT_EQ(comm({"-phone"}), (Events{"network unregistered", "phone off"}));
  EXPECT_EQ(comm({"-phone:off"}), Events{});
  EXPECT_EQ(comm({"-phone"}), (Events{"phone on", "network registered"}));
  EXPECT_EQ(comm({"-phone:whatever"}), Events{});
  EXPECT_EQ(comm({"-phone:off"}), (Events{"network unregistered", "phone off"}));
  EXPECT_EQ(comm({"-phone:on"}), (Events{"phone on", "network registered"}));
  // Only the first group runs: the phone, not Wi-Fi.
  EXPECT_EQ(comm({"-wifi", "-phone:off"}), (Events{"network unregistered", "phone off"}));
  EXPECT_EQ(comm({}), Events{});
  EXPECT_EQ(comm({"-nothing"}), Events{});
}

TEST_F(SwitcherTest, ThreeGCyclesTheRadioAroundTheModeChange) {
  EXPECT_EQ(comm({"-3G"}), (Events{"network unregistered", "phone off", "phone on", "network registered"}));
  EXPECT_EQ(number(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode"), 1u);
  EXPECT_EQ(waits(), (std::vector<int>{2000, 3000}));
  EXPECT_EQ(comm({"-3G:off"}), Events{});
  EXPECT_EQ(comm({"-3G:on"}), (Events{"network unregistered", "phone off", "phone on", "network registered"}));
  EXPECT_EQ(number(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode"), 2u);
  // A phone without a mode yet gets 3G; a phone that is off is left alone.
  ASSERT_TRUE(platform().registry().deleteValue(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode").ok());
  EXPECT_EQ(comm({"-3G"}).size(), 4u);
  EXPECT_EQ(number(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode"), 2u);
  ASSERT_TRUE(radios().setPhone(false).ok());
  waits().clear();
  EXPECT_EQ(comm({"-3G"}), Events{});
  EXPECT_EQ(number(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode"), 2u);
  EXPECT_TRUE(waits().empty());
}

TEST_F(SwitcherTest, DataHangsUpTheOneConnectionThatIsUp) {
  auto& net = device().connections();
  EXPECT_EQ(comm({"-data"}), Events{});
  ASSERT_TRUE(net.connectData().ok());
  ASSERT_TRUE(net.dial("Work").ok());
  comm({"-data"});
  EXPECT_EQ(net.active().size(), 2u) << "two do not fit the phone's enumeration";
  ASSERT_TRUE(net.hangUp("Work").ok());
  comm({"-data"});
  EXPECT_TRUE(net.active().empty());
  EXPECT_EQ(number(Root::kLocalMachine, "System\\State\\Phone", "Status") & 0x1000, 0u);

  ASSERT_TRUE(net.connectData().ok());
  ASSERT_TRUE(radios().setPhone(false).ok());
  comm({"-data"});
  EXPECT_EQ(net.active().size(), 1u) << "a phone that is off is left alone";
  // -restart hangs up whatever the phone's state, then brings the radio back.
  EXPECT_EQ(comm({"-restart"}), (Events{"phone on", "network registered"}));
  EXPECT_TRUE(net.active().empty());
  EXPECT_EQ(waits(), (std::vector<int>{3000, 250}));
}

TEST_F(SwitcherTest, FlightSwitchesEverythingOffAndThePhoneBack) {
  ASSERT_TRUE(radios().setWifi(WifiState::kOn).ok());
  ASSERT_TRUE(radios().setBluetooth(BluetoothState::kDiscoverable).ok());
  EXPECT_EQ(comm({"-flight"}), (Events{"bluetooth off", "wifi off", "network unregistered", "phone off"}));
  EXPECT_EQ(comm({"-flight"}), (Events{"phone on", "network registered"}));
  ASSERT_TRUE(radios().setWifi(WifiState::kOn).ok());
  EXPECT_EQ(comm({"-flight:on"}), Events{}) << "Wi-Fi stays as it is";
  EXPECT_EQ(comm({"-flight:off"}), (Events{"wifi off", "network unregistered", "phone off"}));
  EXPECT_EQ(comm({"-flight:off"}), Events{});
}

TEST_F(SwitcherTest, WithoutTheLibraryOrTheLineTheirGroupsDoNothing) {
  ASSERT_TRUE(radios().setLibraryPresent(false).ok());
  EXPECT_EQ(comm({"-bt"}), Events{});
  EXPECT_EQ(comm({"-flight:off"}), Events{});
  EXPECT_EQ(comm({"-phone:off"}), (Events{"network unregistered", "phone off"}));
  ASSERT_TRUE(radios().setLibraryPresent(true).ok());

  ASSERT_TRUE(radios().setLinePresent(false).ok());
  EXPECT_EQ(comm({"-phone"}), Events{});
  // Without a line the state reads as neither on nor off: -3G goes on, and only the mode
  // changes.
  EXPECT_EQ(comm({"-3G:off"}), Events{});
  EXPECT_EQ(number(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode"), 1u);
  EXPECT_EQ(comm({"-wifi"}), Events{"wifi on"});
}

TEST_F(SwitcherTest, StatusRecordsTheStateValuesUnderAFreshKey) {
  const std::string key = "Software\\Zelko\\Comm";
  ASSERT_TRUE(platform().registry().setValue(Root::kCurrentUser, key + "\\Other", "x", RegValue::Dword(1)).ok());
  setState("System\\State\\Phone", "Status", RegValue::Dword(0x1010));
  setState("System\\State\\Phone", "Cellular System Connected", RegValue::Dword(4));
  setState("System\\State\\ActiveSync", "Synchronizing", RegValue::Dword(1));
  ASSERT_TRUE(radios().setWifi(WifiState::kConnected).ok());
  EXPECT_EQ(comm({"-status", "-bt"}), Events{});
  EXPECT_TRUE(platform().registry().subKeys(Root::kCurrentUser, key).empty());
  auto text = platform().registry().getValue(Root::kCurrentUser, key, "operatorname");
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(text->text, "No Operator");
  EXPECT_EQ(number(Root::kCurrentUser, key, "data"), 1u);
  EXPECT_EQ(number(Root::kCurrentUser, key, "cellular"), 4u);
  EXPECT_EQ(number(Root::kCurrentUser, key, "activesync"), 1u);
  EXPECT_EQ(number(Root::kCurrentUser, key, "wifi"), 19u);
  EXPECT_EQ(number(Root::kCurrentUser, key, "bluetooth"), 0u);  // never set on this device
}

}  // namespace
}  // namespace zelko::comm
