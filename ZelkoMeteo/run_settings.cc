#include "ZelkoMeteo/run_settings.h"

#include <cstdio>

#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::meteo {
namespace {

std::string upToDash(const std::string& language) { return language.substr(0, language.find('-')); }

std::string base(IniDocument& ini, std::string_view key) {
  std::string url = ini.getText("Weather", key, kDefaultServiceBase);
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

std::string checked(std::string url) {
  if (platform::utf16Length(url) <= kMaxUrlUnits) return url;
  std::fprintf(stderr, "ZelkoMeteo: not asking for an address longer than %zu characters: %s\n",
               kMaxUrlUnits, url.c_str());
  return {};
}

}  // namespace

RunSettings homeScreenSettings(Suite& suite) {
  Settings& settings = suite.settings();
  IniDocument& ini = settings.suiteIni();
  RunSettings run;
  run.provider = settings.weather().empty() ? "msn" : settings.weather();
  run.language = ini.getText("ZelkoToday", "weatherlang", "en-en");
  run.unit = ini.getText("ZelkoToday", "weathertemp", "F");
  run.metric = ini.getText("ZelkoToday", "weathermetric", "1");
  run.city = suite.values().readText("", "Ville");
  run.mapName = suite.values().readText("", "Map");
  return run;
}

void applyProviderSwitches(const Settings& settings, RunSettings& run) {
  auto take = [&](std::string_view name, std::string& into) {
    if (auto value = settings.argument(name)) into = *value;
  };
  if (auto city = settings.argument("-msn")) {
    run = {"msn", *city, "en-en", "C", run.metric, run.mapName};
    take("-lang", run.language);
    take("-degree", run.unit);
    if (!settings.homeScreenMode()) take("-map", run.mapName);
  }
  if (auto city = settings.argument("-google")) {
    run = {"google", *city, "en", "C", run.metric, run.mapName};
    take("-lang", run.language);
    take("-degree", run.unit);
  }
  if (auto city = settings.argument("-accu")) {
    run = {"accu", *city, "en", run.unit, "1", run.mapName};
    take("-lang", run.language);
    take("-metric", run.metric);
  }
}

ServiceBases readServiceBases(Suite& suite) {
  Settings& settings = suite.settings();
  IniDocument loaded;
  // Outside home-screen mode the start-up leaves the suite INI file unread.
  if (!settings.homeScreenMode()) loaded.load(suite.platform().files(), settings.suiteIniPath());
  IniDocument& ini = settings.homeScreenMode() ? settings.suiteIni() : loaded;
  return {base(ini, "msn"), base(ini, "msnmap"), base(ini, "google"), base(ini, "accu")};
}

std::string percentEncode(std::string_view value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : value) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out += {'%', kHex[c >> 4], kHex[c & 0xF]};
    }
  }
  return out;
}

ServiceUrls buildUrls(const RunSettings& run, const ServiceBases& bases) {
  const std::string city = percentEncode(run.city);
  ServiceUrls urls;
  if (run.provider == "msn") {
    urls.data = checked(bases.msn + "/data.aspx?wealocations=wc:" + city + "&culture=" +
                        percentEncode(run.language) + "&weadegreetype=" + percentEncode(run.unit));
    if (!run.mapName.empty()) {
      urls.map = checked(bases.msnMap + "/localmaps.aspx?wealocations=wc:" + city + "&setunit=" +
                         percentEncode(run.unit) + "&map=" + percentEncode(run.mapName));
    }
  } else if (run.provider == "accu") {
    urls.data = checked(bases.accu + "/widget/kvexa/weather-data.asp?location=" + city + "&metric=" +
                        percentEncode(run.metric) + "&lang=" + percentEncode(upToDash(run.language)));
  } else if (run.provider == "google") {
    urls.data = checked(bases.google + "/ig/api?weather=" + city + "&hl=" + percentEncode(upToDash(run.language)));
  }
  return urls;
}

}  // namespace zelko::meteo
