// Memory and storage use, the battery-and-memory summary image, and the next alarm.
#include <algorithm>
#include <string>

#include "ZelkoWinToday/widget_images.h"
#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::engine {
namespace {

using host::kPage1;

uint32_t kilobytes(uint64_t bytes) {
  return static_cast<uint32_t>(std::min<uint64_t>(bytes / 1024, UINT32_MAX));
}

std::string percentText(uint64_t percent) { return std::to_string(percent) + "%"; }

}  // namespace

void Widgets::memory() {
  ValueStore& values = suite_.values();
  platform::Power& power = suite_.platform().power();
  const int previousRam = parseLeadingInt(values.readText(kPage1, "RamPercent"));
  const int previousRom = parseLeadingInt(values.readText(kPage1, "RomPercent"));

  uint64_t romUsed;
  platform::MemoryStatus ram;
  {
    UpdateBracket bracket(values);
    platform::StorageStatus rom = power.storageStatus();
    uint64_t sizeKb = rom.total / 1024;
    // A store below one kilobyte has no share to show; it counts as unused.
    romUsed = sizeKb == 0 ? 0 : ((rom.total - rom.free) / 1024) * 100 / sizeKb;
    values.writeText(kPage1, "RomPercent", percentText(romUsed));
    values.writeNumber(kPage1, "RomSize", kilobytes(rom.total));
    values.writeNumber(kPage1, "RomFree", kilobytes(rom.free));
    values.writeText(kPage1, "RomPNG", image(WidgetKind::kSys, "Store.png"));

    ram = power.memoryStatus();
    values.writeText(kPage1, "RamPercent", percentText(ram.loadPercent));
    values.writeText(kPage1, "RamPNG", image(WidgetKind::kSys, "Ram.png"));
    values.writeNumber(kPage1, "RamFree", kilobytes(ram.availablePhysical));
    values.writeNumber(kPage1, "RamSize", kilobytes(ram.totalPhysical));
  }
  systemSummary();
  if (static_cast<int64_t>(ram.loadPercent) != previousRam ||
      static_cast<int64_t>(romUsed) != previousRom) {
    notify(kNotifyMemory);
  }
}

void Widgets::systemSummary() {
  ValueStore& values = suite_.values();
  std::string ram = values.readText(kPage1, "RamPercent");
  std::string battery = values.readText(kPage1, "BattVal");
  UpdateBracket bracket(values);
  values.writeText(kPage1, "SystemVal", battery + "\n" + ram);
  SummaryThresholds limits;
  limits.batteryMedium = iniNumber("System", "bm", limits.batteryMedium);
  limits.batteryLow = iniNumber("System", "bl", limits.batteryLow);
  limits.ramLow = iniNumber("System", "rl", limits.ramLow);
  constexpr std::string_view kAllHigh = "BhRh.png";
  values.writeText(kPage1, "SystemPNG", image(WidgetKind::kSys, kAllHigh));
  std::string_view chosen =
      summaryImage(parseLeadingInt(battery), 100 - parseLeadingInt(ram), limits);
  if (chosen != kAllHigh) values.writeText(kPage1, "SystemPNG", image(WidgetKind::kSys, chosen));
}

void Widgets::alarm() {
  ValueStore& values = suite_.values();
  {
    UpdateBracket bracket(values);
    values.writeText(kPage1, "Alarm", "");
    values.writeText(kPage1, "AlarmPNG", image(WidgetKind::kSys, "null.png"));
    std::optional<platform::DateTime> next = suite_.regReadTime(
        platform::Root::kCurrentUser, "System\\State\\Shell\\Alarms", "Next", false);
    if (next) {
      std::string day = formatDate(iniText("ZelkoToday", "alarmDate", "dddd dd MMMM"), *next);
      std::string time = formatTime(iniText("ZelkoToday", "alarmTime", "HH:mm"), *next);
      values.writeText(kPage1, "Alarm", day + " " + time);
      values.writeText(kPage1, "AlarmPNG", image(WidgetKind::kSys, "alarm.png"));
    }
  }
  notify(kNotifyAlarm);
}

}  // namespace zelko::engine
