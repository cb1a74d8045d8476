// Navigation commands: the words, the key steps they plan from the home screen's layout
// and page list, and the messages that reach the home screen's focus window.
#include "ZelkoMenu/navigation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko::menu {
namespace {

constexpr std::string_view kLayout =
    "<Plugins Order=\"Clock;ZelkoToday;Home;Music\" CPRFileName=\"Titanium\" />";
constexpr std::string_view kPages = "Page1;Page2;Page3";

// The plan as one line: "v+2 h-1 repaint ok".
std::string planOf(std::string_view words, std::string_view layout = kLayout,
                   std::string_view pages = kPages) {
  NavigationPlan plan = planNavigation(parseNavigationWords(words), layout, pages);
  std::string out;
  for (const KeyStep& step : plan.steps) {
    out += (step.vertical ? "v" : "h") + std::string(step.count >= 0 ? "+" : "") +
           std::to_string(step.count) + " ";
  }
  out += plan.repaint ? "repaint " : "";
  out += plan.succeeded ? "ok" : "failed";
  return out;
}

TEST(NavigationPlan, PagesAndPlugins) {
  // Runs of blanks separate the words; a fifth is ignored.
  EXPECT_EQ(planOf("  Page3   ZelkoToday Page1 ZelkoToday extra"), "h+2 repaint ok");
  EXPECT_EQ(planOf("Left3 ZelkoToday Page1 ZelkoToday"), "h-3 repaint ok");
  EXPECT_EQ(planOf("Right0 ZelkoToday Page1 ZelkoToday"), "h+0 repaint ok");
  EXPECT_EQ(planOf("Left ZelkoToday Page1 ZelkoToday"), "h-1 repaint ok");
  // A count beyond any home screen is cut, never sent as billions of keys.
  EXPECT_EQ(planOf("Right99999999999 ZelkoToday Page1 ZelkoToday"), "h+100 repaint ok");
  EXPECT_EQ(planOf("Left-2147483648 ZelkoToday Page1 ZelkoToday"), "h+100 repaint ok");
  // Tests on the target word are independent: "PageLeft" is a page and a move.
  // The count of "Left" is read at the fifth character whatever comes before it.
  EXPECT_EQ(planOf("Page3Left Z Page1 Z", "", "Page1;Page3Left"), "h+1 h-3 repaint ok");
  // A plugin change starts from the first page; without a current plugin, at the first
  // plugin, Clock.
  EXPECT_EQ(planOf("Page2 ZelkoToday"), "v+1 h+1 repaint ok");
  EXPECT_EQ(planOf("Page3 ZelkoToday Page1 Music"), "v-2 h+2 repaint ok");
  EXPECT_EQ(planOf("Page1 Music Page3 ZelkoToday"), "v+2 repaint ok");
  EXPECT_EQ(planOf("Right Home Page2 Clock", kLayout, ""), "v+2 h+1 repaint ok");
}

TEST(NavigationPlan, FailuresSendNothingOrOnlyRepaint) {
  // A plugin missing from the layout, or a layout without a plugin list: nothing at all.
  EXPECT_EQ(planOf("Page2 Nowhere Page1 ZelkoToday"), "failed");
  EXPECT_EQ(planOf("Page2 ZelkoToday Page1 Nowhere"), "failed");
  EXPECT_EQ(planOf("Page2 ZelkoToday Page1 Clock", "Order=ZelkoToday;Clock"), "failed");
  EXPECT_EQ(planOf("Page2 ZelkoToday Page1 Clock", "Order=ZelkoToday;Clock"), "failed");
  EXPECT_EQ(planOf("Page2 ZelkoToday Page1 Clock", ""), "failed");
  // A target page, or a current page, missing from the page list: a repaint, no keys.
  EXPECT_EQ(planOf("Page9 ZelkoToday Page1 ZelkoToday"), "repaint failed");
  EXPECT_EQ(planOf("Page2 ZelkoToday Page7 ZelkoToday"), "repaint failed");
  EXPECT_EQ(planOf("Page2 ZelkoToday None ZelkoToday"), "repaint failed");
  // The vertical move already planned stays.
  EXPECT_EQ(planOf("Page9 Home Page1 Clock"), "v+2 repaint failed");
}

// The home screen's three windows in this process, the focus window recording what it
// receives.
class NavigateTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    auto& w = platform().windows();
    auto idle = [](const platform::Message&) -> int64_t { return 0; };
    ASSERT_TRUE(w.registerClass("DesktopExplorerWindow", idle).ok());
    ASSERT_TRUE(w.registerClass("CHSPlugin", idle).ok());
    ASSERT_TRUE(w.registerClass("Confetti", [this](const platform::Message& m) -> int64_t {
      got_.push_back(describe(m));
      return 0;
    }).ok());
    setText("Software\\Microsoft\\CHome", "ExtensibilityXML", std::string(kLayout));
    setText("Software\\Microsoft\\CHome\\ZelkoToday", "Pages", std::string(kPages));
  }
  void openHomeScreen() {
    auto& w = platform().windows();
    auto desktop = w.createWindow("DesktopExplorerWindow", "");
    ASSERT_TRUE(desktop.ok());
    auto plugin = w.createWindow("CHSPlugin", "", *desktop);
    ASSERT_TRUE(plugin.ok());
    ASSERT_TRUE(w.createWindow("Confetti", "", *plugin).ok());
  }
  void setText(const std::string& key, const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform().registry().setValue(platform::Root::kLocalMachine, key, name,
                                               platform::RegValue::Text(text)).ok());
  }
  static std::string describe(const platform::Message& m) {
    std::string key = std::to_string(m.wParam) + "/" + std::to_string(m.lParam);
    if (m.message == platform::kWmSetRedraw) return "redraw" + std::to_string(m.wParam);
    if (m.message == platform::kWmKeyDown) return "down" + key;
    if (m.message == platform::kWmKeyUp) return "up" + key;
    return m.message == platform::kWmPaint ? "paint" : std::to_string(m.message);
  }
  // Runs the navigation and lets the posted paint arrive.
  bool go(std::string_view words) {
    bool ok = navigate(platform().windows(), platform().registry(), words);
    for (int i = 0; i < 100 && !got_.empty() && got_.back() != "paint"; ++i) {
      platform().windows().pumpMessages(std::chrono::milliseconds(50));
    }
    return ok;
  }
  std::vector<std::string> got_;
};

