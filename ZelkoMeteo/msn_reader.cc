// MSN's weather data reply: a "weather" element with the location as attributes, and
// among its children one "current" and one "forecast" a day, each with its data as
// attributes.
#include <span>
#include <string>

#include "ZelkoMeteo/feed_readers.h"
#include "ZelkoMeteo/xml_cursor.h"
#include "common/ini_document.h"
#include "platform/text.h"

namespace zelko::meteo {
namespace {

// How an attribute becomes a record value.
enum class Form {
  kText,
  kNumber,      // its integer value
  kIcon,        // the sky code followed by ".png"
  kUpToComma,   // "Tokyo, JPN" is kept as "Tokyo"
  kFiveChars,   // "06:00:00" is kept as "06:00", and "9:00" whole
};

struct Field {
  const char* attribute;
  const char* value;
  Form form;
};

// In the order they are written.
constexpr Field kLocationFields[] = {{"weatherlocationname", "city", Form::kUpToComma},
                                     {"lat", "lat", Form::kText},
                                     {"long", "lon", Form::kText},
                                     {"degreetype", "unit_temp", Form::kText}};
constexpr Field kCurrentFields[] = {
    {"temperature", "temperature", Form::kNumber}, {"skycode", "icon", Form::kIcon},
    {"skytext", "text", Form::kText},              {"date", "date", Form::kText},
    {"day", "day", Form::kText},                   {"winddisplay", "wind", Form::kText},
    {"observationtime", "time", Form::kFiveChars}, {"humidity", "humidity", Form::kNumber},
    {"feelslike", "feel", Form::kNumber}};
constexpr Field kForecastFields[] = {
    {"low", "low", Form::kNumber},        {"high", "high", Form::kNumber}, {"skycodeday", "icon", Form::kIcon},
    {"skytextday", "text", Form::kText}, {"date", "date", Form::kText},   {"day", "day", Form::kText},
    {"precip", "precip", Form::kText}};

void readFields(const XmlCursor& element, std::span<const Field> fields, std::string_view key,
                WeatherRecord& record) {
  for (const Field& f : fields) {
    const std::string text = element.attribute(f.attribute);
    switch (f.form) {
      case Form::kText: record.setText(key, f.value, text); break;
      case Form::kNumber: record.setNumber(key, f.value, parseLeadingInt(text)); break;
      case Form::kIcon: record.setText(key, f.value, text + ".png"); break;
      case Form::kUpToComma: record.setText(key, f.value, text.substr(0, text.find(','))); break;
      case Form::kFiveChars: record.setText(key, f.value, platform::utf16Prefix(text, 5)); break;
    }
  }
}

}  // namespace

FeedReading readMsnFeed(std::string_view document, std::string_view city, ReadProgress& progress) {
  progress.header("MSN Weather");
  FeedReading reading;
  XmlDocument doc;
  if (!loadFeed(doc, document, progress)) return reading;
  WeatherRecord& record = reading.record;
  record.setText("", "origin", "msn");
  record.setText("", "location", city);
  const XmlCursor weather = doc.root().childNamed("weather");
  if (!weather.hasElement()) return reading;
  readFields(weather, kLocationFields, "", record);
  int days = 0;
  for (XmlCursor child = weather.children(); !XmlCursor::atEnd(weather, child); child.advance()) {
    // Any child node, even a comment, makes the reading count.
    reading.done = true;
    const std::string tag = child.tagName();
    if (tag == "current") {
      progress.header("Current");
      readFields(child, kCurrentFields, kCurrentKey, record);
    } else if (tag == "forecast") {
      ++days;
      progress.header(dayKey(days));
      readFields(child, kForecastFields, dayKey(days), record);
    }
  }
  record.setText("", "total", std::to_string(days));
  return reading;
}

}  // namespace zelko::meteo
