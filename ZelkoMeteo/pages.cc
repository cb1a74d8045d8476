#include "ZelkoMeteo/pages.h"

#include "common/suite.h"

namespace zelko::meteo {

bool MeteoPages::homeScreen() const { return suite_.settings().homeScreenMode(); }

void MeteoPages::header(std::string_view text) {
  if (!homeScreen()) return;
  ValueStore& values = suite_.values();
  values.beginUpdate();
  values.writeText("Page2", "HeaderText", text);
  values.beginUpdate();
}

std::vector<std::string> MeteoPages::statusIcons() {
  std::vector<std::string> texts;
  for (const PageValue& icon : kStatusIcons) texts.push_back(suite_.values().readText(icon.page, icon.name));
  return texts;
}

void MeteoPages::writeStatusIcons(const std::vector<std::string>& texts) {
  for (size_t i = 0; i < kStatusIcons.size() && i < texts.size(); ++i) {
    suite_.values().writeText(kStatusIcons[i].page, kStatusIcons[i].name, texts[i]);
  }
}

std::string MeteoPages::statusImage(std::string_view fileName) {
  const Settings& settings = suite_.settings();
  return suite_.values().resolveImage(settings.skinFolder(WidgetKind::kSys), fileName,
                                      settings.defaultFolder(WidgetKind::kSys));
}

std::string MeteoPages::weatherIcon(std::string_view fileName, std::string_view provider) {
  return suite_.values().resolveImage(suite_.settings().skinFolder(WidgetKind::kMeteo), fileName,
                                      defaultSkinFolder(WidgetKind::kMeteo, provider));
}

}  // namespace zelko::meteo
