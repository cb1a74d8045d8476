// zelko-device contacts and calendar, as a user and a watching program see them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::ItemFolder;
using platform::Message;

std::string dataFile(const std::string& name) {
  return (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / name).string();
}

class ItemsEndToEnd : public EndToEndTest {
 protected:
  // Paris, so that the calendar import has a zone to convert into.
  platform::sim::DeviceOptions options() override { return inZone("Europe/Paris"); }

  std::string run(const std::vector<std::string>& args, int expectedCode = 0) {
    std::string out;
    EXPECT_EQ(tool(args, &out), expectedCode) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    return out;
  }

  std::string writeFile(const std::string& name, const std::string& bytes) {
    auto path = dir() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
};

TEST_F(ItemsEndToEnd, AWatchingWindowHearsOfEveryChangeWithItsFolder) {
  std::vector<Message> seen;
  auto& windows = platform().windows();
  ASSERT_TRUE(windows.registerClass("ItemsWatcher", [&](const Message& m) {
    if (m.message >= platform::kItemAdded && m.message <= platform::kItemChanged) seen.push_back(m);
    return int64_t{0};
  }).ok());
  auto window = windows.createWindow("ItemsWatcher", "watcher");
  ASSERT_TRUE(window.ok());
  auto& items = platform().items();
  ASSERT_TRUE(items.enableChangeNotifications(ItemFolder::kCalendar, *window).ok());
  ASSERT_TRUE(items.enableChangeNotifications(ItemFolder::kContacts, *window).ok());

  std::string oid = run({"contacts", "add", "--first", "Ann", "--last", "Lee"});
  run({"contacts", "del", oid.substr(0, oid.size() - 1)});
  run({"calendar", "add", "--subject", "Dentist", "--start", "2024-06-12 09:00"});
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (seen.size() < 3 && std::chrono::steady_clock::now() < until) {
    windows.pumpMessages(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].message, platform::kItemAdded);
  EXPECT_EQ(seen[0].lParam, 10);
  EXPECT_EQ(seen[1].message, platform::kItemDeleted);
  EXPECT_EQ(seen[1].lParam, 10);
  EXPECT_EQ(seen[2].message, platform::kItemAdded);
  EXPECT_EQ(seen[2].lParam, 9);
}

TEST_F(ItemsEndToEnd, AddedItemsAreListedWithEveryField) {
  std::string picture = writeFile("face.png", std::string("\x89PNG\r\n\x1a\n", 8));
  std::string oid = run({"contacts", "add", "--first", "Zoë", "--last", "Ng", "--mobile", "+33 6 12 34 56 78",
                         "--home", "01 23", "--business", "09 87", "--birthday", "1984-02-29",
                         "--anniversary", "2010-06-19", "--categories", "Friends", "--picture", picture});
  EXPECT_EQ(run({"contacts", "list"}),
            oid.substr(0, oid.size() - 1) +
                "\tZoë\tNg\t+33 6 12 34 56 78\t01 23\t09 87\t1984-02-29\t2010-06-19\tFriends\tyes\n");

  std::string a = run({"calendar", "add", "--subject", "Yoga\tclass", "--location", "Hall", "--start",
                       "2024-03-04 18:00", "--end", "2024-03-04 19:15", "--rrule", "FREQ=WEEKLY;BYDAY=MO"});
  std::string b = run({"calendar", "add", "--subject", "Trip", "--start", "2024-08-01", "--end", "2024-08-03",
                       "--all-day", "--categories", "Travel"});
  auto id = [](const std::string& line) { return line.substr(0, line.size() - 1); };
  EXPECT_EQ(run({"calendar", "list"}),
            id(a) + "\t2024-03-04 18:00\t2024-03-04 19:15\ttimed\tYoga\\tclass\tHall\t\tFREQ=WEEKLY;BYDAY=MO\t\t\t\n" +
                id(b) + "\t2024-08-01 00:00\t2024-08-04 00:00\tall-day\tTrip\t\tTravel\t\t\t\t\n");
}

TEST_F(ItemsEndToEnd, ImportsFilesAsOtherApplicationsWriteThem) {
  EXPECT_EQ(run({"contacts", "import", dataFile("phone_export_v21.vcf")}), "3\n");
  EXPECT_EQ(run({"contacts", "import", dataFile("address_book_v30.vcf")}), "2\n");
  std::string contacts = run({"contacts", "list"});
  EXPECT_NE(contacts.find("\tJürgen\tMüller\t+49 171 1234567\t+49 30 1234567\t+49 30 7654321\t1975-03-14\t"),
            std::string::npos)
      << contacts;
  EXPECT_NE(contacts.find("\tSiobhán\tO'Brien\t"), std::string::npos);
  EXPECT_NE(contacts.find("\tFriends, Book club, Thursdays\tyes\n"), std::string::npos) << contacts;

  EXPECT_EQ(run({"calendar", "import", dataFile("desktop_calendar_export.ics")}), "3\n");
  EXPECT_EQ(run({"calendar", "import", dataFile("web_calendar_export.ics")}), "3\n");
  std::string calendar = run({"calendar", "list"});
  EXPECT_NE(calendar.find("\t2024-01-08 10:00\t2024-01-08 10:30\ttimed\tTeam sync\tRoom 4.12\t\t"),
            std::string::npos)
      << calendar;
  EXPECT_NE(calendar.find("\t2024-04-01 10:00,2024-05-20 10:00\t\tEurope/Berlin\n"), std::string::npos) << calendar;
  EXPECT_NE(calendar.find("\t2024-03-31 01:30\t2024-03-31 04:00\ttimed\tOvernight to Vienna\t"), std::string::npos);
}

TEST_F(ItemsEndToEnd, BadInputIsRefusedAndAddsNothing) {
  std::string goodThenBad = writeFile("bad.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Good;One;;;\r\nEND:VCARD\r\n"
                                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nBDAY:1980-13-01\r\nEND:VCARD\r\n");
  run({"contacts", "import", goodThenBad}, 1);
  std::string badIcs = writeFile("bad.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240101T100000Z\r\n"
                                            "END:VEVENT\r\nBEGIN:VEVENT\r\nDTSTART:nonsense\r\nEND:VEVENT\r\n"
                                            "END:VCALENDAR\r\n");
  run({"calendar", "import", badIcs}, 1);
  run({"contacts", "import", (dir() / "missing.vcf").string()}, 1);
  run({"contacts", "add", "--first", "A", "--last", "B", "--picture", (dir() / "missing.png").string()}, 1);
  run({"contacts", "add", "--first", "A", "--last", "B", "--birthday", "1980-02-30"}, 2);
  run({"contacts", "add", "--first", "A"}, 2);
  run({"calendar", "add", "--subject", "S", "--start", "2024-01-01 25:00"}, 2);
  run({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00", "--end", "2024-01-01 09:00"}, 2);
  run({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00", "--rrule", "FREQ=SOMETIMES"}, 2);
  // Numbers libical would wrap round, and an all-day item whose last day is before its first.
  run({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00", "--rrule", "FREQ=DAILY;COUNT=99999999999"},
      2);
  run({"calendar", "add", "--subject", "S", "--all-day", "--start", "2024-05-10", "--end", "2024-05-09"}, 2);
  EXPECT_EQ(run({"contacts", "list"}), "");
  EXPECT_EQ(run({"calendar", "list"}), "");

  // Deleting goes by kind: a contact command never removes an appointment.
  std::string oid = run({"calendar", "add", "--subject", "S", "--start", "2024-01-01 10:00"});
  oid.pop_back();
  run({"contacts", "del", oid}, 1);
  run({"calendar", "del", "4000000"}, 1);
  run({"calendar", "del", "x"}, 2);
  run({"calendar", "del", oid});
  EXPECT_EQ(run({"calendar", "list"}), "");
}

}  // namespace
}  // namespace zelko::testing
