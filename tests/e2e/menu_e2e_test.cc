// The popup menu as a user meets it: menu files in the installation folder, ZelkoMenu
// started through the device's shell, answers queued with zelko-device ui, and the home
// screen of a device that is up moved by #GOTO items. Judged by the journal: the menu as
// shown, the programs launched, and the keys the home screen received.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

constexpr char kMenuExe[] = "\\Program Files\\ZelkoToday\\ZelkoMenu.exe";
constexpr char kFolder[] = "\\Program Files\\ZelkoToday\\";

class MenuEndToEnd : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_EQ(tool({"install"}), 0);
    setText(kHomeKey, "ExtensibilityXML",
            "<Plugins Order=\"ZelkoToday;Clock;Home;Messaging\" CPRFileName=\"Titanium\" />");
    setText(std::string(kHomeKey) + "\\ZelkoToday", "Pages", "Page1;Page2;Page3;Page4;Page5");
    setText(std::string(kHomeKey) + "\\Home", "Pages", "Page1;Page2");
  }
  void TearDown() override {
    if (up_) tool({"down"});
    EndToEndTest::TearDown();
  }

  void setText(const std::string& key, const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, key, name, RegValue::Text(text)).ok());
  }
  void writeMenu(const std::string& name, const std::string& text) {
    std::ofstream(hostFile(kFolder + name), std::ios::binary) << text;
  }
  void choose(const std::string& path) { ASSERT_EQ(tool({"ui", "choose", path}), 0); }
  // Runs the menu program to its end; its exit code.
  int menu(const std::string& commandLine) { return tool({"exec", "--wait", kMenuExe, commandLine}); }
  // The last menu shown: its tree, its choice and where it opened.
  std::string lastMenu() {
    auto menus = journalEvents("menu");
    return menus.empty() ? "<none>" : menus.back().substr(menus.back().find("\"items\":"));
  }
  // The programs the stand-in message composer was started for, by their parameters.
  std::vector<std::string> composed() {
    std::vector<std::string> out;
    for (const std::string& e : journalEvents("launch")) {
      size_t at = e.find("\"params\":\"") + 10;
      if (e.find("tmail.exe") != std::string::npos) out.push_back(e.substr(at, e.find("\",\"ok\"") - at));
    }
    return out;
  }
  std::string home() {
    std::string out;
    EXPECT_EQ(tool({"home"}, &out), 0);
    return out;
  }
  // Chooses `item` of Go.mnu; what the home screen received meanwhile: "redraw off",
  // "right ZelkoToday/Page2", ...
  std::vector<std::string> goVia(const std::string& item) {
    auto before = device().journal().read();
    choose(item);
    EXPECT_EQ(menu("Go.mnu"), 0) << item;
    std::vector<std::string> out;
    for (const auto& e : device().journal().read(before.empty() ? 0 : before.back().seq)) {
      auto field = [&](const std::string& name) {
        size_t at = e.json.find("\"" + name + "\":\"") + name.size() + 4;
        return e.json.substr(at, e.json.find('"', at) - at);
      };
      if (e.event == "redraw") out.push_back(e.json.find("\"on\":true") != std::string::npos ? "redraw on" : "redraw off");
      if (e.event == "key") out.push_back(field("key") + " " + field("plugin") + "/" + field("page"));
    }
    return out;
  }

  bool up_ = false;
};

TEST_F(MenuEndToEnd, TreeFromSubmenusRepeatedSectionsLabelsAndLoops) {
  writeMenu("ZelkoSms.mnu",
            "; written by hand\r\n"
            "[Menu]\r\n"
            "Mark read=\\Windows\\tmail.exe;-mark:3\r\n"
            "Texts=[Text]\r\n"
            "MARK READ=\\Windows\\tmail.exe;-mark:4\r\n"
            "Loop=[Loop]\r\n"
            "Call me = \\Windows\\tmail.exe;call\r\n"
            "Gone=[Missing]\r\n"
            "[Text]\r\n"
            "See you=\\Windows\\tmail.exe;see you\r\n"
            "[Loop]\r\n"
            "Back=[Menu]\r\n"
            "[text]\r\n"
            "Fish & Chips=\\Windows\\tmail.exe;a & b\r\n");
  ASSERT_TRUE(platform().windows().setCursorPosition({120, 340}).ok());
  choose("Texts > Fish & Chips");
  EXPECT_EQ(menu("ZelkoSms.mnu"), 0);
  // The repeated label keeps its place with the later action; Back opens the top menu
  // once more, where Texts and Loop are left out as already opened; blanks around "="
  // belong to the label; a missing section is an empty submenu, opened once like any
  // other.
  EXPECT_EQ(lastMenu(),
            R"("items":[{"label":"Mark read","id":100},)"
            R"({"label":"Texts","items":[{"label":"See you","id":101},{"label":"Fish & Chips","id":102}]},)"
            R"({"label":"Loop","items":[{"label":"Back","items":[{"label":"Mark read","id":103},)"
            R"({"label":"Call me ","id":104},{"label":"Gone","items":[]}]}]},)"
            R"({"label":"Call me ","id":105}],)"
            R"("chosen":"Texts > Fish & Chips","x":120,"y":340})");
  EXPECT_EQ(composed(), std::vector<std::string>{"a & b"});

  choose("Loop > Back > Mark read");
  EXPECT_EQ(menu("ZelkoSms.mnu"), 0);
  EXPECT_EQ(composed(), (std::vector<std::string>{"a & b", "-mark:4"}));
}

