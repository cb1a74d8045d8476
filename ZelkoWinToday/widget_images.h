// Which image a widget shows for a state: the tables of the widgets, kept apart from the
// registry so each row can be checked on its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelko::engine {

// The battery image for a level of 0 to 100 (255: no reading) and the AC line.
std::string_view batteryImage(uint8_t percent, bool acLine);

// The cellular image for the phone's Cellular System Available and Status bits: the
// last of the rules that applies wins.
std::string_view cellularImage(uint32_t available, uint32_t status);

// The Wi-Fi image for the hardware value; nullopt for the values that leave the image
// as it was.
std::optional<std::string_view> wifiImage(uint32_t value);

std::string_view bluetoothImage(uint32_t value);

// Thresholds of the battery-and-memory summary image, in percent.
struct SummaryThresholds {
  int batteryMedium = 50;  // bm
  int batteryLow = 15;     // bl
  int ramLow = 15;         // rl
};
// The summary image for a battery level and a free-memory share.
std::string_view summaryImage(int battery, int freeMemory, const SummaryThresholds& t);

// The analog hands: the hour hand at an hour of 0 to 23 and a minute ("h_3.4.png"), the
// minute hand ("m_05.png").
std::string hourHandImage(int hour, int minute);
std::string minuteHandImage(int minute);

}  // namespace zelko::engine
