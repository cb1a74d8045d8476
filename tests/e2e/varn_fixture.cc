#include "tests/e2e/varn_fixture.h"

#include "device/phone_defaults.h"

namespace zelko::testing {

using platform::RegValue;
using platform::Root;

void InstallerTest::SetUp() {
  EndToEndTest::SetUp();
  // What `zelko-device init` writes after making the device.
  ASSERT_TRUE(device::writePhoneDefaults(platform(), 480, 800).ok());
  ASSERT_EQ(tool({"install"}), 0);
}

void InstallerTest::runInstaller(const std::string& params) {
  ASSERT_EQ(tool({"exec", "--wait", kInstaller, params}), 0) << params;
}

namespace {
std::string valueText(const platform::Result<RegValue>& v) {
  if (!v.ok()) return "<missing>";
  return v->type == platform::ValueType::kDword ? std::to_string(v->dword) : v->text;
}
}  // namespace

std::string InstallerTest::status(const std::string& name) {
  return valueText(platform().registry().getValue(Root::kCurrentUser, kStatusKey, name));
}
std::string InstallerTest::home(const std::string& name) {
  return valueText(platform().registry().getValue(Root::kLocalMachine, kHomeKey, name));
}

void InstallerTest::setHome(const std::string& name, const std::string& text) {
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, name, RegValue::Text(text)).ok());
}

void InstallerTest::deleteHome(const std::string& name) {
  ASSERT_TRUE(platform().registry().deleteValue(Root::kLocalMachine, kHomeKey, name).ok());
}

std::string InstallerTest::readDeviceFile(const std::string& path) {
  auto text = platform().files().readFile(path);
  return text.ok() ? *text : "<missing>";
}

void InstallerTest::writeDeviceFile(const std::string& path, const std::string& text) {
  ASSERT_TRUE(platform().files().writeFile(path, text).ok()) << path;
}

std::vector<std::string> InstallerTest::blocksIn(const std::string& layoutPath) {
  std::vector<std::string> names;
  const std::string text = readDeviceFile(layoutPath);
  const std::string open = "<Layer ID=\"";
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
    size_t end = text.find("Expanded\"", at);
    if (end < text.find('\n', at)) names.push_back(text.substr(at + open.size(), end - at - open.size()));
  }
  return names;
}

std::string InstallerTest::order() {
  std::string xml = home("ExtensibilityXML");
  size_t open = xml.find('"');
  return xml.substr(open + 1, xml.find('"', open + 1) - open - 1);
}

std::string InstallerTest::writeDefinition(const std::string& name, int position, const std::string& tag,
                                           const std::vector<std::string>& sizes) {
  std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<plugin>\r\n\t<name>" + name +
                     "</name>\r\n\t<position>" + std::to_string(position) + "</position>\r\n\t<layouts>\r\n";
  for (const std::string& size : sizes) {
    std::string w = size.substr(0, size.find('x')), h = size.substr(size.find('x') + 1);
    text += "\t\t<layout screenWidth=\"" + w + "\" screenHeight=\"" + h + "\">\r\n"
            "\t\t\t<Layer ID=\"" + name + "Expanded\" Height=\"200\">\r\n"
            "\t\t\t\t<Text Value=\"" + name + " " + size + tag + "\" />\r\n"
            "\t\t\t\t<Layer ID=\"" + name + "Condensed\" Height=\"40\">\r\n"
            "\t\t\t\t\t<Text Value=\"" + name + "\" />\r\n"
            "\t\t\t\t</Layer>\r\n"
            "\t\t\t</Layer>\r\n"
            "\t\t</layout>\r\n";
  }
  text += "\t</layouts>\r\n</plugin>\r\n";
  std::string path = "\\" + name + ".plg";
  writeDeviceFile(path, text);
  return path;
}

std::vector<std::string> InstallerTest::dialogs() {
  std::vector<std::string> texts;
  const std::string key = "\"text\":\"";
  for (const std::string& json : journalEvents("dialog")) {
    size_t at = json.find(key);
    if (at == std::string::npos) continue;
    std::string text;
    for (size_t i = at + key.size(); i < json.size() && json[i] != '"'; ++i) {
      if (json[i] == '\\' && i + 1 < json.size()) ++i;
      text += json[i];
    }
    texts.push_back(text);
  }
  return texts;
}

}  // namespace zelko::testing
