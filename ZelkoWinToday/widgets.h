// The engine's widgets: each reads the platform state it shows, writes its page values
// inside one update bracket, and ends with the user's notify hook under its name. The
// engine calls them from its notification callbacks and its window procedure, always on
// its one thread, one at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/settings.h"
#include "platform/date_time.h"

namespace zelko {
class Suite;
}

namespace zelko::engine {

// The notify names: keys of section Notify in ZelkoToday.ini.
inline constexpr std::string_view kNotifyTime = "ZelkoTodayTime";
inline constexpr std::string_view kNotifyDate = "ZelkoTodayDate";
inline constexpr std::string_view kNotifyCalendar = "ZelkoTodayCal";
inline constexpr std::string_view kNotifyBattery = "ZelkoTodayBatt";
inline constexpr std::string_view kNotifyOperator = "ZelkoTodayOperator";
inline constexpr std::string_view kNotifyCradle = "ZelkoTodayActiveSync";
inline constexpr std::string_view kNotifyData = "ZelkoTodayData";
inline constexpr std::string_view kNotifyNetworkMode = "ZelkoToday3G";
inline constexpr std::string_view kNotifyCellular = "ZelkoTodayCellular";
inline constexpr std::string_view kNotifyBluetooth = "ZelkoTodayBlueTooth";
inline constexpr std::string_view kNotifyWifi = "ZelkoTodayWifi";
inline constexpr std::string_view kNotifySms = "ZelkoTodaySms";
inline constexpr std::string_view kNotifyMissedCalls = "ZelkoTodayTel";
inline constexpr std::string_view kNotifyEmail = "ZelkoTodayEmail";
inline constexpr std::string_view kNotifyVoicemail = "ZelkoTodayVoicemail";
inline constexpr std::string_view kNotifyAlarm = "ZelkoTodayAlarm";
inline constexpr std::string_view kNotifyMemory = "ZelkoTodayMem";

// The text-message widget waits for the text-message provider, whose listing the unread
// total reads. A provider that hangs must not stop the clock: after this long the engine
// goes on without it (the provider keeps running and writes its listing when it can).
inline constexpr std::chrono::milliseconds kSmsProviderWait{10000};

// The four unread counters.
enum class Counter { kSms, kMissedCalls, kEmail, kVoicemail };

class Widgets {
 public:
  explicit Widgets(Suite& suite) : suite_(suite) {}
  Widgets(const Widgets&) = delete;
  Widgets& operator=(const Widgets&) = delete;

  // Clock, date and scheduling (time_widget.cc, date_widget.cc, scheduler.cc). The time
  // widget also runs battery() and memory(), and the Scheduler hook of its minute.
  void time();
  void animation(int minuteDigit);
  void date();
  void appointments();
  // Works out the next timed start of ZelkoRunAt.mscr, shows it as RunAt and registers
  // it with the shell.
  void scheduler();

  // Power, radios and connections (battery_widget.cc, radio_widgets.cc). battery() also
  // runs systemSummary().
  void battery();
  void operatorName();
  void cradle();
  void data();
  void networkMode();
  void cellular();
  void bluetooth();
  void wifi();

  // Unread counters, memory, summary and alarm (counter_widgets.cc, system_widgets.cc).
  // Each counter also runs total(); memory() runs systemSummary().
  void counter(Counter which);
  void total();
  void memory();
  void systemSummary();
  void alarm();

  // The skin's page backgrounds, page dots and panel icons (page_decorations.cc), written
  // after a skin change.
  void pageDecorations();

  // Runs the action of section Notify keyed `notifyName`, without waiting; nothing when
  // there is none.
  void notify(std::string_view notifyName);
  // Whether section Notify has an action keyed `notifyName`.
  bool hasNotifyHook(std::string_view notifyName) const;

 private:
  // The full path of a skin image of `kind`, with the kind's default folder as fall-back.
  std::string image(WidgetKind kind, std::string_view fileName);
  // Texts and numbers of the suite INI document.
  std::string iniText(std::string_view section, std::string_view key, std::string_view fallback);
  int iniNumber(std::string_view section, std::string_view key, int fallback);
  // The locale's formatting; empty when the result would not fit the phone's buffers
  // (a time of 31 units, a date of 63).
  std::string formatTime(std::string_view picture, const platform::DateTime& t);
  std::string formatDate(std::string_view picture, const platform::DateTime& t);
  // Writes a sys image as value `name` of Page1 and of the condensed page.
  void writeStatusImage(std::string_view name, std::string_view file);
  // The digits, am/pm image and hands of one clock. `second` picks the second time
  // zone's value names and folders.
  void writeClock(std::string_view timeText, const platform::DateTime& t, bool second);
  // The second time zone's clock at `utc`; `offset` is "H:MM" as the INI file holds it.
  void secondClock(std::string_view timePicture, std::string_view offset,
                   const platform::DateTime& utc);

  Suite& suite_;
};

}  // namespace zelko::engine
