// show through zelko-device: the pages as a person reads them, whatever the engine wrote.
#include <gtest/gtest.h>

#include <string>

#include "common/host.h"
#include "tests/e2e/e2e_fixture.h"

namespace zelko::testing {
namespace {

using platform::RegValue;

class ShowEndToEnd : public EndToEndTest {
 protected:
  void set(std::string_view page, const std::string& name, const RegValue& value) {
    ASSERT_TRUE(platform().registry().setValue(platform::Root::kLocalMachine, host::pageKey(page),
                                               name, value).ok());
  }
};

TEST_F(ShowEndToEnd, EveryPageInOrderThenThePlugin) {
  set("Page1", "weather", RegValue::Text("Sunny\t21\n"));
  set("Page1", "BatteryIcon",
      RegValue::Text("\\Program Files\\ZelkoToday\\skins\\default\\batt\\battery_6.PNG"));
  set("Page1", "Note", RegValue::Text("\\Temp\\list.txt"));  // a path, but no image
  set("Page1", "ANameLongerThanTheColumn", RegValue::Dword(4294967295u));
  set("Page1", "Empty", RegValue::Text(""));
  set("CondensedPage", "Stamp", RegValue::Binary({0x00, 0xab, 0x10}));
  set("", "isNight", RegValue::Dword(1));
  std::string out;
  ASSERT_EQ(tool({"show"}, &out), 0);
  EXPECT_EQ(out,
            "Page1\n"
            "  ANameLongerThanTheColumn 4294967295\n"
            "  BatteryIcon     battery_6.PNG\n"
            "  Empty\n"
            "  Note            \\Temp\\list.txt\n"
            "  weather         Sunny\\t21\\n\n"
            "\n"
            "Page2\n  (no values)\n\n"
            "Page3\n  (no values)\n\n"
            "Page4\n  (no values)\n\n"
            "Page5\n  (no values)\n\n"
            "CondensedPage\n"
            "  Stamp           00ab10\n"
            "\n"
            "plugin\n"
            "  isNight         1\n");
}

TEST_F(ShowEndToEnd, OnePageByNameInAnyCaseAndAnUnknownPageIsAUsageError) {
  std::string out;
  ASSERT_EQ(tool({"show", "plugin"}, &out), 0);
  EXPECT_EQ(out, "plugin\n  (no values)\n");  // the key is missing
  set("Page2", "Text", RegValue::Text("two"));
  ASSERT_EQ(tool({"show", "pAGE2"}, &out), 0);
  EXPECT_EQ(out, "Page2\n  Text            two\n");
  EXPECT_EQ(tool({"show", "Page6"}, &out), 2);
  EXPECT_EQ(out, "");
  EXPECT_EQ(tool({"show", "Page1", "Page2"}), 2);
}

}  // namespace
}  // namespace zelko::testing
