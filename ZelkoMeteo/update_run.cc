#include "ZelkoMeteo/update_run.h"

#include "ZelkoMeteo/composer.h"
#include "ZelkoMeteo/download.h"
#include "ZelkoMeteo/feed_readers.h"
#include "ZelkoMeteo/map_page.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::meteo {

using platform::Status;

UpdateRun::UpdateRun(Suite& suite, RunSettings settings, ServiceUrls urls)
    : suite_(suite),
      pages_(suite),
      settings_(std::move(settings)),
      urls_(std::move(urls)),
      homeScreen_(suite.settings().homeScreenMode()),
      weatherFile_(suite.settings().installPath(kWeatherFile)),
      mapPageFile_(suite.settings().installPath(kMapPageFile)),
      mapImageFile_(suite.settings().installPath(kMapImageFile)) {}

bool UpdateRun::run() {
  platform::Platform& platform = suite_.platform();
  std::vector<std::string> keptIcons;
  if (homeScreen_) {
    pages_.header("...");
    keptIcons = pages_.statusIcons();
    showDownloading();
  }
  if (!downloadToFile(platform, urls_.data, weatherFile_, kDocumentByteLimit)) return fail(keptIcons);
  if (homeScreen_ && settings_.provider == "msn") {
    for (const std::string& file : {mapPageFile_, mapImageFile_}) {
      Status s = platform.files().removeFile(file);
      if (!s.ok() && s.code() != Status::Code::kNotFound) logFailure("cannot remove " + file, s);
    }
    // Without the map page the forecast is still worth showing.
    if (!urls_.map.empty()) downloadToFile(platform, urls_.map, mapPageFile_, kDocumentByteLimit);
  }
  if (homeScreen_) {
    pages_.header("Load...");
    UpdateBracket bracket(suite_.values());
    pages_.writeStatusIcons(std::vector<std::string>(kStatusIcons.size(), pages_.statusImage("load.png")));
  }
  if (!read()) return fail(keptIcons);
  if (!urls_.map.empty() && settings_.provider == "msn") fetchMapImage();
  if (homeScreen_) compose();
  return true;
}

void UpdateRun::showDownloading() {
  ValueStore& values = suite_.values();
  UpdateBracket bracket(values);
  pages_.writeStatusIcons(std::vector<std::string>(kStatusIcons.size(), pages_.statusImage("sync.png")));
  const std::string blank = pages_.statusImage("null.png");
  values.writeText("Page2", "Map", blank);
  values.writeText("Page2", "Infos", blank);
}

bool UpdateRun::read() {
  const std::string document = readDownloadedFile(suite_.platform().files(), weatherFile_);
  FeedReading reading;
  if (settings_.provider == "msn") {
    reading = readMsnFeed(document, settings_.city, pages_);
  } else if (settings_.provider == "accu") {
    reading = readAccuFeed(document, settings_.city, pages_);
  } else if (settings_.provider == "google") {
    reading = readGoogleFeed(document, settings_.city, pages_);
  }
  if (!reading.done) return false;
  Status stored = reading.record.store(suite_.platform().registry());
  if (!stored.ok()) logFailure("cannot store the weather record", stored);
  return stored.ok();
}

void UpdateRun::fetchMapImage() {
  pages_.header("MSN Map");
  std::optional<std::string> url = mapImageUrl(readDownloadedFile(suite_.platform().files(), mapPageFile_));
  if (!url) return;
  if (downloadToFile(suite_.platform(), *url, mapImageFile_, kImageByteLimit)) {
    suite_.values().writeText("Page2", "Map", mapImageFile_);
  }
}

void UpdateRun::compose() {
  pages_.header("");
  Composer composer(suite_, pages_, settings_.provider, readDisplaySettings(suite_.settings().suiteIni()));
  composer.forecastSlot(1, "A");
  composer.forecastSlot(2, "1");
  composer.forecastSlot(3, "2");
  composer.forecastSlot(4, "3");
  composer.forecastSlot(5, "4");
  {
    UpdateBracket bracket(suite_.values());
    composer.current();
  }
  composer.dateAndLockScreen();
}

bool UpdateRun::fail(const std::vector<std::string>& keptIcons) {
  if (homeScreen_) {
    UpdateBracket bracket(suite_.values());
    pages_.writeStatusIcons(keptIcons);
  }
  return false;
}

}  // namespace zelko::meteo
