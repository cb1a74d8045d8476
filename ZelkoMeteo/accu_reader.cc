// AccuWeather's widget data reply: its data is element text, in the sections local,
// units, currentconditions and forecast under the document element.
#include <functional>
#include <map>
#include <string>

#include "ZelkoMeteo/feed_readers.h"
#include "ZelkoMeteo/xml_cursor.h"
#include "common/ini_document.h"

namespace zelko::meteo {
namespace {

using Handler = std::function<void(const XmlCursor& element)>;

// Walks the children of `parent`, handing each element to the handler of its tag name.
void walk(const XmlCursor& parent, const std::map<std::string, Handler, std::less<>>& handlers) {
  for (XmlCursor child = parent.children(); !XmlCursor::atEnd(parent, child); child.advance()) {
    auto handler = handlers.find(child.tagName());
    if (handler != handlers.end()) handler->second(child);
  }
}

int number(const XmlCursor& element) { return parseLeadingInt(element.nodeText()); }

// "07" is stored as "7.png".
std::string iconName(const XmlCursor& element) { return std::to_string(number(element)) + ".png"; }

// "6:12 AM" is stored as "6:12".
std::string upToBlank(const XmlCursor& element) {
  std::string text = element.nodeText();
  return text.substr(0, text.find(' '));
}

class AccuReader {
 public:
  AccuReader(WeatherRecord& record, ReadProgress& progress) : record_(record), progress_(progress) {}

  void local(const XmlCursor& section) {
    walk(section, {{"city", text("", "city")},
                   {"lat", text("", "lat")},
                   {"lon", text("", "lon")},
                   {"time", text(kCurrentKey, "time")}});
  }

  void units(const XmlCursor& section) {
    walk(section, {{"speed", [&](const XmlCursor& e) {
                      speedUnit_ = e.nodeText();
                      record_.setText("", "unit_speed", speedUnit_);
                    }},
                   {"temp", text("", "unit_temp")},
                   {"dist", text("", "unit_dist")},
                   {"pres", text("", "unit_pres")},
                   {"prec", text("", "unit_prec")}});
  }

  void current(const XmlCursor& section) {
    progress_.header("Current");
    walk(section, {{"temperature", integer(kCurrentKey, "temperature")},
                   {"weathericon", icon(kCurrentKey)},
                   {"weathertext", text(kCurrentKey, "text")},
                   {"humidity", integer(kCurrentKey, "humidity")},
                   {"realfeel", integer(kCurrentKey, "feel")},
                   {"windspeed", [&](const XmlCursor& e) { windSpeed_ = e.nodeText(); }},
                   {"winddirection", [&](const XmlCursor& e) { windDirection_ = e.nodeText(); }}});
    record_.setText(kCurrentKey, "wind", windSpeed_ + " " + speedUnit_ + " " + windDirection_);
  }

  // The number of the last day walked; 0 without one.
  int forecast(const XmlCursor& section) {
    int last = 0;
    walk(section, {{"day", [&](const XmlCursor& day) { last = this->day(day); }}});
    return last;
  }

 private:
  int day(const XmlCursor& element) {
    const int number = element.intAttribute("number", 0);
    const std::string key = dayKey(number);
    progress_.header(key);
    walk(element, {{"daycode", [&, number](const XmlCursor& e) {
                      record_.setText(key, "day", e.nodeText());
                      if (number == 1) record_.setText(kCurrentKey, "day", e.nodeText());
                    }},
                   {"sunrise", [&](const XmlCursor& e) { record_.setText(key, "sunrise", upToBlank(e)); }},
                   {"sunset", [&](const XmlCursor& e) { record_.setText(key, "sunset", upToBlank(e)); }},
                   {"daytime", [&](const XmlCursor& daytime) {
                      walk(daytime, {{"hightemperature", integer(key, "high")},
                                     {"lowtemperature", integer(key, "low")},
                                     {"weathericon", icon(key)},
                                     {"txtshort", text(key, "text")},
                                     {"precipamount", text(key, "precip")}});
                    }}});
    return number;
  }

  Handler text(std::string_view key, std::string_view name) {
    return [this, key = std::string(key), name = std::string(name)](const XmlCursor& e) {
      record_.setText(key, name, e.nodeText());
    };
  }
  Handler integer(std::string_view key, std::string_view name) {
    return [this, key = std::string(key), name = std::string(name)](const XmlCursor& e) {
      record_.setNumber(key, name, number(e));
    };
  }
  Handler icon(std::string_view key) {
    return [this, key = std::string(key)](const XmlCursor& e) { record_.setText(key, "icon", iconName(e)); };
  }

  WeatherRecord& record_;
  ReadProgress& progress_;
  // The wind text is put together from three elements of two sections.
  std::string windSpeed_;
  std::string speedUnit_ = "-";
  std::string windDirection_;
};

}  // namespace

FeedReading readAccuFeed(std::string_view document, std::string_view city, ReadProgress& progress) {
  progress.header("ACCUWeather");
  FeedReading reading;
  XmlDocument doc;
  if (!loadFeed(doc, document, progress)) return reading;
  reading.record.setText("", "origin", "accu");
  reading.record.setText("", "location", city);
  const XmlCursor& root = doc.root();
  AccuReader reader(reading.record, progress);
  const XmlCursor local = root.childNamed("local"), units = root.childNamed("units");
  const XmlCursor current = root.childNamed("currentconditions"), forecast = root.childNamed("forecast");
  if (local.hasElement()) reader.local(local);
  if (units.hasElement()) reader.units(units);
  if (current.hasElement()) reader.current(current);
  const int total = forecast.hasElement() ? reader.forecast(forecast) : 0;
  reading.record.setText("", "total", std::to_string(total));
  // A document with none of the sections is some other page (an error page that happens
  // to be well-formed), not a forecast.
  reading.done = local.hasElement() || units.hasElement() || current.hasElement() || forecast.hasElement();
  return reading;
}

}  // namespace zelko::meteo
