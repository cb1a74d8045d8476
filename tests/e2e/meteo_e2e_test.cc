// The weather provider as the home screen runs it: installed with zelko-device, fetching
// from a server of sample feeds that the test starts on the loopback, and judged by the
// requests the server saw, the record and pages it left, and the dial-up connections.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "device/feed_server.h"
#include "platform/sim/device_clock.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/unit/local_server.h"

extern char** environ;

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using testing::kPluginKey;

constexpr char kMeteo[] = "\\Program Files\\ZelkoToday\\ZelkoMeteo.exe";
const platform::DateTime kNow{2026, 3, 2, 24, 9, 5, 0, 0};  // Tuesday 24 March 2026, 09:05

std::string fileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Holds requests until it is opened.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

class MeteoEndToEnd : public testing::EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_EQ(tool({"install"}), 0);
    ASSERT_TRUE(device().deviceClock().setLocal(kNow).ok());
    writeIni(server_.url());
    plugin("Ville", "FRXX0023");
    plugin("Map", "temperature");
  }
  void TearDown() override {
    dataGate_.open();
    mapGate_.open();
    if (HasFailure()) {
      for (const auto& e : device().journal().read()) std::fprintf(stderr, "%s\n", e.json.c_str());
    }
    EndToEndTest::TearDown();
  }

  void writeIni(const std::string& base) {
    std::ofstream(hostFile("\\Program Files\\ZelkoToday\\ZelkoToday.ini"))
        << "[ZelkoToday]\r\nweatherlang=fr-fr\r\nweathertemp=C\r\nAT=at\r\n[Weather]\r\nmsn=" << base
        << "\r\nmsnmap=" << base << "\r\ngoogle=" << base << "\r\naccu=" << base << "\r\n";
  }
  void plugin(const char* name, const char* text) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kPluginKey, name, RegValue::Text(text)).ok());
  }
  // Runs the provider through the device's shell and waits for its exit code.
  int meteo(const std::string& params) {
    auto r = platform().shell().execute({kMeteo, params, true, std::chrono::seconds(60)});
    return r.ok() && r->exitCode ? *r->exitCode : -1;
  }
  int startMeteo(const std::string& params) {
    auto r = platform().shell().execute({kMeteo, params, false, std::chrono::milliseconds(-1)});
    return r.ok() ? r->pid : 0;
  }
  std::string page(const std::string& page, const std::string& name) {
    auto v = platform().registry().getValue(Root::kLocalMachine, page.empty() ? kPluginKey : std::string(kPluginKey) + "\\" + page, name);
    return v.ok() ? v->text : "<missing>";
  }
  std::string record(const std::string& key, const std::string& name) {
    auto v = platform().registry().getValue(Root::kCurrentUser, "Software\\Zelko\\Meteo" + key, name);
    if (!v.ok()) return "<missing>";
    return v->type == platform::ValueType::kDword ? std::to_string(static_cast<int32_t>(v->dword)) : v->text;
  }
  // Every value of the record, one a line, to compare a record before and after.
  std::string recordDump() {
    std::string out;
    std::vector<std::string> keys = {"Software\\Zelko\\Meteo"};
    for (size_t i = 0; i < keys.size(); ++i) {
      for (const auto& v : platform().registry().values(Root::kCurrentUser, keys[i])) {
        out += keys[i] + "|" + v.name + "|" + v.value.text + "|" + std::to_string(v.value.dword) + "\n";
      }
      for (const auto& sub : platform().registry().subKeys(Root::kCurrentUser, keys[i])) keys.push_back(keys[i] + "\\" + sub);
    }
    return out;
  }
  std::vector<std::string> statusIcons() {
    std::vector<std::string> out;
    for (const char* name : {"Icon0", "Icon"}) out.push_back(fileName(page("Page1", name)));
    for (const char* name : {"IconA", "Icon1", "Icon2", "Icon3", "Icon4"}) out.push_back(fileName(page("Page2", name)));
    return out;
  }
  std::vector<std::string> dialup() {
    std::string out;
    tool({"dialup", "list"}, &out);
    std::vector<std::string> names;
    for (size_t at = 0; at < out.size();) {
      size_t end = out.find('\n', at);
      names.push_back(out.substr(at, end - at));
      at = end + 1;
    }
    return names;
  }

  // Requests a test holds; opened before the server goes.
  Gate dataGate_, mapGate_;
  testing::LocalServer server_{[](httplib::Server& s) { device::addFeedRoutes(s, [] { return kNow; }); }};
};

