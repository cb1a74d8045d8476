#include "device/phone_defaults.h"

#include <string>
#include <utility>
#include <vector>

namespace zelko::device {
namespace {

using platform::RegValue;
using platform::Root;

struct StateValue {
  Root root;
  const char* key;
  const char* name;
  RegValue value;
};

// An idle phone: on battery, the radio on and registered, Wi-Fi and Bluetooth off,
// nothing unread, no alarm.
std::vector<StateValue> idleState() {
  const Root lm = Root::kLocalMachine, cu = Root::kCurrentUser;
  return {
      {lm, "System\\State\\Battery", "Main", RegValue::Dword(100)},
      {lm, "System\\State\\Phone", "Current Operator Name", RegValue::Text("Zelko Mobile")},
      {lm, "System\\State\\Phone", "Status", RegValue::Dword(0)},
      {lm, "System\\State\\Phone", "Cellular System Available", RegValue::Dword(0x10)},
      {lm, "System\\State\\Hardware", "Cradled", RegValue::Dword(0)},
      {lm, "System\\State\\Hardware", "WiFi", RegValue::Dword(1)},
      {lm, "System\\State\\Hardware", "Bluetooth", RegValue::Dword(8)},
      {lm, "Software\\OEM\\UMTS", "OpMode", RegValue::Dword(0)},
      {cu, "System\\State\\Messages\\SMS\\Unread", "Count", RegValue::Dword(0)},
      {cu, "System\\State\\Messages\\TotalEmail\\Unread", "Count", RegValue::Dword(0)},
      {cu, "System\\State\\Messages\\Voicemail\\Unread", "Count", RegValue::Dword(0)},
      {cu, "System\\State\\Phone", "Missed Call Count", RegValue::Dword(0)},
      {cu, "System\\State\\Appointments", "Current", RegValue::Text("")},
  };
}

std::string orderElement() {
  return std::string("<Plugins Order=\"") + kDefaultPluginOrder + "\" CPRFileName=\"" +
         kLayoutBaseName + "\" />";
}

// A layout in the home screen's own text form: a form with the list view and, for each
// plugin, an expanded and a condensed layer.
std::string layoutFile(int width, int height) {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  out += "<Form Width=\"" + std::to_string(width) + "\" Height=\"" + std::to_string(height) + "\">\r\n";
  out += "  <TitaniumListView ID=\"ListView\" X=\"0\" Y=\"0\" Width=\"" + std::to_string(width) +
         "\" Height=\"" + std::to_string(height) + "\">\r\n";
  std::string order = kDefaultPluginOrder;
  for (size_t i = 0; i <= order.size();) {
    size_t end = order.find(';', i);
    if (end == std::string::npos) end = order.size();
    std::string name = order.substr(i, end - i);
    i = end + 1;
    if (name == "ZelkoToday") continue;  // the suite's setup tool adds its own layers
    out += "    <Layer ID=\"" + name + "Expanded\" Height=\"" + std::to_string(height / 2) + "\">\r\n";
    out += "      <Image Source=\"\\Windows\\" + name + ".png\" />\r\n";
    out += "    </Layer>\r\n";
    out += "    <Layer ID=\"" + name + "Condensed\" Height=\"" + std::to_string(height / 10) + "\">\r\n";
    out += "      <Text Value=\"" + name + "\" />\r\n";
    out += "    </Layer>\r\n";
  }
  out += "  </TitaniumListView>\r\n</Form>\r\n";
  return out;
}

}  // namespace

platform::Status writePhoneDefaults(platform::Platform& platform, int width, int height) {
  auto& reg = platform.registry();
  const char* chome = "Software\\Microsoft\\CHome";
  std::string plugins = kDefaultPluginOrder;
  struct {
    const char* name;
    RegValue value;
  } home[] = {
      {"Enabled", RegValue::Dword(1)},
      {"ExtensibilityXML", RegValue::Text(orderElement())},
      {"DefaultXML", RegValue::Text(orderElement())},
      {"Plugins", RegValue::Text(plugins)},
      {"CPRFile", RegValue::Text(kLayoutBaseName)},
  };
  for (auto& v : home) {
    platform::Status s = reg.setValue(Root::kLocalMachine, chome, v.name, v.value);
    if (!s.ok()) return s;
  }
  for (auto& v : idleState()) {
    platform::Status s = reg.setValue(v.root, v.key, v.name, v.value);
    if (!s.ok()) return s;
  }
  // One layout file for each orientation, named after the screen size.
  for (auto [w, h] : {std::pair{width, height}, std::pair{height, width}}) {
    std::string layout = "\\Windows\\" + std::string(kLayoutBaseName) + "_" + std::to_string(w) +
                         "x" + std::to_string(h) + ".cpr";
    platform::Status s = platform.files().writeFile(layout, layoutFile(w, h));
    if (!s.ok()) return s;
  }
  return platform::Status::Ok();
}

}  // namespace zelko::device
