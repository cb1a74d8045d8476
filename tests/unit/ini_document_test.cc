#include "common/ini_document.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
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

TEST(IniDocumentParse, KeyLinesSplitAtFirstEqualsAndKeepBlanks) {
  IniDocument doc = parsed(
      "[S]\n"
      "Key = Value\n"
      "Formula=a=b==c\n"
      "==Lead=x\n");
  const IniEntry* spaced = doc.lookup("S", "Key ");
  ASSERT_NE(spaced, nullptr);
  EXPECT_EQ(spaced->value, " Value");
  EXPECT_EQ(doc.lookup("S", "Key"), nullptr);
  EXPECT_EQ(doc.getText("S", "Formula", ""), "a=b==c");
  // Equal signs in front of the key are skipped, not taken as an empty key.
  EXPECT_EQ(doc.getText("S", "Lead", ""), "x");
}

TEST(IniDocumentParse, LinesThatAddNothing) {
  IniDocument doc = parsed(
      "[S]\n"
      "EndsWithEquals=\n"
      "no equals sign\n"
      "=OnlyValue\n"
      "====\n"
      "; Commented=1\n"
      "   ;Indented=1\n"
      "\t\f \r\n");
  EXPECT_TRUE(doc.entries().empty());
  // A section header alone does not list the section: only entries do.
  EXPECT_TRUE(doc.sections().empty());
}

TEST(IniDocumentParse, SectionNamesAndTrimming) {
  IniDocument doc = parsed(
      "Top=1\r\n"
      "[[Notify]]\r\n"
      "\t ZelkoTodayTime=hook.exe \f\r\n"
      "[Battery]]\r\n"
      "critical=10\r\n"
      "[]\r\n"
      "After=2\r\n");
  EXPECT_EQ(doc.getText("Notify", "ZelkoTodayTime", ""), "hook.exe");
  EXPECT_EQ(doc.getNumber("Battery", "critical", 0), 10);
  // Entries outside any section are found under their own key, as the argument store
  // relies on, and are not sections.
  EXPECT_EQ(doc.getText("Top", "", ""), "1");
  EXPECT_EQ(doc.getText("After", "", ""), "2");
  EXPECT_EQ(doc.sectionList(), "Notify;Battery;");
}

TEST(IniDocumentParse, LongLinesAreReadInPiecesOf254Units) {
  // The second piece of an over-long line is a line of its own.
  std::string line = "Long=" + std::string(249, 'v') + "Tail=t";
  IniDocument doc = parsed("[S]\n" + line + "\n");
  EXPECT_EQ(doc.getText("S", "Long", ""), std::string(249, 'v'));
  EXPECT_EQ(doc.getText("S", "Tail", ""), "t");

  // A character outside the BMP takes two units and is never cut in half.
  std::string emoji = "\xF0\x9F\x98\x80";
  std::string wide = "W=" + std::string(251, 'a') + emoji + "b";
  doc = parsed("[S]\n" + wide + "\n");
  ASSERT_EQ(doc.entries().size(), 1u);
  EXPECT_EQ(doc.entries()[0].value, std::string(251, 'a'));
  EXPECT_EQ(platform::utf16Length("W=" + doc.entries()[0].value), 253u);

  // Exactly 254 units stay one line, with or without CRLF.
  std::string exact = "E=" + std::string(252, 'x');
  doc = parsed("[S]\r\n" + exact + "\r\n");
  EXPECT_EQ(doc.getText("S", "E", ""), std::string(252, 'x'));
  EXPECT_EQ(doc.entries().size(), 1u);
}

TEST(IniDocumentParse, DamagedBytesStayWithinTheLineLimit) {
  std::string junk = "[S]\nK=" + std::string(600, '\x80') + "\xF0" + std::string(300, 'z');
  IniDocument doc = parsed(junk);
  for (const IniEntry& e : doc.entries()) {
    EXPECT_LE(platform::utf16Length(e.key + "=" + e.value), kIniLineUnits);
  }
}

TEST(IniDocumentLookup, IgnoresCaseOfEveryLetter) {
  IniDocument doc = parsed("[Notify]\nZelkoTodayTime=a\n[Été]\nClé=b\n");
  EXPECT_EQ(doc.getText("notify", "zelkotodaytime", "-"), "a");
  EXPECT_EQ(doc.getText("NOTIFY", "ZELKOTODAYTIME", "-"), "a");
  EXPECT_EQ(doc.getText("ÉTÉ", "CLÉ", "-"), "b");
  // Equal lengths only: a prefix is not a match.
  EXPECT_EQ(doc.getText("Notif", "ZelkoTodayTime", "-"), "-");
}

