// MSN's weather data reply: a "weather" element with the location as attributes, and
// among its children one "current" and one "forecast" a day, each with its data as
// attributes.
#include <string>

#include "ZelkoMeteo/feed_readers.h"
#include "ZelkoMeteo/xml_cursor.h"
#include "common/ini_document.h"
#include "platform/text.h"

namespace zelko::meteo {
namespace {

std::string upToComma(const std::string& text) { return text.substr(0, text.find(',')); }

int number(const XmlCursor& element, std::string_view name) {
  return parseLeadingInt(element.attribute(name));
}

void readLocation(const XmlCursor& weather, WeatherRecord& record) {
  record.setText("", "city", upToComma(weather.attribute("weatherlocationname")));
  record.setText("", "lat", weather.attribute("lat"));
  record.setText("", "lon", weather.attribute("long"));
  record.setText("", "unit_temp", weather.attribute("degreetype"));
}

void readCurrent(const XmlCursor& current, WeatherRecord& record) {
  record.setNumber(kCurrentKey, "temperature", number(current, "temperature"));
  record.setText(kCurrentKey, "icon", current.attribute("skycode") + ".png");
  record.setText(kCurrentKey, "text", current.attribute("skytext"));
  record.setText(kCurrentKey, "date", current.attribute("date"));
  record.setText(kCurrentKey, "day", current.attribute("day"));
  record.setText(kCurrentKey, "wind", current.attribute("winddisplay"));
  // "06:00:00" is kept as "06:00", and "9:00" whole.
  record.setText(kCurrentKey, "time", platform::utf16Prefix(current.attribute("observationtime"), 5));
  record.setNumber(kCurrentKey, "humidity", number(current, "humidity"));
  record.setNumber(kCurrentKey, "feel", number(current, "feelslike"));
}

void readForecast(const XmlCursor& forecast, int day, WeatherRecord& record) {
  const std::string key = dayKey(day);
  record.setNumber(key, "low", number(forecast, "low"));
  record.setNumber(key, "high", number(forecast, "high"));
  record.setText(key, "icon", forecast.attribute("skycodeday") + ".png");
  record.setText(key, "text", forecast.attribute("skytextday"));
  record.setText(key, "date", forecast.attribute("date"));
  record.setText(key, "day", forecast.attribute("day"));
  record.setText(key, "precip", forecast.attribute("precip"));
}

}  // namespace

FeedReading readMsnFeed(std::string_view document, std::string_view city, ReadProgress& progress) {
  progress.header("MSN Weather");
  FeedReading reading;
  XmlDocument doc;
  if (!doc.load(document)) {
    progress.header("Error");
    return reading;
  }
  WeatherRecord& record = reading.record;
  record.setText("", "origin", "msn");
  record.setText("", "location", city);
  const XmlCursor weather = doc.root().childNamed("weather");
  if (!weather.hasElement()) return reading;
  readLocation(weather, record);
  int days = 0;
  for (XmlCursor child = weather.children(); !XmlCursor::atEnd(weather, child); child.advance()) {
    // Any child node, even a comment, makes the reading count.
    reading.done = true;
    const std::string tag = child.tagName();
    if (tag == "current") {
      progress.header("Current");
      readCurrent(child, record);
    } else if (tag == "forecast") {
      ++days;
      progress.header(dayKey(days));
      readForecast(child, days, record);
    }
  }
  record.setText("", "total", std::to_string(days));
  return reading;
}

}  // namespace zelko::meteo
