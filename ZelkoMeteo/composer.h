// The weather display: the text and image values of Page1 (current conditions and
// today) and Page2 (header, today and four forecast slots) made from the weather record,
// the one-line value of the lock-screen program, and the daily slide that moves the
// shown forecast one day on without reading the record.
#pragma once

#include <string>
#include <string_view>

namespace zelko {
class IniDocument;
class Suite;
}  // namespace zelko

namespace zelko::meteo {

class MeteoPages;

// The lock-screen program's weather value: HKCU\Software\A_C\S2U2 "UserWeather".
inline constexpr std::string_view kLockScreenKey = "Software\\A_C\\S2U2";
inline constexpr std::string_view kLockScreenValue = "UserWeather";

// Section ZelkoToday of ZelkoToday.ini, as far as the display goes.
struct DisplaySettings {
  std::string lowHigh;       // "weatherlohi": "LH" low first, else high first
  std::string windUnit;      // "weatherwind": "mph" or anything else for km/h
  std::string textTemplate;  // "weathertext": %jour%, %temp%, %sky%, %LF%
  std::string at;            // "AT": the word before the time in the header
};
DisplaySettings readDisplaySettings(IniDocument& suiteIni);

// An MSN wind text such as "10 km/h NW" in the unit `wanted`: unchanged when it is in
// that unit already, else the speed converted (to mph when `wanted` is "mph", to km/h
// for anything else), truncated, and written "6 mph NW".
std::string convertWind(std::string_view wind, std::string_view wanted);

// The template with %jour%, %temp%, %sky% and %LF% replaced, in that order.
std::string slotText(std::string_view textTemplate, std::string_view day, std::string_view temperatures,
                     std::string_view sky);

// The icon number of the lock-screen value: the number the icon's file name starts with
// ("26.png" is 26); 0 for a name without one (Google's "sunny.png").
int lockScreenIcon(std::string_view iconName);

// Writes the pages from the stored record, for the provider that made it.
class Composer {
 public:
  Composer(Suite& suite, MeteoPages& pages, std::string provider, DisplaySettings settings);

  // Forecast slot `suffix` ("A", "1".."4") from the day key of `day`; cleared when the
  // record has fewer days. Slot "A" is mirrored on Page1.
  void forecastSlot(int day, std::string_view suffix);
  // The current conditions on Page1, the city and the header on Page2.
  void current();
  // Page2 "Glissade" (today's date, which the engine compares to start the daily slide)
  // and the lock-screen value.
  void dateAndLockScreen();

 private:
  std::string twoLineTemperatures(int low, int high) const;

  Suite& suite_;
  MeteoPages& pages_;
  std::string provider_;
  DisplaySettings settings_;
};

// "-glissade": slot 1 becomes today, 2 becomes 1 and so on; the last slot is cleared.
void slideForecast(Suite& suite, MeteoPages& pages);
// "-map" or "-infos": Page2 "Infos" shows the downloaded map, or nothing when it did.
void toggleMapInfo(Suite& suite, MeteoPages& pages);

}  // namespace zelko::meteo
