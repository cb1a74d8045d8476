#include "ZelkoWinToday/widget_images.h"

#include <cstdio>

namespace zelko::engine {

std::string_view batteryImage(uint8_t percent, bool acLine) {
  if (acLine && percent < 100) return "battery_charge.png";
  if (percent < 4) return "battery_empty!.png";
  if (percent < 15) return "battery_1.png";
  if (percent < 30) return "battery_2.png";
  if (percent < 45) return "battery_3.png";
  if (percent < 60) return "battery_4.png";
  if (percent < 75) return "battery_5.png";
  if (percent < 90) return "battery_6.png";
  if (percent < 100) return "battery_7.png";
  return "battery_full.png";
}

std::string_view cellularImage(uint32_t available, uint32_t status) {
  std::string_view image = "cellular_u.png";
  if (available == 0 && (status & 0x10)) image = "cellular_d.png";
  if (available & 0x1) image = "cellular_GPRS.png";
  if (available & 0x8) image = "cellular_EDGE.png";
  if (available & 0x10) image = "cellular_3G.png";
  if (available & 0x40) image = "cellular_HSDPA.png";
  if (available & 0x6) image = "cellular_1X.png";
  return image;
}

std::optional<std::string_view> wifiImage(uint32_t value) {
  if (value == 1 || value == 5) return "wifi_d.png";
  if (value == 3 || value == 7 || value == 11) return "wifi_n.png";
  if (value > 18) return "wifi_e.png";
  return std::nullopt;
}

std::string_view bluetoothImage(uint32_t value) {
  if (value == 8) return "bluetooth_d.png";
  if (value == 9) return "bluetooth_e.png";
  return "bluetooth_g.png";
}

std::string_view summaryImage(int battery, int freeMemory, const SummaryThresholds& t) {
  bool ramHigh = freeMemory > t.ramLow;
  if (battery <= t.batteryLow) return ramHigh ? "BlRh.png" : "BlRl.png";
  if (battery <= t.batteryMedium) return ramHigh ? "BmRh.png" : "BmRl.png";
  return ramHigh ? "BhRh.png" : "BhRl.png";
}

std::string hourHandImage(int hour, int minute) {
  int h = hour > 12 ? hour - 12 : hour;
  int fifth = minute / 12;
  char name[32];
  if (fifth == 0) {
    std::snprintf(name, sizeof name, "h_%d.png", h);
  } else {
    std::snprintf(name, sizeof name, "h_%d.%d.png", h, fifth);
  }
  return name;
}

std::string minuteHandImage(int minute) {
  char name[32];
  std::snprintf(name, sizeof name, "m_%02d.png", minute);
  return name;
}

}  // namespace zelko::engine
