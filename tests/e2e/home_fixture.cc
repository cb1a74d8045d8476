#include "tests/e2e/home_fixture.h"

#include <httplib.h>

#include <chrono>

#include "platform/platform.h"

namespace zelko::testing {
namespace {

constexpr char kController[] = "\\Program Files\\ZelkoToday\\ZelkoToday.exe";
constexpr char kSetupTool[] = "\\Program Files\\ZelkoToday\\ZelkoTools.exe";

}  // namespace

void HomeDeviceTest::SetUp() {
  InstallerTest::SetUp();
  // The phone's own programs that actions name, as `zelko-device init` installs them.
  for (const char* standIn : {"tmail.exe", "poutlook.exe"}) {
    std::filesystem::copy_file(binDir() / "zelko-standin", hostFile(std::string("\\Windows\\") + standIn));
  }
  ASSERT_EQ(tool({"exec", "--wait", kSetupTool, "-install"}), 1);
  for (const char* layout : {"currentPortrait", "currentLandscape"}) {
    runInstaller(std::string("-addchange -silent -plg:\\Program Files\\ZelkoToday\\ZelkoToday.plg -cpr:") + layout);
    ASSERT_EQ(status("ErrorNumber"), "0") << layout << ": " << status("ErrorDescription");
  }
}

void HomeDeviceTest::TearDown() {
  if (engineStarted_) {
    tool({"exec", "--wait", kController, "-stop"});
    tool({"down"});
  }
  InstallerTest::TearDown();
}

void HomeDeviceTest::startEngine() {
  ASSERT_EQ(tool({"up"}), 0);
  engineStarted_ = true;
  ASSERT_EQ(tool({"clock", "set", "2026-12-31 23:59"}), 0);
  ASSERT_EQ(tool({"battery", "42", "--no-ac"}), 0);
  ASSERT_EQ(tool({"exec", "--wait", kController, "-update"}), 1);
  // The engine's first refresh ends with the date.
  auto text = [&](const char* name) {
    auto v = platform().registry().getValue(platform::Root::kLocalMachine, std::string(kPluginKey) + "\\Page1", name);
    return v.ok() ? v->text : std::string();
  };
  ASSERT_TRUE(waitFor([&] { return text("BattVal") == "42%" && text("Today") == "Thursday 31 December"; }));
  // The engine starts the providers at once; their batches must not fall into a test's.
  // Quiet means only the engine running, for half a second.
  auto busySince = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitFor([&] {
    auto now = std::chrono::steady_clock::now();
    if (launchesRunning() != 1) busySince = now;
    return now - busySince > std::chrono::milliseconds(500);
  }, std::chrono::seconds(30))) << "programs still running";
}

void HomeDeviceTest::setPageText(const std::string& page, const std::string& name, const std::string& text) {
  std::string key = page.empty() ? std::string(kPluginKey) : std::string(kPluginKey) + "\\" + page;
  ASSERT_TRUE(platform().registry().setValue(platform::Root::kLocalMachine, key, name, platform::RegValue::Text(text)).ok());
}

void HomeDeviceTest::writeBatch(const std::string& page, const std::string& name, const std::string& text) {
  setPageText("", "Updated", "0");
  setPageText(page, name, text);
  setPageText("", "Updated", "1");
}

int HomeDeviceTest::get(const ServedHome& served, const std::string& path, std::string* body) {
  httplib::Client client("127.0.0.1", served.port());
  auto res = client.Get(path.c_str());
  if (!res) return -1;
  if (body) *body = res->body;
  return res->status;
}

int HomeDeviceTest::post(const ServedHome& served, const std::string& path, const std::string& form,
                         std::string* body, bool fromPage) {
  httplib::Client client("127.0.0.1", served.port());
  httplib::Headers headers;
  if (fromPage) headers.emplace("X-Zelko-Home", "1");
  auto res = client.Post(path.c_str(), headers, form, "application/x-www-form-urlencoded");
  if (!res) return -1;
  if (body) *body = res->body;
  return res->status;
}

}  // namespace zelko::testing
