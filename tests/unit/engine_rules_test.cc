// The engine's tables and rules that need no device: which image a state shows, when
// the timed start falls, and what the day-keyed text files hold for a day.
#include <gtest/gtest.h>

#include "ZelkoWinToday/day_files.h"
#include "ZelkoWinToday/run_at.h"
#include "ZelkoWinToday/widget_images.h"
#include "platform/date_time.h"
#include "tests/unit/item_builders.h"

namespace zelko::engine {
namespace {

TEST(BatteryImage, ThresholdsAndCharging) {
  EXPECT_EQ(batteryImage(3, false), "battery_empty!.png");
  EXPECT_EQ(batteryImage(4, false), "battery_1.png");
  EXPECT_EQ(batteryImage(14, false), "battery_1.png");
  EXPECT_EQ(batteryImage(15, false), "battery_2.png");
  EXPECT_EQ(batteryImage(44, false), "battery_3.png");
  EXPECT_EQ(batteryImage(89, false), "battery_6.png");
  EXPECT_EQ(batteryImage(99, false), "battery_7.png");
  EXPECT_EQ(batteryImage(100, false), "battery_full.png");
  EXPECT_EQ(batteryImage(0, true), "battery_charge.png");
  EXPECT_EQ(batteryImage(100, true), "battery_full.png");
  EXPECT_EQ(batteryImage(255, true), "battery_full.png");  // no reading
}

TEST(RadioImages, LastApplyingRuleWins) {
  EXPECT_EQ(cellularImage(0, 0), "cellular_u.png");
  EXPECT_EQ(cellularImage(0, 0x10), "cellular_d.png");
  EXPECT_EQ(cellularImage(0x1, 0x10), "cellular_GPRS.png");
  EXPECT_EQ(cellularImage(0x9, 0), "cellular_EDGE.png");
  EXPECT_EQ(cellularImage(0x11, 0), "cellular_3G.png");
  EXPECT_EQ(cellularImage(0x41, 0), "cellular_HSDPA.png");
  EXPECT_EQ(cellularImage(0x42, 0), "cellular_1X.png");
  EXPECT_EQ(cellularImage(0x4, 0), "cellular_1X.png");

  EXPECT_EQ(wifiImage(5), "wifi_d.png");
  EXPECT_EQ(wifiImage(11), "wifi_n.png");
  EXPECT_EQ(wifiImage(19), "wifi_e.png");
  EXPECT_EQ(wifiImage(18), std::nullopt);  // a passing state keeps the image
  EXPECT_EQ(wifiImage(0), std::nullopt);

  EXPECT_EQ(bluetoothImage(8), "bluetooth_d.png");
  EXPECT_EQ(bluetoothImage(9), "bluetooth_e.png");
  EXPECT_EQ(bluetoothImage(11), "bluetooth_g.png");
}

TEST(SummaryImage, BatteryBandsAndFreeMemory) {
  SummaryThresholds defaults;
  EXPECT_EQ(summaryImage(80, 30, defaults), "BhRh.png");
  EXPECT_EQ(summaryImage(80, 15, defaults), "BhRl.png");  // at the limit counts as low
  EXPECT_EQ(summaryImage(50, 16, defaults), "BmRh.png");
  EXPECT_EQ(summaryImage(16, 0, defaults), "BmRl.png");
  EXPECT_EQ(summaryImage(15, 30, defaults), "BlRh.png");
  EXPECT_EQ(summaryImage(15, 10, defaults), "BlRl.png");
}

TEST(HandImages, HourHandMovesInFifths) {
  EXPECT_EQ(hourHandImage(0, 10), "h_0.png");
  EXPECT_EQ(hourHandImage(12, 40), "h_12.3.png");
  EXPECT_EQ(hourHandImage(15, 59), "h_3.4.png");
  EXPECT_EQ(hourHandImage(23, 12), "h_11.1.png");
  EXPECT_EQ(minuteHandImage(59), "m_59.png");
  EXPECT_EQ(minuteHandImage(5), "m_05.png");
}

using zelko::testing::at;

TEST(NextRunAt, OnceADay) {
  RunAtTimes daily{minutesOfDay("00:35"), 0, minutesOfDay(kDefaultEndTime)};
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 23, 50), daily), at(2026, 3, 25, 0, 35));
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 0, 34, 59), daily), at(2026, 3, 24, 0, 35));
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 0, 35), daily), at(2026, 3, 25, 0, 35));
  RunAtTimes noon{minutesOfDay("12:30"), 0, 0};
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 10, 40), noon), at(2026, 3, 24, 12, 30));
  // Month and year ends.
  EXPECT_EQ(nextRunAt(at(2026, 4, 30, 23, 50), daily), at(2026, 5, 1, 0, 35));
  EXPECT_EQ(nextRunAt(at(2028, 2, 28, 23, 50), daily), at(2028, 2, 29, 0, 35));
  EXPECT_EQ(nextRunAt(at(2026, 12, 31, 13, 0), noon), at(2027, 1, 1, 12, 30));
}

