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

// A layout in the home screen's own text form (see VARN_installer/README.md): the form
// holds the list view and then, in screen order, each plugin's block: the expanded layer,
// whose last child is the condensed layer. VARN_installer finds, replaces and removes
// plugins by exactly these lines.
std::string layoutFile(platform::ScreenSize size) {
  const std::string w = std::to_string(size.width), h = std::to_string(size.height);
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  out += "<Form Width=\"" + w + "\" Height=\"" + h + "\">\r\n";
  out += "  <TitaniumListView ID=\"ListView\" X=\"0\" Y=\"0\" Width=\"" + w + "\" Height=\"" + h + "\">\r\n";
  out += "    <Selection Color=\"#1E90FF\" />\r\n";
  out += "  </TitaniumListView>\r\n";
  std::string order = kDefaultPluginOrder;
  for (size_t i = 0; i <= order.size();) {
    size_t end = order.find(';', i);
    if (end == std::string::npos) end = order.size();
    std::string name = order.substr(i, end - i);
    i = end + 1;
    if (name == "ZelkoToday") continue;  // the suite installs its own layers
    out += "  <Layer ID=\"" + name + "Expanded\" Height=\"" + std::to_string(size.height / 2) + "\">\r\n";
    out += "    <Image Source=\"\\Windows\\" + name + ".png\" />\r\n";
    out += "    <Layer ID=\"" + name + "Condensed\" Height=\"" + std::to_string(size.height / 10) + "\">\r\n";
    out += "      <Text Value=\"" + name + "\" />\r\n";
    out += "    </Layer>\r\n";
    out += "  </Layer>\r\n";
  }
  out += "</Form>\r\n";
  return out;
}

std::string layoutPath(platform::ScreenSize size) {
  return "\\Windows\\" + std::string(kLayoutBaseName) + "_" + platform::screenSizeText(size) + ".cpr";
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
  return writeDefaultLayouts(platform.files(), {width, height});
}

platform::Status writeDefaultLayouts(platform::Files& files, platform::ScreenSize size) {
  for (platform::ScreenSize s : {size, platform::ScreenSize{size.height, size.width}}) {
    if (files.exists(layoutPath(s))) continue;
    platform::Status written = files.writeFile(layoutPath(s), layoutFile(s));
    if (!written.ok()) return written;
  }
  return platform::Status::Ok();
}

}  // namespace zelko::device
