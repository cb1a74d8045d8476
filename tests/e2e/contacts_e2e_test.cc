// The birthdays provider as the home screen, the engine and a person start it: the
// records and page it writes for an address book, the menu file of a listed contact, the
// contact chooser, calls and the message composer.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/provider_e2e_fixture.h"

namespace zelko {
namespace {

using platform::Root;

constexpr char kPictures[] = "\\My Documents\\My Pictures\\";

class ContactsEndToEnd : public testing::ProviderEndToEnd {
 protected:
  void SetUp() override {
    ProviderEndToEnd::SetUp();
    clock("2026-12-30 10:00");
  }
  // Adds a contact; its oid.
  std::string contact(const std::string& first, const std::string& last,
                      std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"contacts", "add", "--first", first, "--last", last};
    args.insert(args.end(), more.begin(), more.end());
    std::string oid = output(args);
    EXPECT_FALSE(oid.empty()) << first;
    return oid;
  }
  int contacts(const std::string& params) { return run("ZelkoContacts.exe", params); }
  std::string anniversary(int k, const std::string& name) {
    return record("Contacts\\Anniversaries\\Anniversary" + std::to_string(k), name);
  }
  // The address book of most tests: six dates around New Year, one of each case.
  void addressBook() {
    std::string picture = (dir() / "ann.jpg").string();
    std::ofstream(picture, std::ios::binary) << "JPEG bytes";
    ann_ = contact("Ann", "Lee", {"--mobile", "0612", "--birthday", "1990-12-30", "--picture", picture});
    contact("Bob", "Roy", {"--anniversary", "2000-12-29"});  // yesterday: next year's is last
    contact("Cy", "Pak", {"--birthday", "1985-01-02"});      // across New Year
    contact("Di", "Fox", {"--birthday", "2026-12-31"});      // born this year
    contact("Ed", "Ray", {"--birthday", "2030-12-31"});      // a year typed wrongly
    contact("Flo", "Ng", {"--birthday", "2004-02-29", "--home", "01 45"});
  }
  std::string ann_;
};

TEST_F(ContactsEndToEnd, HomeScreenListsTheNearestDatesWithAgesOnBothLabelForms) {
  addressBook();
  char oldName[16], newName[16];
  std::snprintf(oldName, sizeof oldName, "%u.jpg", static_cast<unsigned>(std::stoul(ann_)));
  std::snprintf(newName, sizeof newName, "%08x.jpg", static_cast<unsigned>(std::stoul(ann_)));
  writeFile(std::string(kPictures) + oldName, "old picture");

  ASSERT_EQ(contacts("-zelkotoday"), 1);
  EXPECT_EQ(record("Contacts\\Anniversaries", "total"), "5");
  // The birthday in the locale's short date.
  EXPECT_EQ(records("Contacts\\Anniversaries\\Anniversary1", {"dateview", "birthday", "year", "date", "age",
                                                                 "mobilePhone", "homePhone", "oid", "picture"}),
            (Shown{"20261230", "12/30/1990", "1990", "30/12/2026", "36", "0612", "<missing>", ann_,
                   std::string(kPictures) + newName}));
  EXPECT_EQ(readFile(std::string(kPictures) + newName), "JPEG bytes");
  EXPECT_FALSE(std::filesystem::exists(hostFile(std::string(kPictures) + oldName)));
  EXPECT_EQ(anniversary(3, "age"), "0");  // Ed: a date still to come has no age
  EXPECT_EQ(anniversary(5, "date"), "28/02/2027");
  EXPECT_EQ(anniversary(5, "homePhone"), "01 45");
  EXPECT_EQ(anniversary(6, "date"), "<missing>");  // Bob's date is beyond the five

  EXPECT_EQ(pages("Page5", {"LabelA", "IconA", "Label1", "Label2", "Label3", "Icon3", "Label4"}),
            (Shown{"30/12/2026 : 36\nLee Ann", newName, "31/12/2026\nFox Di", "31/12/2026\nRay Ed",
                   "02/01/2027 : 42\nPak Cy", "unknown.png", "28/02/2027 : 23\nNg Flo"}));
  EXPECT_EQ(pages("Page1", {"Event", "EventPNG"}), (Shown{"30/12/2026 : 36\nLee Ann", newName}));
  EXPECT_EQ(value(Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday", "Updated"), "1");
}

TEST_F(ContactsEndToEnd, SwitchesChooseTheKindsTheWindowTheCountAndTheStore) {
  addressBook();
  // Exactly three days: Cy's date on the last day is in (the window's edges are in the
  // unit tests).
  ASSERT_EQ(contacts("-birthdays -days:3 -max:9"), 1);
  EXPECT_EQ(record("Contacts\\Anniversaries", "total"), "4");
  EXPECT_EQ(anniversary(4, "date"), "02/01/2027");
  // Without -days a listing looks 364 days ahead, as far as yesterday's date next year.
  ASSERT_EQ(contacts("-anniversaries"), 1);
  EXPECT_EQ(anniversary(1, "anniversary"), "12/29/2000");
  EXPECT_EQ(anniversary(1, "birthday"), "<missing>");
  EXPECT_EQ(page("Page5", "LabelA"), "<missing>");  // not for the home screen: no page

  // Another store keeps its own records; the page still shows those of Contacts.
  ASSERT_EQ(contacts("-zelkotoday -reg:Other -max:2"), 1);
  EXPECT_EQ(record("Other\\Anniversaries", "total"), "2");
  EXPECT_EQ(record("Other\\Anniversaries\\Anniversary2", "lastName"), "Fox");
  EXPECT_EQ(page("Page5", "LabelA"), "29/12/2027 : 27\nRoy Bob");
  // Without a kind, a number or the home screen there is nothing to do.
  ASSERT_EQ(contacts("-max:2 -days:3"), 0);
  EXPECT_EQ(record("Contacts\\Anniversaries", "total"), "1");
}

TEST_F(ContactsEndToEnd, PersonalNoteTakesSlotAAndAnEmptyListShowsTheNoEventText) {
  writeFile(installed("ZelkoToday.ini"), "[ZelkoToday]\nNOEVT=Nothing coming\n");
  ASSERT_EQ(contacts("-zelkotoday"), 1);
  EXPECT_EQ(pages("Page5", {"LabelA", "Label4"}), (Shown{"Nothing coming", "\n "}));
  EXPECT_EQ(pages("Page1", {"Event", "EventPNG"}), (Shown{"\n ", "unknown.png"}));  // the empty slot's own label

  const std::string page5 = "Software\\Microsoft\\CHome\\ZelkoToday\\Page5";
  setText(Root::kLocalMachine, page5, "Private", "Dentist at 10");
  setText(Root::kLocalMachine, page5, "PrivatePNG", "\\Program Files\\ZelkoToday\\note.png");
  contact("Ann", "Lee", {"--birthday", "1990-12-31"});
  ASSERT_EQ(contacts("-zelkotoday -max:3"), 1);
  EXPECT_EQ(pages("Page5", {"LabelA", "IconA", "Label1", "Label2"}),
            (Shown{"Dentist at 10", "note.png", "31/12/2026 : 36\nLee Ann", "\n "}));
  EXPECT_EQ(page("Page1", "Event"), "Dentist at 10");
}

// Which items each mix of numbers and texts gives is in the unit tests; here the file a
// run writes, the menu program it starts and what that program shows.
TEST_F(ContactsEndToEnd, MenuFileOfAListedContactAndTheMenuItShows) {
  contact("Ann", "Lee", {"--mobile", "+33 6 12", "--home", "+33 6 12", "--business", "0800",
                         "--birthday", "1990-12-31"});
  writeFile(installed("ZelkoToday.ini"), "[ZelkoToday]\nCALL=Call\nMYTEXT=My texts\n");
  writeFile(installed("SMS.txt"), "On my way\r\n\r\nLate; sorry\r\n");
  ASSERT_EQ(contacts("-birthdays"), 1);
  // Whatever menu program is installed, it finds nothing chosen and ends.
  for (int i = 0; i < 3; ++i) ASSERT_EQ(tool({"ui", "choose", "none"}), 0);

  ASSERT_EQ(contacts("-action:1"), 0);
  EXPECT_EQ(readFile(installed("ZelkoContacts.mnu")),
            "[Menu]\r\n"
            "SENDSMS=%ZELKOTODAY%\\ZelkoContacts.exe;-sms:\"+33 6 12\"\r\n"
            "My texts=[Text]\r\n"
            "Call +33 6 12=%ZELKOTODAY%\\ZelkoContacts.exe;-phone:\"+33 6 12\"\r\n"
            "Call 0800=%ZELKOTODAY%\\ZelkoContacts.exe;-phone:0800\r\n"
            "\r\n"
            "[Text]\r\n"
            "On my way=%ZELKOTODAY%\\ZelkoSms.exe;-sms:\"+33 6 12\" -text:\"On my way\"\r\n"
            "Late; sorry=%ZELKOTODAY%\\ZelkoSms.exe|-sms:\"+33 6 12\" -text:\"Late; sorry\"\r\n"
            "\r\n");
  // The popup menu shows what the file holds (and is closed by the queued answer).
  ASSERT_TRUE(waitFor([&] { return journalEvents("menu").size() == 1; }));
  std::string shown = journalEvents("menu")[0];
  for (const char* label : {"\"SENDSMS\"", "\"My texts\"", "\"On my way\"", "\"Late; sorry\"",
                            "\"Call +33 6 12\"", "\"Call 0800\""}) {
    EXPECT_NE(shown.find(label), std::string::npos) << label << " in " << shown;
  }
  // A record the listing did not write, and one of another store.
  ASSERT_TRUE(waitFor([&] { return launchesRunning() == 0; }));
  ASSERT_EQ(contacts("-action:2"), 0);
  EXPECT_EQ(readFile(installed("ZelkoContacts.mnu")), "");
  ASSERT_EQ(contacts("-reg:Other -action:1"), 0);
  EXPECT_EQ(readFile(installed("ZelkoContacts.mnu")), "");
  EXPECT_EQ(launches("\\Program Files\\ZelkoToday\\ZelkoMenu.exe", "ZelkoContacts.mnu").size(), 3u);
}

TEST_F(ContactsEndToEnd, ChooserKeepsThePickedContact) {
  std::string oid = contact("Ann", "Lee", {"--mobile", "0612", "--business", "0800",
                                           "--categories", "Family"});
  std::string meeting = output({"calendar", "add", "--subject", "S", "--start", "2026-12-30 12:00"});
  ASSERT_EQ(tool({"ui", "pick", oid, "0612"}), 0);
  ASSERT_EQ(contacts("-choose"), 0);
  EXPECT_EQ(records("Contacts\\Choose", {"choosePhone", "lastName", "businessPhone", "homePhone", "categories", "oid",
                                          "picture"}),
            (Shown{"0612", "Lee", "0800", "<missing>", "Family", oid, "<missing>"}));
  ASSERT_EQ(journalEvents("chooser").size(), 1u);
  EXPECT_NE(journalEvents("chooser")[0].find("\"oid\":" + oid + ",\"number\":\"0612\""), std::string::npos);

  // Cancelled, or a pick that is no contact: the key stays deleted.
  ASSERT_EQ(tool({"ui", "pick", "cancel"}), 0);
  ASSERT_EQ(contacts("-choose"), 0);
  EXPECT_FALSE(platform().registry().keyExists(Root::kCurrentUser, "Software\\Zelko\\Contacts\\Choose"));
  ASSERT_EQ(tool({"ui", "pick", meeting, "0612"}), 0);
  ASSERT_EQ(contacts("-reg:Other -choose"), 0);
  EXPECT_FALSE(platform().registry().keyExists(Root::kCurrentUser, "Software\\Zelko\\Other\\Choose"));
}

TEST_F(ContactsEndToEnd, CallsAndTheMessageComposer) {
  ASSERT_EQ(contacts("-phone:\"+33 6 12\""), 1);
  ASSERT_EQ(contacts("-phone:0612:99"), 1);  // a number is read whole, colon and all
  std::vector<std::string> calls = journalEvents("call");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_NE(calls[0].find("\"number\":\"+33 6 12\""), std::string::npos);
  EXPECT_NE(calls[1].find("\"number\":\"0612:99\""), std::string::npos);

  ASSERT_EQ(contacts("-sms:0612"), 1);
  auto composer = launches("\\Windows\\tmail.exe", "-Service \"SMS\" -to \"0612\"");
  ASSERT_EQ(composer.size(), 1u);
  EXPECT_NE(composer[0].find("\"ok\":true"), std::string::npos);

  // The home screen's listing comes first: no call, no composer.
  ASSERT_EQ(contacts("-phone:0612 -sms:0612 -zelkotoday"), 1);
  ASSERT_EQ(contacts("-birthdays -phone:0612"), 1);
  EXPECT_EQ(journalEvents("call").size(), 2u);
  EXPECT_EQ(journalEvents("launch").size(), 6u);  // the five runs and the one composer
}

}  // namespace
}  // namespace zelko
