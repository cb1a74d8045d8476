// ZelkoSms's popup menu (the file it writes for ZelkoMenu, and what a choice in it does),
// and the engine's text-message widget running ZelkoSms when a text arrives.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/e2e/sms_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

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
