// The home screen's focus and how its windows move it.
#include "platform/sim/home_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/home_host.h"
#include "tests/unit/device_fixture.h"

namespace zelko::platform::sim {
namespace {

class HomeScreenTest : public testing::DeviceTest {
 protected:
  void layout(const std::string& order) {
    set("Software\\Microsoft\\CHome", "ExtensibilityXML",
        "<Plugins Order=\"" + order + "\" CPRFileName=\"Titanium\" />");
  }
  void pagesOf(const std::string& plugin, const std::string& pages) {
    set("Software\\Microsoft\\CHome\\" + plugin, "Pages", pages);
  }
  void set(const std::string& key, const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform().registry().setValue(Root::kLocalMachine, key, name, RegValue::Text(text)).ok());
  }
  std::string at(HomeScreen& screen) {
    HomeFocus f = screen.focus();
    return f.plugin + "/" + f.page;
  }
  std::string press(HomeScreen& screen, HomeKey key) {
    auto moved = screen.move(key);
    EXPECT_TRUE(moved.ok());
    return moved.ok() ? moved->plugin + "/" + moved->page : "<failed>";
  }
};

TEST_F(HomeScreenTest, ArrowsMoveBetweenPluginsAndPagesAndStopAtTheEnds) {
  layout("Clock;ZelkoToday;;Music");
  pagesOf("ZelkoToday", "Page1;Page2;Page3");
  HomeScreen screen(platform().registry(), device().settings());
  ASSERT_TRUE(screen.reset().ok());
  EXPECT_EQ(at(screen), "Clock/");
  EXPECT_EQ(press(screen, HomeKey::kUp), "Clock/");
  EXPECT_EQ(press(screen, HomeKey::kRight), "Clock/");  // no pages
  EXPECT_EQ(press(screen, HomeKey::kDown), "ZelkoToday/Page1");
  EXPECT_EQ(press(screen, HomeKey::kRight), "ZelkoToday/Page2");
  EXPECT_EQ(press(screen, HomeKey::kRight), "ZelkoToday/Page3");
  EXPECT_EQ(press(screen, HomeKey::kRight), "ZelkoToday/Page3");
  EXPECT_EQ(press(screen, HomeKey::kLeft), "ZelkoToday/Page2");
  // The empty entry of the list is a place of its own, as navigation counts it.
  EXPECT_EQ(press(screen, HomeKey::kDown), "/");
  EXPECT_EQ(press(screen, HomeKey::kDown), "Music/");
  EXPECT_EQ(press(screen, HomeKey::kDown), "Music/");
  EXPECT_EQ(press(screen, HomeKey::kUp), "/");
  EXPECT_EQ(press(screen, HomeKey::kUp), "ZelkoToday/Page1");

  // Another process reads the same focus.
  HomeScreen reader(platform().registry(), device().settings());
  EXPECT_EQ(at(reader), "ZelkoToday/Page1");
  EXPECT_EQ(reader.pages("ZelkoToday"), (std::vector<std::string>{"Page1", "Page2", "Page3"}));
}

TEST_F(HomeScreenTest, FocusFollowsLayoutChanges) {
  layout("A;B;A");
  pagesOf("B", "Page1;Page2");
  HomeScreen screen(platform().registry(), device().settings());
  ASSERT_TRUE(screen.reset().ok());
  EXPECT_EQ(press(screen, HomeKey::kDown), "B/Page1");
  EXPECT_EQ(press(screen, HomeKey::kDown), "A/");
  EXPECT_EQ(press(screen, HomeKey::kUp), "B/Page1");  // the second A was where it was
  EXPECT_EQ(press(screen, HomeKey::kRight), "B/Page2");
  layout("C;B");  // B moved up: found again by its name
  EXPECT_EQ(at(screen), "B/Page2");
  pagesOf("B", "Page1;Page3");  // its page went away
  EXPECT_EQ(at(screen), "B/Page1");
  layout("C;D");  // B left the layout
  EXPECT_EQ(at(screen), "C/");
  set("Software\\Microsoft\\CHome", "ExtensibilityXML", "no layout");
  EXPECT_EQ(at(screen), "/");
  EXPECT_EQ(press(screen, HomeKey::kDown), "/");
}

TEST_F(HomeScreenTest, MovesAreDrawnOnlyWhileRedrawIsOn) {
  layout("ZelkoToday");
  pagesOf("ZelkoToday", "Page1;Page2;Page3");
  HomeScreen screen(platform().registry(), device().settings());
  ASSERT_TRUE(screen.reset().ok());
  std::vector<std::string> drawn;
  screen.setDrawListener([&](const HomeFocus& f) { drawn.push_back(f.page); });
  press(screen, HomeKey::kRight);
  screen.setRedraw(false);
  press(screen, HomeKey::kRight);
  press(screen, HomeKey::kLeft);
  screen.invalidate();  // not while drawing is off
  EXPECT_EQ(drawn, std::vector<std::string>{"Page2"});
  screen.setRedraw(true);
  EXPECT_EQ(drawn, (std::vector<std::string>{"Page2", "Page2"}));
  screen.setRedraw(false);
  screen.setRedraw(true);  // nothing changed meanwhile
  press(screen, HomeKey::kLeft);
  press(screen, HomeKey::kLeft);  // at the end: no change, no drawing
  screen.invalidate();
  EXPECT_EQ(drawn, (std::vector<std::string>{"Page2", "Page2", "Page1", "Page1"}));
}

class HomeScreenHostTest : public HomeScreenTest {
 protected:
  void send(uint32_t message, uint64_t wParam) {
    WindowHandle focus = platform().windows().findChildWindow(
        platform().windows().findChildWindow(platform().windows().findWindow("DesktopExplorerWindow"),
                                             "CHSPlugin"),
        "Confetti");
    ASSERT_NE(focus, 0u);
    ASSERT_TRUE(platform().windows().sendMessage({focus, message, wParam, 0}).ok());
  }
};

TEST_F(HomeScreenHostTest, KeysMoveTheFocusAndGoToTheJournal) {
  layout("ZelkoToday;Clock");
  pagesOf("ZelkoToday", "Page1;Page2");
  {
    HomeScreenHost host(device());
    ASSERT_TRUE(host.start().ok());
    HomeScreenHost second(device());
    EXPECT_EQ(second.start().code(), Status::Code::kInvalid);
    send(kWmSetRedraw, 0);
    send(kWmKeyDown, kVkRight);
    send(kWmKeyUp, kVkRight);
    send(kWmKeyDown, 0x0D);  // not an arrow: journalled, no move
    send(kWmSetRedraw, 1);
    send(kWmKeyDown, kVkDown);
    EXPECT_EQ(at(host.screen()), "Clock/");
    EXPECT_EQ(journalEvents("redraw").size(), 2u);
    std::vector<std::string> keys;
    for (const std::string& e : journalEvents("key")) keys.push_back(e.substr(e.find("\"key\":")));
    EXPECT_EQ(keys, (std::vector<std::string>{
                        R"("key":"right","plugin":"ZelkoToday","page":"Page2"})",
                        R"("key":"0x0d","plugin":"ZelkoToday","page":"Page2"})",
                        R"("key":"down","plugin":"Clock","page":""})"}));
  }
  // The windows go with the host.
  EXPECT_EQ(platform().windows().findWindow("DesktopExplorerWindow"), 0u);
}

}  // namespace
}  // namespace zelko::platform::sim
