// The screen the browser view draws: which layer of which plugin, on which page, with which
// values, where; and the HTML made of it, which carries values as text only.
#include <gtest/gtest.h>

#include <fstream>

#include "common/host.h"
#include "device/home_view/screen.h"
#include "device/home_view/screen_html.h"
#include "tests/unit/device_fixture.h"

namespace zelko::testing {
namespace {

using device::home::DrawnPlugin;
using device::home::Layout;
using device::home::Screen;
using platform::RegValue;
using platform::Root;

constexpr char kHome[] = "Software\\Microsoft\\CHome";
constexpr char kToday[] = "Software\\Microsoft\\CHome\\ZelkoToday";

constexpr char kViewLayout[] = R"(<Form Width="480" Height="800">
  <TitaniumListView ID="ListView"><Selection Color="#123456" /></TitaniumListView>
  <Layer ID="ZelkoTodayExpanded" Height="300">
    <Text X="16" Y="0" Width="300" Height="40" Bind="Today" />
    <Page Name="Page1"><Text X="10" Y="50" Width="100" Height="30" Bind="Time" /></Page>
    <Page Name="Page2">
      <Text X="10" Y="50" Width="100" Height="30" Bind="Time" />
      <Text X="10" Y="90" Width="100" Height="30" Bind="Time" Page="CondensedPage" />
      <Image X="0" Y="0" Width="64" Height="32" Bind="BattPNG" />
    </Page>
    <Layer ID="ZelkoTodayCondensed" Height="80"><Text Bind="Time" /></Layer>
  </Layer>
  <Layer ID="ClockExpanded" Height="200">
    <Text Value="Big clock" />
    <Layer ID="ClockCondensed" Height="60"><Text Value="Clock" /></Layer>
  </Layer>
</Form>)";

class HomeScreenViewTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    order("ZelkoToday;Clock");
    set(kToday, "Pages", "Page1;Page2");
    for (auto [page, time] : {std::pair{"Page1", "12:00"}, {"Page2", "13:00"}, {"CondensedPage", "14:00"}}) {
      set(std::string(kToday) + "\\" + page, "Time", time);
      set(std::string(kToday) + "\\" + page, "Today", std::string("Day of ") + page);
    }
    set(std::string(kToday) + "\\Page2", "SK2TEXT", "Config.");
    auto parsed = device::home::parseLayout(kViewLayout);
    ASSERT_TRUE(parsed.ok());
    layout_ = *parsed;
  }
  void set(const std::string& key, const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, key, name, RegValue::Text(text)).ok());
  }
  void order(const std::string& plugins) {
    set(kHome, "ExtensibilityXML", "<Plugins Order=\"" + plugins + "\" CPRFileName=\"Titanium\" />");
    order_ = host::splitList(plugins);
  }
  Screen build(const std::string& plugin, const std::string& page) {
    return device::home::buildScreen(platform(), &layout_, "", {plugin, page}, order_);
  }
  static std::vector<std::string> texts(const DrawnPlugin& p) {
    std::vector<std::string> out;
    for (const auto& e : p.elements) {
      if (e.element->kind == device::home::ElementKind::kText) out.push_back(e.text);
    }
    return out;
  }

  Layout layout_;
  std::vector<std::string> order_;
};

TEST_F(HomeScreenViewTest, FocusedPluginExpandedOnItsPageOthersCondensed) {
  Screen s = build("ZelkoToday", "Page2");
  ASSERT_EQ(s.plugins.size(), 2u);
  EXPECT_TRUE(s.plugins[0].focused);
  EXPECT_EQ(s.plugins[0].page, "Page2");
  EXPECT_EQ(s.plugins[0].height, 300);
  // The layer's own text binds to the focused page, the page's to its page, Page= wins.
  EXPECT_EQ(texts(s.plugins[0]), (std::vector<std::string>{"Day of Page2", "13:00", "14:00"}));
  EXPECT_EQ(s.plugins[1].top, 300);
  EXPECT_EQ(s.plugins[1].height, 60);
  EXPECT_EQ(texts(s.plugins[1]), (std::vector<std::string>{"Clock"}));
  EXPECT_EQ(s.softKey2, "Config.");
  EXPECT_EQ(s.selectionColor, "#123456");
  // The list fills the screen above the soft keys.
  EXPECT_EQ(s.listHeight + s.softKeyHeight, 800);

  Screen other = build("Clock", "");
  EXPECT_FALSE(other.plugins[0].focused);
  EXPECT_EQ(texts(other.plugins[0]), (std::vector<std::string>{"14:00"}));  // CondensedPage
  EXPECT_EQ(texts(other.plugins[1]), (std::vector<std::string>{"Big clock"}));
  EXPECT_EQ(other.softKey2, "");
}