TEST(NextRunAt, RepeatsUntilTheEndTime) {
  RunAtTimes hourly{minutesOfDay("08:00"), 60, minutesOfDay("12:00")};
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 7, 0), hourly), at(2026, 3, 24, 8, 0));
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 10, 0), hourly), at(2026, 3, 24, 11, 0));
  // 12:00 is not before the end time: the next start is tomorrow's first.
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 11, 30), hourly), at(2026, 3, 25, 8, 0));
  EXPECT_EQ(nextRunAt(at(2026, 3, 31, 12, 5), hourly), at(2026, 4, 1, 8, 0));

  // Without an end time the starts go on until midnight.
  RunAtTimes allDay{minutesOfDay("00:00"), 45, minutesOfDay(kDefaultEndTime)};
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 22, 31), allDay), at(2026, 3, 24, 23, 15));
  EXPECT_EQ(nextRunAt(at(2026, 3, 24, 23, 15), allDay), at(2026, 3, 25, 0, 0));
}

TEST(MinutesOfDay, ReadsLikeTheRuntimeAndStaysWithinTheDay) {
  EXPECT_EQ(minutesOfDay("08:05"), 8 * 60 + 5);
  EXPECT_EQ(minutesOfDay("7"), 7 * 60);
  EXPECT_EQ(minutesOfDay("x"), 0);
  EXPECT_EQ(minutesOfDay("25:70"), 23 * 60 + 59);
  EXPECT_EQ(minutesOfDay("-3:00"), 0);
}

TEST(DayFiles, NotesForTheDay) {
  EXPECT_EQ(dayKey(at(2026, 1, 5, 0, 0)), "05/01");

  std::string file = "23/03 Not today\r\n24/03 Dentist at 10\r\n24/03-Call Ann\r\n24/0 x\r\n";
  EXPECT_EQ(notesForDay(file, "24/03"), "Dentist at 10\nCall Ann");
  EXPECT_EQ(notesForDay(file, "25/03"), std::nullopt);
  // The last line keeps its last character although no line end follows it.
  EXPECT_EQ(notesForDay("24/03 Dentist", "24/03"), "Dentist");
  // Empty notes add no line, wherever they stand.
  EXPECT_EQ(notesForDay("24/03 A\n24/03\n24/03 B\n24/03 \n", "24/03"), "A\nB");
  EXPECT_EQ(notesForDay("24/03\n24/03 B\n", "24/03"), "B");
  EXPECT_EQ(notesForDay("24/03\n", "24/03"), "");
  // The separator is one character, however many bytes it takes.
  EXPECT_EQ(notesForDay("24/03\u00a0Dentist\n24/03\u2013Call Ann\n24/03\U0001F600Gym", "24/03"),
            "Dentist\nCall Ann\nGym");
  EXPECT_EQ(notesForDay("", "24/03"), std::nullopt);
  // Lines are read as the phone reads them: at most 254 units.
  EXPECT_EQ(notesForDay("24/03 " + std::string(300, 'n'), "24/03")->size(), 254u - 6u);
}

TEST(DayFiles, SaintIsTheFirstLineOfTheDay) {
  std::string file = "24/03 St Catherine\n24/03 Second\n25/03 St Humbert";
  EXPECT_EQ(saintForDay(file, "24/03"), "St Catherine");
  EXPECT_EQ(saintForDay(file, "25/03"), "St Humbert");
  EXPECT_EQ(saintForDay(file, "26/03"), std::nullopt);
  EXPECT_EQ(saintForDay("26/03\n", "26/03"), "");
  EXPECT_EQ(saintForDay("26/03\u2013St Larissa\n", "26/03"), "St Larissa");
  EXPECT_EQ(saintForDay("26/03\u00a0\n", "26/03"), "");
}

}  // namespace
}  // namespace zelko::engine