TEST_F(MeteoEndToEnd, MsnUpdateFillsRecordPagesAndMap) {
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_EQ(server_.targets(),
            (std::vector<std::string>{"/data.aspx?wealocations=wc:FRXX0023&culture=fr-fr&weadegreetype=C",
                                      "/localmaps.aspx?wealocations=wc:FRXX0023&setunit=C&map=temperature",
                                      "/maps/temperature.jpg"}));
  EXPECT_EQ(record("", "origin"), "msn");
  EXPECT_EQ(record("", "location"), "FRXX0023");
  EXPECT_EQ(record("", "total"), "5");
  EXPECT_EQ(record("\\Day4", "low"), "-2");
  EXPECT_EQ(page("Page2", "IconA"), "\\Program Files\\ZelkoToday\\skins\\default\\msn\\30.png");
  EXPECT_EQ(statusIcons(), (std::vector<std::string>{"30.png", "28.png", "30.png", "11.png", "26.png", "14.png", "32.png"}));
  EXPECT_EQ(page("Page2", "HeaderText"), "Lyon\nat 09:05");
  EXPECT_EQ(page("Page1", "Current"), "09:05\n6\xC2\xB0\n14 km/h NW");
  EXPECT_EQ(page("Page2", "Glissade"), "24/03");
  EXPECT_EQ(page("Page2", "Map"), "\\Program Files\\ZelkoToday\\map.jpg");
  EXPECT_EQ(fileName(page("Page2", "Infos")), "null.png");
  EXPECT_EQ(page("", "Updated"), "1");
  std::ifstream jpeg(hostFile("\\Program Files\\ZelkoToday\\map.jpg"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(jpeg), {}).substr(0, 3), "\xFF\xD8\xFF");
  auto lock = platform().registry().getValue(Root::kCurrentUser, "Software\\A_C\\S2U2", "UserWeather");
  EXPECT_EQ(lock.ok() ? lock->text : "", "C|30|3\xC2\xB0/9\xC2\xB0 ");
  // The run dialled a connection and hung it up again.
  EXPECT_EQ(journalEvents("dial").size(), 1u);
  EXPECT_EQ(journalEvents("hangup").size(), 1u);
  EXPECT_TRUE(dialup().empty());
}

TEST_F(MeteoEndToEnd, GoogleAndAccuFromTheCommandLine) {
  ASSERT_EQ(meteo("-zelkotoday -google:Lyon,France -lang:en-us"), 0);
  EXPECT_EQ(server_.targets().back(), "/ig/api?weather=Lyon%2CFrance&hl=en");
  EXPECT_EQ(record("", "origin"), "google");
  EXPECT_EQ(record("\\Day1", "high"), "48");  // US units for English
  EXPECT_EQ(page("Page2", "IconA"), "\\Program Files\\ZelkoToday\\skins\\default\\google\\partly_cloudy.png");
  ASSERT_EQ(meteo("-zelkotoday -accu:EUR|FR|LYON -metric:0"), 0);
  EXPECT_EQ(server_.targets().back(), "/widget/kvexa/weather-data.asp?location=EUR%7CFR%7CLYON&metric=0&lang=en");
  EXPECT_EQ(record("", "total"), "7");
  EXPECT_EQ(page("Page2", "IconA"), "\\Program Files\\ZelkoToday\\skins\\default\\accu\\3.png");
  EXPECT_EQ(page("Page1", "Current"), "09:05\n43\xC2\xB0\n9 MPH NW");
  EXPECT_EQ(server_.targets().size(), 2u);  // no map for these services
}

