// What ZelkoSms does for a listed text or a number, judged by the inbox, the texts sent
// and the journal: replies and texts, the composer, marks, deletes, calls and the bubble;
// its popup menu (the file it writes for ZelkoMenu, and what a choice in it does); and the
// engine's text-message widget running ZelkoSms when a text arrives.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/e2e/sms_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

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

TEST_F(SmsActions, ReplySendCallAndComposer) {
  contact("John", "Doe", "+33 6 12 34", "0122");
  contact("Ann", "Lee", "", "0133");
  receive("Doe, John", "lunch?", "2026-03-01 10:00");
  receive("0899", "promo", "2026-03-01 09:00");
  receive("Lee, Ann", "name with a home number", "2026-03-01 08:00");
  receive("", "nobody", "2026-03-01 07:00");
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

  // A call goes to the contact's mobile, else its home number, else the sender.
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(sms("-call:" + std::to_string(n)), 1);
  EXPECT_EQ(sms("-phone:\"01 23 45\""), 1);
  EXPECT_EQ(sms("-phone:"), 1);
  EXPECT_EQ(calls(), (std::vector<std::string>{"+33 6 12 34", "0899", "0133", "01 23 45"}));
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

constexpr char kSelf[] = "%ZELKOTODAY%\\ZelkoSms.exe";

class SmsMenu : public SmsEndToEnd {
 protected:
  std::string menuFile() { return installedFile("ZelkoSms.mnu"); }
  size_t menuLaunches() {
    size_t n = 0;
    for (const auto& e : journalEvents("launch")) {
      n += e.find("ZelkoMenu.exe\"") != std::string::npos &&
           e.find("\"params\":\"ZelkoSms.mnu\"") != std::string::npos;
    }
    return n;
  }
  // The action of an item of the menu file, as ZelkoMenu would run it.
  std::string actionOf(const std::string& label) {
    std::string file = menuFile();
    size_t at = file.find("\r\n" + label + "=");
    if (at == std::string::npos) return "";
    at += label.size() + 3;
    return file.substr(at, file.find("\r\n", at) - at);
  }
};

TEST_F(SmsMenu, UnreadTextFromAContactWithPreparedTexts) {
  writeInstalled("ZelkoToday.ini", "[ZelkoToday]\r\nCALL=Call\r\nMYTEXT=My texts\r\n");
  // Written by an old editor: CR CR LF line ends, a blank line, a closing ^Z. A text with
  // a double quote, or with a macro, cannot reach the program whole and is left out.
  writeInstalled("SMS.txt",
                 "On my way\r\r\nSee you at 10:30\r\n\r\nHe said \"no\"\r\nLate; sorry\r\n"
                 "100%WINDOWS%\r\non my way\r\n\x1A");
  contact("John", "Doe", "+33 6 12 34", "0122", "0133");
  receive("Doe, John", "lunch?", "2026-03-01 10:00");
  ASSERT_EQ(sms(""), 0);

  EXPECT_EQ(sms("-action:1"), 1);
  std::string s = kSelf;
  EXPECT_EQ(menuFile(),
            "[Menu]\r\n"
            "VIEW=" + s + ";-infos:1 -zelkotoday\r\n"
            "MARK=" + s + ";-mark:1\r\n"
            "SENDSMS=" + s + ";-reply:1\r\n"
            "My texts=[Text]\r\n"
            "Call +33 6 12 34=" + s + ";-phone:\"+33 6 12 34\"\r\n"
            "Call 0122=" + s + ";-phone:0122\r\n"
            "Call 0133=" + s + ";-phone:0133\r\n"
            "\r\n"
            "[Text]\r\n"
            "On my way=" + s + ";-sms:\"+33 6 12 34\" -text:\"On my way\"\r\n"
            "See you at 10:30=" + s + ";-sms:\"+33 6 12 34\" -text:\"See you at 10:30\"\r\n"
            "Late; sorry=" + s + "|-sms:\"+33 6 12 34\" -text:\"Late; sorry\"\r\n"
            "\r\n");
  EXPECT_EQ(menuLaunches(), 1u);

  // Choosing a prepared text, the way ZelkoMenu runs it, sends exactly that text.
  for (const char* label : {"See you at 10:30", "Late; sorry"}) {
    EXPECT_EQ(tool({"action", "--wait", actionOf(label)}), 1) << label;
  }
  EXPECT_EQ(run({"sms", "sent"}), "2026-03-24 09:05\t+33 6 12 34\tSee you at 10:30\n"
                                  "2026-03-24 09:05\t+33 6 12 34\tLate; sorry\n");
  EXPECT_EQ(tool({"action", "--wait", actionOf("Call +33 6 12 34")}), 1);
  EXPECT_NE(journalEvents("call").at(0).find(R"("number":"+33 6 12 34")"), std::string::npos);
}

TEST_F(SmsMenu, ReadTextsAndTextsWithoutANumber) {
  receive("0899", "seen", "2026-03-02 10:00", true);
  receive("", "from nobody", "2026-03-01 10:00", true);
  ASSERT_EQ(sms("-read:all"), 0);
  std::string s = kSelf;

  // No SMS.txt: no prepared texts. Read: delete instead of mark.
  EXPECT_EQ(sms("-action:1"), 1);
  EXPECT_EQ(menuFile(), "[Menu]\r\n"
                        "VIEW=" + s + ";-infos:1 -zelkotoday\r\n"
                        "SENDSMS=" + s + ";-reply:1\r\n"
                        "CALL 0899=" + s + ";-phone:0899\r\n"
                        "DELETE=" + s + ";-delete:1 -zelkotoday\r\n"
                        "\r\n");
  EXPECT_EQ(sms("-action:2"), 1);
  EXPECT_EQ(menuFile(), "[Menu]\r\n"
                        "VIEW=" + s + ";-infos:2 -zelkotoday\r\n"
                        "DELETE=" + s + ";-delete:2 -zelkotoday\r\n"
                        "\r\n");
  EXPECT_EQ(menuLaunches(), 2u);
}

// The engine's text-message widget runs ZelkoSms and waits for it, so the total shows the
// newest unread text's image; a text arriving is all it takes.
class SmsEngine : public SmsEndToEnd {
 protected:
  void TearDown() override {
    // No controller may bring the engine back: the engine registered both launches.
    for (const char* launch : {"ZelkoTitanium", "ZelkoWinToday"}) {
      EXPECT_TRUE(platform().notifications().stopLaunch(launch).ok()) << launch;
    }
    EXPECT_TRUE(platform().registry().setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome",
                                               "Enabled", RegValue::Dword(0)).ok());
    // The engine, and whatever it started, would outlive the device's folder.
    waitFor([&] {
      platform::WindowHandle w = platform().windows().findWindow("ZelkoToday");
      if (w && !platform().windows().postMessage({w, 1127, 0, 0}).ok()) return false;
      size_t started = 0;
      for (const auto& e : journalEvents("launch")) started += e.find("\"pid\":null") == std::string::npos;
      return journalEvents("exit").size() >= started;
    }, std::chrono::seconds(15));
    SmsEndToEnd::TearDown();
  }
};

