// An update run: download the chosen service's forecast, read it into the weather
// record, and compose the weather pages from it, while the status icons and the header
// show that work is under way. A failed run puts the status icons back as they were and
// keeps the previous record.
#pragma once

#include <string>
#include <vector>

#include "ZelkoMeteo/pages.h"
#include "ZelkoMeteo/run_settings.h"

namespace zelko {
class Suite;
}

namespace zelko::meteo {

// The files of a run, in the installation folder.
inline constexpr std::string_view kWeatherFile = "weather.xml";
inline constexpr std::string_view kMapPageFile = "map.xml";
inline constexpr std::string_view kMapImageFile = "map.jpg";

class UpdateRun {
 public:
  UpdateRun(Suite& suite, RunSettings settings, ServiceUrls urls);

  // True when the pages (or, outside home-screen mode, the record) were brought up to
  // date.
  bool run();

 private:
  void showDownloading();
  bool read();
  void fetchMapImage();
  void compose();
  bool fail(const std::vector<std::string>& keptIcons);

  Suite& suite_;
  MeteoPages pages_;
  RunSettings settings_;
  ServiceUrls urls_;
  const bool homeScreen_;
  const std::string weatherFile_, mapPageFile_, mapImageFile_;
};

}  // namespace zelko::meteo
