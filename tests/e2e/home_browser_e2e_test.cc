// The served home screen in a real browser (headless Chromium through chromedriver): what a
// person sees after start, a change arriving without reload, arrow keys and swipes, a
// birthday's popup menu opened and answered in the page, the setup tool's question box.
// Skipped when chromium or chromedriver is not installed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "tests/e2e/home_fixture.h"
#include "tests/e2e/web_driver.h"

namespace zelko::testing {
namespace {

class HomeInBrowser : public HomeDeviceTest {
 protected:
  // One browser for the suite: starting Chromium costs more than a test.
  static void SetUpTestSuite() {
    char scratch[] = "/tmp/zelko-browser-XXXXXX";
    if (!mkdtemp(scratch)) {
      whyNoBrowser_ = "no scratch folder for the browser";
      return;
    }
    scratch_ = scratch;
    browser_ = Browser::start(scratch_, &whyNoBrowser_);
  }
  static void TearDownTestSuite() {
    browser_.reset();
    std::error_code ignored;
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
  }

  void SetUp() override {
    if (!browser_) GTEST_SKIP() << whyNoBrowser_;
    HomeDeviceTest::SetUp();
  }

  // Starts the engine and the server and opens the page in the browser.
  void openHome() {
    startEngine();
    served_ = std::make_unique<ServedHome>(dir() / "device");
    ASSERT_NE(served_->port(), 0) << served_->output();
    ASSERT_TRUE(browser_->open("http://127.0.0.1:" + std::to_string(served_->port()) + "/")) << browser_->error();
    ASSERT_TRUE(browser_->waitUntil("document.getElementById('status').textContent.startsWith('live')"))
        << browser_->text("return document.body.innerText;");
  }
  void TearDown() override {
    if (served_) {
      EXPECT_EQ(served_->stop(), 0) << served_->output();
    }
    HomeDeviceTest::TearDown();
  }

  std::string focusedPage() { return browser_->text("return document.querySelector('.plugin.focused').dataset.page;"); }
  // Clicks the button of the open menu or box whose text is `label`.
  void clickButton(const std::string& label) {
    std::string index = browser_->text(
        "const all = [...document.querySelectorAll('#overlay button')];"
        "return String(all.findIndex((b) => b.firstChild.textContent === " + quoted(label) + ") + 1);");
    ASSERT_NE(index, "0") << label << " is not in " << browser_->text("return overlay.innerText;");
    ASSERT_TRUE(browser_->click("#overlay button:nth-of-type(" + index + ")")) << browser_->error();
  }
  static std::string quoted(const std::string& text) { return "'" + text + "'"; }
  std::string lastJournal(const std::string& event) {
    auto all = journalEvents(event);
    return all.empty() ? "<none>" : all.back();
  }

