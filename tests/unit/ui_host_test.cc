// Dialogs shown by a connected browser view: the program records its dialog, the view
// (here a window of the test and a second thread playing the person) reads it and writes
// the answer; a queued answer still comes first, and with no browser nothing is recorded.
#include <atomic>
#include <thread>

#include "platform/sim/sim_ui.h"
#include "platform/sim/ui_answers.h"
#include "platform/sim/ui_host.h"
#include "tests/unit/device_fixture.h"

namespace zelko::testing {
namespace {

using platform::sim::DialogKind;
using platform::sim::OpenDialog;
using std::chrono::milliseconds;

class UiHostTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    platform::Windows& windows = platform().windows();
    auto view = [this](const platform::Message& m) -> int64_t {
      return m.message == platform::sim::kWmUiHostBrowsers ? browsers_.load() : 0;
    };
    ASSERT_TRUE(windows.registerClass(platform::sim::kUiHostClass, view).ok());
    ASSERT_TRUE(windows.createWindow(platform::sim::kUiHostClass, "view").ok());
  }

  // The person at the browser: waits for a dialog, notes its content in `shown` and
  // answers `answer`. Runs beside the program's call.
  std::thread person(const std::string& answer, std::string* shown = nullptr) {
    return std::thread([this, answer, shown] {
      for (int i = 0; i < 500; ++i) {
        auto open = device().uiHost().openDialogs();
        if (open.ok() && !open->empty()) {
          if (shown) *shown = open->front().body;
          EXPECT_TRUE(device().uiHost().answer(open->front().id, answer).ok());
          return;
        }
        std::this_thread::sleep_for(milliseconds(10));
      }
      ADD_FAILURE() << "no dialog was shown in the browser";
    });
  }

  std::vector<OpenDialog> openDialogs() {
    auto open = device().uiHost().openDialogs();
    EXPECT_TRUE(open.ok());
    return open.ok() ? *open : std::vector<OpenDialog>{};
  }

  std::atomic<int> browsers_{1};
};

TEST_F(UiHostTest, EachDialogShowsItsContentAndTakesTheAnswer) {
  std::string shown;
  std::thread answering = person("yes", &shown);
  EXPECT_TRUE(platform().ui().askYesNo("Panels", "Enable <Page4> \"now\""));
  answering.join();
  EXPECT_EQ(shown, R"({"caption":"Panels","text":"Enable <Page4> \"now\""})");
  EXPECT_TRUE(openDialogs().empty());
  auto dialogs = journalEvents("dialog");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_NE(dialogs[0].find(R"("answer":"yes")"), std::string::npos);

  // A menu shows its tree and point and takes a label path; no label chooses nothing.
  std::vector<platform::MenuItem> items = {{"Call <Anna>", 100, {}}, {"Text", 0, {{"See you", 101, {}}}}};
  answering = person("Text > See you", &shown);
  EXPECT_EQ(platform().ui().popupMenu(items, 40, 300, milliseconds(20000)), 101);
  answering.join();
  EXPECT_EQ(shown, R"({"items":[{"label":"Call <Anna>","id":100},{"label":"Text","items":[)"
                   R"({"label":"See you","id":101}]}],"x":40,"y":300})");
  answering = person("");
  EXPECT_EQ(platform().ui().popupMenu(items, 0, 0, milliseconds(20000)), std::nullopt);
  answering.join();

  // The chooser lists the numbers and takes one.
  platform::NewContact anna;
  anna.contact.firstName = "Anna";
  anna.contact.lastName = "Smith";
  anna.contact.mobilePhone = "+33 6";
  auto added = platform().items().addContacts({anna});
  ASSERT_TRUE(added.ok());
  std::string oid = std::to_string((*added)[0]);
  answering = person(oid + " +33 6", &shown);
  auto picked = platform().ui().chooseContact();
  answering.join();
  EXPECT_EQ(shown, R"({"contacts":[{"oid":)" + oid + R"js(,"name":"Smith, Anna (mobile)","number":"+33 6"}]})js");
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->number, "+33 6");
}

TEST_F(UiHostTest, AnswerQueuedWhileTheBrowserShowsTheMenuComesFirst) {
  std::vector<platform::MenuItem> items = {{"Call", 100, {}}, {"Mark", 101, {}}};
  std::thread queuing([&] {
    for (int i = 0; i < 500 && openDialogs().empty(); ++i) std::this_thread::sleep_for(milliseconds(10));
    EXPECT_TRUE(device().uiAnswers().push(DialogKind::kMenu, "Mark").ok());
  });
  EXPECT_EQ(platform().ui().popupMenu(items, 0, 0, milliseconds(20000)), 101);
  queuing.join();
  EXPECT_TRUE(openDialogs().empty());
}

TEST_F(UiHostTest, WithoutABrowserTheDeviceRulesStand) {
  browsers_ = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform().ui().askYesNo("Panels", "Enable Page4"));  // no terminal: No at once
  EXPECT_FALSE(platform().ui().chooseContact());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(openDialogs().empty());
}

}  // namespace
}  // namespace zelko::testing
