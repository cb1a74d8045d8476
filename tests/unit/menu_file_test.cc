// The popup menu's reading of menu files where a person at the device would not see the
// difference: lines the reader would take in pieces, and the limits within submenus.
#include "ZelkoMenu/menu_file.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(MenuTree, TheCommandLimitEndsTheWalkOfEveryMenuAbove) {
  std::string nested = "[Menu]\nSub=[Sub]\nAfter=a.exe\n[Sub]\n";
  for (int i = 0; i < 70; ++i) nested += "S" + std::to_string(i) + "=s.exe;" + std::to_string(i) + "\n";
  MenuTree full = treeOf(nested);
  ASSERT_EQ(full.items.size(), 1u);
  EXPECT_EQ(full.items[0].items.size(), kMaxCommands);
  EXPECT_EQ(full.action(163), "s.exe;63");
  EXPECT_EQ(full.action(164), std::nullopt);
}

TEST(MenuTree, SixteenMenusDeepAtMost) {
  std::string chain = "[Menu]\nNext=[S1]\nC=c.exe\n";
  for (int i = 1; i <= 20; ++i) chain += "[S" + std::to_string(i) + "]\nNext=[S" + std::to_string(i + 1) + "]\nC=c.exe\n";
  std::string tree = shown(treeOf(chain).items);
  // The top menu and 15 below it, each with its command; the 17th is left out, not shown empty.
  size_t opened = 0, commands = 0;
  for (size_t at = tree.find("Next["); at != std::string::npos; at = tree.find("Next[", at + 1)) ++opened;
  for (size_t at = tree.find("C#"); at != std::string::npos; at = tree.find("C#", at + 1)) ++commands;
  EXPECT_EQ(opened, 15u) << tree;
  EXPECT_EQ(commands, 16u) << tree;
  EXPECT_EQ(tree.find("Next[]"), std::string::npos) << tree;
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

}  // namespace
}  // namespace zelko::menu
