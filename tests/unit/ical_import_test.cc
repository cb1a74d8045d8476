#include "device/ical_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/unit/device_fixture.h"
#include "tests/unit/item_builders.h"

namespace zelko::device {
namespace {

using platform::Appointment;
using platform::DateTime;
using zelko::testing::at;
using namespace std::string_literals;

std::string dataFile(const std::string& name) {
  auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / name;
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_TRUE(in.good()) << path;
  return text.str();
}

// One VEVENT with the given lines, the event starting on line 3.
std::string event(const std::string& lines) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:x\r\n" + lines +
         "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

// Imports into the zone of a phone in Paris.
class ICalImport : public testing::DeviceTest {
 protected:
  platform::sim::DeviceOptions options() override { return inZone("Europe/Paris"); }
  std::vector<Appointment> importOk(const std::string& text) {
    auto result = importCalendar(text, platform().clock());
    EXPECT_TRUE(result.ok()) << result.status().message();
    return result.ok() ? *result : std::vector<Appointment>{};
  }
  std::string errorOf(const std::string& text) {
    auto result = importCalendar(text, platform().clock());
    EXPECT_FALSE(result.ok()) << text;
    return result.ok() ? "" : result.status().message();
  }
  Appointment one(const std::string& lines) {
    auto all = importOk(event(lines));
    EXPECT_EQ(all.size(), 1u);
    return all.size() == 1 ? all[0] : Appointment{};
  }
  // The zone of a series in a VTIMEZONE whose TZID names no zone: found by its offsets.
  std::string zoneOfSeriesIn(const std::string& tzid, const std::string& observances) {
    auto all = importOk("BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:" + tzid + "\r\n" + observances +
                        "END:VTIMEZONE\r\nBEGIN:VEVENT\r\nDTSTART;TZID=\"" + tzid +
                        "\":20240105T093000\r\nRRULE:FREQ=DAILY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    return all.size() == 1 ? all[0].timeZone : "";
  }
};
class ICalImportFiles : public ICalImport {};
class ICalImportTimes : public ICalImport {};
class ICalImportErrors : public ICalImport {};
class ICalImportInNewYork : public ICalImport {
  platform::sim::DeviceOptions options() override { return inZone("America/New_York"); }
};

TEST_F(ICalImportInNewYork, DesktopExportKeepsItsSeriesInTheirZoneAndMovesTheRest) {
  auto all = importOk(dataFile("desktop_calendar_export.ics"));
  ASSERT_EQ(all.size(), 3u);
  const Appointment& sync = all[0];
  EXPECT_EQ(sync.subject, "Team sync");
  EXPECT_EQ(sync.location, "Room 4.12");
  EXPECT_EQ(sync.start, at(2024, 1, 8, 4, 0));
  EXPECT_EQ(sync.end, at(2024, 1, 8, 4, 30));
  EXPECT_FALSE(sync.allDay);
  EXPECT_NE(sync.recurrenceRule.find("FREQ=WEEKLY"), std::string::npos) << sync.recurrenceRule;
  EXPECT_NE(sync.recurrenceRule.find("BYDAY=MO"), std::string::npos) << sync.recurrenceRule;
  // The series stays in the zone the Outlook name stands for: its rule and exceptions are
  // wall times there, while its start reads in device time.
  EXPECT_EQ(sync.timeZone, "Europe/Berlin");
  EXPECT_NE(sync.recurrenceRule.find("UNTIL=20240624T100000;"), std::string::npos)
      << "UNTIL a wall time of the series' zone: " << sync.recurrenceRule;
  EXPECT_EQ(sync.exceptionDates, (std::vector<DateTime>{at(2024, 4, 1, 10, 0), at(2024, 5, 20, 10, 0)}));

  const Appointment& holiday = all[1];
  EXPECT_TRUE(holiday.allDay);
  EXPECT_EQ(holiday.start, at(2024, 8, 15));
  EXPECT_EQ(holiday.end, at(2024, 8, 16)) << "all-day dates are not moved between zones";
  EXPECT_EQ(holiday.categories, "Holiday");

  // Starts before the clocks change in Europe and ends after: 1h30 of real time.
  const Appointment& train = all[2];
  EXPECT_EQ(train.start, at(2024, 3, 30, 20, 30));
  EXPECT_EQ(train.end, at(2024, 3, 30, 22, 0));
  EXPECT_EQ(train.location, "Night train, coach 7");
  EXPECT_EQ(train.categories, "Travel, Business");
}

TEST_F(ICalImportFiles, WebExportWithChangedAndCancelledOccurrences) {
  auto all = importOk(dataFile("web_calendar_export.ics"));
  ASSERT_EQ(all.size(), 3u) << "the cancelled occurrence is no appointment";
  const Appointment& choir = all[0];
  EXPECT_EQ(choir.start, at(2024, 3, 5, 18, 30));
  EXPECT_EQ(choir.location, "Salle Pleyel, 252 Rue du Faubourg Saint-Honoré, 75008 Paris");
  EXPECT_NE(choir.recurrenceRule.find("COUNT=10"), std::string::npos);
  EXPECT_EQ(choir.exceptionDates,
            (std::vector<DateTime>{at(2024, 4, 2, 18, 30), at(2024, 3, 19, 18, 30), at(2024, 3, 26, 18, 30)}));
  const Appointment& late = all[1];
  EXPECT_EQ(late.subject, "Choir rehearsal (late start)");
  EXPECT_EQ(late.start, at(2024, 3, 19, 19, 0));
  EXPECT_TRUE(late.recurrenceRule.empty());
  const Appointment& dentist = all[2];
  EXPECT_EQ(dentist.start, at(2024, 6, 12, 9, 0));
  EXPECT_EQ(dentist.end, at(2024, 6, 12, 9, 45));
}

TEST_F(ICalImportFiles, WebExportWithEmptyFieldsInEveryEvent) {
  auto all = importOk(dataFile("web_calendar_empty_fields.ics"));
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].subject, "Bin day");
  EXPECT_EQ(all[0].location, "");
  EXPECT_EQ(all[1].start, at(2024, 6, 12, 18, 0));
}

TEST_F(ICalImportFiles, GroupwareSeriesWithExtraDatesInEveryForm) {
  auto all = importOk(dataFile("groupware_monthly_rdate.ics"));
  ASSERT_EQ(all.size(), 1u);
  const Appointment& board = all[0];
  EXPECT_EQ(board.timeZone, "America/Los_Angeles");
  EXPECT_EQ(board.start, at(2024, 10, 1, 19, 0)) << "10:00 in Los Angeles, in Paris";
  // Wall times in Los Angeles: date-times, a date at the series' hour, a period's start.
  EXPECT_EQ(board.recurrenceDates, (std::vector<DateTime>{at(2024, 11, 5, 16, 0), at(2024, 11, 21, 10, 0),
                                                          at(2024, 12, 12, 10, 0), at(2025, 1, 17, 10, 0)}));
  EXPECT_EQ(board.exceptionDates, std::vector<DateTime>{at(2024, 12, 3, 10, 0)});
}

TEST_F(ICalImportFiles, DesktopWeekdaySeriesKeepsItsDaysInItsOwnZone) {
  auto all = importOk(dataFile("desktop_sydney_weekdays.ics"));
  ASSERT_EQ(all.size(), 1u);
  const Appointment& standUp = all[0];
  EXPECT_EQ(standUp.timeZone, "Australia/Sydney");
  EXPECT_EQ(standUp.start, at(2023, 12, 31, 23, 30));
  EXPECT_NE(standUp.recurrenceRule.find("BYDAY=MO,TU,WE,TH,FR"), std::string::npos) << "the days of Sydney";
  EXPECT_EQ(standUp.exceptionDates, std::vector<DateTime>{at(2024, 1, 26, 9, 30)});
}

TEST_F(ICalImportFiles, AnExceptionNamedTwiceIsKeptOnce) {
  auto all = importOk(dataFile("web_series_with_overrides.ics"));
  ASSERT_EQ(all.size(), 2u) << "the series and its moved occurrence";
  EXPECT_EQ(all[0].exceptionDates, (std::vector<DateTime>{at(2024, 9, 11, 17, 0), at(2024, 9, 18, 17, 0)}));
  EXPECT_EQ(all[1].start, at(2024, 9, 12, 17, 0));
  EXPECT_TRUE(all[1].recurrenceRule.empty());
}

TEST_F(ICalImportTimes, FloatingUtcAndNamedZones) {
  EXPECT_EQ(one("DTSTART:20240101T100000\r\n").start, at(2024, 1, 1, 10, 0)) << "floating is device time";
  EXPECT_EQ(one("DTSTART:20240101T100000\r\n").end, at(2024, 1, 1, 10, 0)) << "no end: no length";
  EXPECT_EQ(one("DTSTART:20240701T100000Z\r\n").start, at(2024, 7, 1, 12, 0));
  // Without a VTIMEZONE block the zone comes from libical's own table.
  EXPECT_EQ(one("DTSTART;TZID=Asia/Tokyo:20240701T180000\r\n").start, at(2024, 7, 1, 11, 0));
}

TEST_F(ICalImportTimes, ZonesOfSeriesAreFoundByTheirOffsets) {
  const std::string europe =
      "BEGIN:STANDARD\r\nDTSTART:16011028T030000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\n"
      "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nBEGIN:DAYLIGHT\r\nDTSTART:16010325T020000\r\n"
      "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\n";
  auto fixed = [](const std::string& offset) {
    return "BEGIN:STANDARD\r\nDTSTART:16010101T000000\r\nTZOFFSETFROM:" + offset + "\r\nTZOFFSETTO:" + offset +
           "\r\nEND:STANDARD\r\n";
  };
  EXPECT_EQ(zoneOfSeriesIn("Kuala Lumpur, Singapore", fixed("+0800")), "Asia/Kuala_Lumpur") << "a city it names";
  EXPECT_EQ(zoneOfSeriesIn("GMT +0100 (Standard) / GMT +0200 (Daylight)", europe), "Europe/Berlin");
  EXPECT_EQ(zoneOfSeriesIn("Somewhere odd", fixed("+0217")), "GMT+02:17");
}

TEST_F(ICalImportTimes, DurationsAreRealTimeAndAllDayItemsWholeDays) {
  // 01:30 CET plus two hours of real time is 04:30 CEST.
  auto night = one("DTSTART:20240331T003000Z\r\nDURATION:PT2H\r\n");
  EXPECT_EQ(night.start, at(2024, 3, 31, 1, 30));
  EXPECT_EQ(night.end, at(2024, 3, 31, 4, 30));
  auto day = one("DTSTART;VALUE=DATE:20240229\r\n");
  EXPECT_TRUE(day.allDay);
  EXPECT_EQ(day.end, at(2024, 3, 1));
  EXPECT_EQ(one("DTSTART;VALUE=DATE:20241231\r\nDURATION:P2D\r\n").end, at(2025, 1, 2));
  EXPECT_EQ(one("DTSTART;VALUE=DATE:20240101\r\nRRULE:FREQ=YEARLY;UNTIL=20300101\r\n").recurrenceRule,
            "FREQ=YEARLY;UNTIL=20300101");
}

TEST_F(ICalImportErrors, MalformedLinesRefuseTheFileNamingTheLine) {
  std::string garbage = errorOf(event("DTSTART:20240101T100000\r\nthis is garbage\r\n"));
  EXPECT_EQ(garbage.rfind("line 6: ", 0), 0u) << garbage;
  EXPECT_NE(garbage.find("this is garbage"), std::string::npos);
  std::string value = errorOf(event("DTSTART:20240101T100000\r\nEXDATE:nope\r\nRRULE:FREQ=SOMETIMES\r\n"));
  EXPECT_EQ(value.rfind("line 6: ", 0), 0u) << value;
  EXPECT_NE(value.find("(and 1 more malformed lines)"), std::string::npos) << value;
  // An empty value where one is needed is broken; where a text may be empty, it is not.
  EXPECT_EQ(errorOf(event("DTSTART:20240101T100000\r\nDTEND:\r\n")), "line 6: no value for DTEND");
  EXPECT_EQ(errorOf(event("DTSTART:20240101T100000\r\nLOCATION:\r\nSTATUS:\r\n")), "line 7: no value for STATUS");
}

TEST_F(ICalImportErrors, EventsThatCannotBeStoredAreRefusedWithTheirLineAndField) {
  struct Case {
    std::string lines, message;
  } cases[] = {
      {"", "line 3: event \"x\": no DTSTART"},
      {"DTSTART:20241345T100000\r\n", "line 3: event \"x\": DTSTART: impossible date or time 2024-13-45 10:00:00"},
      {"DTSTART;TZID=Mars/Olympus:20240101T100000\r\n", "line 3: event \"x\": DTSTART: unknown time zone \"Mars/Olympus\""},
      {"DTSTART:20240101T100000\r\nDTEND:20240101T090000\r\n", "line 3: event \"x\": DTEND is before DTSTART"},
      {"DTSTART:20240101T100000\r\nDTEND:20240101T110000\r\nDURATION:PT1H\r\n", "line 3: event \"x\": both DTEND"},
      {"DTSTART;VALUE=DATE:20240101\r\nDURATION:PT1H\r\n", "line 3: event \"x\": DURATION of an all-day event"},
      {"DTSTART:20240101T100000\r\nRDATE;TZID=Mars/Olympus:20240105T100000\r\n",
       "line 3: event \"x\": RDATE: unknown time zone \"Mars/Olympus\""},
      {"DTSTART:20240101T100000\r\nRRULE:FREQ=DAILY\r\nRRULE:FREQ=WEEKLY\r\n", "line 3: event \"x\": more than one RRULE"},
      {"DTSTART:15000101T100000\r\n", "line 3: event \"x\": DTSTART: impossible date"},
  };
  for (const Case& c : cases) {
    std::string message = errorOf(event(c.lines));
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
  }
  // The second event is named by its own line, and the first is not added alone.
  std::string two = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240101T100000\r\nEND:VEVENT\r\n"
                    "BEGIN:VEVENT\r\nSUMMARY:Bad\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  EXPECT_EQ(errorOf(two), "line 5: event \"Bad\": no DTSTART");
}

