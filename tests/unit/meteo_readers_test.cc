// The three feed readers on our own sample replies and on the odd documents a service
// (or what stands in its place) may send.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZelkoMeteo/feed_readers.h"
#include "device/feed_documents.h"

namespace zelko::meteo {
namespace {

const platform::DateTime kNow{2026, 3, 2, 24, 9, 5, 0, 0};  // Tuesday 24 March 2026, 09:05

struct Headers : ReadProgress {
  void header(std::string_view text) override { words.emplace_back(text); }
  std::vector<std::string> words;
};

std::string text(const FeedReading& r, std::string_view key, std::string_view name) {
  const platform::RegValue* v = r.record.find(key, name);
  return v && v->type == platform::ValueType::kString ? v->text : "(none)";
}

int number(const FeedReading& r, std::string_view key, std::string_view name) {
  const platform::RegValue* v = r.record.find(key, name);
  return v && v->type == platform::ValueType::kDword ? static_cast<int>(v->dword) : -999;
}

TEST(GoogleReader, ReadsTheSampleReply) {
  Headers h;
  FeedReading r = readGoogleFeed(device::googleDocument("Lyon,France", "fr", kNow), "Lyon,France", h);
  ASSERT_TRUE(r.done);
  EXPECT_EQ(text(r, "", "location"), "Lyon,France");
  EXPECT_EQ(text(r, "", "city"), "Lyon");  // up to the comma
  EXPECT_EQ(text(r, "Current", "wind"), " NW at 14 km/h");  // after "Wind:", blank kept
  EXPECT_EQ(number(r, "Current", "humidity"), 71);
  EXPECT_EQ(text(r, "Current", "icon"), "mostly_cloudy.png");
  EXPECT_EQ(text(r, "", "total"), "4");
  EXPECT_EQ(number(r, "Day4", "low"), -2);
  EXPECT_EQ(h.words, (std::vector<std::string>{"GOOGLE Weather", "information", "current", "forecast", "Day1",
                                               "Day2", "Day3", "Day4"}));
}

TEST(GoogleReader, KeepsFiveDaysAndCountsOnlyWholeReplies) {
  std::string days;
  for (int i = 0; i < 6; ++i) {
    days += "<forecast_conditions><icon data=\"http://g0.gstatic.com/a/weather_rain-40.gif\"/></forecast_conditions>";
  }
  Headers h;
  FeedReading r = readGoogleFeed("<xml_api_reply><weather>" + days + "</weather></xml_api_reply>", "x", h);
  ASSERT_TRUE(r.done);
  EXPECT_EQ(text(r, "", "total"), "5");
  EXPECT_EQ(text(r, "Day5", "icon"), "weather_rain-40.png");
  EXPECT_EQ(r.record.find("Day6", "icon"), nullptr);

  const std::string whole = device::googleDocument("x", "en", kNow);
  for (const std::string& bad :
       {std::string(), whole.substr(0, whole.size() / 2),
        std::string("<html><head><title>Sorry...</title></head><body>automated queries</body></html>"),
        std::string("<xml_api_reply version=\"1\"><weather><problem_cause data=\"\"/></weather></xml_api_reply>")}) {
    Headers hb;
    EXPECT_FALSE(readGoogleFeed(bad, "x", hb).done) << bad;
    EXPECT_EQ(hb.words.back(), "Error");
  }
}

TEST(MsnReader, ReadsTheSampleReply) {
  Headers h;
  FeedReading r = readMsnFeed(device::msnDocument("FRXX0023", true, kNow), "FRXX0023", h);
  ASSERT_TRUE(r.done);
  EXPECT_EQ(text(r, "", "unit_temp"), "F");
  EXPECT_EQ(text(r, "Current", "icon"), "28.png");
  EXPECT_EQ(text(r, "Current", "wind"), "9 mph NW");
  EXPECT_EQ(number(r, "Current", "feel"), 39);
  EXPECT_EQ(text(r, "Day5", "date"), "2026-03-28");
  EXPECT_EQ(h.words.front(), "MSN Weather");
  EXPECT_EQ(h.words.back(), "Day5");
}

TEST(MsnReader, ChildrenInAnyOrderAndAsManyAsThereAre) {
  std::string forecasts;
  for (int i = 1; i <= 7; ++i) forecasts += "<forecast low=\"" + std::to_string(i) + "\"/>";
  Headers h;
  FeedReading r = readMsnFeed("<weatherdata><weather weatherlocationname=\"Nice\">" + forecasts +
                                  "<current observationtime=\"9:00\" temperature=\"-3\"/></weather></weatherdata>",
                              "c", h);
  ASSERT_TRUE(r.done);
  EXPECT_EQ(text(r, "", "total"), "7");
  EXPECT_EQ(number(r, "Day7", "low"), 7);
  EXPECT_EQ(text(r, "Current", "time"), "9:00");
  EXPECT_EQ(number(r, "Current", "temperature"), -3);
  EXPECT_EQ(text(r, "", "city"), "Nice");
  // Any child node counts, even one that is no forecast.
  Headers hc;
  FeedReading commented = readMsnFeed("<w><weather><!-- later --></weather></w>", "c", hc);
  EXPECT_TRUE(commented.done);
  EXPECT_EQ(text(commented, "", "total"), "0");
}

TEST(MsnReader, DocumentsWithoutAForecastAreNotDone) {
  for (const char* bad : {"", "not xml", "<weatherdata><weather><current></weatherdata>", "<weatherdata/>",
                          "<weatherdata><weather weatherlocationname=\"X\">\n  </weather></weatherdata>",
                          "<html><body><h2>Object moved to <a href=\"/x\">here</a>.</h2></body></html>"}) {
    Headers h;
    EXPECT_FALSE(readMsnFeed(bad, "c", h).done) << bad;
  }
  Headers h;
  readMsnFeed("<weatherdata", "c", h);
  EXPECT_EQ(h.words, (std::vector<std::string>{"MSN Weather", "Error"}));
}

TEST(AccuReader, ReadsTheSampleReply) {
  Headers h;
  FeedReading r = readAccuFeed(device::accuDocument("EUR|FR|LYON", true, kNow), "EUR|FR|LYON", h);
  ASSERT_TRUE(r.done);
  EXPECT_EQ(text(r, "Current", "icon"), "6.png");  // "06"
  EXPECT_EQ(text(r, "Current", "wind"), "14 KM/H NW");
  EXPECT_EQ(text(r, "Current", "day"), "Tuesday");
  EXPECT_EQ(text(r, "Day1", "sunrise"), "6:52");
  EXPECT_EQ(number(r, "Day4", "low"), -2);
  EXPECT_EQ(text(r, "Day4", "precip"), "4.1");
  EXPECT_EQ(h.words, (std::vector<std::string>{"ACCUWeather", "Current", "Day1", "Day2", "Day3", "Day4", "Day5",
                                               "Day6", "Day7"}));
}

TEST(AccuReader, DaysAsNumberedAndMissingSections) {
  Headers h;
  FeedReading r = readAccuFeed(
      "<adc_database><currentconditions><windspeed>5</windspeed><winddirection>E</winddirection>"
      "</currentconditions><forecast><day number=\"3\"><daycode>Thu</daycode></day>"
      "<day><daycode>None</daycode></day><day number=\"2\"><daycode>Wed</daycode></day></forecast></adc_database>",
      "c", h);
  ASSERT_TRUE(r.done);
  EXPECT_EQ(text(r, "Current", "wind"), "5 - E");  // no units section
  EXPECT_EQ(text(r, "Day0", "day"), "None");
  EXPECT_EQ(text(r, "", "total"), "2");  // the last day walked
  EXPECT_EQ(r.record.find("Current", "day"), nullptr);  // only day 1 gives it
  Headers hb;
  EXPECT_FALSE(readAccuFeed("<html><body>Service unavailable</body></html>", "c", hb).done);
  EXPECT_FALSE(readAccuFeed("<adc_database><local>", "c", hb).done);
}

}  // namespace
}  // namespace zelko::meteo
