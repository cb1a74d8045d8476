// The radios as a user meets them: switched with zelko-device radio or by the radio
// switcher ZelkoComm the engine starts, with the running engine's images following each
// change through the state values alone. (Each switcher option is tried in
// comm_switcher_test.)
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/suite_fixture.h"

namespace zelko::testing {
namespace {

const char kRadiosIdle[] = "phone\ton\nwifi\toff\nbluetooth\toff\nline\tpresent\nlibrary\tpresent\n";

class RadioEndToEnd : public SuiteEndToEnd {
 protected:
  std::string radio() {
    std::string out;
    EXPECT_EQ(tool({"radio"}, &out), 0);
    return out;
  }
  std::string state(const std::string& key, const std::string& name) {
    std::string out;
    return tool({"reg", "get", "HKLM", key, name}, &out) == 0 ? out.substr(0, out.size() - 1) : "<missing>";
  }
};

// How the engine shows each state value is tried in engine_e2e_test; here, the tool's own
// output, the values it writes, and the one image that follows the line.
TEST_F(RadioEndToEnd, TheDeviceToolSwitchesRadiosAndTheEngineFollows) {
  EXPECT_EQ(radio(), kRadiosIdle);
  using Step = std::tuple<std::string, std::string, std::string, std::string>;
  for (const auto& [which, to, name, value] : {Step{"wifi", "connected", "WiFi", "19"}, Step{"wifi", "off", "WiFi", "1"},
                                               Step{"bluetooth", "discoverable", "Bluetooth", "11"}}) {
    ASSERT_EQ(tool({"radio", "set", which, to}), 0);
    EXPECT_EQ(state("System\\State\\Hardware", name), value) << which << " " << to;
  }
  startEngine();
  // Without its line the phone is off and stays so.
  ASSERT_EQ(tool({"radio", "line", "absent"}), 0);
  EXPECT_EQ(shows("Page1", "CellularPNG", "cellular_d.png"), "cellular_d.png");
  EXPECT_EQ(tool({"radio", "set", "phone", "on"}), 1);
  EXPECT_EQ(radio(), "phone\toff\nwifi\toff\nbluetooth\tdiscoverable\nline\tabsent\nlibrary\tpresent\n");
  ASSERT_EQ(tool({"radio", "line", "present"}), 0);
  EXPECT_EQ(shows("Page1", "CellularPNG", "cellular_3G.png"), "cellular_3G.png");
  EXPECT_EQ(shows("CondensedPage", "OperatorName", "Zelko Mobile"), "Zelko Mobile");
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

// The engine starts ZelkoComm, which switches the radios off in a process of its own.
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
