#include "common/ini_document.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/text.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

IniDocument parsed(std::string_view text) {
  IniDocument doc;
  doc.parse(text);
  return doc;
}

TEST(IniDocumentRead, KeyLines) {
  IniDocument doc = parsed(
      "[S]\nKey = Value\nFormula=a=b==c\n==Lead=x\n"
      "EndsWithEquals=\nno equals sign\n=OnlyValue\n====\n; C=1\n   ;Indented=1\n");
  EXPECT_EQ(doc.entries().size(), 3u);
  EXPECT_EQ(doc.getText("S", "Key ", ""), " Value");  // blanks stay on both sides
  EXPECT_EQ(doc.lookup("S", "Key"), nullptr);
  EXPECT_EQ(doc.getText("S", "Formula", ""), "a=b==c");
  EXPECT_EQ(doc.getText("S", "Lead", ""), "x");  // leading "=" skipped
}

TEST(IniDocumentRead, SectionsAndTrimming) {
  IniDocument doc = parsed(
      "Top=1\r\n[[Notify]]\r\n\t ZelkoTodayTime=hook.exe \f\r\n[Battery]]\r\n[Empty]\r\n"
      "critical=10\r\n[]\r\nAfter=2\r\n");
  EXPECT_EQ(doc.getText("Notify", "ZelkoTodayTime", ""), "hook.exe");
  EXPECT_EQ(doc.getNumber("Empty", "critical", 0), 10);
  // Entries outside any section are found under their own key and list no section.
  EXPECT_EQ(doc.getText("Top", "", ""), "1");
  EXPECT_EQ(doc.getText("After", "", ""), "2");
  EXPECT_EQ(doc.sectionList(), "Notify;Empty;");
}

TEST(IniDocumentRead, LongLinesComeInPiecesOf254Units) {
  IniDocument doc = parsed("[S]\nLong=" + std::string(249, 'v') + "Tail=t\n");
  EXPECT_EQ(doc.getText("S", "Long", ""), std::string(249, 'v'));
  EXPECT_EQ(doc.getText("S", "Tail", ""), "t");
  // A character outside the BMP counts two units and is never cut in half.
  doc = parsed("[S]\nW=" + std::string(251, 'a') + "\xF0\x9F\x98\x80" + "b\n");
  ASSERT_EQ(doc.entries().size(), 1u);
  EXPECT_EQ(doc.entries()[0].value, std::string(251, 'a'));
  // Damaged bytes are measured the same way and stay within the limit too.
  doc = parsed("[S]\nK=" + std::string(600, '\x80') + "\xF0" + std::string(300, 'z'));
  for (const IniEntry& e : doc.entries()) {
    EXPECT_LE(platform::utf16Length(e.key + "=" + e.value), kIniLineUnits);
  }
}

TEST(IniDocumentLookup, CaseDuplicatesAndNumbers) {
  IniDocument doc = parsed(
      "[Notify]\nZelkoTodayTime=a\nzelkotodaytime=dup\n[Été]\nClé=b\n"
      "[N]\ndigits=42abc\nletters=abc\nsigned= -7\nhuge=99999999999\n");
  EXPECT_EQ(doc.getText("NOTIFY", "zelkoTODAYtime", "-"), "a");
  EXPECT_EQ(doc.getText("ÉTÉ", "CLÉ", "-"), "b");
  EXPECT_EQ(doc.getText("Notif", "ZelkoTodayTime", "-"), "-");
  EXPECT_EQ(doc.getText("Notify", "", "-"), "a");
  EXPECT_EQ(doc.lookup("", "ZelkoTodayTime"), nullptr);
  EXPECT_TRUE(doc.has("n", "LETTERS"));
  EXPECT_EQ(doc.lastFound()->value, "abc");

  EXPECT_EQ(doc.getNumber("N", "digits", 5), 42);
  EXPECT_EQ(doc.getNumber("N", "letters", 5), 0);  // present, so not the default
  EXPECT_EQ(doc.getNumber("N", "signed", 5), -7);
  EXPECT_EQ(doc.getNumber("N", "missing", 5), 5);
  EXPECT_EQ(doc.getNumber("N", "huge", 0), INT_MAX);
}