TEST_F(HomeScreenViewTest, FocusFarDownIsScrolledIntoViewAndUnknownPluginsAreRows) {
  order("ZelkoToday;A;B;C;D;E;F;G;H;I;J;K;L;Clock");
  Screen s = build("Clock", "");
  const DrawnPlugin& last = s.plugins.back();
  EXPECT_TRUE(last.focused);
  EXPECT_EQ(s.scroll, last.top + last.height - s.listHeight);
  EXPECT_FALSE(s.plugins[1].hasLayers);  // "A" has no block: drawn as a row with its name
  EXPECT_GT(s.plugins[1].height, 0);
  EXPECT_EQ(build("ZelkoToday", "Page1").scroll, 0);
}

TEST_F(HomeScreenViewTest, ImagesOnlyWhenTheDeviceHasTheFileAndValuesFromTheDataSource) {
  std::ofstream(hostFile("\\Program Files\\ZelkoToday\\batt.png")) << "png";
  set(std::string(kToday) + "\\Page2", "BattPNG", "\\program files\\zelkotoday\\BATT.png");
  Screen s = build("ZelkoToday", "Page2");
  const auto& image = s.plugins[0].elements.back();
  EXPECT_EQ(image.imagePath, "\\program files\\zelkotoday\\BATT.png");
  EXPECT_NE(image.imageVersion, 0);
  for (const char* missing : {"\\Program Files\\ZelkoToday\\gone.png", "\\Program Files", ""}) {
    set(std::string(kToday) + "\\Page2", "BattPNG", missing);
    EXPECT_EQ(build("ZelkoToday", "Page2").plugins[0].elements.back().imagePath, "") << missing;
  }
  // A plugin whose values live elsewhere names the key in DataSource.
  set(kToday, "DataSource", "Software\\Elsewhere");
  set("Software\\Elsewhere\\Page2", "Time", "15:00");
  EXPECT_EQ(texts(build("ZelkoToday", "Page2").plugins[0])[1], "15:00");
}

TEST_F(HomeScreenViewTest, ValuesReachTheHtmlAsTextOnly) {
  const std::string hostile = "<script>alert(\"x\")</script> & 'q'\x01\xff";
  set(std::string(kToday) + "\\Page2", "Time", hostile + "\nline 2");
  order("ZelkoToday;Clock;<img src=x onerror=alert(1)>");
  std::ofstream(hostFile("\\Windows\\a&b\"<c>.png")) << "png";
  set(std::string(kToday) + "\\Page2", "BattPNG", "\\Windows\\a&b\"<c>.png");
  Screen s = device::home::buildScreen(platform(), &layout_, "bad <b>layout</b>", {"ZelkoToday", "Page2"}, order_);
  std::string html = device::home::renderScreen(s);
  EXPECT_EQ(html.find("<script"), std::string::npos) << html;
  EXPECT_EQ(html.find("<img src=x"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; &#39;q&#39; \xEF\xBF\xBD<br>line 2"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("data-plugin=\"&lt;img src=x onerror=alert(1)&gt;\""), std::string::npos);
  EXPECT_NE(html.find("src=\"/image?path=%5CWindows%5Ca%26b%22%3Cc%3E.png&amp;v="), std::string::npos) << html;
  EXPECT_NE(html.find("bad &lt;b&gt;layout&lt;/b&gt;"), std::string::npos);
}

}  // namespace
}  // namespace zelko::testing
