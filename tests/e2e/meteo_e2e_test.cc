// The weather provider as the home screen runs it: installed with zelko-device, fetching
// from a server of sample feeds that the test starts on the loopback, and judged by the
// requests the server saw, the record and pages it left, and the dial-up connections.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "device/feed_server.h"
#include "platform/sim/device_clock.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/spawned.h"
#include "tests/unit/local_server.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using testing::kPluginKey;

constexpr char kMeteo[] = "\\Program Files\\ZelkoToday\\ZelkoMeteo.exe";
const platform::DateTime kNow{2026, 3, 2, 24, 9, 5, 0, 0};  // Tuesday 24 March 2026, 09:05

std::string fileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Holds requests until it is opened.
struct MeteoGate {
  std::atomic<bool> opened{false};
  void open() { opened = true; }
  void wait() {
    while (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
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
    EXPECT_EQ(tool({"reg", "dump", "HKCU", "Software\\Zelko\\Meteo"}, &out), 0);
    return out;
  }
  std::vector<std::string> statusIcons() {
    std::vector<std::string> out;
    for (const char* name : {"Icon0", "Icon"}) out.push_back(fileName(page("Page1", name)));
    for (const char* name : {"IconA", "Icon1", "Icon2", "Icon3", "Icon4"}) out.push_back(fileName(page("Page2", name)));
    return out;
  }
  // The open dial-up connections, one a line.
  std::string dialup() {
    std::string out;
    tool({"dialup", "list"}, &out);
    return out;
  }

  // Requests a test holds; opened before the server goes.
  MeteoGate dataGate_, mapGate_;
  testing::LocalServer server_{[](httplib::Server& s) { device::addFeedRoutes(s, [] { return kNow; }); }};
};

TEST_F(MeteoEndToEnd, MsnUpdateFillsRecordPagesAndMap) {
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_EQ(server_.targets(),
            (std::vector<std::string>{"/data.aspx?wealocations=wc:FRXX0023&culture=fr-fr&weadegreetype=C",
                                      "/localmaps.aspx?wealocations=wc:FRXX0023&setunit=C&map=temperature",
                                      "/maps/temperature.jpg"}));
  EXPECT_EQ(record("", "origin") + " " + record("", "location") + " " + record("", "total"), "msn FRXX0023 5");
  EXPECT_EQ(record("\\Day4", "low"), "-2");
  EXPECT_EQ(page("Page2", "IconA"), "\\Program Files\\ZelkoToday\\skins\\default\\msn\\30.png");
  EXPECT_EQ(statusIcons(), (std::vector<std::string>{"30.png", "28.png", "30.png", "11.png", "26.png", "14.png", "32.png"}));
  EXPECT_EQ(page("Page1", "Current"), "09:05\n6\xC2\xB0\n14 km/h NW");
  EXPECT_EQ(page("Page2", "HeaderText") + "|" + page("Page2", "Glissade") + "|" + page("Page2", "Map"),
            "Lyon\nat 09:05|24/03|\\Program Files\\ZelkoToday\\map.jpg");
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

// How each service's address is built and its reply read is in the unit tests.
TEST_F(MeteoEndToEnd, GoogleAndAccuFromTheCommandLine) {
  ASSERT_EQ(meteo("-zelkotoday -google:Lyon,France -lang:en-us"), 0);
  EXPECT_EQ(server_.targets().back(), "/ig/api?weather=Lyon%2CFrance&hl=en");
  EXPECT_EQ(record("", "origin"), "google");
  EXPECT_EQ(page("Page2", "IconA"), "\\Program Files\\ZelkoToday\\skins\\default\\google\\partly_cloudy.png");
  ASSERT_EQ(meteo("-zelkotoday -accu:EUR|FR|LYON -metric:0"), 0);
  EXPECT_EQ(server_.targets().back(), "/widget/kvexa/weather-data.asp?location=EUR%7CFR%7CLYON&metric=0&lang=en");
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
  EXPECT_EQ(dialup(), "GPRS\n");
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
  auto& reg = platform().registry();
  auto pageKey = [](const char* p) { return std::string(kPluginKey) + "\\" + p; };
  ASSERT_EQ(meteo("-msn:USNY0996"), 0);
  EXPECT_EQ(record("", "location"), "USNY0996");
  EXPECT_EQ(server_.targets(), std::vector<std::string>{"/data.aspx?wealocations=wc:USNY0996&culture=en-en&weadegreetype=C"});
  EXPECT_TRUE(reg.values(Root::kLocalMachine, pageKey("Page2")).empty());
  EXPECT_TRUE(reg.values(Root::kLocalMachine, pageKey("Page1")).empty());
  // The map page left by a home-screen run is read again, but not fetched again.
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  ASSERT_TRUE(reg.deleteKey(Root::kLocalMachine, pageKey("Page2")).ok());
  ASSERT_TRUE(reg.deleteKey(Root::kLocalMachine, pageKey("Page1")).ok());
  size_t asked = server_.targets().size();
  ASSERT_EQ(meteo("-msn:USNY0996 -map:radar"), 0);
  EXPECT_EQ(server_.targets().size(), asked + 2);
  EXPECT_EQ(server_.targets().back(), "/maps/temperature.jpg");
  auto page2 = reg.values(Root::kLocalMachine, pageKey("Page2"));
  ASSERT_EQ(page2.size(), 1u);
  EXPECT_EQ(page2[0].name, "Map");
  EXPECT_TRUE(reg.values(Root::kLocalMachine, pageKey("Page1")).empty());
}

// Sliding and the map toggle work on the pages alone: no request, no connection.
TEST_F(MeteoEndToEnd, SlideAndMapToggleStayOffline) {
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  const std::string sky2 = page("Page2", "Sky1");
  size_t asked = server_.targets().size();
  ASSERT_EQ(meteo("-zelkotoday -glissade"), 0);
  EXPECT_EQ(page("Page2", "SkyA"), sky2);
  EXPECT_EQ(server_.targets().size(), asked);
  EXPECT_EQ(journalEvents("dial").size(), 1u);
  ASSERT_EQ(meteo("-zelkotoday"), 0);
  ASSERT_EQ(meteo("-zelkotoday -map"), 0);
  EXPECT_EQ(page("Page2", "Infos"), "\\Program Files\\ZelkoToday\\map.jpg");
  // -infos toggles the overlay back, also over -glissade.
  ASSERT_EQ(meteo("-zelkotoday -glissade -infos"), 0);
  EXPECT_EQ(fileName(page("Page2", "Infos")), "null.png");
  EXPECT_EQ(page("Page2", "SkyA"), page("Page1", "Sky0"));
}

// zelko-device feeds, as the README demo uses it.
TEST_F(MeteoEndToEnd, FeedsCommandServesTheProvider) {
  const auto log = dir() / "feeds.out";
  pid_t pid = testing::spawnLogged({(testing::binDir() / "zelko-device").string(), "-d", (dir() / "device").string(), "feeds",
                           "--port", "0"}, log);
  ASSERT_NE(pid, 0);
  int port = testing::awaitPort(pid, log, "http://127.0.0.1:");
  ASSERT_NE(port, 0) << testing::readWhole(log);
  writeIni("http://127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(meteo("-zelkotoday"), 0);
  EXPECT_EQ(testing::stopProcess(pid, std::chrono::seconds(10)), 0);
  EXPECT_EQ(record("", "city"), "Lyon");
  EXPECT_EQ(page("Page2", "Map"), "\\Program Files\\ZelkoToday\\map.jpg");
  EXPECT_TRUE(server_.targets().empty());
}

}  // namespace
}  // namespace zelko
