// The operator name and the images of the cradle, data connection, network mode,
// cellular technology, Bluetooth and Wi-Fi. Each re-reads its state value and writes
// Page1 and the condensed page.
#include <optional>
#include <string>

#include "ZelkoWinToday/widget_images.h"
#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"

namespace zelko::engine {
namespace {

using platform::Root;

constexpr std::string_view kPhoneKey = "System\\State\\Phone";
constexpr std::string_view kHardwareKey = "System\\State\\Hardware";

}  // namespace

void Widgets::writeStatusImage(std::string_view name, std::string_view file) {
  std::string path = image(WidgetKind::kSys, file);
  suite_.values().writeText(host::kPage1, name, path);
  suite_.values().writeText(host::kCondensedPage, name, path);
}

void Widgets::operatorName() {
  std::string name = suite_.regReadText(Root::kLocalMachine, kPhoneKey, "Current Operator Name");
  if (name.empty()) name = iniText("ZelkoToday", "NOOPE", "No Service");
  {
    UpdateBracket bracket(suite_.values());
    suite_.values().writeText(host::kPage1, "OperatorName", name);
    suite_.values().writeText(host::kPage1, "HeaderText", name);
    suite_.values().writeText(host::kCondensedPage, "OperatorName", name);
  }
  notify(kNotifyOperator);
}

void Widgets::cradle() {
  bool cradled = suite_.regReadNumber(Root::kLocalMachine, kHardwareKey, "Cradled") != 0;
  {
    UpdateBracket bracket(suite_.values());
    writeStatusImage("ActiveSyncPNG", cradled ? "activesync_e.png" : "activesync_d.png");
  }
  notify(kNotifyCradle);
}

void Widgets::data() {
  bool connected = suite_.regReadNumber(Root::kLocalMachine, kPhoneKey, "Status") & 0x1000;
  {
    UpdateBracket bracket(suite_.values());
    writeStatusImage("DataPNG", connected ? "data_e.png" : "data_d.png");
  }
  notify(kNotifyData);
}

void Widgets::networkMode() {
  uint32_t mode = suite_.regReadNumber(Root::kLocalMachine, "Software\\OEM\\UMTS", "OpMode");
  {
    UpdateBracket bracket(suite_.values());
    writeStatusImage("3GPNG", mode == 0 || mode == 2 ? "3G_e.png" : "3G_d.png");
  }
  notify(kNotifyNetworkMode);
}

void Widgets::cellular() {
  uint32_t available = suite_.regReadNumber(Root::kLocalMachine, kPhoneKey, "Cellular System Available");
  uint32_t status = suite_.regReadNumber(Root::kLocalMachine, kPhoneKey, "Status");
  {
    UpdateBracket bracket(suite_.values());
    writeStatusImage("CellularPNG", cellularImage(available, status));
  }
  notify(kNotifyCellular);
}

void Widgets::bluetooth() {
  uint32_t value = suite_.regReadNumber(Root::kLocalMachine, kHardwareKey, "Bluetooth");
  {
    UpdateBracket bracket(suite_.values());
    writeStatusImage("BlueToothPNG", bluetoothImage(value));
  }
  notify(kNotifyBluetooth);
}

void Widgets::wifi() {
  uint32_t value = suite_.regReadNumber(Root::kLocalMachine, kHardwareKey, "WiFi");
  {
    UpdateBracket bracket(suite_.values());
    // Values between the listed ones are passing states: the image stays as it was.
    if (std::optional<std::string_view> file = wifiImage(value)) writeStatusImage("WiFiPNG", *file);
  }
  notify(kNotifyWifi);
}

}  // namespace zelko::engine
