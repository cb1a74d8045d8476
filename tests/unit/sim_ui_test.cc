// The device's dialogs: queued answers, the terminal, and what the journal shows.
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <thread>

#include "platform/sim/sim_ui.h"
#include "platform/sim/ui_answers.h"
#include "tests/unit/device_fixture.h"

namespace zelko::testing {
namespace {

using platform::MenuItem;
using platform::sim::DialogKind;
using std::chrono::milliseconds;

// Top menu: "Call Anna" (100), "Text" > ("See you" (101), "Late" (102)), an empty
// submenu "Nothing", "call anna" (103): two labels that differ only in case.
std::vector<MenuItem> sampleMenu() {
  return {{"Call Anna", 100, {}},
          {"Text", 0, {{"See you", 101, {}}, {"Late", 102, {}}}},
          {"Nothing", 0, {}},
          {"call anna", 103, {}}};
}

class UiTest : public DeviceTest {
 protected:
  void queue(DialogKind kind, const std::string& answer) {
    ASSERT_TRUE(device().uiAnswers().push(kind, answer).ok());
  }
  std::optional<int> menu(milliseconds timeout = milliseconds(0)) {
    return platform().ui().popupMenu(sampleMenu(), 12, 34, timeout);
  }
};

TEST_F(UiTest, QueuedMenuAnswersPickByLabelPath) {
  for (const char* answer : {"Text > Late", "TEXT > see you", "Call Anna", "call anna", "none",
                             "Text", "Nothing", "Text > Nope", "Call anna"}) {
    queue(DialogKind::kMenu, answer);
  }
  EXPECT_EQ(menu(), 102);
  EXPECT_EQ(menu(), 101);           // case ignored where that is unique
  EXPECT_EQ(menu(), 100);           // exact labels win over the case-blind match
  EXPECT_EQ(menu(), 103);
  EXPECT_EQ(menu(), std::nullopt);  // none: a tap outside
  EXPECT_EQ(menu(), std::nullopt);  // a submenu is not a command
  EXPECT_EQ(menu(), std::nullopt);
  EXPECT_EQ(menu(), std::nullopt);  // no such item
  EXPECT_EQ(menu(), std::nullopt);  // two labels fit without regard to case
  // What the journal shows of a menu is in the menu's end-to-end tests.
  EXPECT_EQ(journalEvents("menu").size(), 9u);
}

TEST_F(UiTest, QuestionsAndChoosersTakeTheirOwnKindInOrder) {
  queue(DialogKind::kChooser, "7 +33 6 12 34");
  queue(DialogKind::kQuestion, "yes");
  queue(DialogKind::kChooser, "cancel");
  queue(DialogKind::kQuestion, "no");
  platform::Ui& ui = platform().ui();
  EXPECT_TRUE(ui.askYesNo("Zelko", "Add pages?"));
  EXPECT_FALSE(ui.askYesNo("Zelko", "Add pages?"));
  EXPECT_FALSE(ui.askYesNo("Zelko", "Nobody answers"));  // no answer, no terminal: No
  auto picked = ui.chooseContact();
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->oid, 7u);
  EXPECT_EQ(picked->number, "+33 6 12 34");
  EXPECT_FALSE(ui.chooseContact());  // cancel
  EXPECT_FALSE(ui.chooseContact());  // nothing queued
  auto dialogs = journalEvents("dialog");
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_NE(dialogs[2].find(R"("answer":"no")"), std::string::npos);
  auto choosers = journalEvents("chooser");
  ASSERT_EQ(choosers.size(), 3u);
  EXPECT_NE(choosers[0].find(R"("oid":7,"number":"+33 6 12 34")"), std::string::npos);
  EXPECT_NE(choosers[1].find(R"("oid":null,"number":null)"), std::string::npos);
  auto left = device().uiAnswers().list();
  ASSERT_TRUE(left.ok());
  EXPECT_TRUE(left->empty());
}

// Runs `body` with a pseudo-terminal as stdin, after typing `typed` into it.
template <typename Body>
auto withTerminal(const std::string& typed, Body body) {
  int master = -1, slave = -1;
  EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  int saved = dup(STDIN_FILENO);
  dup2(slave, STDIN_FILENO);
  EXPECT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  int err = dup(STDERR_FILENO);  // keep the prompts out of the test's output
  int null = open("/dev/null", O_WRONLY);
  dup2(null, STDERR_FILENO);
  auto result = body();
  dup2(err, STDERR_FILENO);
  dup2(saved, STDIN_FILENO);
  for (int fd : {saved, err, null, slave, master}) close(fd);
  return result;
}

TEST_F(UiTest, TerminalAnswersWhenNothingIsQueued) {
  // Commands are numbered in the order shown: 1 Call Anna, 2 See you, 3 Late, 4 call anna;
  // a number out of range asks again.
  EXPECT_EQ(withTerminal("9\n3\n", [&] { return menu(milliseconds(5000)); }), 102);
  EXPECT_EQ(withTerminal("\n", [&] { return menu(milliseconds(5000)); }), std::nullopt);
  EXPECT_EQ(withTerminal("", [&] { return menu(milliseconds(200)); }), std::nullopt);
  EXPECT_TRUE(withTerminal("maybe\ny\n", [&] { return platform().ui().askYesNo("Zelko", "Sure?"); }));

  platform::NewContact anna;
  anna.contact.firstName = "Anna";
  anna.contact.mobilePhone = "+33 6";
  anna.contact.businessPhone = "+33 1";
  auto added = platform().items().addContacts({anna});
  ASSERT_TRUE(added.ok());
  auto picked = withTerminal("2\n", [&] { return platform().ui().chooseContact(); });
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->oid, (*added)[0]);
  EXPECT_EQ(picked->number, "+33 1");  // the work number, listed after the mobile
  // A queued answer still comes first.
  queue(DialogKind::kQuestion, "no");
  EXPECT_FALSE(withTerminal("y\n", [&] { return platform().ui().askYesNo("Zelko", "Sure?"); }));
}

}  // namespace
}  // namespace zelko::testing
