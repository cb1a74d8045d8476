// The weather display: the pages composed from a stored record, the slide, the map
// toggle, and the text forms they use.
#include "ZelkoMeteo/composer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ZelkoMeteo/pages.h"
#include "ZelkoMeteo/weather_record.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/sim/device_clock.h"
#include "tests/unit/device_fixture.h"

namespace zelko::meteo {
namespace {

using platform::Root;

TEST(ComposerForms, WindTemplateAndLockScreenIcon) {
  EXPECT_EQ(convertWind("10 km/h NW", "mph"), "6 mph NW");
  EXPECT_EQ(convertWind("10 km/h NW", "km/h"), "10 km/h NW");
  EXPECT_EQ(convertWind("9  mph   NNW", "km/h"), "14 km/h NNW");
  EXPECT_EQ(convertWind("", "km/h"), "0 km/h ");
  EXPECT_EQ(slotText("%jour%%LF%%temp%", "Mon", "3\xC2\xB0\n9\xC2\xB0", "Sun"), "Mon\n3\xC2\xB0\n9\xC2\xB0");
  EXPECT_EQ(slotText("%sky%%sky% (%jour%)", "Mon", "t", "Rain"), "RainRain (Mon)");
  EXPECT_EQ(lockScreenIcon("26.png"), 26);
  EXPECT_EQ(lockScreenIcon("sunny.png"), 0);
  EXPECT_EQ(lockScreenIcon("-5.png"), 0);
}

class ComposerTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(device().deviceClock().setLocal({2026, 3, 2, 24, 9, 5, 0, 0}).ok());
    suite_.emplace(platform());
    suite_->settings().startUp("ZelkoMeteo", 155, std::vector<std::string>{"x", "-zelkotoday"});
    pages_.emplace(*suite_);
    WeatherRecord record;
    record.setText("", "city", "Lyon");
    record.setText("", "total", "3");
    record.setText("Current", "time", "09:00");
    record.setNumber("Current", "temperature", -4);
    record.setText("Current", "wind", "10 km/h NW");
    record.setText("Current", "icon", "28.png");
    for (int day = 1; day <= 3; ++day) {
      record.setNumber(dayKey(day), "low", -day);
      record.setNumber(dayKey(day), "high", 10 + day);
      record.setText(dayKey(day), "day", "D" + std::to_string(day));
      record.setText(dayKey(day), "text", "Sky" + std::to_string(day));
      record.setText(dayKey(day), "icon", std::to_string(25 + day) + ".png");
    }
    ASSERT_TRUE(record.store(platform().registry()).ok());
  }

  void composeAll(DisplaySettings settings) {
    Composer composer(*suite_, *pages_, "msn", std::move(settings));
    const char* slots[] = {"A", "1", "2", "3", "4"};
    for (int day = 1; day <= 5; ++day) composer.forecastSlot(day, slots[day - 1]);
    composer.current();
    composer.dateAndLockScreen();
  }
  std::string page(std::string_view p, std::string_view name) { return suite_->values().readText(p, name); }
  std::string file(std::string_view p, std::string_view name) {
    std::string path = page(p, name);
    return path.substr(path.rfind('\\') + 1);
  }
  std::string lockScreen() { return suite_->regReadText(Root::kCurrentUser, kLockScreenKey, kLockScreenValue); }

  std::optional<Suite> suite_;
  std::optional<MeteoPages> pages_;
};