TEST(IniDocumentEdit, AddSetAndWalk) {
  IniDocument doc;
  doc.add("ZelkoMenu", "a", "1");
  doc.add("Menu", "Call", "old");
  const IniEntry* call = doc.lookup("Menu", "Call");
  doc.add("MENU", "Call", "dup");
  doc.set("menu", "CALL", "new");
  doc.set("Menu", "Text", "t");
  // Whole names without regard to case: "Menu" is not part of "ZelkoMenu", "MENU" is it.
  EXPECT_EQ(doc.sectionList(), "ZelkoMenu;Menu;");
  EXPECT_EQ(call->value, "new");  // entries stay put while others are added

  std::string walked;
  for (const IniEntry* e = doc.firstInSection("menu"); e; e = doc.nextInSection()) {
    walked += e->value + ",";
  }
  EXPECT_EQ(walked, "new,dup,t,");
  EXPECT_EQ(doc.nextInSection(), nullptr);
  EXPECT_EQ(doc.firstInSection(""), nullptr);
  EXPECT_EQ(doc.serialize(),
            "[ZelkoMenu]\r\na=1\r\n\r\n[Menu]\r\nCall=new\r\nCall=dup\r\nText=t\r\n\r\n");
}

TEST(IniDocumentWrite, OnlyWhatReadsBackTheSame) {
  IniDocument doc;
  doc.add("", "-max", "5");  // the empty section is not written
  doc.add("Menu", "Empty", "");
  // Labels come from received texts and contacts: none may turn into other entries,
  // sections or actions when the menu file is read back.
  doc.add("Menu", "See you\r\n[Menu]\r\nEvil", "a.exe");
  doc.add("Menu", "Reply", "b.exe;-reply:1\nSecond=\\Windows\\evil.exe");
  doc.add("Menu", "Call x=\\Windows\\evil.exe;", "c.exe;-phone:x");
  doc.add("Menu", "[Work] Bob", "d.exe");
  doc.add("Menu", ";Note", "e.exe");
  doc.add("Menu", "Long", std::string(240, 'a') + "X=\\Windows\\evil.exe");
  doc.add("Menu", "Fits", std::string(249, 'f'));

  IniDocument back = parsed(doc.serialize());
  std::string seen;
  for (const IniEntry& e : back.entries()) seen += e.group + "/" + e.key + "=" + e.value + "\n";
  EXPECT_EQ(seen,
            "Menu/See you  [Menu]  Evil=a.exe\n"
            "Menu/Reply=b.exe;-reply:1 Second=\\Windows\\evil.exe\n"
            "Menu/[Work] Bob=d.exe\n"
            "Menu/;Note=e.exe\n"
            "Menu/Fits=" +
                std::string(249, 'f') + "\n");
}

class IniDocumentFileTest : public testing::DeviceTest {};

TEST_F(IniDocumentFileTest, LoadAndSave) {
  auto& files = platform().files();
  hostFile("\\Program Files\\ZelkoToday\\x");  // makes the folder
  IniDocument doc;
  doc.add("Notify", "ZelkoTodayBatt", "hook.exe;-x");
  EXPECT_FALSE(doc.save(files));  // no path yet
  EXPECT_FALSE(doc.save(files, "\\No Such Folder\\x.ini"));
  ASSERT_TRUE(doc.save(files, "\\Program Files\\ZelkoToday\\Test.ini"));

  IniDocument back;
  ASSERT_TRUE(back.load(files, "\\program files\\zelkotoday\\TEST.INI"));
  back.set("Notify", "ZelkoTodayTime", "t.exe");
  ASSERT_TRUE(back.save(files));  // to the path it came from
  ASSERT_TRUE(doc.load(files, "\\Program Files\\ZelkoToday\\Test.ini"));
  EXPECT_EQ(doc.getText("notify", "zelkotodaybatt", ""), "hook.exe;-x");
  EXPECT_EQ(doc.getText("Notify", "ZelkoTodayTime", ""), "t.exe");

  EXPECT_FALSE(doc.load(files, "\\Program Files\\ZelkoToday\\none.ini"));
  EXPECT_TRUE(doc.entries().empty());
}

}  // namespace
}  // namespace zelko
