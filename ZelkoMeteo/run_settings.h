// What an update run fetches: the provider and its query values, from the home-screen
// settings and the command line, and the service addresses they make.
#pragma once

#include <string>
#include <string_view>

namespace zelko {
class Settings;
class Suite;
}  // namespace zelko

namespace zelko::meteo {

// Each service's base address when ZelkoToday.ini names none: the sample server of
// `zelko-device feeds`.
inline constexpr std::string_view kDefaultServiceBase = "http://127.0.0.1:8080";
// The longest address a run asks for, in UTF-16 units; a longer one is not asked for.
inline constexpr size_t kMaxUrlUnits = 255;

struct RunSettings {
  std::string provider;  // "msn", "google" or "accu"; anything else fetches nothing
  std::string city;      // the location code the service expects
  std::string language;  // a culture name such as "en-en"
  std::string unit;      // "C" or "F", for MSN and Google
  std::string metric;    // "1" or "0", for AccuWeather
  std::string mapName;   // the MSN map; empty for none
};

// The settings of a home-screen run: the plugin key's Weather ("msn" when empty), Ville
// and Map, and weatherlang, weathertemp and weathermetric of the suite INI file.
RunSettings homeScreenSettings(Suite& suite);
// The switches -msn, -google and -accu, looked at in that order, each setting its
// provider, city and defaults again, followed by the -lang, -degree, -metric and -map
// that go with it. -map names the map only outside home-screen mode.
void applyProviderSwitches(const Settings& settings, RunSettings& run);

// The base addresses of section Weather of ZelkoToday.ini: keys msn, msnmap, google and
// accu. Read in every mode; a trailing "/" is dropped.
struct ServiceBases {
  std::string msn, msnMap, google, accu;
};
ServiceBases readServiceBases(Suite& suite);

// Every byte but letters, digits and "-._~" as %XX: a location code with a blank, "&",
// "#" or "/" must not ask for another resource than the one the user set.
std::string percentEncode(std::string_view value);

struct ServiceUrls {
  std::string data;  // the forecast; empty for an unknown provider
  std::string map;   // the MSN map page; empty without a map name
};
// An address longer than kMaxUrlUnits is left empty (and so fails): cut, it would ask
// for something else.
ServiceUrls buildUrls(const RunSettings& run, const ServiceBases& bases);

}  // namespace zelko::meteo