TEST_F(MenuEndToEnd, TapOutsideAndTimeOutRunNothing) {
  writeMenu("ZelkoMenu.mnu", "[ZelkoMenu]\nMenuOut=1\n[Menu]\nCall=\\Windows\\tmail.exe;call\n");
  choose("none");
  EXPECT_EQ(menu(""), 0);  // no command line: ZelkoMenu.mnu
  EXPECT_NE(lastMenu().find(R"("chosen":null)"), std::string::npos);
  // Nobody answers: the menu closes after MenuOut seconds.
  EXPECT_EQ(menu("ZelkoMenu.mnu"), 0);
  EXPECT_EQ(journalEvents("menu").size(), 2u);
  EXPECT_NE(lastMenu().find(R"("chosen":null)"), std::string::npos);
  // A file that is missing, or names nothing, shows no menu at all.
  EXPECT_EQ(menu("Missing.mnu"), 0);
  EXPECT_EQ(journalEvents("menu").size(), 2u);
  EXPECT_TRUE(composed().empty());
}

TEST_F(MenuEndToEnd, TotalMenuRunsTheOnlyKindOfUnreadAtOnce) {
  writeMenu("ZelkoTotal.mnu",
            "[ZelkoMenu]\nMenuOut=1\n[Menu]\nTexts=\\Windows\\tmail.exe;sms\n"
            "Calls=\\Windows\\tmail.exe;tel\nMail=\\Windows\\tmail.exe;email\n"
            "Voicemail=\\Windows\\tmail.exe;voicemail\n");
  std::string page1 = std::string(kHomeKey) + "\\ZelkoToday\\Page1";
  setText(page1, "Total", "2 unread");  // a counter reads as its leading digits
  setText(page1, "Sms", "2");
  setText(page1, "Tel", "2");
  EXPECT_EQ(menu("ZelkoTotal.mnu"), 0);
  EXPECT_EQ(composed(), std::vector<std::string>{"sms"});
  setText(page1, "Sms", "0");
  setText(page1, "Voicemail", "2");
  setText(page1, "Tel", "1");
  EXPECT_EQ(menu("ZelkoTotal.mnu"), 0);
  EXPECT_EQ(composed(), (std::vector<std::string>{"sms", "voicemail"}));
  EXPECT_TRUE(journalEvents("menu").empty());
  // Unread of several kinds: the menu is shown.
  setText(page1, "Voicemail", "1");
  choose("Calls");
  EXPECT_EQ(menu("ZelkoTotal.mnu"), 0);
  EXPECT_EQ(composed(), (std::vector<std::string>{"sms", "voicemail", "tel"}));
}

TEST_F(MenuEndToEnd, SecondInstanceOnlyBringsTheFirstToTheFront) {
  writeMenu("First.mnu", "[ZelkoMenu]\nMenuOut=20\n[Menu]\nFirst=\\Windows\\tmail.exe;first\n");
  writeMenu("Second.mnu", "[ZelkoMenu]\nMenuOut=1\n[Menu]\nSecond=\\Windows\\tmail.exe;second\n");
  auto first = platform().shell().execute({kMenuExe, "First.mnu", false, std::chrono::milliseconds(-1)});
  ASSERT_TRUE(first.ok());
  ASSERT_TRUE(waitFor([&] { return platform().windows().findWindow("ZelkoMenu") != 0; }));
  platform::WindowHandle open = platform().windows().findWindow("ZelkoMenu");
  // Once the first menu has come to the front, something else takes it.
  ASSERT_TRUE(waitFor([&] { return platform().windows().foreground() == open; }));
  auto& windows = platform().windows();
  ASSERT_TRUE(windows.registerClass("Other", [](const platform::Message&) -> int64_t { return 0; }).ok());
  auto other = windows.createWindow("Other", "");
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(windows.setForeground(*other).ok());
  // A second menu, if it showed, would close after a second and be in the journal.
  EXPECT_EQ(menu("Second.mnu"), 0);
  EXPECT_EQ(platform().windows().foreground(), open);
  EXPECT_TRUE(journalEvents("menu").empty());
  // The open menu takes an answer queued while it is open.
  choose("First");
  ASSERT_TRUE(waitFor([&] { return exitCodeOf(first->pid).has_value(); }, std::chrono::seconds(15)));
  EXPECT_EQ(exitCodeOf(first->pid), 0);
  EXPECT_EQ(composed(), std::vector<std::string>{"first"});
  ASSERT_EQ(journalEvents("menu").size(), 1u);
  EXPECT_NE(lastMenu().find("\"chosen\":\"First\""), std::string::npos);
}

TEST_F(MenuEndToEnd, GotoMovesTheFocusOfARunningHomeScreen) {
  writeMenu("Go.mnu",
            "[Menu]\n"
            "Third=#GOTO Page3 ZelkoToday Page1 ZelkoToday\n"
            "Home=#GOTO  Page2   Home Page1 ZelkoToday\n");
  // No home screen: nothing happens and the menu closes.
  EXPECT_TRUE(goVia("Third").empty());

  ASSERT_EQ(tool({"up"}), 0);
  up_ = true;
  EXPECT_EQ(home(), "plugin\tZelkoToday\npage\tPage1\npages\tPage1;Page2;Page3;Page4;Page5\n");
  EXPECT_EQ(goVia("Third"), (std::vector<std::string>{"redraw off", "right ZelkoToday/Page2",
                                                       "right ZelkoToday/Page3", "redraw on"}));
  EXPECT_EQ(goVia("Home"), (std::vector<std::string>{"redraw off", "down Clock/", "down Home/Page1", "redraw on",
                                                      "redraw off", "right Home/Page2", "redraw on"}));
  EXPECT_EQ(home(), "plugin\tHome\npage\tPage2\npages\tPage1;Page2\n");
  // Navigation starts no program.
  for (const std::string& e : journalEvents("launch")) EXPECT_NE(e.find("ZelkoMenu.exe"), std::string::npos) << e;
}

}  // namespace
}  // namespace zelko::testing
