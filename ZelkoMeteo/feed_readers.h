// The three feed readers: each turns its service's document into the weather record.
// They work on the bytes of the downloaded file and touch nothing themselves; the update
// run stores the record when the reading is done and shows the progress words.
#pragma once

#include <string_view>

#include "ZelkoMeteo/weather_record.h"

namespace zelko::meteo {

class XmlDocument;

// Where a reader reports how far it got: the words of the weather page's header.
class ReadProgress {
 public:
  virtual ~ReadProgress() = default;
  virtual void header(std::string_view text) = 0;
};

// The outcome of a reading: the new record, and whether the reading counts as done.
// Only a done reading replaces the stored record.
struct FeedReading {
  bool done = false;
  WeatherRecord record;
};

// Loads a feed for the MSN and AccuWeather readers; shows the header "Error" when it is
// no well-formed document.
bool loadFeed(XmlDocument& doc, std::string_view document, ReadProgress& progress);

// Each reads `document` (the file's bytes) for the location code `city`.

// Google's weather API reply, read with the text scanner. Not done when the reply is
// not a whole xml_api_reply (an error page, a cut-off reply) or reports a problem_cause.
FeedReading readGoogleFeed(std::string_view document, std::string_view city, ReadProgress& progress);
// MSN's weather data reply. Not done when the document does not load, has no "weather"
// element, or one without children.
FeedReading readMsnFeed(std::string_view document, std::string_view city, ReadProgress& progress);
// AccuWeather's widget data reply. Not done when the document does not load or has none
// of the sections local, units, currentconditions and forecast.
FeedReading readAccuFeed(std::string_view document, std::string_view city, ReadProgress& progress);

}  // namespace zelko::meteo
