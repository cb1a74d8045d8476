// The device's connection manager and its HTTP downloads, against a server on the
// loopback.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/sim/sim_connections.h"
#include "tests/unit/device_fixture.h"
#include "tests/unit/local_server.h"

namespace zelko::platform::sim {
namespace {

class SimNetTest : public testing::DeviceTest {
 protected:
  SimConnections& net() { return device().connections(); }
  uint32_t phoneStatus() {
    auto v = platform().registry().getValue(Root::kLocalMachine, kPhoneStateKey, kPhoneStatusName);
    return v.ok() ? v->dword : 0xDEAD;
  }
  Result<HttpResult> get(const std::string& url, uint64_t limit = UINT32_MAX) {
    return platform().http().download(url, "\\Temp\\got.txt", limit);
  }
  std::optional<std::string> got() {
    std::ifstream in(hostFile("\\Temp\\got.txt"), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(SimNetTest, DialUpConnectionsAndThePhoneStatusBit) {
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, kPhoneStateKey, kPhoneStatusName,
                                             RegValue::Dword(0x21)).ok());
  ASSERT_TRUE(platform().radios().connectData().ok());
  ASSERT_TRUE(platform().radios().connectData().ok());  // one is up: nothing more
  EXPECT_EQ(platform().radios().dialupConnections(), std::vector<std::string>{kDataConnectionName});
  EXPECT_EQ(phoneStatus(), 0x1021u);
  ASSERT_TRUE(net().dial("Work VPN").ok());
  ASSERT_TRUE(net().dial("work vpn").ok());
  EXPECT_EQ(net().active(), (std::vector<std::string>{"Internet", "Work VPN"}));
  ASSERT_TRUE(platform().radios().hangUp("INTERNET").ok());
  EXPECT_EQ(phoneStatus(), 0x1021u);  // one is still up
  EXPECT_EQ(platform().radios().hangUp("Internet").code(), Status::Code::kNotFound);
  ASSERT_TRUE(net().hangUpAll().ok());
  EXPECT_EQ(phoneStatus(), 0x21u);
  EXPECT_EQ(journalEvents("dial").size(), 2u);
  EXPECT_EQ(journalEvents("hangup").size(), 2u);
  EXPECT_EQ(net().dial("").code(), Status::Code::kInvalid);
}

TEST_F(SimNetTest, OfflineRefusesEveryConnection) {
  ASSERT_TRUE(net().connectData().ok());
  ASSERT_TRUE(net().setOnline(false).ok());
  EXPECT_TRUE(net().active().empty());
  EXPECT_EQ(phoneStatus() & kPhoneStatusDataConnection, 0u);
  EXPECT_EQ(net().connectData().code(), Status::Code::kFailed);
  EXPECT_EQ(net().dial("GPRS").code(), Status::Code::kFailed);
  EXPECT_TRUE(net().active().empty());
  testing::LocalServer server([](httplib::Server& s) {
    s.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("x", "text/plain"); });
  });
  EXPECT_EQ(get(server.url("/")).status().code(), Status::Code::kFailed);
  EXPECT_TRUE(server.targets().empty());
  ASSERT_TRUE(net().setOnline(true).ok());
  EXPECT_TRUE(get(server.url("/")).ok());
}

class SimHttpTest : public SimNetTest {
 protected:
  testing::LocalServer server_{[](httplib::Server& s) {
    s.Get("/ok", [](const httplib::Request&, httplib::Response& res) { res.set_content("body", "text/plain"); });
    s.Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/plain"); });
    s.Get("/big", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(20000, 'b'), "text/plain");
    });
    s.Get("/moved", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/ok");
      res.set_content("<html>moved</html>", "text/html");
    });
    s.Get("/gone", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/plain");
    });
    s.Get("/cut", [](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(1000, "text/plain", [](size_t, size_t, httplib::DataSink& sink) {
        sink.write("0123456789", 10);
        return false;  // the connection ends after ten of the thousand bytes
      });
    });
  }};
};

TEST_F(SimHttpTest, StatusDecidesWhetherTheBodyIsWrittenAndLimitsAndBreaksAreTold) {
  auto r = get(server_.url("/ok"));
  ASSERT_TRUE(r.ok()) << r.status().message();
  EXPECT_EQ(r->statusCode, 200);
  EXPECT_EQ(got(), "body");
  r = get(server_.url("/gone"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->statusCode, 404);
  EXPECT_EQ(got(), "body");  // left alone
  std::filesystem::remove(hostFile("\\Temp\\got.txt"));
  r = get(server_.url("/moved"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->statusCode, 302);
  EXPECT_EQ(got(), "<html>moved</html>");  // not followed
  EXPECT_EQ(server_.targets().back(), "/moved");
  r = get(server_.url("/empty"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(got(), "");
  EXPECT_FALSE(r->brokenOff);

  r = get(server_.url("/big"), 5000);
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r->limitReached);
  EXPECT_FALSE(r->brokenOff);
  // The limit is looked at before each read: the file may go one read beyond it.
  EXPECT_GT(got()->size(), 5000u);
  EXPECT_LE(got()->size(), 5000u + kHttpReadBlock);
  EXPECT_EQ(got()->size(), r->bytes);
  r = get(server_.url("/cut"));
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r->brokenOff);
  EXPECT_EQ(got(), "0123456789");
}

TEST_F(SimHttpTest, OnlyHttpAndOnlyTheDeviceProxy) {
  for (const char* bad : {"", "https://127.0.0.1/", "ftp://h/x", "file:///etc/passwd", "127.0.0.1/ok"}) {
    EXPECT_EQ(get(bad).status().code(), Status::Code::kInvalid) << bad;
  }
  // A proxy in the environment is not the device's.
  setenv("http_proxy", "http://127.0.0.1:1", 1);
  auto r = get(server_.url("/ok"));
  unsetenv("http_proxy");
  ASSERT_TRUE(r.ok()) << r.status().message();
  // The device's proxy gets the request in proxy form, loopback or not.
  testing::LocalServer proxy([](httplib::Server&) {});
  proxy.answerWith([](const httplib::Request&, httplib::Response& res) {
    res.set_content("via proxy", "text/plain");
    return true;
  });
  const std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.port());
  ASSERT_TRUE(net().setProxy(proxyAddress).ok());
  for (const char* bad : {"proxy.lan", ":80", "h:0", "h:65536", "h:8x", "h 1:80"}) {
    EXPECT_EQ(net().setProxy(bad).code(), Status::Code::kInvalid) << bad;
  }
  EXPECT_EQ(net().proxy(), proxyAddress);  // a refused address changes nothing
  r = get(server_.url("/ok?a=1"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(got(), "via proxy");
  EXPECT_EQ(proxy.targets(), std::vector<std::string>{server_.url("/ok?a=1")});
  ASSERT_TRUE(net().setProxy("").ok());
  EXPECT_EQ(get("http://127.0.0.1:1/").status().code(), Status::Code::kFailed);
}

}  // namespace
}  // namespace zelko::platform::sim
