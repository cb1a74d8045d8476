// The device's radios: each change shows in the state values the phone keeps, the line's
// network comes back with its service, and a missing line or library is said so.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/sim/sim_radios.h"
#include "tests/unit/device_fixture.h"

namespace zelko::platform::sim {
namespace {

constexpr char kHardware[] = "System\\State\\Hardware";

class SimRadiosTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    set(kPhoneStateKey, "Current Operator Name", RegValue::Text("Zelko Mobile"));
    set(kPhoneStateKey, "Cellular System Available", RegValue::Dword(0x41));
  }
  void set(const char* key, const char* name, const RegValue& value) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, key, name, value).ok());
  }
  // A value as text, DWORDs in decimal; "<missing>" when there is none.
  std::string value(const char* key, const char* name) {
    auto v = platform().registry().getValue(Root::kLocalMachine, key, name);
    if (!v.ok()) return "<missing>";
    return v->type == ValueType::kDword ? std::to_string(v->dword) : v->text;
  }
  std::string status() { return value(kPhoneStateKey, kPhoneStatusName); }
  Radios& radios() { return platform().radios(); }
  // The device tool's handle on the same radios.
  SimRadios tool() {
    return SimRadios(device().settings(), platform().registry(), device().journal(), device().connections());
  }
  int listed(WirelessKind kind) {
    auto list = radios().wirelessDevices();
    if (!list.ok()) return -1;
    for (const WirelessDevice& d : *list) {
      if (d.kind == kind) return d.state;
    }
    return -2;
  }
};

// The state values of each step are tried end to end in radio_e2e_test; here, what only
// the interface shows.
TEST_F(SimRadiosTest, WifiAndBluetoothShowInTheirStateValues) {
  ASSERT_TRUE(radios().setWirelessState(WirelessKind::kBluetooth, kBluetoothDiscoverable).ok());
  EXPECT_EQ(value(kHardware, "Bluetooth"), "11");
  EXPECT_EQ(listed(WirelessKind::kBluetooth), kBluetoothDiscoverable);
  // Connected to a network, Wi-Fi is still just on in the device list, and switching it
  // on again keeps the connection.
  SimRadios device = tool();
  ASSERT_TRUE(device.setWifi(WifiState::kConnected).ok());
  EXPECT_EQ(listed(WirelessKind::kWifi), kWirelessOn);
  ASSERT_TRUE(radios().setWirelessState(WirelessKind::kWifi, kWirelessOn).ok());
  EXPECT_EQ(value(kHardware, "WiFi"), "19");
  ASSERT_TRUE(radios().setWirelessState(WirelessKind::kWifi, kWirelessOff).ok());
  EXPECT_EQ(value(kHardware, "WiFi"), "1");
  EXPECT_EQ(device.state().wifi, WifiState::kOff);

  EXPECT_EQ(radios().setWirelessState(WirelessKind::kWifi, kBluetoothDiscoverable).code(), Status::Code::kInvalid);
  EXPECT_EQ(radios().setWirelessState(WirelessKind::kPhone, kWirelessOff).code(), Status::Code::kUnsupported);
  EXPECT_EQ(journalEvents("radio").size(), 3u);
}

TEST_F(SimRadiosTest, ThePhoneOffLosesItsNetworkAndGetsItBackWithService) {
  set(kPhoneStateKey, kPhoneStatusName, RegValue::Dword(kPhoneStatusDataConnection | 0x200));
  ASSERT_TRUE(radios().unregisterFromNetwork().ok());
  EXPECT_EQ(status(), std::to_string(0x1220));  // on, without service
  EXPECT_EQ(value(kPhoneStateKey, "Current Operator Name"), "");
  ASSERT_TRUE(radios().setEquipmentState(kEquipmentNoTransmitReceive).ok());
  EXPECT_EQ(status(), std::to_string(0x1210));  // off; the other bits stay
  EXPECT_EQ(radios().equipmentState().value(), kEquipmentNoTransmitReceive);
  EXPECT_EQ(listed(WirelessKind::kPhone), kWirelessOff);
  // Someone names another network meanwhile: the one the line had comes back with it.
  set(kPhoneStateKey, "Current Operator Name", RegValue::Text("Roaming"));
  ASSERT_TRUE(radios().setEquipmentState(kEquipmentFull).ok());
  EXPECT_EQ(status(), std::to_string(0x1220));
  ASSERT_TRUE(radios().registerOnNetwork().ok());
  EXPECT_EQ(status(), std::to_string(0x1200));
  EXPECT_EQ(value(kPhoneStateKey, "Current Operator Name"), "Zelko Mobile");
  EXPECT_EQ(value(kPhoneStateKey, "Cellular System Available"), std::to_string(0x41));
  EXPECT_EQ(listed(WirelessKind::kPhone), kWirelessOn);
  EXPECT_EQ(radios().setEquipmentState(6).code(), Status::Code::kInvalid);
}

TEST_F(SimRadiosTest, AMissingLineOrLibraryIsSaidAndChangesNothing) {
  SimRadios device = tool();
  ASSERT_TRUE(device.setLinePresent(false).ok());
  EXPECT_EQ(status(), std::to_string(kPhoneStatusRadioOff));
  EXPECT_EQ(value(kPhoneStateKey, "Current Operator Name"), "");
  EXPECT_EQ(radios().equipmentState().status().code(), Status::Code::kNotFound);
  EXPECT_EQ(radios().setEquipmentState(kEquipmentFull).code(), Status::Code::kNotFound);
  EXPECT_EQ(radios().registerOnNetwork().code(), Status::Code::kNotFound);
  EXPECT_EQ(device.setPhone(true).code(), Status::Code::kNotFound);
  EXPECT_EQ(listed(WirelessKind::kPhone), -2);
  ASSERT_TRUE(device.setLinePresent(true).ok());
  EXPECT_EQ(value(kPhoneStateKey, "Current Operator Name"), "Zelko Mobile");

  ASSERT_TRUE(device.setLibraryPresent(false).ok());
  EXPECT_EQ(radios().wirelessDevices().status().code(), Status::Code::kUnsupported);
  EXPECT_EQ(radios().setWirelessState(WirelessKind::kWifi, kWirelessOn).code(), Status::Code::kUnsupported);
  EXPECT_EQ(value(kHardware, "WiFi"), "<missing>");
  // The phone's own settings still switch it.
  ASSERT_TRUE(device.setBluetooth(BluetoothState::kOn).ok());
  EXPECT_EQ(value(kHardware, "Bluetooth"), "9");
  EXPECT_EQ(journalEvents("radio").size(), 4u);  // the line twice, the library, Bluetooth
}

}  // namespace
}  // namespace zelko::platform::sim
