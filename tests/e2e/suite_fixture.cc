#include "tests/e2e/suite_fixture.h"

#include <filesystem>

#include "device/phone_defaults.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

std::string field(const std::string& json, const std::string& key) {
  size_t at = json.find("\"" + key + "\":\"");
  if (at == std::string::npos) return "";
  at += key.size() + 4;
  return json.substr(at, json.find('"', at) - at);
}

}  // namespace

void SuiteEndToEnd::SetUp() {
  EndToEndTest::SetUp();
  // What zelko-device init adds to a new device: the home screen's values and an idle phone.
  platform::ScreenSize screen = platform().windows().screenSize();
  ASSERT_TRUE(device::writePhoneDefaults(platform(), screen.width, screen.height).ok());
  ASSERT_EQ(tool({"install"}), 0);
  for (const char* exe : {"ZelkoSms", "ZelkoContacts", "ZelkoCalendar", "ZelkoMeteo"}) {
    std::filesystem::path to = hostFile(std::string(kInstallFolder) + exe + ".exe");
    std::filesystem::remove(to);
    std::filesystem::copy_file(binDir() / "zelko-standin", to);
  }
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled", RegValue::Dword(1)).ok());
}

void SuiteEndToEnd::TearDown() {
  for (const char* launch : {"ZelkoTitanium", "ZelkoWinToday"}) {
    platform::Status stopped = platform().notifications().stopLaunch(launch);
    EXPECT_TRUE(stopped.ok() || stopped.code() == platform::Status::Code::kNotFound) << launch;
  }
  EXPECT_TRUE(platform().registry().setValue(Root::kLocalMachine, kHomeKey, "Enabled", RegValue::Dword(0)).ok());
  waitFor([&] {
    if (platform::WindowHandle w = platform().windows().findWindow("ZelkoToday")) {
      (void)platform().windows().postMessage({w, 1127, 0, 0});  // it may end meanwhile
    }
    return launchesRunning() == 0;
  }, std::chrono::seconds(15));
  EndToEndTest::TearDown();
}

int SuiteEndToEnd::run(const std::string& program, const std::string& params) {
  auto r = platform().shell().execute(
      {std::string(kInstallFolder) + program + ".exe", params, true, std::chrono::seconds(60)});
  return r.ok() && r->exitCode ? *r->exitCode : -1;
}

void SuiteEndToEnd::startEngine() {
  ASSERT_EQ(run("ZelkoToday", "-update"), 1);
  ASSERT_TRUE(waitFor([&] { return platform().windows().findWindow("ZelkoToday") != 0; }));
  // The last values of the start-up refresh.
  ASSERT_TRUE(waitFor([&] { return value("Page1", "AlarmPNG") != "<missing>" && value("", "Updated") == "1"; }));
}

std::string SuiteEndToEnd::value(const std::string& page, const std::string& name, bool fileNameOnly) {
  std::string key = page.empty() ? kPluginKey : std::string(kPluginKey) + "\\" + page;
  auto v = platform().registry().getValue(Root::kLocalMachine, key, name);
  if (!v.ok()) return "<missing>";
  if (v->type == platform::ValueType::kDword) return std::to_string(v->dword);
  return fileNameOnly ? v->text.substr(v->text.rfind('\\') + 1) : v->text;
}

std::string SuiteEndToEnd::shows(const std::string& page, const std::string& name, const std::string& want,
                                 std::chrono::milliseconds limit) {
  bool image = want.ends_with(".png");
  std::string got;
  waitFor([&] { return (got = value(page, name, image)) == want; }, limit);
  return got;
}

std::vector<std::string> SuiteEndToEnd::radioEvents() {
  std::vector<std::string> out;
  for (const auto& e : journalEvents("radio")) out.push_back(field(e, "radio") + " " + field(e, "state"));
  return out;
}

}  // namespace zelko::testing
