// The time widget: digital and analog clocks, the second time zone, the digit animation
// and the Scheduler hook. It runs once a minute and drives the battery and memory widgets.
#include <algorithm>
#include <string>

#include "ZelkoWinToday/widget_images.h"
#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::engine {
namespace {

using host::kCondensedPage;
using host::kPage1;

// The animation holds the engine's one thread, so a mistyped setting (nb=1000,
// sleep=5000) must not freeze the clock for hours.
constexpr int kMaxAnimationFrames = 20;
constexpr int kMaxAnimationSleepMs = 1000;

// The first two characters of a text (UTF-8 sequences); empty ones when it is shorter.
struct TwoChars {
  std::string first, second;
  size_t count = 0;
};

size_t charLength(std::string_view text) {
  auto lead = static_cast<unsigned char>(text[0]);
  size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return std::min(n, text.size());
}

TwoChars firstTwoChars(std::string_view text) {
  TwoChars chars;
  for (std::string* out : {&chars.first, &chars.second}) {
    if (text.empty()) break;
    size_t n = charLength(text);
    *out = std::string(text.substr(0, n));
    text.remove_prefix(n);
    ++chars.count;
  }
  while (!text.empty()) {
    text.remove_prefix(charLength(text));
    ++chars.count;
  }
  return chars;
}

// "9:05" gives "9" and "05"; colons at the start are skipped; without a colon the
// minutes part is empty.
std::pair<std::string_view, std::string_view> splitTime(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(':'), text.size()));
  size_t colon = text.find(':');
  if (colon == std::string_view::npos) return {text, {}};
  return {text.substr(0, colon), text.substr(colon + 1)};
}

struct ClockNames {
  std::string_view h1, h2, m1, m2, ampm, hourHand, minuteHand;
  WidgetKind hands;
};
constexpr ClockNames kLocalClock{"H1", "H2", "M1", "M2", "AMPM", "HA", "MA", WidgetKind::kClockA};
constexpr ClockNames kSecondClock{"H1O", "H2O", "M1O", "M2O", "AMPMO", "HAO", "MAO",
                                  WidgetKind::kClockAO};

}  // namespace

void Widgets::time() {
  ValueStore& values = suite_.values();
  // One reading for both clocks: the clock may be set between two reads.
  platform::Clock& clock = suite_.platform().clock();
  const platform::DateTime utc = clock.utcNow();
  const platform::DateTime now = clock.toLocal(utc);
  std::string schedulerKey;
  {
    UpdateBracket bracket(values);
    values.writeText(kPage1, "BG", image(WidgetKind::kClock, "bg.png"));
    values.writeText(kPage1, "BGA", image(WidgetKind::kClockA, "clock_bg.png"));
    values.writeText(kPage1, "BGO", image(WidgetKind::kClockO, "bg.png"));
    values.writeText(kPage1, "BGAO", image(WidgetKind::kClockAO, "clock_bg.png"));
    values.writeText(kPage1, "BGC", image(WidgetKind::kClock, "bgc.png"));
    values.writeText(kPage1, "BGCO", image(WidgetKind::kClockO, "bgc.png"));

    int hour = parseLeadingInt(formatTime("HH", now));
    values.writeNumber("", "isNight", hour > 19 || hour < 6 ? 1 : 0);
    schedulerKey = formatTime("HH:mm", now);

    std::string picture = iniText("ZelkoToday", "time", "HH:mm");
    std::string timeText = formatTime(picture, now);
    values.writeText(kCondensedPage, "Time", timeText);
    values.writeText(kPage1, "Time", timeText);

    std::string_view minutes = splitTime(timeText).second;
    animation(parseLeadingInt(minutes.size() > 1 ? minutes.substr(charLength(minutes)) : minutes));
    writeClock(timeText, now, false);
    std::string offset = iniText("Offset", "offset", "0");
    if (offset != "0") secondClock(picture, offset, utc);
  }
  battery();
  memory();
  if (const IniEntry* action = suite_.settings().suiteIni().find("Scheduler", schedulerKey)) {
    suite_.runAction(action->value);
  }
  notify(kNotifyTime);
}

