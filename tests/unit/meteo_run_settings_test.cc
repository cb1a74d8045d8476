// What an update run asks for: the provider switches in their fixed order, the
// home-screen settings, and the service addresses built from them.
#include "ZelkoMeteo/run_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/suite.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko::meteo {
namespace {

using platform::RegValue;
using platform::Root;

class RunSettingsTest : public testing::DeviceTest {
 protected:
  void start(std::vector<std::string> args) {
    args.insert(args.begin(), "ZelkoMeteo.exe");
    suite_.emplace(platform());
    suite_->settings().startUp("ZelkoMeteo", 155, args);
  }
  // The run of a start: home-screen settings first in that mode, then the switches.
  RunSettings run(std::vector<std::string> args) {
    start(std::move(args));
    RunSettings r = suite_->settings().homeScreenMode() ? homeScreenSettings(*suite_) : RunSettings();
    applyProviderSwitches(suite_->settings(), r);
    return r;
  }
  std::string dataUrl(std::vector<std::string> args) {
    RunSettings r = run(std::move(args));
    return buildUrls(r, readServiceBases(*suite_)).data;
  }
  void plugin(const char* name, const char* text) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday", name,
                                               RegValue::Text(text)).ok());
  }
  void ini(const std::string& text) { std::ofstream(hostFile("\\ZelkoToday.ini")) << text; }

  std::optional<Suite> suite_;
};

TEST_F(RunSettingsTest, TheLastProviderOfTheFixedOrderWins) {
  RunSettings r = run({"-accu:A", "-msn:M", "-lang:fr-fr", "-google:G", "-metric:0", "-degree:F", "-map:radar"});
  EXPECT_EQ(r.provider, "accu");
  EXPECT_EQ(r.city, "A");
  EXPECT_EQ(r.language, "fr-fr");  // -lang again after each provider
  EXPECT_EQ(r.metric, "0");
  EXPECT_EQ(r.unit, "F");  // left by -google, which took -degree
  EXPECT_EQ(r.mapName, "radar");
  r = run({"-msn:M"});
  EXPECT_EQ(r.language, "en-en");
  EXPECT_EQ(r.unit, "C");
  r = run({"-lang:de"});
  EXPECT_EQ(r.provider, "");
  EXPECT_EQ(r.language, "");
}

TEST_F(RunSettingsTest, HomeScreenSettingsAndTheirDefaults) {
  RunSettings r = run({"-zelkotoday"});
  EXPECT_EQ(r.provider, "msn");
  EXPECT_EQ(r.language, "en-en");
  EXPECT_EQ(r.unit, "F");
  EXPECT_EQ(r.metric, "1");
  plugin("Weather", "Accu");
  plugin("Ville", "EUR|FR|LYON");
  plugin("Map", "temperature");
  ini("[ZelkoToday]\r\nweatherlang=de-de\r\nweathermetric=0\r\n");
  r = run({"-zelkotoday", "-map:radar"});
  EXPECT_EQ(r.provider, "Accu");  // fetches nothing: names compare exactly
  EXPECT_EQ(r.city, "EUR|FR|LYON");
  EXPECT_EQ(r.language, "de-de");
  EXPECT_EQ(r.metric, "0");
  EXPECT_EQ(r.mapName, "temperature");  // -map is the toggle in this mode
  EXPECT_EQ(buildUrls(r, readServiceBases(*suite_)).data, "");
}

TEST_F(RunSettingsTest, AddressesOfEachService) {
  EXPECT_EQ(dataUrl({"-msn:FRXX0023", "-degree:F"}),
            "http://127.0.0.1:8080/data.aspx?wealocations=wc:FRXX0023&culture=en-en&weadegreetype=F");
  EXPECT_EQ(dataUrl({"-google:Lyon", "-lang:fr-fr"}), "http://127.0.0.1:8080/ig/api?weather=Lyon&hl=fr");
  ini("[Weather]\r\naccu=http://h:1/acc//\r\nmsnmap=http://m/maps\r\n");
  EXPECT_EQ(dataUrl({"-accu:12345", "-lang:en-gb", "-metric:0"}),
            "http://h:1/acc/widget/kvexa/weather-data.asp?location=12345&metric=0&lang=en");
  RunSettings r = run({"-msn:X", "-map:radar"});
  EXPECT_EQ(buildUrls(r, readServiceBases(*suite_)).map,
            "http://m/maps/localmaps.aspx?wealocations=wc:X&setunit=C&map=radar");
  r.mapName.clear();
  EXPECT_EQ(buildUrls(r, readServiceBases(*suite_)).map, "");
}

TEST_F(RunSettingsTest, ValuesCannotChangeTheRequest) {
  EXPECT_EQ(percentEncode("New York&x=1#f/g~a.b_c-d"), "New%20York%26x%3D1%23f%2Fg~a.b_c-d");
  EXPECT_EQ(percentEncode("Z\xC3\xBCrich"), "Z%C3%BCrich");
  EXPECT_EQ(dataUrl({"-google:Paris,France"}), "http://127.0.0.1:8080/ig/api?weather=Paris%2CFrance&hl=en");
  // An address too long for the phone's buffer is not asked for at all.
  EXPECT_EQ(dataUrl({"-google:" + std::string(kMaxUrlUnits, 'a')}), "");
}

}  // namespace
}  // namespace zelko::meteo
