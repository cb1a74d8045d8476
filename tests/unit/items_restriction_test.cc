#include <gtest/gtest.h>

#include "platform/sim/restriction.h"
#include "platform/text.h"
#include "tests/unit/item_builders.h"

namespace zelko::platform::sim {
namespace {

using zelko::testing::at;

Restriction parse(std::string_view text, std::string_view picture = "M/d/yyyy") {
  auto r = Restriction::parse(text, picture);
  EXPECT_TRUE(r.ok()) << text << ": " << r.status().message();
  return r.ok() ? *r : *Restriction::parse("", picture);
}

bool refused(std::string_view text) {
  auto r = Restriction::parse(text, "M/d/yyyy");
  return !r.ok() && r.status().code() == Status::Code::kInvalid;
}

Contact person(std::string first, std::string last) {
  Contact c;
  c.firstName = std::move(first);
  c.lastName = std::move(last);
  return c;
}

TEST(RestrictionDatePicture, ReadsThePicturesOfCommonLocalesAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(parseDateWithPicture("M/d/yyyy", "2/29/2024"), at(2024, 2, 29));
  EXPECT_EQ(parseDateWithPicture("M/d/yyyy", "12/03/2024"), at(2024, 12, 3));
  EXPECT_EQ(parseDateWithPicture("dd/MM/yyyy", "12/03/2024"), at(2024, 3, 12));
  EXPECT_EQ(parseDateWithPicture("dd.MM.yyyy", "01.07.1999"), at(1999, 7, 1));
  EXPECT_EQ(parseDateWithPicture("yyyy-MM-dd", "2030-01-31"), at(2030, 1, 31));
  EXPECT_EQ(parseDateWithPicture("yyyy'年'M'月'd'日'", "2024年5月6日"), at(2024, 5, 6));
  // Two-digit years fall in 1930-2029.
  EXPECT_EQ(parseDateWithPicture("dd/MM/yy", "01/01/29"), at(2029, 1, 1));
  EXPECT_EQ(parseDateWithPicture("dd/MM/yy", "01/01/30"), at(1930, 1, 1));
  EXPECT_FALSE(parseDateWithPicture("M/d/yyyy", "2/30/2024"));   // no 30 February
  EXPECT_FALSE(parseDateWithPicture("M/d/yyyy", "13/1/2024"));
  EXPECT_FALSE(parseDateWithPicture("M/d/yyyy", "1-1-2024"));
  EXPECT_FALSE(parseDateWithPicture("M/d/yyyy", "1/1/24"));      // yyyy wants four digits
  EXPECT_FALSE(parseDateWithPicture("M/d/yyyy", "1/1/2024x"));
  EXPECT_FALSE(parseDateWithPicture("M/d/yyyy", ""));
  EXPECT_FALSE(parseDateWithPicture("dddd d MMMM yyyy", "lundi 1 janvier 2024"));
}

TEST(RestrictionSyntax, AndBindsTighterThanOr) {
  Contact annBrown = person("Ann", "Brown");
  Contact bobSmith = person("Bob", "Smith");
  // A OR B AND C is A OR (B AND C).
  auto r = parse(R"([FirstName] = "Ann" OR [FirstName] = "Bob" AND [LastName] = "Jones")");
  EXPECT_TRUE(r.matches(annBrown));
  EXPECT_FALSE(r.matches(bobSmith));
  auto grouped = parse(R"(([FirstName] = "Ann" OR [FirstName] = "Bob") AND [LastName] = "Jones")");
  EXPECT_FALSE(grouped.matches(annBrown));
  auto nested = parse(R"(((([LastName] = "smith"))) AND ([FirstName] <> "x" OR [FirstName] = "x"))");
  EXPECT_TRUE(nested.matches(bobSmith));
}

TEST(RestrictionSyntax, OperatorsKeywordsAndQuotes) {
  Contact c = person("Ann", "O\"Brien");
  EXPECT_TRUE(parse(R"([LastName] = "o""brien")").matches(c));
  EXPECT_TRUE(parse(R"([firstname] >= "ann" and [FirstName] <= "ANN")").matches(c));
  EXPECT_TRUE(parse(R"([FirstName] > "Alan" AND [FirstName] < "Bob")").matches(c));
  EXPECT_FALSE(parse(R"([FirstName] <> "ANN")").matches(c));
  EXPECT_TRUE(parse("").matches(c));
  EXPECT_TRUE(parse("   ").matchesEverything());
}

TEST(RestrictionSyntax, MalformedTextIsRefused) {
  for (const char* bad : {
           R"([FirstName] = "Ann)",                        // open quote
           R"([FirstName "Ann")",                          // no operator
           R"([FirstName = "Ann")",                        // open bracket
           R"(([FirstName] = "Ann")",                      // open parenthesis
           R"([FirstName] = "Ann"))",                      // stray parenthesis
           R"([FirstName] = "Ann" AND)",                   // nothing after AND
           R"([FirstName] = "Ann" ANDY [LastName] = "B")",  // not a keyword
           R"([Nickname] = "Ann")",                        // unknown property
           R"([FirstName] == "Ann")",
           R"([Birthday] >= "someday")",
           R"([Birthday] >= 19000101)",                    // a date must be quoted
           R"([IsRecurring] = "yes")",
           R"([Duration] = 99999999999)",
           "\"Ann\"", "AND", "()", "[]",
       }) {
    EXPECT_TRUE(refused(bad)) << bad;
  }
}

TEST(RestrictionSyntax, LengthIsCountedInUtf16Units) {
  std::string prefix = R"([LastName] = ")";
  std::string fits = prefix + std::string(255 - prefix.size() - 1, 'a') + "\"";
  EXPECT_FALSE(refused(fits));
  EXPECT_TRUE(refused(fits + " "));
  // "é" is two bytes but one unit; the same restriction in é fits as well.
  std::string accented = prefix;
  for (size_t i = 0; i < 255 - prefix.size() - 1; ++i) accented += "é";
  EXPECT_FALSE(refused(accented + "\""));
}