TEST_F(NavigateTest, SendsTheKeysBetweenRedrawMessagesThenRepaints) {
  openHomeScreen();
  EXPECT_TRUE(go("Page3 ZelkoToday Page1 Clock"));
  // 0x28 down once (Clock to ZelkoToday), 0x27 right twice.
  EXPECT_EQ(got_, (std::vector<std::string>{"redraw0", "down40/0", "up40/0", "redraw1", "redraw0",
                                            "down39/0", "up39/0", "down39/0", "up39/0", "redraw1",
                                            "paint"}));
  got_.clear();
  EXPECT_TRUE(go("Left Clock Page2 ZelkoToday"));
  EXPECT_EQ(got_, (std::vector<std::string>{"redraw0", "down38/0", "up38/0", "redraw1", "redraw0", "down37/0",
                                            "up37/0", "redraw1", "paint"}));
  got_.clear();
  EXPECT_FALSE(go("Page2 Nowhere Page1 ZelkoToday"));
  EXPECT_TRUE(got_.empty());
  EXPECT_FALSE(go("Page9 ZelkoToday Page1 ZelkoToday"));  // a repaint, and no keys
  for (int i = 0; i < 100 && got_.empty(); ++i) platform().windows().pumpMessages(std::chrono::milliseconds(50));
  EXPECT_EQ(got_, std::vector<std::string>{"paint"});
}

}  // namespace
}  // namespace zelko::menu
