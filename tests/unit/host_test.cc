#include "common/host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using testing::kHklm;
constexpr std::string_view kLayout =
    "<Plugins Order=\"HTCHome;ZelkoToday;Weather\" CPRFileName=\"TitaniumPortrait\" />";

TEST(HostLayout, OrderAndLayoutFileFromTheXml) {
  EXPECT_EQ(host::pluginOrder(kLayout), "HTCHome;ZelkoToday;Weather");
  // Empty pieces are dropped, so a leading quote shifts the count.
  EXPECT_EQ(host::pluginOrder("\"first\"second\"third\""), "second");
  EXPECT_EQ(host::pluginOrder("a\"\"b\"c"), "b");
  EXPECT_EQ(host::pluginOrder("\"only\""), std::nullopt);
  EXPECT_EQ(host::layoutFileBaseName(kLayout), "TitaniumPortrait");
  EXPECT_EQ(host::layoutFileBaseName("CPRFileName=\"Unterminated"), std::nullopt);
  // Removing the last plugin leaves a trailing separator; its empty piece keeps its place.
  EXPECT_EQ(host::splitList("P;Q;"), (std::vector<std::string>{"P", "Q", ""}));
}

class HostRegistryTest : public testing::DeviceTest {};

TEST_F(HostRegistryTest, LayoutAndPagesAreReadWhole) {
  auto& reg = platform().registry();
  // Real layouts run far past the 254 units of a plain text read.
  std::string layout = std::string(kLayout) + std::string(600, ' ') + "<More/>";
  ASSERT_TRUE(reg.setValue(kHklm, host::kHomeKey, host::kExtensibilityXml, RegValue::Text(layout)).ok());
  EXPECT_EQ(host::readExtensibilityXml(reg), layout);
  ASSERT_TRUE(reg.setValue(kHklm, host::kPluginKey, host::kPages, RegValue::Text("Page1;Page2;Page5")).ok());
  EXPECT_EQ(host::readPluginPages(reg, "zelkotoday"),
            (std::vector<std::string>{"Page1", "Page2", "Page5"}));
  EXPECT_TRUE(host::readPluginPages(reg, "Missing").empty());
}

}  // namespace
}  // namespace zelko
