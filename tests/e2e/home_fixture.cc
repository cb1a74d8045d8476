#include "tests/e2e/home_fixture.h"

#include <httplib.h>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/e2e/spawned.h"

namespace zelko::testing {
namespace {

std::filesystem::path ownFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

}  // namespace

ServedHome::ServedHome(const std::filesystem::path& device) {
  outFile_ = device.parent_path() / ("serve-" + std::to_string(getpid()) + ".out");
  pid_ = spawnLogged({(ownFolder() / "zelko-device").string(), "-d", device.string(), "home", "--serve", "127.0.0.1:0"},
                     outFile_);
  port_ = awaitPort(pid_, outFile_, "http://127.0.0.1:");
  output_ = readWhole(outFile_);
}

ServedHome::~ServedHome() {
  if (pid_ != 0) stop();
}

int ServedHome::stop() {
  if (pid_ == 0) return -1;
  int code = stopProcess(pid_, std::chrono::seconds(15));
  pid_ = 0;
  output_ = readWhole(outFile_);
  return code;
}

EventStream::EventStream(int port) : client_(std::make_unique<httplib::Client>("127.0.0.1", port)) {
  client_->set_read_timeout(60, 0);
  reader_ = std::thread([this] {
    (void)client_->Get("/events", [this](const char* data, size_t size) {
      take(std::string_view(data, size));
      return true;
    });
  });
}

EventStream::~EventStream() {
  client_->stop();
  reader_.join();
}

void EventStream::take(std::string_view bytes) {
  auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  pending_.append(bytes);
  for (size_t end; (end = pending_.find("\n\n")) != std::string::npos;) {
    std::string block = pending_.substr(0, end + 1);
    pending_.erase(0, end + 2);
    StreamEvent e{"", "", now};
    bool first = true;
    for (size_t start = 0; start < block.size();) {
      size_t eol = block.find('\n', start);
      std::string line = block.substr(start, eol - start);
      start = eol + 1;
      if (line.rfind("event: ", 0) == 0) e.name = line.substr(7);
      if (line.rfind("data: ", 0) == 0) {
        e.data += (first ? "" : "\n") + line.substr(6);
        first = false;
      }
    }
    if (!e.name.empty()) events_.push_back(std::move(e));
  }
  arrived_.notify_all();
}

std::optional<StreamEvent> EventStream::next(const std::string& name, const std::string& text,
                                             std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    while (!events_.empty()) {
      StreamEvent e = std::move(events_.front());
      events_.pop_front();
      if (e.name == name && e.data.find(text) != std::string::npos) return e;
    }
    if (arrived_.wait_until(lock, end) == std::cv_status::timeout && events_.empty()) return std::nullopt;
  }
}

namespace {

constexpr char kPluginKey[] = "Software\\Microsoft\\CHome\\ZelkoToday";
constexpr char kController[] = "\\Program Files\\ZelkoToday\\ZelkoToday.exe";
constexpr char kSetupTool[] = "\\Program Files\\ZelkoToday\\ZelkoTools.exe";

}  // namespace

void HomeDeviceTest::SetUp() {
  InstallerTest::SetUp();
  // The phone's own programs that actions name, as `zelko-device init` installs them.
  for (const char* standIn : {"tmail.exe", "poutlook.exe"}) {
    std::filesystem::copy_file(ownFolder() / "zelko-standin", hostFile(std::string("\\Windows\\") + standIn));
  }
  if (platform().files().exists(kSetupTool)) {
    ASSERT_EQ(tool({"exec", "--wait", kSetupTool, "-install"}), 1);
  } else {
    // What the setup tool registers (until it is built here): the pages and their actions.
    setPageText("", "Pages", "Page1;Page2;Page3;Page4;Page5");
    setPageText("", "DataSource", kPluginKey);
    setPageText("Page1", "ACTIONURLPNX", "\\Program Files\\ZelkoToday\\ZelkoMenu.exe;ZelkoAction.mnu");
    setPageText("Page1", "SK2TEXT", "C.Manager");
    setPageText("Page3", "SK2URL", ":MSCALENDAR");
    setPageText("Page4", "ACTIONURLPNX", "\\Program Files\\ZelkoToday\\ZelkoSms.exe;-zelkotoday");
    setPageText("Page4", "SK2URL", "\\Windows\\tmail.exe;-service \"SMS\"");
    setPageText("Page4", "SK2TEXT", "SMS");
  }
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
