#include "common/host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/value_store.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;

constexpr std::string_view kLayout =
    "<Plugins Order=\"HTCHome;ZelkoToday;Weather\" CPRFileName=\"TitaniumPortrait\" />";

TEST(HostLayout, PluginOrderIsTheSecondQuotedPiece) {
  EXPECT_EQ(host::pluginOrder(kLayout), "HTCHome;ZelkoToday;Weather");
  // Empty pieces are dropped: a value that starts with a quote counts from its content.
  EXPECT_EQ(host::pluginOrder("\"first\"second\"third\""), "second");
  EXPECT_EQ(host::pluginOrder("a\"\"b\"c"), "b");
  EXPECT_EQ(host::pluginOrder("no quotes"), std::nullopt);
  EXPECT_EQ(host::pluginOrder("\"only\""), std::nullopt);
  EXPECT_EQ(host::pluginOrder(""), std::nullopt);
}

TEST(HostLayout, LayoutFileBaseName) {
  EXPECT_EQ(host::layoutFileBaseName(kLayout), "TitaniumPortrait");
  EXPECT_EQ(host::layoutFileBaseName("CPRFileName=\"Unterminated"), std::nullopt);
  EXPECT_EQ(host::layoutFileBaseName("<Plugins Order=\"A\"/>"), std::nullopt);
}

TEST(HostLayout, ListsKeepPositions) {
  EXPECT_EQ(host::splitList("Page1;Page2;Page3"),
            (std::vector<std::string>{"Page1", "Page2", "Page3"}));
  // The order that removing the last plugin leaves ends with a separator.
  EXPECT_EQ(host::splitList("P;Q;"), (std::vector<std::string>{"P", "Q", ""}));
  EXPECT_TRUE(host::splitList("").empty());
}

TEST(HostLayout, PageKeys) {
  EXPECT_EQ(host::pageKey(""), "Software\\Microsoft\\CHome\\ZelkoToday");
  EXPECT_EQ(host::pageKey("CondensedPage"),
            "Software\\Microsoft\\CHome\\ZelkoToday\\CondensedPage");
}

class HostRegistryTest : public testing::DeviceTest {};

TEST_F(HostRegistryTest, EnabledIsOnOnlyAtOneAndOffOnlyAtZero) {
  auto& reg = platform().registry();
  EXPECT_EQ(host::homeScreenState(reg), host::HomeScreenState::kOff);  // missing
  reg.setValue(Root::kLocalMachine, host::kHomeKey, host::kEnabled, RegValue::Dword(1));
  EXPECT_EQ(host::homeScreenState(reg), host::HomeScreenState::kOn);
  reg.setValue(Root::kLocalMachine, host::kHomeKey, host::kEnabled, RegValue::Dword(2));
  EXPECT_EQ(host::homeScreenState(reg), host::HomeScreenState::kUnknown);
  reg.setValue(Root::kLocalMachine, host::kHomeKey, host::kEnabled, RegValue::Text("1"));
  EXPECT_EQ(host::homeScreenState(reg), host::HomeScreenState::kOff);
}

TEST_F(HostRegistryTest, LayoutAndPagesAreReadWhole) {
  auto& reg = platform().registry();
  // Real layouts run far past the 254 units of a plain text read.
  std::string layout = std::string(kLayout) + std::string(600, ' ') + "<More/>";
  reg.setValue(Root::kLocalMachine, host::kHomeKey, host::kExtensibilityXml,
               RegValue::Text(layout));
  EXPECT_EQ(host::readExtensibilityXml(reg), layout);
  EXPECT_EQ(host::pluginOrder(host::readExtensibilityXml(reg)), "HTCHome;ZelkoToday;Weather");

  reg.setValue(Root::kLocalMachine, host::kPluginKey, host::kPages,
               RegValue::Text("Page1;Page2;Page5"));
  EXPECT_EQ(host::readPluginPages(reg, "ZelkoToday"),
            (std::vector<std::string>{"Page1", "Page2", "Page5"}));
  EXPECT_TRUE(host::readPluginPages(reg, "Missing").empty());
}

}  // namespace
}  // namespace zelko