TEST(IniDocumentLookup, FirstMatchWinsAndEmptySectionFindsNothing) {
  IniDocument doc = parsed("[S]\nk=first\nother=o\nK=second\n");
  EXPECT_EQ(doc.getText("S", "k", ""), "first");
  EXPECT_EQ(doc.entries().size(), 3u);
  // An empty key takes the first entry of the section.
  EXPECT_EQ(doc.getText("S", "", ""), "first");
  EXPECT_EQ(doc.lookup("", "k"), nullptr);
  EXPECT_EQ(doc.lastFound(), nullptr);
  EXPECT_TRUE(doc.has("s", "OTHER"));
  ASSERT_NE(doc.lastFound(), nullptr);
  EXPECT_EQ(doc.lastFound()->value, "o");
}

TEST(IniDocumentLookup, GetNumberReadsLeadingDigits) {
  IniDocument doc = parsed(
      "[N]\ndigits=42abc\nletters=abc\nsigned= -7\nplus=+3x\nhuge=99999999999\n"
      "tiny=-99999999999\n");
  EXPECT_EQ(doc.getNumber("N", "digits", 5), 42);
  // The key exists, so letters give 0, not the default.
  EXPECT_EQ(doc.getNumber("N", "letters", 5), 0);
  EXPECT_EQ(doc.getNumber("N", "signed", 5), -7);
  EXPECT_EQ(doc.getNumber("N", "plus", 5), 3);
  EXPECT_EQ(doc.getNumber("N", "missing", 5), 5);
  EXPECT_EQ(doc.getNumber("N", "huge", 0), INT_MAX);
  EXPECT_EQ(doc.getNumber("N", "tiny", 0), INT_MIN);
}

TEST(IniDocumentEdit, SectionListTakesWholeNamesWithoutRegardToCase) {
  IniDocument doc;
  doc.add("ZelkoMenu", "a", "1");
  doc.add("Menu", "b", "2");
  doc.add("MENU", "c", "3");
  EXPECT_EQ(doc.sectionList(), "ZelkoMenu;Menu;");
  // Each entry is written once, under the section as first listed.
  EXPECT_EQ(doc.serialize(), "[ZelkoMenu]\r\na=1\r\n\r\n[Menu]\r\nb=2\r\nc=3\r\n\r\n");
}

TEST(IniDocumentEdit, SetReplacesFirstMatchOrAdds) {
  IniDocument doc;
  doc.add("Menu", "Call", "old");
  doc.add("Menu", "Call", "duplicate");
  doc.set("menu", "CALL", "new");
  doc.set("Menu", "Text", "t");
  ASSERT_EQ(doc.entries().size(), 3u);
  EXPECT_EQ(doc.entries()[0].value, "new");
  EXPECT_EQ(doc.entries()[1].value, "duplicate");
  EXPECT_EQ(doc.getText("Menu", "Text", ""), "t");
}

TEST(IniDocumentEdit, EntriesStayPutWhileAdding) {
  IniDocument doc;
  doc.add("S", "k", "v");
  const IniEntry* found = doc.lookup("S", "k");
  for (int i = 0; i < 1000; ++i) doc.add("S", "k" + std::to_string(i), "x");
  EXPECT_EQ(found->value, "v");
}

TEST(IniDocumentWalk, VisitsOneSectionInEntryOrder) {
  IniDocument doc = parsed("[A]\n1=a\n[B]\n2=b\n[a]\n3=c\n");
  std::string seen;
  for (const IniEntry* e = doc.firstInSection("A"); e; e = doc.nextInSection()) {
    seen += e->key;
  }
  EXPECT_EQ(seen, "13");
  EXPECT_EQ(doc.nextInSection(), nullptr);
  EXPECT_EQ(doc.firstInSection(""), nullptr);
  EXPECT_EQ(IniDocument().firstInSection("A"), nullptr);
  // A new walk starts over.
  ASSERT_NE(doc.firstInSection("B"), nullptr);
  EXPECT_EQ(doc.firstInSection("B")->key, "2");
}

