// zelko-device on bad input: every number in range or refused, names that cannot forge a
// dump line, texts that survive a round trip, and short clear messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/e2e/captured_tool.h"
#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;
using platform::Root;

class DeviceToolTest : public EndToEndTest {
 protected:
  Captured run(const std::vector<std::string>& args) { return captureTool(dir() / "device", args); }
  // The command fails with `code` and says `words` in one short line.
  void refused(const std::vector<std::string>& args, int code, const std::string& words) {
    Captured c = run(args);
    EXPECT_EQ(c.code, code) << args[0] << " " << args[1] << ": " << c.output;
    EXPECT_NE(c.output.find(words), std::string::npos) << c.output;
    EXPECT_LT(c.output.size(), 400u) << c.output;
  }
};

TEST_F(DeviceToolTest, NumbersPastTheirRangeAreRefusedNotWrapped) {
  std::string before, after;
  ASSERT_EQ(tool({"clock", "show"}, &before), 0);
  refused({"clock", "advance", "18446744073709551615"}, 2, "out of range");
  refused({"clock", "advance", "-9223372036854775808"}, 2, "out of range");
  refused({"clock", "advance", "52704001"}, 2, "out of range");
  ASSERT_EQ(tool({"clock", "show"}, &after), 0);
  EXPECT_EQ(before, after);
  EXPECT_EQ(tool({"clock", "advance", "-0x10"}), 0) << "hexadecimal and negative together";

  refused({"post", "ZelkoToday", "4294967296"}, 2, "MESSAGE 4294967296 is out of range");
  refused({"post", "ZelkoToday", "1", "0", "-9223372036854775809"}, 2, "LPARAM");
  refused({"journal", "--since", "18446744073709551615"}, 2, "out of range");
  refused({"journal", "--since", "-1"}, 2, "out of range");
  refused({"battery", "256"}, 2, "out of range");
  refused({"memory", "--load", "5", "--total", "4294967296", "--avail", "1"}, 2, "out of range");
}

TEST_F(DeviceToolTest, DumpWritesNamesAsItWritesData) {
  ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, "Software\\A\tB\nHKLM\\Forged",
                                             "x\ny\tz", RegValue::Text("d\te")).ok());
  std::string dump;
  ASSERT_EQ(tool({"reg", "dump", "HKLM", "Software"}, &dump), 0);
  EXPECT_EQ(dump, "HKLM\\Software\\A\\tB\\nHKLM\\Forged\tx\\ny\\tz\tREG_SZ\td\\te\n");
}

TEST_F(DeviceToolTest, WhatTheStoreCannotKeepIsRefusedAndNothingChanges) {
  std::string before, after;
  ASSERT_EQ(tool({"reg", "dump"}, &before), 0);
  refused({"reg", "set", "HKLM", "Software", "t", "--text", "caf\xe9"}, 2, "not valid UTF-8");
  refused({"reg", "set", "HKLM", "Software", "t", "--text", "\xed\xa0\x80"}, 2, "not valid UTF-8");
  refused({"reg", "set", "HKLM", "Software", "t", "--filetime", "1600-12-31 23:59"}, 2, "before 1601");
  refused({"reg", "set", "HKLM", std::string(256, 'k'), "t", "--dword", "1"}, 1, "255 characters");
  const std::vector<std::vector<std::string>> usageErrors = {
      {"reg", "set", "HKXX", "Software", "A", "--text", "x"},
      {"reg", "set", "HKLM", "Software", "A", "--dword", "4294967296"},
      {"clock", "set", "2026-02-30 10:00"}, {"clock", "advance", "ten"}, {"frobnicate"}, {"-d"}};
  for (const auto& args : usageErrors) {
    EXPECT_EQ(tool(args), 2) << args[0];
  }
  ASSERT_EQ(tool({"reg", "dump"}, &after), 0);
  EXPECT_EQ(before, after);
  EXPECT_NE(tool({"init"}), 0) << "a device is there already";
  EXPECT_EQ(tool({"reg", "set", "HKLM", "Software", "t", "--filetime", "1601-01-01 00:00"}), 0);

  for (const char* screen : {"0x0", "480x0", "99999x800", "-480x800"}) {
    Captured c = captureTool(dir() / screen, {"init", "--screen", screen});
    EXPECT_EQ(c.code, 1) << screen << ": " << c.output;
    EXPECT_NE(c.output.find("bad screen size"), std::string::npos) << c.output;
    EXPECT_FALSE(std::filesystem::exists(dir() / screen / "registry.db"));
  }
}

TEST_F(DeviceToolTest, BadDeviceFoldersAndLongArgumentsGetOneShortLine) {
  Captured empty = captureTool("", {"clock", "show"});
  EXPECT_EQ(empty.code, 2) << empty.output;
  EXPECT_NE(empty.output.find("needs the device's folder"), std::string::npos) << empty.output;

  std::string huge(100000, 'q');
  refused({"action", huge}, 1, "nothing could be run for qqq");
  refused({"clock", "set", huge}, 2, "bad time");
  refused({"post", huge, "1"}, 1, "no window of class");
}

}  // namespace
}  // namespace zelko::testing