void Widgets::writeClock(std::string_view timeText, const platform::DateTime& t, bool second) {
  ValueStore& values = suite_.values();
  const ClockNames& names = second ? kSecondClock : kLocalClock;
  auto [hours, minutes] = splitTime(timeText);

  // A part too short for a digit shows the blank image there rather than a made-up name.
  auto digit = [&](const std::string& c) {
    return c.empty() ? image(WidgetKind::kSys, "null.png")
                     : image(WidgetKind::kClock, "c" + c + ".png");
  };
  // One character shows as the second digit, after a blank first one.
  auto writeDigits = [&](std::string_view text, std::string_view firstName,
                         std::string_view lastName) {
    TwoChars c = firstTwoChars(text);
    bool single = c.count == 1;
    values.writeText(kPage1, firstName, digit(single ? std::string() : c.first));
    values.writeText(kPage1, lastName, digit(single ? c.first : c.second));
  };
  writeDigits(hours, names.h1, names.h2);
  writeDigits(minutes, names.m1, names.m2);

  std::string ampm = image(WidgetKind::kSys, "null.png");
  if (iniText("ZelkoToday", "hour", "24") == "12") {
    int hour = parseLeadingInt(formatTime("HH", t));
    ampm = image(WidgetKind::kClock, hour >= 12 ? "pm.png" : "am.png");
  }
  values.writeText(kPage1, names.ampm, ampm);
  if (!second) values.writeText(kCondensedPage, names.ampm, ampm);

  values.writeText(kPage1, names.hourHand, image(names.hands, hourHandImage(t.hour, t.minute)));
  values.writeText(kPage1, names.minuteHand, image(names.hands, minuteHandImage(t.minute)));
}

void Widgets::secondClock(std::string_view timePicture, std::string_view offset,
                          const platform::DateTime& utc) {
  size_t colon = offset.find(':');
  int hours = parseLeadingInt(offset.substr(0, colon));
  int minutes = colon == std::string::npos ? 0 : parseLeadingInt(offset.substr(colon + 1));
  // "-1:30" goes back an hour and a half; "-0:30" has no negative hours, so it goes
  // forward half an hour.
  int64_t shiftMs = (hours < 0 ? -1 : 1) * int64_t{minutes} * 60000 + int64_t{hours} * 3600000;
  platform::DateTime shifted = suite_.platform().clock().toLocal(
      platform::fromEpochMs(platform::toEpochMs(utc) + shiftMs));

  std::string timeText = formatTime(timePicture, shifted);
  ValueStore& values = suite_.values();
  values.writeText(kPage1, "TimeO", timeText);
  writeClock(timeText, shifted, true);
  values.writeText(kPage1, "CityO", iniText("Offset", "city", ""));
}

void Widgets::animation(int minuteDigit) {
  int sleepMs = std::min(iniNumber("Animation", "sleep", 0), kMaxAnimationSleepMs);
  if (sleepMs <= 0) return;
  int frames = iniNumber("Animation", "nb", 0);
  if (frames <= 0) frames = minuteDigit;
  frames = std::min(frames, kMaxAnimationFrames);
  std::string background = iniText("Animation", "image", "");
  ValueStore& values = suite_.values();
  platform::Clock& clock = suite_.platform().clock();
  auto frameImage = [&](std::string_view base, int i) {
    return image(WidgetKind::kClock, std::string(base) + std::to_string(i) + ".png");
  };

  if (background.empty()) {
    for (int i = 0; i <= frames; ++i) {
      {
        UpdateBracket bracket(values);
        values.writeText(kPage1, "M2", frameImage("c", i));
      }
      clock.sleep(std::chrono::milliseconds(sleepMs));
    }
    return;
  }
  for (int i = 1; i <= frames; ++i) {
    {
      UpdateBracket bracket(values);
      values.writeText(kPage1, "BG", frameImage(background, i));
      // The digit changes halfway through the flip.
      if (i - (frames % 2) == frames / 2) values.writeText(kPage1, "M2", frameImage("c", minuteDigit));
    }
    clock.sleep(std::chrono::milliseconds(sleepMs));
  }
  UpdateBracket bracket(values);
  values.writeText(kPage1, "BG", image(WidgetKind::kClock, "bg.png"));
}

}  // namespace zelko::engine