TEST_F(ComposerTest, FillsTheSlotsTheRecordHasAndClearsTheRest) {
  composeAll({"LH", "mph", "%jour%%LF%%temp%", "at"});
  EXPECT_EQ(file("Page2", "IconA"), "26.png");
  EXPECT_EQ(page("Page2", "TempA"), "-1\xC2\xB0\n11\xC2\xB0");
  EXPECT_EQ(page("Page2", "Label1"), "D2 -2\xC2\xB0/12\xC2\xB0\nSky2");
  EXPECT_EQ(page("Page2", "Text2"), "D3\n-3\xC2\xB0\n13\xC2\xB0");
  EXPECT_EQ(file("Page2", "Icon3"), "null.png");
  EXPECT_EQ(page("Page2", "Jour4"), "");
  // Today is on Page1 too.
  EXPECT_EQ(page("Page1", "Jour0"), "D1");
  EXPECT_EQ(page("Page1", "Label0"), page("Page2", "LabelA"));
  EXPECT_EQ(page("Page1", "Temp"), "-4\xC2\xB0");
  EXPECT_EQ(page("Page1", "Current"), "09:00\n-4\xC2\xB0\n6 mph NW");
  EXPECT_EQ(page("Page1", "CurrentWeather"), "09:00  -4\xC2\xB0\n6 mph NW");
  EXPECT_EQ(page("Page2", "HeaderText"), "Lyon\nat 09:00");
  EXPECT_EQ(page("Page2", "Glissade"), "24/03");
  EXPECT_EQ(lockScreen(), "C|26|-1\xC2\xB0/11\xC2\xB0 ");
}

TEST_F(ComposerTest, TemperatureOrder) {
  composeAll({"HL", "km/h", "%sky%", ""});
  EXPECT_EQ(page("Page2", "TempA"), "11\xC2\xB0\n-1\xC2\xB0");
  EXPECT_EQ(page("Page2", "Text1"), "Sky2");
  EXPECT_EQ(page("Page1", "Current"), "09:00\n-4\xC2\xB0\n10 km/h NW");
  EXPECT_EQ(lockScreen(), "C|26|11\xC2\xB0/-1\xC2\xB0 ");
  // Neither LH nor HL: the slots show high first, the lock screen low first.
  composeAll({"hl", "km/h", "%sky%", ""});
  EXPECT_EQ(page("Page2", "TempA"), "11\xC2\xB0\n-1\xC2\xB0");
  EXPECT_EQ(lockScreen(), "C|26|-1\xC2\xB0/11\xC2\xB0 ");
}

TEST_F(ComposerTest, SlidesDayByDayUntilNothingIsLeft) {
  composeAll({"LH", "km/h", "%sky%", ""});
  ASSERT_TRUE(suite_->values().writeText("Page2", "Infos", "\\map.jpg"));
  slideForecast(*suite_, *pages_);
  EXPECT_EQ(page("Page2", "HeaderText"), "Lyon");
  EXPECT_EQ(file("Page2", "Infos"), "null.png");
  EXPECT_EQ(page("Page2", "SkyA"), "Sky2");
  EXPECT_EQ(page("Page1", "Sky0"), "Sky2");
  EXPECT_EQ(page("Page1", "Temp"), page("Page2", "TempA"));
  EXPECT_EQ(page("Page1", "Jour0"), "D1");  // left as it was
  EXPECT_EQ(page("Page1", "Maj"), "");
  EXPECT_EQ(page("Page2", "Sky1"), "Sky3");
  EXPECT_EQ(page("Page2", "Sky2"), "");
  EXPECT_EQ(lockScreen(), "C|0| ");
  for (int i = 0; i < 4; ++i) slideForecast(*suite_, *pages_);
  for (const char* slot : {"A", "1", "2", "3", "4"}) {
    EXPECT_EQ(page("Page2", std::string("Sky") + slot), "");
    EXPECT_EQ(file("Page2", std::string("Icon") + slot), "null.png");
  }
  EXPECT_EQ(page("", "Updated"), "1");
}

TEST_F(ComposerTest, MapToggleBothWays) {
  ASSERT_TRUE(suite_->values().writeText("Page2", "Map", "\\x\\map.jpg"));
  ASSERT_TRUE(suite_->values().writeText("Page2", "Infos", pages_->statusImage("null.png")));
  toggleMapInfo(*suite_, *pages_);
  EXPECT_EQ(page("Page2", "Infos"), "\\x\\map.jpg");
  toggleMapInfo(*suite_, *pages_);
  EXPECT_EQ(file("Page2", "Infos"), "null.png");
  EXPECT_EQ(page("", "Updated"), "1");
}

}  // namespace
}  // namespace zelko::meteo
