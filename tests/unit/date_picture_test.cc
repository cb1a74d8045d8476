#include "platform/date_picture.h"
#include "tests/unit/item_builders.h"

#include <gtest/gtest.h>

namespace zelko::platform {
namespace {

LocaleNames englishNames() {
  return LocaleNames{
      .days = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
      .shortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
      .months = {"January", "February", "March", "April", "May", "June", "July", "August",
                 "September", "October", "November", "December"},
      .shortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov",
                      "Dec"},
      .genitiveMonths = {"January", "February", "March", "April", "May", "June", "July", "August",
                         "September", "October", "November", "December"},
      .am = "AM",
      .pm = "PM",
      .era = "AD"};
}

// Only the forms the genitive tests look at differ from English.
LocaleNames russianNames() {
  LocaleNames n = englishNames();
  n.months[2] = "март";
  n.genitiveMonths[2] = "марта";
  return n;
}

using zelko::testing::at;

class DatePictureTest : public ::testing::Test {
 protected:
  std::string date(std::string_view picture, const DateTime& t) {
    return formatDatePicture(picture, t, names_);
  }
  std::string time(std::string_view picture, const DateTime& t) {
    return formatTimePicture(picture, t, names_);
  }
  LocaleNames names_ = englishNames();
};

TEST_F(DatePictureTest, DayAndMonthTokens) {
  const DateTime t = at(2005, 3, 7);  // a Monday
  EXPECT_EQ(date("d|dd|ddd|dddd|ddddd", t), "7|07|Mon|Monday|Monday");
  EXPECT_EQ(date("M|MM|MMM|MMMM|MMMMM", t), "3|03|Mar|March|March");
  EXPECT_EQ(date("dd/MM", at(2026, 12, 31)), "31/12");
}

TEST_F(DatePictureTest, YearAndEraTokens) {
  EXPECT_EQ(date("y|yy|yyy|yyyy|yyyyy", at(2005, 3, 7)), "5|05|2005|2005|2005");
  EXPECT_EQ(date("y|yy|yyyy", at(2000, 1, 1)), "0|00|2000");
  EXPECT_EQ(date("yyyy", at(30827, 1, 1)), "30827");
  EXPECT_EQ(date("g gg yyyy", at(2026, 1, 1)), "AD AD 2026");
  names_.era.clear();
  EXPECT_EQ(date("yyyy g", at(2026, 1, 1)), "2026 ");
}

TEST_F(DatePictureTest, WeekdayComesFromTheDateNotTheField) {
  DateTime t = at(2026, 3, 29);
  t.dayOfWeek = 42;
  EXPECT_EQ(date("dddd", t), "Sunday");
  EXPECT_EQ(date("ddd", at(1601, 1, 1)), "Mon");
  EXPECT_EQ(date("dddd d MMMM", at(2024, 2, 29)), "Thursday 29 February");
}

TEST_F(DatePictureTest, ImpossibleDateOrTimeGivesNothing) {
  EXPECT_EQ(date("dd/MM/yyyy", at(2026, 2, 29)), "");
  EXPECT_EQ(date("dddd", at(2026, 13, 1)), "");
  EXPECT_EQ(date("MMMM", at(2026, 0, 1)), "");
  EXPECT_EQ(time("HH:mm", at(2026, 1, 1, 24, 0)), "");
  EXPECT_EQ(time("HH:mm", at(2026, 1, 1, 10, -1)), "");
  EXPECT_EQ(time("ss", at(2026, 1, 1, 10, 0, 60)), "");
}

TEST_F(DatePictureTest, FullMonthIsGenitiveOnlyBesideADayNumber) {
  names_ = russianNames();
  const DateTime t = at(2026, 3, 8);
  EXPECT_EQ(date("d MMMM yyyy", t), "8 марта 2026");
  EXPECT_EQ(date("MMMM, dd", t), "марта, 08");
  EXPECT_EQ(date("MMMM yyyy", t), "март 2026");
  // A day name is not a day number, and a quoted d is text.
  EXPECT_EQ(date("dddd MMMM", t), "Sunday март");
  EXPECT_EQ(date("MMMM 'd'", t), "март d");
  EXPECT_EQ(date("MMM d", t), "Mar 8");
}

TEST_F(DatePictureTest, QuotedTextIsCopied) {
  const DateTime t = at(2026, 3, 8);
  EXPECT_EQ(date("'Today is' dddd", t), "Today is Sunday");
  EXPECT_EQ(date("d 'de' MMMM", t), "8 de March");
  EXPECT_EQ(date("'It''s' d", t), "It's 8");
  EXPECT_EQ(date("d''MM", t), "8'03");
  EXPECT_EQ(date("''", t), "'");
  EXPECT_EQ(date("''''", t), "''");
  EXPECT_EQ(date("d 'of MMMM", t), "8 of MMMM");
  EXPECT_EQ(date("'", t), "");
  EXPECT_EQ(date("", t), "");
}

TEST_F(DatePictureTest, OtherKindsLettersAreLiteral) {
  const DateTime t = at(2026, 3, 8, 14, 5, 9);
  EXPECT_EQ(date("yyyy-MM-dd hh:mm tt", t), "2026-03-08 hh:mm tt");
  EXPECT_EQ(time("HH:mm:ss d MM yy g", t), "14:05:09 d MM yy g");
  EXPECT_EQ(date("dd.MM.yyyy, Week", t), "08.03.2026, Week");
}

TEST_F(DatePictureTest, TwelveHourClockAroundMidnightAndNoon) {
  EXPECT_EQ(time("h:mm tt", at(2026, 1, 1, 0, 5)), "12:05 AM");
  EXPECT_EQ(time("hh:mm tt", at(2026, 1, 1, 0, 5)), "12:05 AM");
  EXPECT_EQ(time("h:mm tt", at(2026, 1, 1, 11, 59)), "11:59 AM");
  EXPECT_EQ(time("h:mm tt", at(2026, 1, 1, 12, 30)), "12:30 PM");
  EXPECT_EQ(time("hh:mm:ss t", at(2026, 1, 1, 13, 7, 9)), "01:07:09 P");
  EXPECT_EQ(time("hhh", at(2026, 1, 1, 13)), "01");
}

TEST_F(DatePictureTest, TwentyFourHourClockAndPadding) {
  const DateTime t = at(2026, 1, 1, 0, 5, 3);
  EXPECT_EQ(time("H:m:s", t), "0:5:3");
  EXPECT_EQ(time("HH:mm:ss", t), "00:05:03");
  EXPECT_EQ(time("HH'h'mm", at(2026, 1, 1, 23, 59)), "23h59");
}

TEST_F(DatePictureTest, MarkerInitialIsOneCodePoint) {
  names_.am = "午前";
  names_.pm = "ä.m.";
  EXPECT_EQ(time("t", at(2026, 1, 1, 9)), "午");
  EXPECT_EQ(time("tt h", at(2026, 1, 1, 9)), "午前 9");
  EXPECT_EQ(time("t", at(2026, 1, 1, 21)), "ä");
  names_.am = "";
  EXPECT_EQ(time("H:mm t", at(2026, 1, 1, 9)), "9:00 ");
  // A marker cut inside a character must not be read past its end.
  names_.am = "\xE5\x8D";
  EXPECT_EQ(time("t", at(2026, 1, 1, 9)), "\xE5\x8D");
  names_.am = "\xE5x";
  EXPECT_EQ(time("t", at(2026, 1, 1, 9)), "\xE5");
}

}  // namespace
}  // namespace zelko::platform
