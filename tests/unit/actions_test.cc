#include "common/actions.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

SpecialFolders phoneFolders() {
  return {"\\Program Files", "\\Windows", "\\My Documents\\My Music", "\\My Documents\\My Video",
          "\\My Documents\\My Pictures"};
}

TEST(ExpandMacros, OrderCaseRepeatsAndLimit) {
  SpecialFolders f = phoneFolders();
  EXPECT_EQ(expandMacros("%ZELKOTODAY%\\ZelkoMenu.exe;ZelkoAction.mnu", f),
            "\\Program Files\\ZelkoToday\\ZelkoMenu.exe;ZelkoAction.mnu");
  EXPECT_EQ(expandMacros("%ZELKODECK%|%MYMUSIC%|%MYVIDEO%|%MYPICTURES%", f),
            "\\Program Files\\ZelkoDeck|\\My Documents\\My Music|\\My Documents\\My Video|"
            "\\My Documents\\My Pictures");
  EXPECT_EQ(expandMacros("%WINDOWS%%WINDOWS%", f), "\\Windows\\Windows");
  EXPECT_EQ(expandMacros("%windows% %TEMP% %WINDOWS", f), "%windows% %TEMP% %WINDOWS");
  EXPECT_EQ(expandMacros("%ZELKOTODAY%", SpecialFolders()), " \\ZelkoToday");

  std::string fits = "%WINDOWS%" + std::string(kMaxExpandedUnits - 8, 'x');
  EXPECT_EQ(platform::utf16Length(expandMacros(fits, f)), kMaxExpandedUnits);
  EXPECT_EQ(expandMacros(fits + "x", f), "");
}

TEST(ExpandMacros, InsertedTextIsNotExpandedAgain) {
  SpecialFolders f = phoneFolders();
  f.windows = "\\W%WINDOWS%";  // must neither loop nor grow
  EXPECT_EQ(expandMacros("%WINDOWS%;%WINDOWS%", f), "\\W%WINDOWS%;\\W%WINDOWS%");
  // Later macros do apply to what earlier ones inserted.
  f.programFiles = "%WINDOWS%";
  EXPECT_EQ(expandMacros("%PROGRAMFILES%", f), "\\W%WINDOWS%");
}

TEST(SplitAction, Separators) {
  // Action, program, arguments.
  for (const auto& [action, program, arguments] : std::vector<std::array<std::string, 3>>{
           {"ZelkoComm.exe;-bt:off -wifi:off", "ZelkoComm.exe", "-bt:off -wifi:off"},
           {"t.exe;-to \"1\";ignored", "t.exe", "-to \"1\""},
           {"a;b.exe|x;y|z", "a;b.exe", "x;y"},  // "|" wins
           {"p.exe;one two\r\nthree", "p.exe", "one two"},
           {";;p.exe;-a", "p.exe", "-a"},
           {"||;", ";", ""},
           {"\\Program Files\\My App\\p.exe", "\\Program Files\\My App\\p.exe", ""},
       }) {
    auto parts = splitAction(action);
    ASSERT_TRUE(parts) << action;
    EXPECT_EQ(parts->program + "|" + parts->arguments, program + "|" + arguments) << action;
  }
  EXPECT_FALSE(splitAction(""));
  EXPECT_FALSE(splitAction(";;;"));
  // Parts of more than 255 units are refused; text after the arguments does not count.
  std::string program(kMaxActionPartUnits, 'p');
  std::string arguments(kMaxActionPartUnits, 'a');
  EXPECT_TRUE(splitAction(program + ";" + arguments + ";" + std::string(600, 'r')));
  EXPECT_FALSE(splitAction(program + "p;" + arguments));
  EXPECT_FALSE(splitAction(program + ";" + arguments + "a"));
}

class RunActionTest : public testing::DeviceTest {
 protected:
  ActionRun run(std::string_view action, bool wait) { return suite_->runAction(action, wait); }
  void install(const std::string& name) {
    std::filesystem::copy_file("/bin/true", hostFile("\\Program Files\\ZelkoToday\\" + name));
  }
  void SetUp() override {
    DeviceTest::SetUp();
    suite_.emplace(platform());
    suite_->settings().startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe"});
  }
  // The cursor a program shows after the action: the one it had before.
  platform::Cursor cursorAfter() { return platform().ui().setCursor(platform::Cursor::kArrow); }
  std::optional<Suite> suite_;
};

TEST_F(RunActionTest, LaunchesSilentlyAndRestoresTheCursor) {
  install("ZelkoComm.exe");
  ActionRun r = run("%ZELKOTODAY%\\ZelkoComm.exe;-bt:off -wifi:off", true);
  EXPECT_EQ(r.expanded, "\\Program Files\\ZelkoToday\\ZelkoComm.exe;-bt:off -wifi:off");
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(cursorAfter(), platform::Cursor::kArrow);
  EXPECT_FALSE(run("%WINDOWS%\\missing.exe;-x", false).started);
  EXPECT_EQ(cursorAfter(), platform::Cursor::kArrow);
  EXPECT_FALSE(run(";;", false).started);
  EXPECT_FALSE(run(std::string(600, 'x'), false).started);

  auto launches = journalEvents("launch");  // the last two never reach the shell
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_NE(launches[0].find(R"("program":"\\Program Files\\ZelkoToday\\ZelkoComm.exe",)"
                             R"("params":"-bt:off -wifi:off")"),
            std::string::npos)
      << launches[0];
}

TEST_F(RunActionTest, BoundedWaitLeavesAHangingProgramRunning) {
  std::filesystem::path script = hostFile("\\Program Files\\ZelkoToday\\Hang.exe");
  {
    std::ofstream out(script);
    out << "#!/bin/sh\nsleep 5\n";
  }
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  ActionRun r = suite_->runAction("%ZELKOTODAY%\\Hang.exe;-x", true, std::chrono::milliseconds(200));
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.exitCode, std::nullopt);
}

}  // namespace
}  // namespace zelko
