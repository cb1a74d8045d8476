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

struct PictureCase {
  const char* picture;
  DateTime when;
  const char* want;
};

TEST_F(DatePictureTest, DatePictures) {
  const PictureCase cases[] = {
      {"d|dd|ddd|dddd|ddddd", at(2005, 3, 7), "7|07|Mon|Monday|Monday"},
      {"M|MM|MMM|MMMM|MMMMM", at(2005, 3, 7), "3|03|Mar|March|March"},
      {"y|yy|yyy|yyyy|yyyyy", at(2005, 3, 7), "5|05|2005|2005|2005"},
      {"y|yy|yyyy", at(2000, 1, 1), "0|00|2000"},
      {"yyyy", at(30827, 1, 1), "30827"},
      {"g gg yyyy", at(2026, 1, 1), "AD AD 2026"},
      {"ddd", at(1601, 1, 1), "Mon"},
      {"dddd d MMMM", at(2024, 2, 29), "Thursday 29 February"},
      // An impossible date gives nothing.
      {"dd/MM/yyyy", at(2026, 2, 29), ""},
      {"dddd", at(2026, 13, 1), ""},
      {"MMMM", at(2026, 0, 1), ""},
      // Quoted text is copied; a doubled quote is one quote; an unclosed quote runs to the end.
      {"'Today is' dddd", at(2026, 3, 8), "Today is Sunday"},
      {"'It''s' d", at(2026, 3, 8), "It's 8"},
      {"d''MM", at(2026, 3, 8), "8'03"},
      {"''''", at(2026, 3, 8), "''"},
      {"d 'of MMMM", at(2026, 3, 8), "8 of MMMM"},
      {"'", at(2026, 3, 8), ""},
      // The letters of times are text in a date.
      {"yyyy-MM-dd hh:mm tt", at(2026, 3, 8, 14, 5, 9), "2026-03-08 hh:mm tt"},
  };
  for (const PictureCase& c : cases) EXPECT_EQ(date(c.picture, c.when), c.want) << c.picture;

  DateTime t = at(2026, 3, 29);
  t.dayOfWeek = 42;  // the weekday comes from the date, not the field
  EXPECT_EQ(date("dddd", t), "Sunday");
  names_.era.clear();
  EXPECT_EQ(date("yyyy g", at(2026, 1, 1)), "2026 ");
}

TEST_F(DatePictureTest, TimePictures) {
  const PictureCase cases[] = {
      {"h:mm tt", at(2026, 1, 1, 0, 5), "12:05 AM"},
      {"h:mm tt", at(2026, 1, 1, 11, 59), "11:59 AM"},
      {"h:mm tt", at(2026, 1, 1, 12, 30), "12:30 PM"},
      {"hh:mm:ss t", at(2026, 1, 1, 13, 7, 9), "01:07:09 P"},
      {"hhh", at(2026, 1, 1, 13), "01"},
      {"H:m:s", at(2026, 1, 1, 0, 5, 3), "0:5:3"},
      {"HH:mm:ss", at(2026, 1, 1, 0, 5, 3), "00:05:03"},
      {"HH'h'mm", at(2026, 1, 1, 23, 59), "23h59"},
      {"HH:mm:ss d MM yy g", at(2026, 3, 8, 14, 5, 9), "14:05:09 d MM yy g"},
      // An impossible time gives nothing.
      {"HH:mm", at(2026, 1, 1, 24, 0), ""},
      {"HH:mm", at(2026, 1, 1, 10, -1), ""},
      {"ss", at(2026, 1, 1, 10, 0, 60), ""},
  };
  for (const PictureCase& c : cases) EXPECT_EQ(time(c.picture, c.when), c.want) << c.picture;
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
