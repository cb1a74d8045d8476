#include "ZelkoMeteo/meteo.h"

#include "ZelkoMeteo/composer.h"
#include "ZelkoMeteo/download.h"
#include "ZelkoMeteo/pages.h"
#include "ZelkoMeteo/run_settings.h"
#include "ZelkoMeteo/update_run.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::meteo {

int runMeteo(Suite& suite, const std::vector<std::string>& args) {
  platform::Platform& platform = suite.platform();
  auto mutex = platform.sync().createMutex(kMeteoMutex);
  if (!mutex.ok()) {
    logFailure("cannot create the instance mutex", mutex.status());
    return 0;
  }
  if ((*mutex)->alreadyExisted()) return 0;

  Settings& settings = suite.settings();
  settings.startUp(kMeteoProgram.name, kMeteoProgram.build, args);
  RunSettings run;
  MeteoPages pages(suite);
  if (settings.homeScreenMode()) {
    if (settings.hasArgument("-map") || settings.hasArgument("-infos")) {
      toggleMapInfo(suite, pages);
      return 0;
    }
    if (settings.hasArgument("-glissade")) {
      slideForecast(suite, pages);
      return 0;
    }
    run = homeScreenSettings(suite);
  }
  applyProviderSwitches(settings, run);
  const ServiceUrls urls = buildUrls(run, readServiceBases(suite));
  const bool wasConnected =
      suite.regReadNumber(platform::Root::kLocalMachine, platform::kPhoneStateKey, platform::kPhoneStatusName) &
      platform::kPhoneStatusDataConnection;
  UpdateRun(suite, run, urls).run();
  if (!wasConnected) hangUpDialUp(platform.radios());
  return 0;
}

}  // namespace zelko::meteo
