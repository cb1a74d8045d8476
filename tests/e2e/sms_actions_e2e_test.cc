// What ZelkoSms does for a listed text or a number, judged by the inbox, the texts sent
// and the journal: replies and texts, the composer, marks, deletes, calls and the bubble.
#include <gtest/gtest.h>

#include "tests/e2e/sms_fixture.h"

namespace zelko::testing {
namespace {

class SmsActions : public SmsEndToEnd {
 protected:
  std::string sent() { return run({"sms", "sent"}); }
  std::string inbox() { return run({"sms", "list"}); }
  // The "number" of each call in the journal, in order.
  std::vector<std::string> calls() {
    std::vector<std::string> out;
    for (const auto& e : journalEvents("call")) {
      size_t at = e.find("\"number\":\"") + 10;
      out.push_back(e.substr(at, e.find('"', at) - at));
    }
    return out;
  }
  size_t composerLaunches(const std::string& params) {
    size_t n = 0;
    for (const auto& e : journalEvents("launch")) {
      n += e.find("tmail.exe") != std::string::npos && e.find("\"params\":\"" + params + "\"") != std::string::npos;
    }
    return n;
  }
};

TEST_F(SmsActions, ReplySendAndComposer) {
  contact("John", "Doe", "+33 6 12 34");
  receive("Doe, John", "lunch?", "2026-03-01 10:00");
  receive("0899", "promo", "2026-03-01 09:00");
  ASSERT_EQ(sms(""), 0);

  // A known sender is answered on the contact's mobile number; texts keep their colons.
  EXPECT_EQ(sms("-reply:1 \"-text:See you at 10:30\""), 1);
  EXPECT_EQ(sms("-reply:2 -text:\"ok: stop\""), 1);
  EXPECT_EQ(sms("-sms:\"06 12 00\" -text:\"Hi there\""), 1);
  EXPECT_EQ(sms("-sms:0612 -text:"), 1);      // an empty text is not sent
  EXPECT_EQ(sms("-reply:9 -text:hello"), 1);  // nor one to a record that does not exist
  std::string expected = "2026-03-24 09:05\t+33 6 12 34\tSee you at 10:30\n"
                         "2026-03-24 09:05\t0899\tok: stop\n"
                         "2026-03-24 09:05\t06 12 00\tHi there\n";
  EXPECT_EQ(sent(), expected);

  EXPECT_EQ(sms("-reply:1"), 1);
  EXPECT_EQ(sms("-sms:0612"), 1);
  EXPECT_EQ(composerLaunches("-Service \\\"SMS\\\" -to \\\"+33 6 12 34\\\""), 1u);
  EXPECT_EQ(composerLaunches("-Service \\\"SMS\\\" -to \\\"0612\\\""), 1u);
}

TEST_F(SmsActions, AStuckSmsLibraryEndsTheRunWithoutSending) {
  run({"sms", "library", "stuck"});
  EXPECT_EQ(sms("-sms:0612 -text:hello"), 1);
  EXPECT_EQ(sent(), "");
  run({"sms", "library", "ready"});
  EXPECT_EQ(sms("-sms:0612 -text:hello"), 1);
  EXPECT_EQ(sent(), "2026-03-24 09:05\t0612\thello\n");
}

// Records keep their message's entry id: texts that arrive after the listing do not
// move what -mark and -delete act on.
TEST_F(SmsActions, MarkOneAndAllActOnTheListedMessage) {
  std::string a = receive("+3361", "a", "2026-03-01 10:00");
  std::string b = receive("+3362", "b", "2026-03-02 10:00");
  ASSERT_EQ(sms(""), 0);  // record 1 is b, record 2 is a
  std::string c = receive("+3363", "c", "2026-03-03 10:00");

  EXPECT_EQ(sms("-mark:1"), 1);
  EXPECT_EQ(inbox(), c + "\t2026-03-03 10:00\tunread\t+3363\tc\n" +
                     b + "\t2026-03-02 10:00\tread\t+3362\tb\n" +
                     a + "\t2026-03-01 10:00\tunread\t+3361\ta\n");
  EXPECT_EQ(run({"reg", "get", "HKCU", "System\\State\\Messages\\SMS\\Unread", "Count"}), "2\n");
  EXPECT_EQ(total(), "2");  // marking leaves the records as they were

  EXPECT_EQ(sms("-mark:all"), 1);
  EXPECT_EQ(inbox().find("unread"), std::string::npos);
  EXPECT_EQ(run({"reg", "get", "HKCU", "System\\State\\Messages\\SMS\\Unread", "Count"}), "0\n");
}

TEST_F(SmsActions, DeleteOneUnreadOrAllAndListAgain) {
  std::string r1 = receive("+3361", "read", "2026-03-01 10:00", true);
  std::string u1 = receive("+3362", "unread one", "2026-03-02 10:00");
  std::string u2 = receive("+3363", "unread two", "2026-03-03 10:00");
  ASSERT_EQ(sms("-read:all"), 0);  // 1 u2, 2 u1, 3 r1
  receive("+3364", "newer", "2026-03-04 10:00", true);

  EXPECT_EQ(sms("-delete:2 -read:all"), 0);
  EXPECT_EQ(inbox().find("unread one"), std::string::npos);
  EXPECT_EQ(total(), "3");  // listed again: newer, u2, r1
  EXPECT_EQ(record(2, "entryid"), u2);

  EXPECT_EQ(sms("-delete:unread -zelkotoday"), 0);
  EXPECT_EQ(inbox().find("unread"), std::string::npos);
  EXPECT_NE(inbox().find(r1), std::string::npos);
  EXPECT_EQ(total(), "0");  // only unread ones are listed by default
  EXPECT_EQ(page("LabelA"), "No SMS");

  EXPECT_EQ(sms("-delete:all -read:all"), 0);
  EXPECT_EQ(inbox(), "");
  EXPECT_EQ(total(), "0");
}

TEST_F(SmsActions, CallsTheNumberOfTheRecordInOrder) {
  contact("John", "Doe", "0611", "0122");
  contact("Ann", "Lee", "", "0133");
  receive("Doe, John", "name with a mobile", "2026-03-01 10:00");
  receive("Lee, Ann", "name with a home number", "2026-03-01 09:00");
  receive("+33 6 99", "a number", "2026-03-01 08:00");
  receive("", "nobody", "2026-03-01 07:00");
  ASSERT_EQ(sms(""), 0);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(sms("-call:" + std::to_string(n)), 1);
  EXPECT_EQ(sms("-phone:\"01 23 45\""), 1);
  EXPECT_EQ(sms("-phone:"), 1);
  EXPECT_EQ(calls(), (std::vector<std::string>{"0611", "0133", "+33 6 99", "01 23 45"}));
}

TEST_F(SmsActions, BubbleShowsTheTextForTenSeconds) {
  receive("Doe, John", "lunch?", "2026-03-01 10:00");
  ASSERT_EQ(sms(""), 0);
  int pid = platform().shell().execute({"\\Program Files\\ZelkoToday\\ZelkoSms.exe", "-notify:1", false,
                                        std::chrono::milliseconds(-1)})->pid;
  ASSERT_TRUE(waitFor([&] { return !journalEvents("bubble").empty(); }));
  EXPECT_NE(journalEvents("bubble")[0].find(R"("title":"Doe, John","body":"lunch?")"), std::string::npos);
  EXPECT_TRUE(journalEvents("bubble-removed").empty());
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(pid).has_value(); }, std::chrono::seconds(20)));
  EXPECT_EQ(exitCodeOf(pid), 1);
  ASSERT_EQ(journalEvents("bubble-removed").size(), 1u);
  EXPECT_NE(journalEvents("bubble-removed")[0].find(R"("title":"Doe, John")"), std::string::npos);
}

TEST_F(SmsActions, DeviceCommandsRefuseBadInput) {
  EXPECT_EQ(tool({"sms", "receive", "--text", "no sender"}), 2);
  EXPECT_EQ(tool({"sms", "receive", "--from", "0612", "--text", "x", "--at", "2026-02-30 10:00"}), 2);
  EXPECT_EQ(tool({"sms", "library", "broken"}), 2);
  EXPECT_EQ(tool({"sms", "forward"}), 2);
  EXPECT_EQ(inbox(), "");
  receive("a\tb", "line\nbreak", "2026-03-01 10:00");
  EXPECT_EQ(inbox(), "1\t2026-03-01 10:00\tunread\ta\\tb\tline\\nbreak\n");
}

}  // namespace
}  // namespace zelko::testing
