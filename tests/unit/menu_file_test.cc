// The popup menu's reading of menu files: the tree, its numbering, its limits, the
// time-out and the total rule.
#include "ZelkoMenu/menu_file.h"

#include <gtest/gtest.h>

#include <string>

#include "ZelkoMenu/total_rule.h"
#include "common/host.h"
#include "common/value_store.h"
#include "tests/unit/device_fixture.h"

namespace zelko::menu {
namespace {

// A tree as one line: "Label#id" for a command, "Label[...]" for a submenu.
std::string shown(const std::vector<platform::MenuItem>& items) {
  std::string out;
  for (const platform::MenuItem& item : items) {
    if (!out.empty()) out += ' ';
    out += item.label;
    out += item.id ? "#" + std::to_string(item.id) : "[" + shown(item.items) + "]";
  }
  return out;
}

MenuTree treeOf(std::string_view text) {
  IniDocument file;
  parseMenuText(text, file);
  return buildMenuTree(file);
}

TEST(MenuTree, SubmenusAreNumberedDepthFirstAndRepeatsMerge) {
  MenuTree tree = treeOf(
      "[Menu]\r\n"
      "Read=\\Windows\\tmail.exe;read\r\n"
      "Texts=[Text]\r\n"
      "READ=\\Windows\\tmail.exe;again\r\n"
      "Call me =  \\Windows\\tmail.exe;call\r\n"
      "Gone=[Missing]\r\n"
      "[Text]\r\n"
      "See you=\\Windows\\tmail.exe;see\r\n"
      "[menu]\r\n"
      "Last=#GOTO Page2 ZelkoToday\r\n");
  EXPECT_EQ(shown(tree.items), "Read#100 Texts[See you#101] Call me #102 Gone[] Last#103");
  // The repeated label keeps its first place and text, with the later action; blanks
  // around "=" belong to the label and the action.
  EXPECT_EQ(tree.action(100), "\\Windows\\tmail.exe;again");
  EXPECT_EQ(tree.action(102), "  \\Windows\\tmail.exe;call");
  EXPECT_EQ(tree.action(103), "#GOTO Page2 ZelkoToday");
  EXPECT_EQ(tree.action(0), std::nullopt);
  EXPECT_EQ(tree.action(104), std::nullopt);
  EXPECT_EQ(tree.action(99), std::nullopt);
}

TEST(MenuTree, LoopsOpenEachSectionOnce) {
  // Sub opens once under A; inside it B opens a copy of the top menu once; inside that
  // copy A is skipped, since the bracketed Sub was opened already.
  MenuTree tree = treeOf(
      "[Menu]\nA=[Sub]\nX=x.exe\n"
      "[Sub]\nB=[Menu]\nY=y.exe\n"
      "[Self]\nS=[Self]\n");
  EXPECT_EQ(shown(tree.items), "A[B[X#100] Y#101] X#102");
  EXPECT_EQ(shown(treeOf("[Menu]\nS=[Self]\n[Self]\nAgain=[Self]\nZ=z.exe\n").items), "S[Z#100]");
}

TEST(MenuTree, MoreThanSixteenMenusOrSixtyFourCommandsAreLeftOut) {
  std::string chain = "[Menu]\nM0=[S1]\n";
  for (int i = 1; i < 20; ++i) {
    chain += "[S" + std::to_string(i) + "]\nM" + std::to_string(i) + "=[S" + std::to_string(i + 1) +
             "]\nC" + std::to_string(i) + "=c.exe\n";
  }
  MenuTree deep = treeOf(chain);
  // The top menu and 15 submenus; the 16th submenu and its entry are not made.
  int depth = 0;
  for (const auto* items = &deep.items; !items->empty() && items->front().id == 0;
       items = &items->front().items) {
    ++depth;
  }
  EXPECT_EQ(depth, kMaxMenus - 1);
  EXPECT_EQ(deep.actions.size(), static_cast<size_t>(kMaxMenus - 1));

  std::string wide = "[Menu]\n";
  for (int i = 0; i < 70; ++i) wide += "Item " + std::to_string(i) + "=c.exe;" + std::to_string(i) + "\n";
  MenuTree many = treeOf(wide);
  ASSERT_EQ(many.items.size(), kMaxCommands);
  EXPECT_EQ(many.items.back().id, 163);
  EXPECT_EQ(many.action(163), "c.exe;63");

  // The limit also ends the walk of the menus above the one that reached it.
  std::string nested = "[Menu]\nSub=[Sub]\nAfter=a.exe\n[Sub]\n";
  for (int i = 0; i < 70; ++i) nested += "S" + std::to_string(i) + "=s.exe\n";
  MenuTree full = treeOf(nested);
  ASSERT_EQ(full.items.size(), 1u);
  EXPECT_EQ(full.items[0].items.size(), kMaxCommands);
}

TEST(MenuTree, LabelsStayTextAndOverLongLinesAreLeftOut) {
  std::string longAction = "Long=\\Windows\\tmail.exe;" + std::string(300, 'a') +
                           "x=\\Windows\\evil.exe;\r\n";
  MenuTree tree = treeOf("[Menu]\r\n"
                         "Fish & Chips=\\Windows\\tmail.exe;a & b\r\n"
                         "1+1=2=\\Windows\\tmail.exe\r\n" +
                         std::string(10000, 'L') + "=\\Windows\\tmail.exe;long\r\n" + longAction +
                         "Cr\rin label=\\Windows\\tmail.exe;cr\r\r\n");
  // "&" is no mnemonic marker; a label ends at its first "=", so "1+1" runs "2=...", a
  // program that does not exist; the long lines are gone whole, not read in pieces.
  EXPECT_EQ(shown(tree.items), "Fish & Chips#100 1+1#101 Cr\rin label#102");
  EXPECT_EQ(tree.action(101), "2=\\Windows\\tmail.exe");
  EXPECT_EQ(tree.action(102), "\\Windows\\tmail.exe;cr");
}

TEST(MenuTree, TimeOutFromTheProgramsSection) {
  auto timeOut = [](std::string_view text) {
    IniDocument file;
    parseMenuText(text, file);
    return menuTimeOut(file).count();
  };
  EXPECT_EQ(timeOut(""), 10000);
  EXPECT_EQ(timeOut("[zelkomenu]\nMENUOUT=3\n"), 3000);
  EXPECT_EQ(timeOut("[ZelkoMenu]\nMenuOut=2s\n"), 2000);
  EXPECT_EQ(timeOut("[ZelkoMenu]\nMenuOut=never\n"), 0);
  EXPECT_EQ(timeOut("[ZelkoMenu]\nMenuOut=-5\n"), 10000);
  EXPECT_EQ(timeOut("[ZelkoMenu]\nMenuOut=99999999999\n"), 0x7FFFFFFF);
}

class TotalRuleTest : public testing::DeviceTest {
 protected:
  void counters(std::string total, std::string sms, std::string tel, std::string email,
                std::string voicemail) {
    const std::string key = host::pageKey(host::kPage1);
    const std::pair<const char*, std::string> values[] = {
        {"Total", total}, {"Sms", sms}, {"Tel", tel}, {"Email", email}, {"Voicemail", voicemail}};
    for (const auto& [name, text] : values) {
      ASSERT_TRUE(regWriteText(platform().registry(), platform::Root::kLocalMachine, key, name, text));
    }
  }
  std::optional<int> command() { return totalCommand(platform().registry()); }
};

TEST_F(TotalRuleTest, OneKindOfUnreadRunsItsCommand) {
  EXPECT_TRUE(isTotalMenu("\\Program Files\\ZelkoToday\\ZelkoTotal.mnu"));
  EXPECT_FALSE(isTotalMenu("\\Program Files\\ZelkoToday\\zelkototal.mnu"));
  EXPECT_EQ(command(), std::nullopt);  // nothing written: all 0
  counters("2", "2", "2", "", "");
  EXPECT_EQ(command(), 100);  // Sms is tested first
  counters("3", "1", "2", "", "3");
  EXPECT_EQ(command(), 103);
  counters("4", "1", "3", "", "");
  EXPECT_EQ(command(), std::nullopt);  // mixed: the menu is shown
  counters("5 new", "5", "", "", "");
  EXPECT_EQ(command(), 100);
  counters(" 5", "5", "", "", "");
  EXPECT_EQ(command(), std::nullopt);  // a leading blank is no digit
}

}  // namespace
}  // namespace zelko::menu