TEST(IniDocumentWrite, SerializeWritesListedSectionsWithValues) {
  IniDocument doc;
  doc.add("", "-zelkotoday", "");
  doc.add("", "-max", "5");
  doc.add("Menu", "Empty", "");
  doc.add("Menu", "Call", "ZelkoSms.exe;-call:1");
  doc.add("Other", "x", "y");
  EXPECT_EQ(doc.serialize(),
            "[Menu]\r\nCall=ZelkoSms.exe;-call:1\r\n\r\n[Other]\r\nx=y\r\n\r\n");
}

TEST(IniDocumentWrite, WrittenFileReadsBackToTheSameEntries) {
  IniDocument doc;
  // A label taken from a received text may hold line breaks; it must not turn into
  // entries or sections of its own when the menu file is read back.
  doc.add("Menu", "See you\r\n[Menu]\r\nEvil", "\\Windows\\evil.exe");
  doc.add("Menu", "Reply", "ZelkoSms.exe;-reply:1\nSecond=\\Windows\\evil.exe");
  // A line a reader would cut in two is left out rather than split into two entries.
  doc.add("Menu", "Long", std::string(240, 'a') + "X=\\Windows\\evil.exe");
  doc.add("Menu", "Fits", std::string(249, 'f'));

  IniDocument back = parsed(doc.serialize());
  std::vector<std::string> keys;
  for (const IniEntry& e : back.entries()) keys.push_back(e.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"See you  [Menu]  Evil", "Reply", "Fits"}));
  EXPECT_EQ(back.getText("Menu", "Reply", ""),
            "ZelkoSms.exe;-reply:1 Second=\\Windows\\evil.exe");
  EXPECT_EQ(back.sectionList(), "Menu;");
}

class IniDocumentFileTest : public testing::DeviceTest {};

TEST_F(IniDocumentFileTest, LoadAndSaveThroughTheDeviceFiles) {
  auto& files = platform().files();
  hostFile("\\Program Files\\ZelkoToday\\Test.ini");  // makes the folder
  IniDocument doc;
  doc.add("Notify", "ZelkoTodayBatt", "hook.exe;-x");
  ASSERT_TRUE(doc.save(files, "\\Program Files\\ZelkoToday\\Test.ini"));
  EXPECT_EQ(doc.path(), "\\Program Files\\ZelkoToday\\Test.ini");

  IniDocument back;
  ASSERT_TRUE(back.load(files, "\\program files\\zelkotoday\\TEST.INI"));
  EXPECT_EQ(back.getText("notify", "zelkotodaybatt", ""), "hook.exe;-x");
  back.set("Notify", "ZelkoTodayTime", "t.exe");
  ASSERT_TRUE(back.save(files));  // to the path it was loaded from
  ASSERT_TRUE(doc.load(files, "\\Program Files\\ZelkoToday\\Test.ini"));
  EXPECT_EQ(doc.getText("Notify", "ZelkoTodayTime", ""), "t.exe");
}

TEST_F(IniDocumentFileTest, MissingFilesAndFolders) {
  auto& files = platform().files();
  IniDocument doc = parsed("[S]\nk=v\n");
  EXPECT_FALSE(doc.load(files, "\\Program Files\\ZelkoToday\\none.ini"));
  EXPECT_TRUE(doc.entries().empty());
  EXPECT_EQ(doc.getText("S", "k", "default"), "default");

  IniDocument unsaved;
  unsaved.add("S", "k", "v");
  EXPECT_FALSE(unsaved.save(files));  // no path yet
  EXPECT_FALSE(unsaved.save(files, "\\No Such Folder\\x.ini"));
  EXPECT_EQ(unsaved.getText("S", "k", ""), "v");
}

TEST_F(IniDocumentFileTest, ReadsUtf16FilesWithByteOrderMark) {
  std::string text = platform::utf8ToUtf16le("[ZelkoToday]\r\nNOSMS=Keine SMS \xC3\xBC\r\n");
  std::ofstream(hostFile("\\Program Files\\ZelkoToday\\ZelkoToday.ini"), std::ios::binary)
      << "\xFF\xFE" << text;
  IniDocument doc;
  ASSERT_TRUE(doc.load(platform().files(), "\\Program Files\\ZelkoToday\\ZelkoToday.ini"));
  EXPECT_EQ(doc.getText("ZelkoToday", "NOSMS", ""), "Keine SMS \xC3\xBC");
}

}  // namespace
}  // namespace zelko
