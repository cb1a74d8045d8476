#include "device/feed_documents.h"

#include <cmath>
#include <cstdio>

namespace zelko::device {
namespace {

using platform::DateTime;

// One day of the sample forecast, with each service's own code for its weather.
struct SampleDay {
  int lowC, highC;
  int msnSky;              // MSN sky code
  int accuIcon;            // AccuWeather icon number
  const char* googleIcon;  // Google icon name
  const char* text;
  int precip;  // chance of precipitation, percent
  const char* sunrise;
  const char* sunset;
};

constexpr SampleDay kDays[] = {
    {3, 9, 30, 3, "partly_cloudy", "Partly Cloudy", 10, "6:52 AM", "7:25 PM"},
    {5, 11, 11, 12, "rain", "Rain", 80, "6:50 AM", "7:26 PM"},
    {2, 7, 26, 7, "cloudy", "Cloudy", 20, "6:48 AM", "7:28 PM"},
    {-2, 4, 14, 22, "snow", "Snow", 60, "6:46 AM", "7:29 PM"},
    {-1, 8, 32, 1, "sunny", "Sunny", 0, "6:44 AM", "7:31 PM"},
    {4, 12, 34, 2, "mostly_sunny", "Mostly Sunny", 5, "6:42 AM", "7:32 PM"},
    {6, 13, 39, 13, "chance_of_rain", "Chance of Rain", 40, "6:40 AM", "7:33 PM"},
};

// The current conditions.
constexpr int kNowC = 6, kFeelsC = 4, kHumidity = 71, kWindKmh = 14;
constexpr char kWindFrom[] = "NW";
constexpr int kNowMsnSky = 28, kNowAccuIcon = 6;
constexpr char kNowGoogleIcon[] = "mostly_cloudy", kNowText[] = "Mostly Cloudy";

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

int fahrenheit(int celsius) { return static_cast<int>(std::lround(celsius * 9.0 / 5.0 + 32)); }
int mph(int kmh) { return static_cast<int>(std::lround(kmh / 1.609344)); }

DateTime dayAfter(const DateTime& now, int days) {
  return platform::fromEpochMs(platform::toEpochMs(now) + int64_t{days} * 86400000);
}

std::string format(const char* pattern, int a, int b, int c) {
  char out[32];
  std::snprintf(out, sizeof out, pattern, a, b, c);
  return out;
}

std::string isoDate(const DateTime& t) { return format("%04d-%02d-%02d", t.year, t.month, t.day); }
std::string timeOfDay(const DateTime& t) { return format("%02d:%02d:%02d", t.hour, t.minute, t.second); }
std::string shortDay(const DateTime& t) { return std::string(kDayNames[t.dayOfWeek]).substr(0, 3); }

std::string attr(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + xmlEscape(value) + "\"";
}
std::string attr(std::string_view name, int value) { return attr(name, std::to_string(value)); }

std::string element(std::string_view name, std::string_view text) {
  return "<" + std::string(name) + ">" + xmlEscape(text) + "</" + std::string(name) + ">";
}
std::string element(std::string_view name, int value) { return element(name, std::to_string(value)); }

// Google's self-closing elements with a "data" attribute.
std::string data(std::string_view name, std::string_view value) {
  return "<" + std::string(name) + attr("data", value) + "/>";
}

std::string msnForecast(const SampleDay& d, const DateTime& date, bool f) {
  return "    <forecast" + attr("low", f ? fahrenheit(d.lowC) : d.lowC) +
         attr("high", f ? fahrenheit(d.highC) : d.highC) + attr("skycodeday", d.msnSky) +
         attr("skytextday", d.text) + attr("date", isoDate(date)) + attr("day", kDayNames[date.dayOfWeek]) +
         attr("shortday", shortDay(date)) + attr("precip", d.precip) + " />\r\n";
}

std::string googleForecast(const SampleDay& d, const DateTime& date, bool us) {
  return "<forecast_conditions>" + data("day_of_week", shortDay(date)) +
         data("low", std::to_string(us ? fahrenheit(d.lowC) : d.lowC)) +
         data("high", std::to_string(us ? fahrenheit(d.highC) : d.highC)) +
         data("icon", "/ig/images/weather/" + std::string(d.googleIcon) + ".gif") + data("condition", d.text) +
         "</forecast_conditions>";
}

std::string accuDay(int number, const SampleDay& d, const DateTime& date, bool metric) {
  auto temp = [&](int c) { return metric ? c : fahrenheit(c); };
  char icon[8];
  std::snprintf(icon, sizeof icon, "%02d", d.accuIcon);
  return "    <day" + attr("number", number) + ">" + element("obsdate", format("%d/%d/%d", date.month, date.day, date.year)) +
         element("daycode", kDayNames[date.dayOfWeek]) + element("sunrise", d.sunrise) + element("sunset", d.sunset) +
         "\r\n      <daytime>" + element("txtshort", d.text) + element("txtlong", d.text) + element("weathericon", icon) +
         element("hightemperature", temp(d.highC)) + element("lowtemperature", temp(d.lowC)) +
         element("windspeed", metric ? kWindKmh : mph(kWindKmh)) + element("winddirection", kWindFrom) +
         element("precipamount", d.precip > 50 ? (metric ? "4.1" : "0.16") : "0") + "</daytime>\r\n" +
         "      <nighttime>" + element("txtshort", "Clear") + element("weathericon", "33") +
         element("lowtemperature", temp(d.lowC - 2)) + "</nighttime>\r\n    </day>\r\n";
}

}  // namespace

std::string xmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string msnDocument(std::string_view city, bool f, const DateTime& now) {
  std::string wind = f ? std::to_string(mph(kWindKmh)) + " mph " : std::to_string(kWindKmh) + " km/h ";
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<weatherdata"
      " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n"
      "  <weather" + attr("weatherlocationcode", "wc:" + std::string(city)) +
      attr("weatherlocationname", "Lyon, FRA") + attr("zipcode", "") + attr("degreetype", f ? "F" : "C") +
      attr("provider", "Zelko sample feeds") + attr("lat", "45.7597") + attr("long", "4.8422") +
      attr("timezone", "1") + attr("alert", "") + ">\r\n    <current" + attr("temperature", f ? fahrenheit(kNowC) : kNowC) +
      attr("skycode", kNowMsnSky) + attr("skytext", kNowText) + attr("date", isoDate(now)) +
      attr("observationtime", timeOfDay(now)) + attr("observationpoint", "Lyon") +
      attr("feelslike", f ? fahrenheit(kFeelsC) : kFeelsC) + attr("humidity", kHumidity) +
      attr("winddisplay", wind + kWindFrom) + attr("day", kDayNames[now.dayOfWeek]) + attr("shortday", shortDay(now)) +
      attr("windspeed", f ? mph(kWindKmh) : kWindKmh) + " />\r\n";
  for (int i = 0; i < 5; ++i) out += msnForecast(kDays[i], dayAfter(now, i), f);
  return out + "    <toolbar timewindow=\"60\" minversion=\"1.0.1965.0\" />\r\n  </weather>\r\n</weatherdata>\r\n";
}

std::string googleDocument(std::string_view city, std::string_view language, const DateTime& now) {
  const bool us = language == "en";
  std::string wind = us ? std::to_string(mph(kWindKmh)) + " mph" : std::to_string(kWindKmh) + " km/h";
  std::string out =
      "<?xml version=\"1.0\"?><xml_api_reply version=\"1\"><weather module_id=\"0\" tab_id=\"0\""
      " mobile_row=\"0\" mobile_zipped=\"1\" row=\"0\" section=\"0\" ><forecast_information>" +
      data("city", "Lyon, Rhone-Alpes") + data("postal_code", city) + data("latitude_e6", "") +
      data("longitude_e6", "") + data("forecast_date", isoDate(now)) +
      data("current_date_time", isoDate(now) + " " + timeOfDay(now) + " +0000") + data("unit_system", us ? "US" : "SI") +
      "</forecast_information><current_conditions>" + data("condition", kNowText) +
      data("temp_f", std::to_string(fahrenheit(kNowC))) + data("temp_c", std::to_string(kNowC)) +
      data("humidity", "Humidity: " + std::to_string(kHumidity) + "%") +
      data("icon", "/ig/images/weather/" + std::string(kNowGoogleIcon) + ".gif") +
      data("wind_condition", "Wind: " + std::string(kWindFrom) + " at " + wind) + "</current_conditions>";
  for (int i = 0; i < 4; ++i) out += googleForecast(kDays[i], dayAfter(now, i), us);
  return out + "</weather></xml_api_reply>";
}

std::string accuDocument(std::string_view city, bool metric, const DateTime& now) {
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", now.hour, now.minute);
  char icon[8];
  std::snprintf(icon, sizeof icon, "%02d", kNowAccuIcon);
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<adc_database xmlns=\"http://www.accuweather.com\">\r\n  <units>" +
                    element("temp", metric ? "C" : "F") + element("dist", metric ? "KM" : "MI") +
                    element("speed", metric ? "KM/H" : "MPH") + element("pres", metric ? "MB" : "IN") +
                    element("prec", metric ? "MM" : "IN") + "</units>\r\n  <local>" + element("city", "Lyon") +
                    element("adminArea", "Rhone") + element("country", "France") + element("locationKey", city) +
                    element("lat", "45.7597") + element("lon", "4.8422") + element("time", time) +
                    element("timeZone", "1") + "</local>\r\n  <currentconditions daylight=\"True\">" +
                    element("temperature", metric ? kNowC : fahrenheit(kNowC)) +
                    element("realfeel", metric ? kFeelsC : fahrenheit(kFeelsC)) +
                    element("humidity", std::to_string(kHumidity) + "%") + element("weathertext", kNowText) +
                    element("weathericon", icon) + element("windspeed", metric ? kWindKmh : mph(kWindKmh)) +
                    element("winddirection", kWindFrom) + "</currentconditions>\r\n  <forecast>\r\n";
  int number = 1;
  for (const SampleDay& d : kDays) {
    out += accuDay(number, d, dayAfter(now, number - 1), metric);
    ++number;
  }
  return out + "  </forecast>\r\n</adc_database>\r\n";
}

std::string mapPage(std::string_view city, std::string_view mapName, std::string_view imageUrl) {
  return "<!DOCTYPE html>\r\n<html>\r\n<head><title>Local maps: " + xmlEscape(city) +
         "</title></head>\r\n<body>\r\n<h1>Lyon, FRA: " + xmlEscape(mapName) +
         "</h1>\r\n<div class=\"map\">\r\n<img id=\"mapimage\" alt=\"" + xmlEscape(mapName) + " map\"\r\n src=\"" +
         xmlEscape(imageUrl) + "\" width=\"240\" height=\"160\" />\r\n</div>\r\n</body>\r\n</html>\r\n";
}

}  // namespace zelko::device