  static inline std::unique_ptr<Browser> browser_;
  static inline std::string whyNoBrowser_;
  static inline std::filesystem::path scratch_;
  std::unique_ptr<ServedHome> served_;
};

constexpr char kBattery[] = ".plugin.focused img[src*='battery_']";

TEST_F(HomeInBrowser, ShowsTheClockFollowsABatteryChangeWithoutReloadAndArrowsAndSwipesMove) {
  openHome();
  // The clock's digits and the battery, as pictures the browser could load, and the date.
  const char* loaded = "[...document.querySelectorAll('#display img')].every((i) => i.complete && i.naturalWidth > 0)";
  EXPECT_TRUE(browser_->waitUntil(loaded));
  std::string shown = browser_->text("return display.innerText;");
  EXPECT_NE(shown.find("42%"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Thursday 31 December"), std::string::npos) << shown;
  std::string clock = browser_->text(
      "return [...document.querySelectorAll('.plugin.focused img')].map((i) => decodeURIComponent(i.src))"
      ".filter((s) => s.includes('\\\\clock\\\\c')).map((s) => s.replace(/.*\\\\|&.*/g, '')).join(' ');");
  EXPECT_EQ(clock, "c2.png c3.png c5.png c9.png");

  ASSERT_TRUE(browser_->run("window.sameDocument = true; return 0;"));
  ASSERT_EQ(tool({"battery", "9", "--no-ac"}), 0);
  EXPECT_TRUE(browser_->waitUntil("document.querySelector(\"" + std::string(kBattery) + "\").src.includes('battery_1')"));
  EXPECT_TRUE(browser_->waitUntil("display.innerText.includes('9%')"));
  EXPECT_EQ(browser_->run("return window.sameDocument === true;"), "true") << "the page was reloaded";

  ASSERT_TRUE(browser_->press("\uE014")) << browser_->error();  // the right arrow
  EXPECT_TRUE(browser_->waitUntil("document.querySelector('.plugin.focused').dataset.page === 'Page2'"))
      << focusedPage();
  // A finger pulling the screen to the left shows the next page.
  std::string box = browser_->text(
      "const r = document.querySelector('.plugin.focused').getBoundingClientRect();"
      "return [r.left + r.width * 0.8, r.top + r.height / 2, r.left + r.width * 0.2].map(Math.round).join(',');");
  int x1 = 0, y = 0, x2 = 0;
  ASSERT_EQ(std::sscanf(box.c_str(), "%d,%d,%d", &x1, &y, &x2), 3) << box;
  ASSERT_TRUE(browser_->swipe(x1, y, x2, y)) << browser_->error();
  EXPECT_TRUE(browser_->waitUntil("document.querySelector('.plugin.focused').dataset.page === 'Page3'"))
      << focusedPage();
  std::string home;
  ASSERT_EQ(tool({"home"}, &home), 0);
  EXPECT_NE(home.find("page\tPage3"), std::string::npos) << home;
}

TEST_F(HomeInBrowser, ABirthdayOpensItsContactsMenuInThePageAndCallIsCarriedOut) {
  ASSERT_EQ(tool({"contacts", "add", "--first", "Anna", "--last", "Weber", "--mobile", "+33 6 12 34 56 78",
                  "--birthday", "1990-01-02"}),
            0);
  openHome();
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(browser_->press("\uE014")) << browser_->error();  // to Page5
  ASSERT_TRUE(browser_->waitUntil("document.querySelector('.plugin.focused').dataset.page === 'Page5'"))
      << focusedPage();
  // The birthdays provider fills the page; its first line opens the contact's menu.
  const std::string line = "[...document.querySelectorAll('.plugin.focused .el.t')].find((e) => e.innerText.includes('Anna'))";
  ASSERT_TRUE(browser_->waitUntil(line)) << browser_->text("return display.innerText;");
  std::string element = browser_->text("return " + line + ".dataset.el;");
  ASSERT_TRUE(browser_->click(".plugin.focused [data-el='" + element + "']")) << browser_->error();
  ASSERT_TRUE(browser_->waitUntil("!overlay.hidden && overlay.querySelector('.menu button')"))
      << lastJournal("tap") << lastJournal("launch");
  clickButton("CALL +33 6 12 34 56 78");
  EXPECT_TRUE(browser_->waitUntil("overlay.hidden"));
  EXPECT_TRUE(waitFor([&] { return lastJournal("call").find(R"("number":"+33 6 12 34 56 78")") != std::string::npos; }))
      << lastJournal("call");
}

TEST_F(HomeInBrowser, TheSetupToolsQuestionIsAnsweredInThePage) {
  openHome();
  auto run = platform().shell().execute(
      {"\\Program Files\\ZelkoToday\\ZelkoTools.exe", "-panels:Page4", false, std::chrono::milliseconds(-1)});
  ASSERT_TRUE(run.ok()) << run.status().message();
  ASSERT_TRUE(browser_->waitUntil("!overlay.hidden && overlay.querySelector('.box')"));
  EXPECT_EQ(browser_->text("return overlay.querySelector('.box p').textContent;"), "Disable Page4");
  clickButton("Yes");
  EXPECT_TRUE(waitFor([&] { return exitCodeOf(run->pid).has_value(); }));
  EXPECT_EQ(exitCodeOf(run->pid), 1);  // the list was changed
  EXPECT_EQ(platform().registry().getValue(platform::Root::kLocalMachine, "Software\\Microsoft\\CHome\\ZelkoToday", "Pages")->text,
            "Page1;Page2;Page3;Page5");
  EXPECT_TRUE(browser_->waitUntil("overlay.hidden"));
}

}  // namespace
}  // namespace zelko::testing