TEST_F(MeteoEndToEnd, StatusIconsAndHeaderWhileTheRunWaits) {
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  const size_t before = server_.targets().size();
  server_.answerWith([&](const httplib::Request& req, httplib::Response&) {
    if (req.path == "/data.aspx") dataGate_.wait();
    if (req.path == "/maps/temperature.jpg") mapGate_.wait();
    return false;
  });
  int pid = startMeteo("-zelkotoday");
  ASSERT_NE(pid, 0);
  ASSERT_TRUE(waitFor([&] { return server_.targets().size() == before + 1; }));
  EXPECT_EQ(statusIcons(), std::vector<std::string>(7, "sync.png"));
  EXPECT_EQ(page("Page2", "HeaderText"), "...");
  EXPECT_EQ(fileName(page("Page2", "Map")), "null.png");
  EXPECT_EQ(page("", "Updated"), "1");
  // A second copy meanwhile ends at once and asks for nothing.
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_EQ(server_.targets().size(), before + 1);
  dataGate_.open();
  ASSERT_TRUE(waitFor([&] { return server_.targets().size() == before + 3; }));
  // The reading is done; the map image is on its way.
  EXPECT_EQ(statusIcons(), std::vector<std::string>(7, "load.png"));
  EXPECT_EQ(page("Page2", "HeaderText"), "MSN Map");
  mapGate_.open();
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }));
  EXPECT_EQ(page("Page2", "HeaderText"), "Lyon\nat 09:05");
}

TEST_F(MeteoEndToEnd, FailuresKeepTheRecordAndPutTheIconsBack) {
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  const std::string before = recordDump();
  const std::vector<std::string> icons = statusIcons();
  // A reply that is read but is no forecast: the map page is still asked for before
  // the reading fails; a failed download ends the run before it.
  struct Failure {
    const char* what;
    std::function<void(httplib::Response&)> answer;
    const char* header;
    size_t requests;
  };
  const Failure failures[] = {
      {"404", [](httplib::Response& r) { r.status = 404; }, "...", 1},
      {"500", [](httplib::Response& r) { r.status = 500; r.set_content("<weatherdata/>", "text/xml"); }, "...", 1},
      {"302 not followed", [](httplib::Response& r) { r.set_redirect("/data.aspx?again=1"); }, "Error", 2},
      {"not XML", [](httplib::Response& r) { r.set_content("<html><body>Sorry<br></body></html>", "text/html"); },
       "Error", 2},
      {"dropped", [](httplib::Response& r) {
         r.set_content_provider(4000, "text/xml", [](size_t, size_t, httplib::DataSink& sink) {
           sink.write("<?xml version=\"1.0\"?><weatherdata><weather>", 43);
           return false;
         });
       }, "...", 1},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.what);
    server_.answerWith([&](const httplib::Request& req, httplib::Response& res) {
      if (req.path != "/data.aspx") return false;
      f.answer(res);
      return true;
    });
    size_t asked = server_.targets().size();
    ASSERT_EQ(meteo("-zelkotoday"), 0);
    EXPECT_EQ(server_.targets().size(), asked + f.requests);
    EXPECT_EQ(server_.targets().back().find("again"), std::string::npos);
    EXPECT_EQ(recordDump(), before);
    EXPECT_EQ(statusIcons(), icons);
    EXPECT_EQ(page("Page2", "HeaderText"), f.header);
    EXPECT_EQ(page("", "Updated"), "1");
  }
  server_.answerWith({});
  ASSERT_EQ(tool({"net", "--offline"}), 0);
  size_t asked = server_.targets().size();
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_EQ(server_.targets().size(), asked);
  EXPECT_EQ(recordDump(), before);
  EXPECT_EQ(statusIcons(), icons);
}

TEST_F(MeteoEndToEnd, AConnectionThatWasUpStaysUp) {
  ASSERT_EQ(tool({"dialup", "connect", "GPRS"}), 0);
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_EQ(dialup(), std::vector<std::string>{"GPRS"});
  EXPECT_TRUE(journalEvents("hangup").empty());
  ASSERT_EQ(tool({"dialup", "drop"}), 0);
  // A failed run hangs up what it dialled too.
  server_.answerWith([](const httplib::Request&, httplib::Response& res) {
    res.status = 503;
    return true;
  });
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_TRUE(dialup().empty());
  EXPECT_EQ(journalEvents("dial").size(), 2u);
}

