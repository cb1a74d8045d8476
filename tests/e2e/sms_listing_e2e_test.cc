// ZelkoSms's listing as the home screen sees it: the records of the newest texts, the
// senders matched among the contacts, and the text-message page Page4.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "platform/platform.h"
#include "tests/e2e/sms_fixture.h"

namespace zelko::testing {
namespace {

constexpr char kPictures[] = "\\My Documents\\My Pictures\\";

class SmsListing : public SmsEndToEnd {};

TEST_F(SmsListing, UnreadOnlyOrAllNewestFirstUpToMax) {
  std::string feb = receive("+33611", "read in february", "2026-02-01 10:00", true);
  std::string march = receive("+33612", "first of march", "2026-03-01 10:00");
  std::string old = receive("+33613", "january", "2026-01-15 08:30");
  std::string april = receive("+33614", "read in april", "2026-04-01 23:30", true);

  EXPECT_EQ(sms(""), 0);
  EXPECT_EQ(total(), "2");
  // Local time, en-US pictures.
  EXPECT_EQ(records(1, {"subject", "entryid", "datetime", "unread"}),
            (std::vector<std::string>{"first of march", march, "3/1/2026 10:00 AM", "1"}));
  EXPECT_EQ(records(2, {"sender", "entryid"}), (std::vector<std::string>{"+33613", old}));

  EXPECT_EQ(sms("-read:all -max:3"), 0);
  EXPECT_EQ(total(), "3");
  EXPECT_EQ(records(1, {"entryid", "datetime", "unread"}),
            (std::vector<std::string>{april, "4/1/2026 11:30 PM", "<missing>"}));
  EXPECT_EQ(record(3, "entryid"), feb);
  EXPECT_EQ(record(4, "sender"), "<missing>");  // the key was replaced, not added to

  // In home-screen mode, section SMS key allread lists read texts too.
  writeInstalled("ZelkoToday.ini", "[SMS]\r\nallread=1\r\n");
  EXPECT_EQ(sms("-zelkotoday"), 0);
  EXPECT_EQ(total(), "4");
  EXPECT_EQ(sms(""), 0);  // outside it, only unread ones
  EXPECT_EQ(total(), "2");
}

TEST_F(SmsListing, SendersMatchContactsByNamesOrNumberWithPictures) {
  std::string doe = contact("John", "Doe", "+33 6 12 34 56 78", "01 02", "", "JPEG-of-John");
  contact("Johnny", "Doe", "0699");  // a later Doe: never the first match
  std::string smith = contact("Ann", "Smith", "0688", "", "03 04");
  receive("Stranger", "who?", "2026-03-01 09:00");
  receive("+33612345678", "by number", "2026-03-01 10:00");
  receive("SMITH", "by one name", "2026-03-01 11:00");
  receive("Doe, John", "by both names", "2026-03-01 12:00");

  // A picture of the older decimal naming is replaced by the hexadecimal one.
  std::string decimal = kPictures + doe + ".jpg";
  std::ofstream(hostFile(decimal)) << "old";
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", std::stoi(doe));
  std::string picture = std::string(kPictures) + hex + ".jpg";

  EXPECT_EQ(sms("-zelkotoday"), 0);
  ASSERT_EQ(total(), "4");
  EXPECT_EQ(records(1, {"oid", "lastName", "firstName", "mobilePhone", "homePhone", "businessPhone", "picture"}),
            (std::vector<std::string>{doe, "Doe", "John", "+33 6 12 34 56 78", "01 02", "<missing>", picture}));
  // Ann has no picture.
  EXPECT_EQ(records(2, {"oid", "businessPhone", "picture"}), (std::vector<std::string>{smith, "03 04", "<missing>"}));
  EXPECT_EQ(record(3, "oid"), doe);             // "+33612345678" is John's mobile
  EXPECT_EQ(record(4, "oid"), "<missing>");
  EXPECT_FALSE(std::filesystem::exists(hostFile(decimal)));
  std::ifstream written(hostFile(picture), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "JPEG-of-John");

  // A slot with a picture shows it and leaves the sender's name out of its label.
  EXPECT_EQ(page("IconA"), picture);
  EXPECT_EQ(page("LabelA"), "3/1/2026 12:00 PM \nby both names");
  EXPECT_EQ(pageImage("Icon1"), "unknown.png");
  EXPECT_EQ(page("Label1"), "3/1/2026 11:00 AM SMITH\nby one name");
  EXPECT_EQ(page("Label3"), "3/1/2026 9:00 AM Stranger\nwho?");
}

TEST_F(SmsListing, Page4ShowsSlotsTheNewestUnreadTextAndTheCount) {
  writeInstalled("ZelkoToday.ini", "[ZelkoToday]\r\nNOSMS=Nothing new\r\n");
  receive("+33611", "older", "2026-03-01 10:00");
  receive("+33612", "newest", "2026-03-02 10:00");
  receive("+33613", "seen", "2026-03-03 10:00", true);
  EXPECT_EQ(sms("-zelkotoday"), 0);
  EXPECT_EQ(pageImage("IconA"), "unknown.png");
  EXPECT_EQ(page("LabelA"), "3/2/2026 10:00 AM +33612\nnewest");
  EXPECT_EQ(page("Label1"), "3/1/2026 10:00 AM +33611\nolder");
  EXPECT_EQ(pageImage("Icon4"), "null.png");
  EXPECT_EQ(page("Label4"), " \n");
  EXPECT_EQ(page("UnreadText"), "3/2/2026 10:00 AM +33612\nnewest");
  EXPECT_EQ(pageImage("UnreadPNG"), "unknown.png");
  EXPECT_EQ(page("HeaderText"), "2");
  EXPECT_EQ(pageImage("Infos"), "null.png");
  EXPECT_EQ(page("InfosText"), "");

  // The panel shows record 1, then hides again.
  EXPECT_EQ(sms("-infos:1 -zelkotoday"), 0);
  EXPECT_EQ(pageImage("Infos"), "infos4.png");
  EXPECT_EQ(page("InfosText"), "+33612\n\nnewest");
  EXPECT_EQ(sms("-infos:1 -zelkotoday"), 0);
  EXPECT_EQ(pageImage("Infos"), "null.png");
  EXPECT_EQ(page("InfosText"), "");
  EXPECT_EQ(sms("-infos:2 -zelkotoday"), 0);
  EXPECT_EQ(page("InfosText"), "+33611\n\nolder");

  // Without -zelkotoday -infos is no action: the listing runs (and, outside home-screen
  // mode, leaves the page alone).
  receive("+33614", "another", "2026-03-04 10:00");
  EXPECT_EQ(sms("-infos:1"), 0);
  EXPECT_EQ(total(), "3");
  EXPECT_EQ(pageImage("Infos"), "infos4.png");

  // Nothing unread: the header is empty, the unread image goes, its text stays; the
  // listing hides the panel.
  EXPECT_EQ(sms("-mark:all"), 1);
  EXPECT_EQ(sms("-zelkotoday"), 0);
  EXPECT_EQ(total(), "0");
  EXPECT_EQ(pageImage("Infos"), "null.png");
  EXPECT_EQ(page("LabelA"), "Nothing new");
  EXPECT_EQ(pageImage("IconA"), "null.png");
  EXPECT_EQ(page("HeaderText") + page("UnreadPNG") + page("UnreadVal"), "");
  EXPECT_EQ(page("UnreadText"), "3/2/2026 10:00 AM +33612\nnewest");
}

// Another program keeps changing the inbox while two ZelkoSms list it at once: each record
// is whole (the sender and text of the message whose entry id it keeps), and the last
// listing agrees with the inbox and the unread count.
TEST_F(SmsListing, ListingsBesideEachOtherAndAProgramChangingTheInbox) {
  for (int i = 0; i < 5; ++i) receive("+336" + std::to_string(i), "before " + std::to_string(i), "2026-03-01 10:00");
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 30; ++i) {
      receive("+337" + std::to_string(i), "during " + std::to_string(i), "2026-03-02 10:00", i % 2);
    }
    done = true;
  });
  const std::string list = "-zelkotoday -read:all -max:100";
  for (int rounds = 0; !done || rounds < 3; ++rounds) {
    int other = platform().shell().execute({"\\Program Files\\ZelkoToday\\ZelkoSms.exe", list, false,
                                            std::chrono::milliseconds(-1)})->pid;
    EXPECT_EQ(sms(list), 0);
    EXPECT_TRUE(waitFor([&] { return exitCodeOf(other).has_value(); }));
    // Read here: zelko-device's output file is the writer's now.
    std::map<std::string, std::string> inbox;  // entry id -> sender and text
    auto messages = platform().messaging().inbox(platform::kSmsStore);
    if (!messages.ok()) {
      ADD_FAILURE() << messages.status().message();
      break;
    }
    for (const auto& m : *messages) inbox[std::to_string(m.id)] = m.sender + "\t" + m.subject;
    int n = std::stoi(total());
    for (int i = 1; i <= n; ++i) {
      EXPECT_EQ(inbox[record(i, "entryid")], record(i, "sender") + "\t" + record(i, "subject")) << i;
    }
  }
  writer.join();
  EXPECT_EQ(sms(list), 0);
  EXPECT_EQ(total(), "35");
  EXPECT_EQ(page("HeaderText"), "20");
  EXPECT_EQ(run({"reg", "get", "HKCU", "System\\State\\Messages\\SMS\\Unread", "Count"}), "20\n");
}

// A listing waits while another one runs: the records are never written by two at once.
TEST_F(SmsListing, AListingWaitsForTheOneRunning) {
  receive("+3361", "first", "2026-03-01 10:00");
  ASSERT_EQ(sms(""), 0);
  receive("+3362", "second", "2026-03-02 10:00");
  {
    auto running = platform().sync().createMutex("ZelkoSms listing");  // as a listing holds it
    ASSERT_TRUE(running.ok());
    int pid = platform().shell().execute({"\\Program Files\\ZelkoToday\\ZelkoSms.exe", "", false,
                                          std::chrono::milliseconds(-1)})->pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(exitCodeOf(pid).has_value());
    EXPECT_EQ(total(), "1");
    running->reset();
    EXPECT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }));
  }
  EXPECT_EQ(total(), "2");
}

}  // namespace
}  // namespace zelko::testing
