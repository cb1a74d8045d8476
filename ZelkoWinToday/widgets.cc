// What every widget shares: skin images, the suite INI document, bounded formatting and
// the notify hook.
#include "ZelkoWinToday/widgets.h"

#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::engine {
namespace {

constexpr size_t kMaxTimeUnits = 31;
constexpr size_t kMaxDateUnits = 63;

std::string fitted(std::string text, size_t maxUnits) {
  if (platform::utf16Length(text) > maxUnits) text.clear();
  return text;
}

}  // namespace

std::string Widgets::image(WidgetKind kind, std::string_view fileName) {
  const Settings& settings = suite_.settings();
  return suite_.values().resolveImage(settings.skinFolder(kind), fileName,
                                      settings.defaultFolder(kind));
}

std::string Widgets::iniText(std::string_view section, std::string_view key,
                             std::string_view fallback) {
  return suite_.settings().suiteIni().getText(section, key, fallback);
}

int Widgets::iniNumber(std::string_view section, std::string_view key, int fallback) {
  return suite_.settings().suiteIni().getNumber(section, key, fallback);
}

std::string Widgets::formatTime(std::string_view picture, const platform::DateTime& t) {
  return fitted(suite_.platform().locale().formatTime(picture, t), kMaxTimeUnits);
}

std::string Widgets::formatDate(std::string_view picture, const platform::DateTime& t) {
  return fitted(suite_.platform().locale().formatDate(picture, t), kMaxDateUnits);
}

bool Widgets::hasNotifyHook(std::string_view notifyName) const {
  return suite_.settings().suiteIni().find("Notify", notifyName) != nullptr;
}

void Widgets::notify(std::string_view notifyName) {
  const IniEntry* hook = suite_.settings().suiteIni().find("Notify", notifyName);
  if (hook) suite_.runAction(hook->value);
}

}  // namespace zelko::engine
