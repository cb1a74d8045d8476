// The popup menu file of a listed contact, as ZelkoMenu will read it, and the prepared
// texts it offers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZelkoContacts/contact_menu.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko::contacts {
namespace {

class PreparedTextsTest : public testing::DeviceTest {};

TEST_F(PreparedTextsTest, OneMessageALineWithoutBreaksEmptyLinesOrEndMark) {
  auto& files = platform().files();
  ASSERT_TRUE(files.writeFile("\\SMS.txt", "On my way\r\r\n\r\n  \r\nLate; sorry\nCall\rme\x1a").ok());
  EXPECT_EQ(readPreparedTexts(files, "\\SMS.txt"),
            (std::vector<std::string>{"On my way", "  ", "Late; sorry", "Call", "me"}));
  ASSERT_TRUE(files.writeFile("\\Empty.txt", "\r\n\r\n").ok());
  EXPECT_TRUE(readPreparedTexts(files, "\\Empty.txt").empty());
  EXPECT_TRUE(readPreparedTexts(files, "\\Missing.txt").empty());
}

SpecialFolders folders() {
  SpecialFolders f;
  f.programFiles = "\\Program Files";
  f.windows = "\\Windows";
  return f;
}

TEST(ContactMenuTest, HomeNumberAloneOrNoNumberAtAll) {
  EXPECT_EQ(contactMenu({"", "01 45 67", ""}, {"On my way"}, {}, folders()).serialize(),
            "[Menu]\r\nCALL 01 45 67=%ZELKOTODAY%\\ZelkoContacts.exe;-phone:\"01 45 67\"\r\n\r\n");
  EXPECT_EQ(contactMenu({}, {"On my way"}, {}, folders()).serialize(), "");
}

TEST(ContactMenuTest, WhatNoActionCanCarryWholeGetsNoEntry) {
  // A blank in the number is quoted; a "|" or a quote cannot travel in an action string,
  // nor a macro, which the menu would expand.
  IniDocument menu = contactMenu({"+33 6 12", "01|45", "\"0800\""},
                                 {"Say \"hi\"", "a|b", "50%WINDOWS% off"}, {}, folders());
  EXPECT_EQ(menu.serialize(),
            "[Menu]\r\n"
            "SENDSMS=%ZELKOTODAY%\\ZelkoContacts.exe;-sms:\"+33 6 12\"\r\n"
            "CALL +33 6 12=%ZELKOTODAY%\\ZelkoContacts.exe;-phone:\"+33 6 12\"\r\n"
            "\r\n");
  // The file would lose a form feed at the end of a line; labels are one item whatever
  // their case, and the first text keeps it.
  EXPECT_EQ(contactMenu({"0612\f", "", ""}, {}, {}, folders()).serialize(), "");
  EXPECT_EQ(contactMenu({"06", "", ""}, {"Ok", "OK"}, {}, folders()).serialize(),
            "[Menu]\r\n"
            "SENDSMS=%ZELKOTODAY%\\ZelkoContacts.exe;-sms:06\r\n"
            "MYTEXT=[Text]\r\n"
            "CALL 06=%ZELKOTODAY%\\ZelkoContacts.exe;-phone:06\r\n"
            "\r\n"
            "[Text]\r\n"
            "Ok=%ZELKOTODAY%\\ZelkoSms.exe;-sms:06 -text:\"Ok\"\r\n"
            "\r\n");
}

}  // namespace
}  // namespace zelko::contacts
