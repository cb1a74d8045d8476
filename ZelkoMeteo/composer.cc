#include "ZelkoMeteo/composer.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "ZelkoMeteo/pages.h"
#include "ZelkoMeteo/weather_record.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::meteo {
namespace {

using platform::Root;

constexpr std::string_view kDegree = "\xC2\xB0";
constexpr double kKmhToMph = 0.621371192237334;
constexpr double kMphToKmh = 1.609344;
constexpr std::array<std::string_view, 6> kSlotValues = {"Sky", "Icon", "Temp", "Text", "Jour", "Label"};

std::string degrees(int value) { return std::to_string(value) + std::string(kDegree); }

std::vector<std::string_view> blankPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (size_t at = text.find_first_not_of(' '); at != std::string_view::npos;
       at = text.find_first_not_of(' ', at)) {
    size_t end = text.find(' ', at);
    pieces.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
    at = end;
  }
  return pieces;
}

int recordNumber(Suite& suite, std::string_view subkey, std::string_view name) {
  return static_cast<int>(suite.regReadNumber(Root::kCurrentUser, recordKey(subkey), name));
}

std::string recordText(Suite& suite, std::string_view subkey, std::string_view name) {
  return suite.regReadText(Root::kCurrentUser, recordKey(subkey), name);
}

std::string slotName(std::string_view value, std::string_view suffix) {
  return std::string(value) + std::string(suffix);
}

}  // namespace

DisplaySettings readDisplaySettings(IniDocument& ini) {
  return {ini.getText("ZelkoToday", "weatherlohi", "LH"), ini.getText("ZelkoToday", "weatherwind", "km/h"),
          ini.getText("ZelkoToday", "weathertext", "%sky%"), ini.getText("ZelkoToday", "AT", "")};
}

std::string convertWind(std::string_view wind, std::string_view wanted) {
  std::string copy(wind);
  replaceAll(copy, "   ", " ");
  replaceAll(copy, "  ", " ");
  std::vector<std::string_view> pieces = blankPieces(copy);
  auto piece = [&](size_t i) { return i < pieces.size() ? pieces[i] : std::string_view(); };
  if (piece(1) == wanted) return std::string(wind);
  const double factor = wanted == "mph" ? kKmhToMph : kMphToKmh;
  const int speed = static_cast<int>(parseLeadingInt(piece(0)) * factor);
  return std::to_string(speed) + " " + std::string(wanted) + " " + std::string(piece(2));
}

std::string slotText(std::string_view textTemplate, std::string_view day, std::string_view temperatures,
                     std::string_view sky) {
  std::string text(textTemplate);
  replaceAll(text, "%jour%", day);
  replaceAll(text, "%temp%", temperatures);
  replaceAll(text, "%sky%", sky);
  replaceAll(text, "%LF%", "\n");
  return text;
}

int lockScreenIcon(std::string_view iconName) {
  return iconName.empty() || iconName[0] < '0' || iconName[0] > '9' ? 0 : parseLeadingInt(iconName);
}

Composer::Composer(Suite& suite, MeteoPages& pages, std::string provider, DisplaySettings settings)
    : suite_(suite), pages_(pages), provider_(std::move(provider)), settings_(std::move(settings)) {}

std::string Composer::twoLineTemperatures(int first, int second) const {
  return degrees(first) + "\n" + degrees(second);
}

void Composer::forecastSlot(int day, std::string_view suffix) {
  ValueStore& values = suite_.values();
  values.writeText("Page2", slotName("Icon", suffix), pages_.statusImage("null.png"));
  for (std::string_view value : {"Temp", "Sky", "Jour", "Label", "Text"}) {
    values.writeText("Page2", slotName(value, suffix), "");
  }
  if (parseLeadingInt(recordText(suite_, "", "total")) < day) return;
  const std::string key = dayKey(day);
  const std::string icon = pages_.weatherIcon(recordText(suite_, key, "icon"), provider_);
  int first = recordNumber(suite_, key, "low"), second = recordNumber(suite_, key, "high");
  if (settings_.lowHigh != "LH") std::swap(first, second);
  const std::string dayName = recordText(suite_, key, "day"), sky = recordText(suite_, key, "text");
  const std::string temperatures = twoLineTemperatures(first, second);
  const std::string label = dayName + " " + degrees(first) + "/" + degrees(second) + "\n" + sky;
  const std::string text = slotText(settings_.textTemplate, dayName, temperatures, sky);
  const std::array<std::pair<std::string_view, const std::string*>, 6> slot = {
      {{"Icon", &icon}, {"Temp", &temperatures}, {"Sky", &sky}, {"Jour", &dayName}, {"Label", &label},
       {"Text", &text}}};
  for (const auto& [name, value] : slot) values.writeText("Page2", slotName(name, suffix), *value);
  if (suffix != "A") return;
  // Today is on Page1 too, in this order.
  for (const auto& [name, value] : {slot[0], slot[1], slot[2], slot[3], slot[5], slot[4]}) {
    values.writeText("Page1", slotName(name, "0"), *value);
  }
}

