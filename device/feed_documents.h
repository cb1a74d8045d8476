// Sample replies of the three weather services, each in its service's own format, for
// `zelko-device feeds` and the tests: one sample forecast of our own (the same place and
// weather whatever location is asked for, the location code echoed where the service
// echoes it), dated from the device's day, in the units the request asks for.
#pragma once

#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace zelko::device {

// The MSN weather data reply (data.aspx): five forecast days, in degrees Celsius or,
// when `fahrenheit`, Fahrenheit (the wind in mph too).
std::string msnDocument(std::string_view city, bool fahrenheit, const platform::DateTime& now);
// The Google weather API reply (ig/api): four forecast days; US units for the language
// "en", metric ones for any other.
std::string googleDocument(std::string_view city, std::string_view language, const platform::DateTime& now);
// The AccuWeather widget data reply (weather-data.asp): seven forecast days, metric or not.
std::string accuDocument(std::string_view city, bool metric, const platform::DateTime& now);
// The MSN local maps page (localmaps.aspx), showing the image at `imageUrl`.
std::string mapPage(std::string_view city, std::string_view mapName, std::string_view imageUrl);

// The text with &, <, >, " and ' written as entities.
std::string xmlEscape(std::string_view text);

}  // namespace zelko::device
