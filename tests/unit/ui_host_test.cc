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
    ASSERT_TRUE(windows
                    .registerClass(platform::sim::kUiHostClass,
                                   [this](const platform::Message& m) -> int64_t {
                                     return m.message == platform::sim::kWmUiHostBrowsers ? browsers_.load() : 0;
                                   })
                    .ok());
    ASSERT_TRUE(windows.createWindow(platform::sim::kUiHostClass, "view").ok());
  }

  // The person at the browser: waits for a dialog, hands it to `look`, answers with
  // what that returns. Runs beside the program's call.
  std::thread person(std::function<std::string(const OpenDialog&)> look) {
    return std::thread([this, look] {
      for (int i = 0; i < 500; ++i) {
        auto open = device().uiHost().openDialogs();
        if (open.ok() && !open->empty()) {
          const OpenDialog dialog = open->front();
          EXPECT_TRUE(device().uiHost().answer(dialog.id, look(dialog)).ok());
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

TEST_F(UiHostTest, QuestionAnsweredInTheBrowserThenGone) {
  std::string shown;
  std::thread answering = person([&](const OpenDialog& d) {
    EXPECT_EQ(d.kind, DialogKind::kQuestion);
    shown = d.body;
    return "yes";
  });
  EXPECT_TRUE(platform().ui().askYesNo("Panels", "Enable <Page4> \"now\""));
  answering.join();
  EXPECT_EQ(shown, R"({"caption":"Panels","text":"Enable <Page4> \"now\""})");
  EXPECT_TRUE(openDialogs().empty());
  auto dialogs = journalEvents("dialog");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_NE(dialogs[0].find(R"("answer":"yes")"), std::string::npos);
}

TEST_F(UiHostTest, MenuShowsItsTreeAndPointAndTakesALabelPath) {
  std::vector<platform::MenuItem> items = {{"Call <Anna>", 100, {}}, {"Text", 0, {{"See you", 101, {}}}}};
  std::string shown;
  std::thread answering = person([&](const OpenDialog& d) {
    shown = d.body;
    return "Text > See you";
  });
  EXPECT_EQ(platform().ui().popupMenu(items, 40, 300, milliseconds(20000)), 101);
  answering.join();
  EXPECT_EQ(shown, R"({"items":[{"label":"Call <Anna>","id":100},{"label":"Text","items":[)"
                   R"({"label":"See you","id":101}]}],"x":40,"y":300})");
  // A tap beside the menu answers with no label: nothing is chosen.
  std::thread beside = person([](const OpenDialog&) { return ""; });
  EXPECT_EQ(platform().ui().popupMenu(items, 0, 0, milliseconds(20000)), std::nullopt);
  beside.join();
}

TEST_F(UiHostTest, ChooserListsTheNumbersAndTakesOne) {
  platform::NewContact anna;
  anna.contact.firstName = "Anna";
  anna.contact.lastName = "Smith";
  anna.contact.mobilePhone = "+33 6";
  auto added = platform().items().addContacts({anna});
  ASSERT_TRUE(added.ok());
  std::string oid = std::to_string((*added)[0]);
  std::string shown;
  std::thread answering = person([&](const OpenDialog& d) {
    shown = d.body;
    return oid + " +33 6";
  });
  auto picked = platform().ui().chooseContact();
  answering.join();
  EXPECT_EQ(shown, R"({"contacts":[{"oid":)" + oid + R"js(,"name":"Smith, Anna (mobile)","number":"+33 6"}]})js");
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->number, "+33 6");
}

TEST_F(UiHostTest, QueuedAnswersComeFirstEvenWhileTheBrowserShowsTheDialog) {
  ASSERT_TRUE(device().uiAnswers().push(DialogKind::kQuestion, "no").ok());
  EXPECT_FALSE(platform().ui().askYesNo("Panels", "Enable Page4"));
  EXPECT_TRUE(openDialogs().empty());

  std::vector<platform::MenuItem> items = {{"Call", 100, {}}, {"Mark", 101, {}}};
  std::thread queuing([&] {
    for (int i = 0; i < 500 && openDialogs().empty(); ++i) std::this_thread::sleep_for(milliseconds(10));
    EXPECT_TRUE(device().uiAnswers().push(DialogKind::kMenu, "Mark").ok());
  });
  EXPECT_EQ(platform().ui().popupMenu(items, 0, 0, milliseconds(20000)), 101);
  queuing.join();
  EXPECT_TRUE(openDialogs().empty());
}

TEST_F(UiHostTest, UnansweredMenuClosesAtItsTimeOutAndALateAnswerFindsNothing) {
  std::vector<platform::MenuItem> items = {{"Call", 100, {}}};
  EXPECT_EQ(platform().ui().popupMenu(items, 0, 0, milliseconds(200)), std::nullopt);
  EXPECT_TRUE(openDialogs().empty());
  EXPECT_EQ(device().uiHost().answer(1, "Call").code(), platform::Status::Code::kNotFound);
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