void Composer::current() {
  ValueStore& values = suite_.values();
  const std::string city = recordText(suite_, "", "city");
  const std::string time = recordText(suite_, kCurrentKey, "time");
  const std::string temperature = degrees(recordNumber(suite_, kCurrentKey, "temperature"));
  std::string wind = recordText(suite_, kCurrentKey, "wind");
  values.writeText("Page1", "Icon", pages_.weatherIcon(recordText(suite_, kCurrentKey, "icon"), provider_));
  values.writeText("Page1", "Temp", temperature);
  values.writeText("Page1", "Text", recordText(suite_, kCurrentKey, "text"));
  values.writeText("Page1", "Maj", time);
  values.writeText("Page1", "City", city);
  // Only MSN's wind text comes in the unit the user did not choose.
  if (provider_ == "msn") wind = convertWind(wind, settings_.windUnit);
  values.writeText("Page1", "Current", time + "\n" + temperature + "\n" + wind);
  values.writeText("Page1", "CurrentWeather", time + "  " + temperature + "\n" + wind);
  values.writeText("Page2", "City2", city);
  values.writeText("Page2", "HeaderText", city + "\n" + settings_.at + " " + time);
}

void Composer::dateAndLockScreen() {
  const platform::DateTime today = suite_.platform().clock().localNow();
  char date[16];
  std::snprintf(date, sizeof date, "%02d/%02d", today.day, today.month);
  suite_.values().writeText("Page2", "Glissade", date);
  const std::string day = dayKey(1);
  int first = recordNumber(suite_, day, "low"), second = recordNumber(suite_, day, "high");
  if (settings_.lowHigh == "HL") std::swap(first, second);
  const std::string value = "C|" + std::to_string(lockScreenIcon(recordText(suite_, day, "icon"))) + "|" +
                            degrees(first) + "/" + degrees(second) + " ";
  suite_.regWriteText(Root::kCurrentUser, kLockScreenKey, kLockScreenValue, value);
}

void slideForecast(Suite& suite, MeteoPages& pages) {
  ValueStore& values = suite.values();
  UpdateBracket bracket(values);
  const std::string blank = pages.statusImage("null.png");
  values.writeText("Page2", "Map", blank);
  values.writeText("Page2", "Infos", blank);
  values.writeText("Page2", "HeaderText", values.readText("Page1", "City"));
  auto slot = [&](std::string_view name, std::string_view suffix) {
    return values.readText("Page2", slotName(name, suffix));
  };
  for (std::string_view name : kSlotValues) values.writeText("Page2", slotName(name, "A"), slot(name, "1"));
  for (std::string_view name : {"Sky", "Icon", "Temp", "Text"}) {
    values.writeText("Page1", slotName(name, "0"), slot(name, "1"));
  }
  values.writeText("Page1", "Icon", slot("Icon", "1"));
  for (std::string_view name : {"Current", "CurrentWeather", "Temp"}) {
    values.writeText("Page1", name, slot("Temp", "1"));
  }
  values.writeText("Page1", "Text", slot("Text", "1"));
  values.writeText("Page1", "Maj", "");
  for (std::string_view from : {"2", "3", "4"}) {
    const std::string to(1, static_cast<char>(from[0] - 1));
    for (std::string_view name : kSlotValues) values.writeText("Page2", slotName(name, to), slot(name, from));
  }
  for (std::string_view name : kSlotValues) {
    values.writeText("Page2", slotName(name, "4"), name == "Icon" ? blank : "");
  }
  suite.regWriteText(Root::kCurrentUser, kLockScreenKey, kLockScreenValue, "C|0| ");
}

void toggleMapInfo(Suite& suite, MeteoPages& pages) {
  ValueStore& values = suite.values();
  const std::string map = values.readText("Page2", "Map");
  const std::string infos = values.readText("Page2", "Infos");
  UpdateBracket bracket(values);
  values.writeText("Page2", "Infos", infos.find("null.png") != std::string::npos ? map : pages.statusImage("null.png"));
}

}  // namespace zelko::meteo