TEST_F(SmsEngine, ATextArrivingUpdatesPage4AndTheTotal) {
  contact("John", "Doe", "0611");
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, "Software\\Microsoft\\CHome",
                                             "Enabled", RegValue::Dword(1)).ok());
  ASSERT_EQ(tool({"exec", "--wait", "\\Program Files\\ZelkoToday\\ZelkoToday.exe", "-update"}), 1);
  ASSERT_TRUE(waitFor([&] { return page("LabelA") == "No SMS"; }));

  receive("Doe, John", "lunch?", "2026-03-24 09:01");
  ASSERT_TRUE(waitFor([&] { return page("LabelA") == "3/24/2026 9:01 AM Doe, John\nlunch?"; }))
      << page("LabelA");
  // LabelA is written before the rest of its batch, and the engine writes the total after
  // ZelkoSms ends: each value is waited for, not read at once.
  EXPECT_TRUE(waitFor([&] { return page("HeaderText") == "1"; })) << page("HeaderText");
  ASSERT_TRUE(waitFor([&] { return page("Total", "Page1") == "1"; }));
  EXPECT_EQ(page("Sms", "Page1"), "1");
  EXPECT_EQ(pageImage("UnreadPNG"), "unknown.png");
  EXPECT_TRUE(waitFor([&] { return page("TotalNotify", "Page1") == page("UnreadPNG"); }))
      << page("TotalNotify", "Page1") << " / " << page("UnreadPNG");
  EXPECT_EQ(record(1, "mobilePhone"), "0611");
}

}  // namespace
}  // namespace zelko::testing
