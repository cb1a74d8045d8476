// The radios as a user meets them: switched with zelko-device radio or by the radio
// switcher ZelkoComm, with the running engine's images following each change through the
// state values alone. (Each switcher option is tried in comm_switcher_test.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/suite_fixture.h"

namespace zelko::testing {
namespace {

using Events = std::vector<std::string>;
const char kRadiosIdle[] = "phone\ton\nwifi\toff\nbluetooth\toff\nline\tpresent\nlibrary\tpresent\n";

class RadioEndToEnd : public SuiteEndToEnd {
 protected:
  std::string radio() {
    std::string out;
    EXPECT_EQ(tool({"radio"}, &out), 0);
    return out;
  }
  // Runs ZelkoComm; the radio events it caused.
  Events comm(const std::string& params) {
    size_t before = radioEvents().size();
    EXPECT_EQ(run("ZelkoComm", params), 0) << params;
    Events all = radioEvents();
    return Events(all.begin() + static_cast<long>(before), all.end());
  }
  std::string state(const std::string& key, const std::string& name) {
    std::string out;
    return tool({"reg", "get", "HKLM", key, name}, &out) == 0 ? out.substr(0, out.size() - 1) : "<missing>";
  }
};

TEST_F(RadioEndToEnd, TheDeviceToolSwitchesRadiosAndTheEngineFollows) {
  startEngine();
  EXPECT_EQ(radio(), kRadiosIdle);
  for (const auto& [which, to, image, file] : std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
           {"wifi", "connected", "WiFiPNG", "wifi_e.png"},
           {"wifi", "off", "WiFiPNG", "wifi_d.png"},
           {"bluetooth", "discoverable", "BlueToothPNG", "bluetooth_g.png"},
           {"phone", "off", "CellularPNG", "cellular_d.png"},
           {"phone", "on", "CellularPNG", "cellular_3G.png"}}) {
    ASSERT_EQ(tool({"radio", "set", which, to}), 0);
    EXPECT_EQ(shows("Page1", image, file), file) << which << " " << to;
    EXPECT_EQ(shows("CondensedPage", image, file), file) << which << " " << to;
  }
  EXPECT_EQ(state("System\\State\\Hardware", "WiFi"), "1");
  EXPECT_EQ(state("System\\State\\Hardware", "Bluetooth"), "11");
  EXPECT_EQ(shows("CondensedPage", "OperatorName", "Zelko Mobile"), "Zelko Mobile");

  // Without its line the phone is off and stays so.
  ASSERT_EQ(tool({"radio", "line", "absent"}), 0);
  EXPECT_EQ(shows("Page1", "CellularPNG", "cellular_d.png"), "cellular_d.png");
  EXPECT_EQ(tool({"radio", "set", "phone", "on"}), 1);
  EXPECT_EQ(radio(), "phone\toff\nwifi\toff\nbluetooth\tdiscoverable\nline\tabsent\nlibrary\tpresent\n");
  ASSERT_EQ(tool({"radio", "line", "present"}), 0);
  EXPECT_EQ(shows("Page1", "CellularPNG", "cellular_3G.png"), "cellular_3G.png");
}

TEST_F(RadioEndToEnd, BadRadioCommandsChangeNothing) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"radio", "set", "wifi", "discoverable"}, {"radio", "set", "bluetooth", "connected"},
        {"radio", "set", "phone", "maybe"}, {"radio", "set", "fm", "on"}, {"radio", "set", "wifi"},
        {"radio", "line", "gone"}, {"radio", "library"}, {"radio", "on"}, {"radio", "set", "wifi", "on", "now"}}) {
    std::string out;
    EXPECT_EQ(tool(args, &out), 2) << args[1] << " " << (args.size() > 2 ? args[2] : "");
    EXPECT_EQ(out, "");
  }
  EXPECT_EQ(radio(), kRadiosIdle);
  EXPECT_TRUE(radioEvents().empty());
}

TEST_F(RadioEndToEnd, TheSwitcherRunAsAProgramAndTheEngineShowingIt) {
  startEngine();
  EXPECT_EQ(comm("-bt2 -wifi"), (Events{"bluetooth on", "wifi on"}));
  EXPECT_EQ(shows("Page1", "BlueToothPNG", "bluetooth_e.png"), "bluetooth_e.png");
  EXPECT_EQ(shows("Page1", "WiFiPNG", "wifi_n.png"), "wifi_n.png");
  EXPECT_EQ(comm("-flight"), (Events{"bluetooth off", "wifi off", "network unregistered", "phone off"}));
  EXPECT_EQ(shows("Page1", "CellularPNG", "cellular_d.png"), "cellular_d.png");
  EXPECT_EQ(shows("Page1", "HeaderText", "No Service"), "No Service");
  EXPECT_EQ(comm("-flight"), (Events{"phone on", "network registered"}));
  EXPECT_EQ(shows("Page1", "OperatorName", "Zelko Mobile"), "Zelko Mobile");

  // The data connection the weather run dials, hung up from the panel.
  ASSERT_EQ(tool({"dialup", "connect", "Internet"}), 0);
  EXPECT_EQ(shows("Page1", "DataPNG", "data_e.png"), "data_e.png");
  comm("-data");
  EXPECT_EQ(shows("Page1", "DataPNG", "data_d.png"), "data_d.png");

  comm("-status");
  std::string out;
  ASSERT_EQ(tool({"reg", "dump", "HKCU", "Software\\Zelko\\Comm"}, &out), 0);
  EXPECT_EQ(out,
            "HKCU\\Software\\Zelko\\Comm\tactivesync\tREG_DWORD\t0\n"
            "HKCU\\Software\\Zelko\\Comm\tbluetooth\tREG_DWORD\t8\n"
            "HKCU\\Software\\Zelko\\Comm\tcellular\tREG_DWORD\t0\n"
            "HKCU\\Software\\Zelko\\Comm\tdata\tREG_DWORD\t0\n"
            "HKCU\\Software\\Zelko\\Comm\toperatorname\tREG_SZ\tZelko Mobile\n"
            "HKCU\\Software\\Zelko\\Comm\twifi\tREG_DWORD\t1\n");
}

TEST_F(RadioEndToEnd, ACriticalBatterySwitchesBluetoothAndWifiOff) {
  ASSERT_EQ(tool({"radio", "set", "wifi", "connected"}), 0);
  ASSERT_EQ(tool({"radio", "set", "bluetooth", "discoverable"}), 0);
  ASSERT_EQ(tool({"battery", "80", "--no-ac"}), 0);
  startEngine();
  ASSERT_EQ(tool({"battery", "5", "--no-ac"}), 0);
  EXPECT_EQ(shows("Page1", "WiFiPNG", "wifi_d.png"), "wifi_d.png");
  EXPECT_EQ(shows("Page1", "BlueToothPNG", "bluetooth_d.png"), "bluetooth_d.png");
  EXPECT_EQ(radio(), kRadiosIdle);
}

}  // namespace
}  // namespace zelko::testing
