// The ICU-backed locale and time zones of the emulated device.
#include "platform/sim/icu_locale.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <optional>

#include "platform/sim/time_zone.h"
#include "tests/unit/item_builders.h"

namespace zelko::platform::sim {
namespace {

using zelko::testing::at;

int64_t ms(int year, int month, int day, int hour = 0, int minute = 0) {
  return toEpochMs(at(year, month, day, hour, minute));
}

constexpr int64_t kMinute = 60000;

TEST(IcuLocalePattern, FieldsLiteralsAndOddSpacesBecomeWindowsPictures) {
  const std::pair<const char*, const char*> cases[] = {
      {"y-MM-dd", "yyyy-MM-dd"},
      {"EEEE d LLLL yy", "dddd d MMMM yyyy"},
      {"a K:mm", "tt h:mm"},
      {"G y", "g yyyy"},
      {"h:mm\u202Fa", "h:mm tt"},
      {"HH:mm:ss.SSS zzzz", "HH:mm:ss."},  // unknown fields go
      {"d\u200F/M\u200F/y", "d/M/yyyy"},
      {"Ed", "ddd d"},  // not one four-letter day-name run
      {"", ""},
      {"d 'de' MMMM 'de' y", "d 'de' MMMM 'de' yyyy"},
      {"h 'o''clock' a", "h 'o''clock' tt"},
      {"H:mm 'ч'.", "H:mm ч."},
      {"d 'open", "d 'open'"},
  };
  for (const auto& [pattern, picture] : cases) EXPECT_EQ(icuPatternToPicture(pattern), picture) << pattern;
}

TEST(IcuLocaleNames, UnknownLocaleIsEnglishWhateverTheHost) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale saved = icu::Locale::getDefault();
  icu::Locale::setDefault(icu::Locale("fr", "FR"), status);
  const LocaleNames n = loadLocaleNames("xx-YY");
  const std::string picture = icuShortDatePicture("");
  icu::Locale::setDefault(saved, status);
  EXPECT_EQ(n.days[0], "Sunday");
  EXPECT_EQ(picture, "M/d/yyyy");
}

TEST(IcuLocaleFormat, FormatsThroughTheLocalesNamesAndPictures) {
  IcuLocale ru("ru_RU");
  EXPECT_EQ(ru.name(), "ru-RU");
  EXPECT_EQ(ru.formatDate("dddd, d MMMM yyyy", at(2026, 1, 1)), "четверг, 1 января 2026");
  EXPECT_EQ(ru.formatDate("MMMM yyyy", at(2026, 1, 1)), "январь 2026");
  // Slavic languages have genitive months beside a day number.
  EXPECT_EQ(IcuLocale("pl_PL").formatDate("dddd d MMMM", at(2026, 1, 4)), "niedziela 4 stycznia");

  // The short pictures come from ICU's patterns.
  EXPECT_EQ(icuShortDatePicture("de-DE"), "dd.MM.yyyy");
  EXPECT_EQ(icuShortTimePicture("de_DE"), "HH:mm");
  IcuLocale us("en-US");
  EXPECT_EQ(us.formatTime(us.shortTimePicture(), at(2026, 1, 1, 0, 5)), "12:05 AM");
  EXPECT_EQ(us.formatDate(us.shortDatePicture(), at(2026, 2, 9)), "2/9/2026");
  IcuLocale fr("fr-FR");
  EXPECT_EQ(fr.formatDate(fr.shortDatePicture() + " " + "dddd", at(2026, 2, 9)),
            "09/02/2026 lundi");
}

TEST(TimeZoneOffsets, UnknownNamesAreRefusedAndParisChangesAtOneUtc) {
  for (const char* name : {"Mars/Olympus_Mons", "", "Etc/Unknown"}) {
    EXPECT_EQ(TimeZone::open(name).status().code(), Status::Code::kInvalid) << name;
  }
  const TimeZone paris = *TimeZone::open("Europe/Paris");
  EXPECT_EQ(paris.name(), "Europe/Paris");
  EXPECT_EQ(paris.offsetMsAtUtc(ms(2026, 3, 29, 1) - 1), 60 * kMinute);
  EXPECT_EQ(paris.offsetMsAtUtc(ms(2026, 3, 29, 1)), 120 * kMinute);
  EXPECT_EQ(paris.offsetMsAtUtc(ms(2026, 10, 25, 1) - 1), 120 * kMinute);
  EXPECT_EQ(paris.offsetMsAtUtc(ms(2026, 10, 25, 1)), 60 * kMinute);
}

TEST(TimeZoneLocalToUtc, ParisSkippedAndRepeatedHours) {
  const TimeZone paris = *TimeZone::open("Europe/Paris");
  // Spring: 02:00-03:00 never happens; 02:30 is read as standard time.
  EXPECT_EQ(paris.localToUtcMs(ms(2026, 3, 29, 1, 59)), ms(2026, 3, 29, 0, 59));
  EXPECT_EQ(paris.localToUtcMs(ms(2026, 3, 29, 2, 30)), ms(2026, 3, 29, 1, 30));
  EXPECT_EQ(paris.localToUtcMs(ms(2026, 3, 29, 3, 0)), ms(2026, 3, 29, 1, 0));
  // Autumn: 02:00-03:00 happens twice; 02:30 is the first, summer-time one.
  EXPECT_EQ(paris.localToUtcMs(ms(2026, 10, 25, 1, 30)), ms(2026, 10, 24, 23, 30));
  EXPECT_EQ(paris.localToUtcMs(ms(2026, 10, 25, 2, 30)), ms(2026, 10, 25, 0, 30));
  EXPECT_EQ(paris.localToUtcMs(ms(2026, 10, 25, 3, 0)), ms(2026, 10, 25, 2, 0));
}

TEST(TimeZoneOffsets, HalfHourAndNegativeZonesAndCopiesThatOutliveTheOriginal) {
  std::optional<TimeZone> kolkata;
  {
    Result<TimeZone> zone = TimeZone::open("Asia/Kolkata");
    ASSERT_TRUE(zone.ok());
    kolkata = *zone;
  }
  EXPECT_EQ(kolkata->offsetMsAtUtc(ms(2026, 7, 1)), 330 * kMinute);
  EXPECT_EQ(kolkata->localToUtcMs(ms(2026, 1, 1, 5, 30)), ms(2026, 1, 1));
  EXPECT_EQ(kolkata->localToUtcMs(INT64_MIN), INT64_MIN);  // beyond ICU's range, still defined

  const TimeZone stJohns = *TimeZone::open("America/St_Johns");
  EXPECT_EQ(stJohns.offsetMsAtUtc(ms(2026, 1, 15)), -210 * kMinute);
  EXPECT_EQ(stJohns.offsetMsAtUtc(ms(2026, 7, 15)), -150 * kMinute);
  // 20:30 local on 15 January is already the 16th in UTC.
  EXPECT_EQ(stJohns.localToUtcMs(ms(2026, 1, 15, 20, 30)), ms(2026, 1, 16));
}

}  // namespace
}  // namespace zelko::platform::sim
