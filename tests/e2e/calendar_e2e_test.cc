// The appointments provider as the home screen, the engine and a person start it: the
// records and page it writes for a calendar, the phone's next-appointment text when
// nothing is listed, and the day view of a record.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/provider_e2e_fixture.h"

namespace zelko {
namespace {

using platform::Root;

constexpr char kCalSkin[] = "\\Program Files\\ZelkoToday\\skins\\default\\cal\\";

class CalendarEndToEnd : public testing::ProviderEndToEnd {
 protected:
  platform::sim::DeviceOptions options() override { return frenchPhone(); }
  void SetUp() override {
    ProviderEndToEnd::SetUp();
    clock("2026-03-24 09:05");  // a Tuesday
  }
  void appointment(std::vector<std::string> args) {
    args.insert(args.begin(), {"calendar", "add"});
    ASSERT_EQ(tool(args), 0) << args[3];
  }
  int calendar(const std::string& params) { return run("ZelkoCalendar.exe", params); }
  std::string cal(int i, const std::string& name) {
    return record("Calendar\\Cal" + std::to_string(i), name);
  }
  // Eight coming entries and two that are not: one of each kind of item.
  void week() {
    appointment({"--subject", "Ended", "--start", "2026-03-24 07:00", "--end", "2026-03-24 08:00"});
    appointment({"--subject", "Review", "--start", "2026-03-24 09:00", "--location", "Room 4"});
    appointment({"--subject", "Lunch", "--start", "2026-03-24 12:00", "--end", "2026-03-24 13:30",
                 "--categories", "Work,Private"});
    appointment({"--subject", "Trip", "--start", "2026-03-25", "--end", "2026-03-27", "--all-day"});
    appointment({"--subject", "Standup", "--start", "2026-03-02 09:30", "--end", "2026-03-02 09:45",
                 "--rrule", "FREQ=DAILY"});
    appointment({"--subject", "Gym", "--start", "2026-03-03 18:00", "--rrule", "FREQ=WEEKLY;COUNT=20"});
    appointment({"--subject", "Night", "--start", "2026-03-24 22:00", "--end", "2026-03-25 01:00"});
    appointment({"--subject", "Far", "--start", "2026-04-10 10:00"});
  }
};

TEST_F(CalendarEndToEnd, ListingOfMeetingsAllDayItemsAndSeriesEarliestFirst) {
  week();
  writeFile(std::string(kCalSkin) + "Work.png", "PNG");
  ASSERT_EQ(calendar("-max:20 -days:5 -zelkotoday"), 0);
  // Review 09:00, Standup 09:30, Lunch, Gym, Night; Trip 25th, Standup 25th, Trip 26th
  // and 27th. Ended is over; Far is beyond the window.
  EXPECT_EQ(record("Calendar", "total"), "9");
  EXPECT_EQ(records("Calendar\\Cal1", {"subject", "location", "datetime", "enddatetime", "timestamp", "duration",
                                        "recurrent", "rectype", "categories"}),
            (Shown{"Review", "Room 4", "24/03/2026 09:00", "24/03/2026 10:00", "202603240900", "60", "0",
                   "<missing>", ""}));
  EXPECT_EQ(cal(5, "enddateview"), "20260325");
  EXPECT_EQ(records("Calendar\\Cal6", {"subject", "allday", "datetime", "enddatetime", "duration"}),
            (Shown{"Trip", "1", "25/03/2026 00:00", "25/03/2026 00:00", "4320"}));
  // A series' occurrence keeps the series' own start.
  EXPECT_EQ(records("Calendar\\Cal7", {"subject", "date", "start", "dateview", "recurrent", "rectype", "noenddate"}),
            (Shown{"Standup", "25/03/2026", "09:30", "20260325", "1", "0", "1"}));
  EXPECT_EQ(cal(9, "dateview"), "20260327");

  EXPECT_EQ(pages("Page3", {"HeaderText", "LabelA", "IconA", "Label1", "Label2", "Icon2", "Label3", "Label4"}),
            (Shown{"9", "09:00 - 1h\nReview", "24.png", "09:30 - 15\nStandup", "12:00 - 1h30\nLunch", "Work.png",
                   "18:00 - 1h\nGym", "22:00 > 25/03/2026  3h\nNight"}));
  EXPECT_EQ(pages("Page1", {"Rdv", "Rdv2", "Rdv2PNG"}), (Shown{"09:00 - 1h Review", "09:30 - 15 Standup", "24.png"}));
}

TEST_F(CalendarEndToEnd, TitaniumListsFiveOverAMonthAndOnlyTheHomeScreenGetsAPage) {
  week();
  ASSERT_EQ(calendar("-max:3 -days:1"), 0);
  EXPECT_EQ(record("Calendar", "total"), "3");
  EXPECT_EQ(page("Page3", "LabelA"), "<missing>");
  // A window of one day ends today; series still show tomorrow's occurrence.
  ASSERT_EQ(calendar("-max:20 -days:1 -reg:Today"), 0);
  EXPECT_EQ(record("Today", "total"), "6");
  EXPECT_EQ(record("Today\\Cal6", "subject"), "Standup");
  EXPECT_EQ(record("Calendar", "total"), "3");
  // A store name that is no key of its own would delete all of Software\Zelko.
  ASSERT_EQ(calendar("-reg: -max:20"), 1);
  EXPECT_EQ(record("Calendar", "total"), "3");
  EXPECT_EQ(record("", "ZelkoCalendar"), "195");

  ASSERT_EQ(calendar("-titanium -max:3 -zelkotoday"), 1);
  EXPECT_EQ(record("Calendar", "total"), "5");
  EXPECT_EQ(page("Page3", "HeaderText"), "5");
  // Three days on: the trip's last day, tomorrow's standup (today's is over) and Far.
  clock("2026-03-27 10:00");
  ASSERT_EQ(calendar("-titanium -zelkotoday"), 1);
  EXPECT_EQ(pages("Page3", {"LabelA", "IconA", "Label1", "Icon1", "Label2", "Label3", "Icon3", "HeaderText"}),
            (Shown{"Trip", "27.png", "28/03/2026 09:30 - 15\nStandup", "28.png", "10/04/2026 10:00 - 1h\nFar", "",
                   "null.png", "3"}));
}

TEST_F(CalendarEndToEnd, WithoutRecordsThePhonesNextAppointmentAndMissingImages) {
  setText(Root::kCurrentUser, "System\\State\\Appointments\\HomeScreen", "Subject", "Dentist 10:00");
  clock("2026-03-31 09:00");
  ASSERT_EQ(calendar("-zelkotoday"), 0);
  EXPECT_EQ(record("Calendar", "total"), "0");
  EXPECT_EQ(pages("Page3", {"HeaderText", "LabelA", "IconA"}),
            (Shown{"", "Dentist 10:00\n31/03/2026 - 01/04/2026", "null.png"}));
  EXPECT_EQ(page("Page1", "Rdv"), "");

  // A skin without today's day image shows the calendar image instead.
  std::filesystem::remove(hostFile(std::string(kCalSkin) + "31.png"));
  appointment({"--subject", "Call", "--start", "2026-03-31 11:00", "--categories", "Home"});
  ASSERT_EQ(calendar("-zelkotoday"), 0);
  EXPECT_EQ(page("Page3", "IconA"), "calendar.png");
  EXPECT_EQ(page("Page3", "LabelA"), "11:00 - 1h\nCall");
}

TEST_F(CalendarEndToEnd, DateViewOpensThePhonesCalendarOnTheRecordsDay) {
  week();
  ASSERT_EQ(calendar("-max:8"), 0);
  ASSERT_EQ(calendar("-dateview:6"), 1);
  auto opened = launches("\\Windows\\poutlook.exe", "calendar -d20260325");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(opened[0].find("\"ok\":true"), std::string::npos);
  ASSERT_EQ(calendar("-dateview:9"), 1);
  EXPECT_EQ(journalEvents("launch").size(), 4u);  // the three runs and the calendar
}

}  // namespace
}  // namespace zelko
