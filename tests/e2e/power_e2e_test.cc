// battery, memory and storage through zelko-device: what a user sets is what the device
// reports. (Watchers of the battery state are tried in sim_power_test.)
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using PowerEndToEnd = EndToEndTest;

// Each step: the arguments given, what battery prints after them, the state value.
TEST_F(PowerEndToEnd, BatteryLevelAndLineAreSetApartOrTogether) {
  const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> steps = {
      {{"battery", "42", "--no-ac"}, "42\tbattery\n", "42\n"},
      {{"battery", "--ac"}, "42\tac\n", std::to_string(0x100 | 42) + "\n"},  // the level stays
      {{"battery", "7"}, "7\tac\n", std::to_string(0x100 | 7) + "\n"},       // the line stays
      {{"battery", "none"}, "none\tac\n", std::to_string(0x100 | 255) + "\n"},  // as printed
  };
  for (const auto& [args, shown, state] : steps) {
    SCOPED_TRACE(args[1]);
    std::string out;
    ASSERT_EQ(tool(args), 0);
    ASSERT_EQ(tool({"battery"}, &out), 0);
    EXPECT_EQ(out, shown);
    ASSERT_EQ(tool({"reg", "get", "HKLM", "System\\State\\Battery", "Main"}, &out), 0);
    EXPECT_EQ(out, state);
  }
}

TEST_F(PowerEndToEnd, BadInputIsAUsageErrorThatChangesNothingAndRealReadingsComeBack) {
  ASSERT_EQ(tool({"battery", "60", "--no-ac"}), 0);
  ASSERT_EQ(tool({"memory", "--load", "10", "--total", "100", "--avail", "50"}), 0);
  ASSERT_EQ(tool({"storage", "--total=100", "--free=50"}), 0);
  const std::vector<std::vector<std::string>> bad = {
      {"battery", "101"}, {"battery", "-1"}, {"battery", "half"}, {"battery", "50", "60"},
      {"battery", "50", "--ac", "--no-ac"}, {"battery", "--real", "50"},
      {"memory", "--load", "10"}, {"memory", "--load", "10", "--total", "100", "--avail", "101"},
      {"memory", "--load", "10", "--total", "99999999999999999999999", "--avail", "1"},
      {"memory", "--real", "--load", "1"}, {"memory", "extra"}, {"storage", "--total", "100"},
      {"storage", "--total", "100", "--free", "101"}, {"storage", "--total", "", "--free", "0"},
      {"storage", "--total"},
  };
  for (const auto& args : bad) {
    std::string out;
    EXPECT_EQ(tool(args, &out), 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_EQ(out, "");
  }
  std::string out;
  ASSERT_EQ(tool({"battery"}, &out), 0);
  EXPECT_EQ(out, "60\tbattery\n");
  ASSERT_EQ(tool({"reg", "get", "HKLM", "System\\State\\Battery", "Main"}, &out), 0);
  EXPECT_EQ(out, "60\n");
  ASSERT_EQ(tool({"memory"}, &out), 0);
  EXPECT_EQ(out, "10\t100\t50\n");
  ASSERT_EQ(tool({"storage"}, &out), 0);
  EXPECT_EQ(out, "100\t50\n");

  // The host's readings come back.
  for (const auto& [command, set] : {std::pair<std::string, std::string>{"battery", "60\tbattery\n"},
                                      {"memory", "10\t100\t50\n"}, {"storage", "100\t50\n"}}) {
    ASSERT_EQ(tool({command, "--real"}), 0) << command;
    ASSERT_EQ(tool({command}, &out), 0);
    EXPECT_NE(out, set) << command;
  }
}

}  // namespace
}  // namespace zelko::testing