TEST_F(MeteoEndToEnd, OutsideHomeScreenModeOnlyTheRecordAndTheMap) {
  ASSERT_EQ(meteo("-msn:USNY0996"), 0);
  EXPECT_EQ(record("", "location"), "USNY0996");
  EXPECT_EQ(server_.targets(), std::vector<std::string>{"/data.aspx?wealocations=wc:USNY0996&culture=en-en&weadegreetype=C"});
  EXPECT_TRUE(platform().registry().values(Root::kLocalMachine, std::string(kPluginKey) + "\\Page2").empty());
  EXPECT_TRUE(platform().registry().values(Root::kLocalMachine, std::string(kPluginKey) + "\\Page1").empty());
  // The map page left by a home-screen run is read again, but not fetched again.
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  ASSERT_TRUE(platform().registry().deleteKey(Root::kLocalMachine, std::string(kPluginKey) + "\\Page2").ok());
  ASSERT_TRUE(platform().registry().deleteKey(Root::kLocalMachine, std::string(kPluginKey) + "\\Page1").ok());
  size_t asked = server_.targets().size();
  ASSERT_EQ(meteo("-msn:USNY0996 -map:radar"), 0);
  EXPECT_EQ(server_.targets().size(), asked + 2);
  EXPECT_EQ(server_.targets().back(), "/maps/temperature.jpg");
  auto page2 = platform().registry().values(Root::kLocalMachine, std::string(kPluginKey) + "\\Page2");
  ASSERT_EQ(page2.size(), 1u);
  EXPECT_EQ(page2[0].name, "Map");
  EXPECT_TRUE(platform().registry().values(Root::kLocalMachine, std::string(kPluginKey) + "\\Page1").empty());
}

TEST_F(MeteoEndToEnd, SlideAndMapToggle) {
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  const std::string sky2 = page("Page2", "Sky1"), sky3 = page("Page2", "Sky2");
  size_t asked = server_.targets().size();
  ASSERT_EQ(meteo("-zelkotoday -glissade"), 0);
  EXPECT_EQ(page("Page2", "SkyA"), sky2);
  ASSERT_EQ(meteo("-zelkotoday -glissade"), 0);
  EXPECT_EQ(page("Page2", "SkyA"), sky3);
  EXPECT_EQ(page("Page2", "Sky3"), "");
  EXPECT_EQ(page("Page2", "HeaderText"), "Lyon");
  EXPECT_EQ(server_.targets().size(), asked);  // no network
  EXPECT_TRUE(journalEvents("dial").size() == 1u);
  // -map and -infos toggle the overlay, also over -glissade.
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  ASSERT_EQ(meteo("-zelkotoday -map"), 0);
  EXPECT_EQ(page("Page2", "Infos"), "\\Program Files\\ZelkoToday\\map.jpg");
  ASSERT_EQ(meteo("-zelkotoday -glissade -infos"), 0);
  EXPECT_EQ(fileName(page("Page2", "Infos")), "null.png");
  EXPECT_EQ(page("Page2", "SkyA"), page("Page1", "Sky0"));
}

// zelko-device feeds, as the README demo uses it.
TEST_F(MeteoEndToEnd, FeedsCommandServesTheProvider) {
  std::string out = (dir() / "feeds.out").string();
  std::vector<std::string> args = {(testing::binDir() / "zelko-device").string(), "-d", (dir() / "device").string(),
                                   "feeds", "--port", "0"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  std::string line;
  ASSERT_TRUE(waitFor([&] {
    std::ifstream in(out);
    std::getline(in, line);
    return line.find("http://") != std::string::npos;
  }));
  std::string base = line.substr(line.find("http://"), line.find(' ', line.find("http://")) - line.find("http://"));
  writeIni(base);
  EXPECT_EQ(meteo("-zelkotoday"), 0);
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(record("", "city"), "Lyon");
  EXPECT_EQ(page("Page2", "Map"), "\\Program Files\\ZelkoToday\\map.jpg");
  EXPECT_TRUE(server_.targets().empty());
}

}  // namespace
}  // namespace zelko
