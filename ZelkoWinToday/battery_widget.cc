// The battery widget: level, image, the critical flags and the critical-battery action.
#include <string>

#include "ZelkoWinToday/widget_images.h"
#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::engine {

void Widgets::battery() {
  ValueStore& values = suite_.values();
  const platform::PowerStatus power = suite_.platform().power().powerStatus();
  const int percent = power.batteryPercent;
  const std::string_view imageName = batteryImage(power.batteryPercent, power.acLine);
  // The level and image before this run only decide whether the notify hook runs: without
  // a hook they are not read, which keeps two store reads off the way to the new level.
  const bool hooked = hasNotifyHook(kNotifyBattery);
  const int previousPercent = hooked ? parseLeadingInt(values.readText(host::kPage1, "BattVal")) : 0;
  const std::string previousImage = hooked ? values.readText(host::kPage1, "BattPNG") : "";

  int critical;
  {
    UpdateBracket bracket(values);
    std::string path = image(WidgetKind::kBatt, imageName);
    values.writeText(host::kPage1, "BattVal", std::to_string(percent) + "%");
    values.writeText(host::kPage1, "BattPNG", path);
    values.writeText(host::kCondensedPage, "BattPNG", path);
    values.writeNumber("", "isBatteryCritical20", percent < 20 ? 1 : 0);
    critical = iniNumber("Battery", "critical", 10);
    values.writeNumber("", "isBatteryVeryCritical", percent < critical ? 1 : 0);
  }
  // Every run while the level stays low, so radios switched back on go off again.
  if (percent < critical) {
    suite_.runInstalledAction(iniText("Battery", "action", "ZelkoComm.exe;-bt:off -wifi:off"));
  }
  systemSummary();
  if (hooked && (percent != previousPercent || previousImage.find(imageName) == std::string::npos)) {
    notify(kNotifyBattery);
  }
}

}  // namespace zelko::engine