TEST_F(ICalImportErrors, FilesThatAreNoCalendars) {
  EXPECT_EQ(errorOf("hello\r\n").rfind("not an iCalendar file", 0), 0u);
  EXPECT_EQ(errorOf("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240101T100000Z\r\n").rfind("not an iCalendar", 0), 0u);
  EXPECT_EQ(errorOf("BEGIN:VCARD\r\nEND:VCARD\r\n").rfind("not an iCalendar file", 0), 0u);
  EXPECT_EQ(errorOf("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"),
            "no event (VEVENT) in the file");
  EXPECT_EQ(errorOf(event("DTSTART:20240101T100000\r\nLOCATION:a\0b\r\n"s)), "line 6: NUL character in the text");
}

TEST_F(ICalImportErrors, TextAndNumbersTheStoreCouldNotKeepFaithfully) {
  // Text that is not UTF-8 would be changed on the way out again.
  EXPECT_EQ(errorOf(event("DTSTART:20240101T100000\r\nLOCATION:Caf\xE9\r\n")),
            "line 6: byte 0xE9 at column 13 is not UTF-8");
  // libical would keep COUNT=1215752191 of this without a word.
  EXPECT_EQ(errorOf(event("DTSTART:20240101T100000\r\nRRULE:FREQ=DAILY;\r\n COUNT=99999999999\r\n")),
            "line 6: RRULE: COUNT=99999999999 is out of range (1 to 2147483647)");
  EXPECT_EQ(errorOf(event("DTSTART;TZID=Mars/Olympus:20240101T100000\r\nRRULE:FREQ=DAILY\r\n")),
            "line 3: event \"x\": DTSTART: unknown time zone \"Mars/Olympus\"");
  // Line ends of CR CR LF count once, and folds survive them.
  auto a = importOk("BEGIN:VCALENDAR\r\r\nBEGIN:VEVENT\r\r\nSUMMARY:Lo\r\r\n ng\r\r\nDTSTART:20240101T100000\r\r\n"
                    "END:VEVENT\r\r\nEND:VCALENDAR\r\r\n");
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].subject, "Long");
}

TEST(ICalImportRules, CommandLineRulesAreCheckedAndWrittenCanonically) {
  auto rule = canonicalRecurrenceRule(" rrule:freq=weekly;byday=mo,we;count=4");
  ASSERT_TRUE(rule.ok()) << rule.status().message();
  EXPECT_EQ(*rule, "FREQ=WEEKLY;COUNT=4;BYDAY=MO,WE");
  for (const char* bad : {"", "FREQ=SOMETIMES", "BYDAY=MO", "FREQ=DAILY;COUNT=x;FOO", "FREQ=DAILY;COUNT=99999999999",
                          "FREQ=WEEKLY;INTERVAL=70000"}) {
    EXPECT_FALSE(canonicalRecurrenceRule(bad).ok()) << bad;
  }
}

}  // namespace
}  // namespace zelko::device
