// Menu actions that must hand a program exactly the number and text the menu shows.
#include "common/exact_action.h"

#include <gtest/gtest.h>

namespace zelko {
namespace {

constexpr char kProgram[] = "%ZELKOTODAY%\\ZelkoSms.exe";

SpecialFolders folders() { return {"\\Program Files", "\\Windows"}; }

std::optional<std::string> sendAction(const std::string& number, const std::string& text) {
  return exactAction(kProgram, {{"-sms:" + number}, {"-text:" + text, true}}, folders());
}

TEST(ExactActionTest, PlainArgumentsAreWrittenAsTheMenusAlwaysWroteThem) {
  EXPECT_EQ(sendAction("0612", "On my way"), "%ZELKOTODAY%\\ZelkoSms.exe;-sms:0612 -text:\"On my way\"");
  EXPECT_EQ(exactAction(kProgram, {{"-infos:2"}, {"-zelkotoday"}}, folders()),
            "%ZELKOTODAY%\\ZelkoSms.exe;-infos:2 -zelkotoday");
  EXPECT_EQ(exactAction("%WINDOWS%\\tmail.exe", {{"-Service"}, {"SMS", true}, {"-to"}, {"0612", true}},
                        folders()),
            "%WINDOWS%\\tmail.exe;-Service \"SMS\" -to \"0612\"");
}

TEST(ExactActionTest, NumbersWithBlanksAndTextsWithSeparatorsStayWhole) {
  EXPECT_EQ(exactAction(kProgram, {{"-phone:+33 6 12 34"}}, folders()),
            "%ZELKOTODAY%\\ZelkoSms.exe;-phone:\"+33 6 12 34\"");
  // ";" would end the arguments: "|" separates instead.
  EXPECT_EQ(sendAction("0612", "Late; sorry"),
            "%ZELKOTODAY%\\ZelkoSms.exe|-sms:0612 -text:\"Late; sorry\"");
  EXPECT_EQ(sendAction("0612", "at 10:30 = fine"),
            "%ZELKOTODAY%\\ZelkoSms.exe;-sms:0612 -text:\"at 10:30 = fine\"");
}

TEST(ExactActionTest, WhatNoSpellingCarriesIsRefused) {
  // A quote ends the quoted text: the rest would become switches of their own, one of
  // them a call to another number.
  EXPECT_EQ(sendAction("0612", "x\" -phone:0899 \"y"), std::nullopt);
  EXPECT_EQ(sendAction("06\"12", "hello"), std::nullopt);
  EXPECT_EQ(sendAction("0612", "a;b|c"), std::nullopt);
  EXPECT_EQ(sendAction("0612", "50%WINDOWS% off"), std::nullopt);  // the macro would be expanded
  EXPECT_EQ(sendAction("0612", "two\nlines"), std::nullopt);
  EXPECT_EQ(sendAction("0612", std::string(300, 'x')), std::nullopt);  // too long an action
}

}  // namespace
}  // namespace zelko