TEST(RestrictionMatch, TextIgnoresCaseOfEveryLetter) {
  Contact c = person("Élodie", "Müller");
  EXPECT_TRUE(parse(R"([FirstName] = "éLODIE" AND [LastName] = "MÜLLER")").matches(c));
  EXPECT_FALSE(parse(R"([LastName] = "Muller")").matches(c));
  // Only the number properties ignore layout (see the store's phone lookups).
  c.lastName = "Lee-Smith";
  EXPECT_FALSE(parse(R"([LastName] = "Lee Smith")").matches(c));
}

TEST(RestrictionMatch, MissingPropertiesNeverMatch) {
  Contact noBirthday = person("Ann", "");
  for (const char* text : {R"([Birthday] >= "01/01/1900")", R"([Birthday] <> "01/01/1900")",
                           R"([LastName] <> "x")", R"([LastName] = "")", R"([Subject] <> "x")",
                           R"([BusinessTelephoneNumber] < "9")"}) {
    EXPECT_FALSE(parse(text).matches(noBirthday)) << text;
  }
  Appointment a;
  a.subject = "Lunch";
  EXPECT_FALSE(parse(R"([FirstName] <> "x")").matches(a));
  EXPECT_TRUE(parse(R"([Subject] = "lunch")").matches(a));
}

TEST(RestrictionMatch, DatesFollowTheLocalePictureThenTheFixedForm) {
  Contact c = person("Ann", "Lee");
  c.birthday = at(2024, 3, 12);
  // fr-FR writes 12 March as 12/03/2024, en-US as 3/12/2024.
  EXPECT_TRUE(parse(R"([Birthday] = "12/03/2024")", "dd/MM/yyyy").matches(c));
  EXPECT_TRUE(parse(R"([Birthday] = "3/12/2024")", "M/d/yyyy").matches(c));
  EXPECT_FALSE(parse(R"([Birthday] = "12/03/2024")", "M/d/yyyy").matches(c));
  // A text the locale cannot read is taken as MM/dd/yyyy.
  EXPECT_TRUE(parse(R"([Birthday] = "03/12/2024")", "dd.MM.yyyy").matches(c));
}

TEST(RestrictionMatch, CalendarWindowOfTheAppointmentListing) {
  // Today 10 June 2024, window to 14 June, as the appointment listing writes it.
  auto r = parse(R"(( ([Start] >= "6/10/2024" AND [Start] <= "6/14/2024") OR )"
                 R"(([End] >= "6/10/2024" AND [End] <= "6/14/2024") AND [IsRecurring] = 0 ) )"
                 R"(OR [IsRecurring] = 1)");
  Appointment a;
  a.start = at(2024, 6, 14, 18, 0);  // the last day counts whole
  a.end = at(2024, 6, 14, 19, 0);
  EXPECT_TRUE(r.matches(a));
  a.start = at(2024, 6, 8, 9, 0);  // started before, ends inside
  a.end = at(2024, 6, 10, 9, 0);
  EXPECT_TRUE(r.matches(a));
  a.end = at(2024, 6, 9, 9, 0);
  EXPECT_FALSE(r.matches(a));
  a.recurring = true;  // any recurring item, whatever its dates
  EXPECT_TRUE(r.matches(a));
  a.recurring = false;
  a.durationMinutes = 60;
  EXPECT_TRUE(parse(R"([AllDayEvent] = 0 AND [Duration] >= 60)").matches(a));
  EXPECT_FALSE(parse(R"([AllDayEvent] = 1 OR [Duration] > 60)").matches(a));
}

}  // namespace
}  // namespace zelko::platform::sim
