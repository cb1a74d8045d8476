// Google's weather API reply: every value is the "data" attribute of an element, cut out
// of the text by substring search.
#include <algorithm>
#include <string>

#include "ZelkoMeteo/feed_readers.h"
#include "ZelkoMeteo/feed_text.h"
#include "ZelkoMeteo/text_scanner.h"
#include "common/actions.h"
#include "common/ini_document.h"
#include "platform/text.h"

namespace zelko::meteo {
namespace {

// The reply holds at most this many forecast days that are read.
constexpr size_t kMaxGoogleDays = 5;

std::string data(std::string_view section, std::string_view element) {
  return std::string(attributeOf(section, element, "data"));
}

std::string_view upTo(std::string_view text, char stop) { return text.substr(0, text.find(stop)); }

std::string_view afterColon(std::string_view text) {
  size_t colon = text.find(':');
  return colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
}

// "/ig/images/weather/mostly_sunny.gif" is stored as "mostly_sunny.png".
std::string iconName(std::string_view value) {
  size_t slash = value.rfind('/');
  std::string name(slash == std::string_view::npos ? value : value.substr(slash + 1));
  replaceAll(name, ".gif", ".png");
  return name;
}

// The second blank-separated piece, cut to five characters: "2010-03-23 14:00:00 +0000"
// gives "14:00".
std::string timeOfDay(std::string_view dateTime) {
  size_t first = dateTime.find_first_not_of(' ');
  size_t gap = dateTime.find(' ', first);
  size_t second = dateTime.find_first_not_of(' ', gap);
  if (first == std::string_view::npos || second == std::string_view::npos) return {};
  return std::string(platform::utf16Prefix(upTo(dateTime.substr(second), ' '), 5));
}

bool wholeReply(std::string_view text) {
  size_t open = text.find("<xml_api_reply");
  return open != std::string_view::npos && text.find("</xml_api_reply>", open) != std::string_view::npos;
}

void readInformation(std::string_view text, WeatherRecord& record) {
  std::string_view section = elementText(text, "forecast_information", 0);
  record.setText("", "city", upTo(data(section, "city"), ','));
  record.setText("", "lat", data(section, "latitude_e6"));
  record.setText("", "lon", data(section, "longitude_e6"));
  record.setText(kCurrentKey, "date", data(section, "forecast_date"));
  record.setText(kCurrentKey, "time", timeOfDay(data(section, "current_date_time")));
}

void readCurrent(std::string_view text, WeatherRecord& record) {
  std::string_view section = elementText(text, "current_conditions", 0);
  record.setText(kCurrentKey, "text", data(section, "condition"));
  record.setNumber(kCurrentKey, "temperature", parseLeadingInt(data(section, "temp_c")));
  record.setText(kCurrentKey, "wind", upTo(afterColon(data(section, "wind_condition")), ':'));
  record.setNumber(kCurrentKey, "humidity", parseLeadingInt(afterColon(data(section, "humidity"))));
  record.setText(kCurrentKey, "icon", iconName(data(section, "icon")));
}

void readDay(std::string_view text, int day, WeatherRecord& record) {
  std::string_view section = elementText(text, "forecast_conditions", static_cast<size_t>(day - 1));
  const std::string key = dayKey(day);
  record.setText(key, "text", data(section, "condition"));
  record.setNumber(key, "low", parseLeadingInt(data(section, "low")));
  record.setNumber(key, "high", parseLeadingInt(data(section, "high")));
  record.setText(key, "day", data(section, "day_of_week"));
  record.setText(key, "icon", iconName(data(section, "icon")));
}

}  // namespace

FeedReading readGoogleFeed(std::string_view document, std::string_view city, ReadProgress& progress) {
  progress.header("GOOGLE Weather");
  const std::string text = decodeTextFile(document);
  FeedReading reading;
  reading.record.setText("", "origin", "google");
  reading.record.setText("", "location", city);
  // The name ends in a blank, as the service writes the element.
  if (!wholeReply(text) || !elementText(text, "problem_cause ", 0).empty()) {
    progress.header("Error");
    return reading;
  }
  progress.header("information");
  readInformation(text, reading.record);
  progress.header("current");
  readCurrent(text, reading.record);
  progress.header("forecast");
  const int days = static_cast<int>(std::min(countElements(text, "forecast_conditions"), kMaxGoogleDays));
  for (int day = 1; day <= days; ++day) {
    progress.header(dayKey(day));
    readDay(text, day, reading.record);
  }
  reading.record.setText("", "total", std::to_string(days));
  reading.done = true;
  return reading;
}

}  // namespace zelko::meteo
