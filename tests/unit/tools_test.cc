// The setup tool's rules that the end-to-end tests cannot see from outside: the order of
// the registration's writes and removals, the page list it rebuilds, and how a layout
// file is read against the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZelkoTools/panels.h"
#include "ZelkoTools/registration.h"
#include "ZelkoTools/tools.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/sim/ui_answers.h"
#include "platform/testing/wrappers.h"
#include "tests/unit/device_fixture.h"

namespace zelko::tools {
namespace {

namespace pt = platform::testing;
using platform::RegValue;
using platform::Root;
using platform::Status;

class RecordingRegistry : public pt::RegistryWrapper {
 public:
  using RegistryWrapper::RegistryWrapper;
  Status setValue(Root root, std::string_view key, std::string_view name, const RegValue& value) override {
    std::string page(key.substr(std::min(key.size(), host::kPluginKey.size() + 1)));
    written.push_back((page.empty() ? "" : page + " ") + std::string(name));
    return RegistryWrapper::setValue(root, key, name, value);
  }
  std::vector<std::string> written;
};

class RecordingPlatform : public pt::PlatformWrapper {
 public:
  explicit RecordingPlatform(platform::Platform& target)
      : PlatformWrapper(target), registry_(target.registry()) {}
  platform::Registry& registry() override { return registry_; }
  RecordingRegistry registry_;
};

class ToolsTest : public testing::DeviceTest {
 protected:
  void answer(const char* yesOrNo) {
    ASSERT_TRUE(device().uiAnswers().push(platform::sim::DialogKind::kQuestion, yesOrNo).ok());
  }
  std::string pages() {
    auto v = platform().registry().getValue(Root::kLocalMachine, host::kPluginKey, "Pages");
    return v.ok() ? v->text : "<missing>";
  }
  // Sets the list, answers the question, and switches `page`; the exit code.
  int panel(const std::string& list, const char* yesOrNo, const std::string& page) {
    EXPECT_TRUE(platform().registry().setValue(Root::kLocalMachine, host::kPluginKey, "Pages",
                                               RegValue::Text(list)).ok());
    answer(yesOrNo);
    Suite suite(platform());
    return switchPanel(suite, page);
  }
  std::string question() {
    auto dialogs = journalEvents("dialog");
    if (dialogs.empty()) return "";
    const std::string& last = dialogs.back();
    size_t at = last.find("\"text\":\"") + 8;
    return last.substr(at, last.find('"', at) - at);
  }
};

TEST_F(ToolsTest, InstallWritesInItsOrder) {
  RecordingPlatform recording(platform());
  Suite suite(recording);
  suite.settings().startUp(kToolsProgram.name, kToolsProgram.build, std::vector<std::string>{"x", "-install"});
  recording.registry_.written.clear();
  install(suite);
  std::vector<std::string> want = {"Width", "Height", "LocName", "Layout", "DataSource", "Updated",
                                   "Pages", "GUID", "clock", "clockA", "clockO", "clockAO", "sys",
                                   "batt", "meteo", "cal", "CondensedPage PluginLabel"};
  for (std::string page : {"Page1", "Page2", "Page3", "Page4", "Page5"}) {
    for (const char* name : {" ACTIONURL", " ACTIONURLPNX", " SK2URL", " SK2TEXT"}) want.push_back(page + name);
    if (page == "Page1") want.insert(want.end(), {"Page1 CalPNG", "Page1 SysPNG"});
  }
  EXPECT_EQ(recording.registry_.written, want);
}

TEST_F(ToolsTest, PanelsRebuildsTheListInItsFixedOrder) {
  EXPECT_EQ(panel("Page1;Page2;Page3;Page5", "yes", "Page4"), 1);
  EXPECT_EQ(question(), "Enable Page4");
  EXPECT_EQ(pages(), "Page1;Page2;Page3;Page4;Page5");
  EXPECT_EQ(panel("Page1;Page2;Page3;Page5", "yes", "Page3"), 1);
  EXPECT_EQ(question(), "Disable Page3");
  EXPECT_EQ(pages(), "Page1;Page2;Page5");
  EXPECT_EQ(panel("Page1;Page2;Page5", "no", "Page5"), 0);
  EXPECT_EQ(pages(), "Page1;Page2;Page5");
  // A name of no optional page: the list is only put in order, other names dropped.
  EXPECT_EQ(panel("Page1;Extra;Page2;Page5", "yes", "Page9"), 1);
  EXPECT_EQ(question(), "Enable Page9");
  EXPECT_EQ(pages(), "Page1;Page2;Page5");
  // No value is found everywhere: "Disable " and every optional page goes.
  EXPECT_EQ(panel("Page1;Page2;Page3;Page4", "yes", ""), 1);
  EXPECT_EQ(question(), "Disable ");
  EXPECT_EQ(pages(), "Page1;Page2");
  ASSERT_TRUE(platform().registry().deleteValue(Root::kLocalMachine, host::kPluginKey, "Pages").ok());
  answer("yes");
  Suite suite(platform());
  EXPECT_EQ(switchPanel(suite, "Page3"), 1);
  EXPECT_EQ(pages(), "Page1;Page2;Page3");
}

TEST(LayoutCheck, AFittingLineHoldsAllThreeTextsInOneRead) {
  EXPECT_TRUE(layoutFits("<?xml?>\n<layout screenHeight=\"800\" x=\"1\" screenWidth=\"480\">\n", 480, 800));
  EXPECT_FALSE(layoutFits("<layout screenWidth=\"480\" screenHeight=\"800\">", 800, 480));
  EXPECT_FALSE(layoutFits("<layout screenWidth=\"480\"\nscreenHeight=\"800\">", 480, 800));
  EXPECT_FALSE(layoutFits("<layout screenWidth=480 screenHeight=800>", 480, 800));
  EXPECT_FALSE(layoutFits("<Layout screenWidth=\"480\" screenHeight=\"800\">", 480, 800));
  // The reader takes 254 characters at a time: a line longer than that is seen in pieces.
  const std::string texts = "<layout screenWidth=\"480\" screenHeight=\"800\">";
  EXPECT_TRUE(layoutFits(std::string(254 - texts.size(), ' ') + texts, 480, 800));
  EXPECT_FALSE(layoutFits(std::string(257 - texts.size(), ' ') + texts, 480, 800));  // cut in "800"
  EXPECT_TRUE(layoutFits(std::string(254, ' ') + texts, 480, 800));
}

}  // namespace
}  // namespace zelko::tools
