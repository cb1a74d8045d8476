#include "common/actions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/suite.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

SpecialFolders phoneFolders() {
  SpecialFolders f;
  f.programFiles = "\\Program Files";
  f.windows = "\\Windows";
  f.myMusic = "\\My Documents\\My Music";
  f.myVideo = "\\My Documents\\My Video";
  f.myPictures = "\\My Documents\\My Pictures";
  return f;
}

TEST(ExpandMacros, ReplacesEveryMacroInOrder) {
  SpecialFolders f = phoneFolders();
  EXPECT_EQ(expandMacros("%ZELKOTODAY%\\ZelkoMenu.exe;ZelkoAction.mnu", f),
            "\\Program Files\\ZelkoToday\\ZelkoMenu.exe;ZelkoAction.mnu");
  EXPECT_EQ(expandMacros("%ZELKODECK%\\ZelkoDeck.exe", f),
            "\\Program Files\\ZelkoDeck\\ZelkoDeck.exe");
  EXPECT_EQ(expandMacros("%PROGRAMFILES%", f), "\\Program Files");
  EXPECT_EQ(expandMacros("%MYMUSIC%|%MYVIDEO%|%MYPICTURES%|%WINDOWS%", f),
            "\\My Documents\\My Music|\\My Documents\\My Video|"
            "\\My Documents\\My Pictures|\\Windows");
  EXPECT_EQ(expandMacros("%WINDOWS%%WINDOWS%", f), "\\Windows\\Windows");
}

TEST(ExpandMacros, LeavesUnknownAndMiswrittenMacros) {
  SpecialFolders f = phoneFolders();
  EXPECT_EQ(expandMacros("%windows%\\x %TEMP% %WINDOWS", f), "%windows%\\x %TEMP% %WINDOWS");
  EXPECT_EQ(expandMacros("", f), "");
}

TEST(ExpandMacros, InsertedTextIsNotExpandedAgain) {
  SpecialFolders f = phoneFolders();
  // A folder whose name holds its own macro must not make the expansion loop or grow.
  f.windows = "\\W%WINDOWS%";
  EXPECT_EQ(expandMacros("%WINDOWS%;%WINDOWS%", f), "\\W%WINDOWS%;\\W%WINDOWS%");
  // Later macros still apply to what earlier ones inserted, which is what makes
  // %ZELKOTODAY% land under Program Files.
  f.programFiles = "%WINDOWS%";
  EXPECT_EQ(expandMacros("%PROGRAMFILES%", f), "\\W%WINDOWS%");
}

TEST(ExpandMacros, MissingFolderIsABlank) {
  SpecialFolders none;
  EXPECT_EQ(expandMacros("%ZELKOTODAY%\\x.exe", none), " \\ZelkoToday\\x.exe");
}

TEST(ExpandMacros, RefusesExpansionsBeyond519Units) {
  SpecialFolders f = phoneFolders();
  std::string fits = "%WINDOWS%" + std::string(kMaxExpandedUnits - 8, 'x');
  EXPECT_EQ(platform::utf16Length(expandMacros(fits, f)), kMaxExpandedUnits);
  EXPECT_EQ(expandMacros(fits + "x", f), "");
  // Units, not bytes: 260 characters of two bytes each fit.
  std::string accents;
  for (int i = 0; i < 260; ++i) accents += "\xC3\xA9";
  EXPECT_EQ(expandMacros(accents, f), accents);
}

TEST(SplitAction, SemicolonSeparatesProgramAndArguments) {
  auto parts = splitAction("ZelkoComm.exe;-bt:off -wifi:off");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->program, "ZelkoComm.exe");
  EXPECT_EQ(parts->arguments, "-bt:off -wifi:off");

  parts = splitAction("\\Windows\\tmail.exe;-Service \"SMS\" -to \"123\";ignored");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->arguments, "-Service \"SMS\" -to \"123\"");
}

TEST(SplitAction, BarWinsOverSemicolon) {
  auto parts = splitAction("a;b.exe|x;y|z");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->program, "a;b.exe");
  EXPECT_EQ(parts->arguments, "x;y");
}

TEST(SplitAction, ArgumentsEndAtLineBreaks) {
  auto parts = splitAction("p.exe;one two\r\nthree");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->arguments, "one two");
  parts = splitAction("p.exe|one\ntwo|three");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->arguments, "one");
}

TEST(SplitAction, LeadingSeparatorsAndMissingParts) {
  auto parts = splitAction(";;p.exe;-a");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->program, "p.exe");
  EXPECT_EQ(parts->arguments, "-a");

  parts = splitAction("\\Program Files\\My App\\p.exe");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->program, "\\Program Files\\My App\\p.exe");
  EXPECT_EQ(parts->arguments, "");

  parts = splitAction("p.exe;");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->arguments, "");

  EXPECT_FALSE(splitAction(""));
  EXPECT_FALSE(splitAction(";;;"));
  EXPECT_FALSE(splitAction("|||"));
  // With "|" as the separator a semicolon is an ordinary character.
  EXPECT_EQ(splitAction("||;")->program, ";");
}

TEST(SplitAction, RefusesPartsLongerThan255Units) {
  std::string program(kMaxActionPartUnits, 'p');
  std::string arguments(kMaxActionPartUnits, 'a');
  EXPECT_TRUE(splitAction(program + ";" + arguments));
  EXPECT_FALSE(splitAction(program + "p;" + arguments));
  EXPECT_FALSE(splitAction(program + ";" + arguments + "a"));
  // Text after the arguments does not count.
  EXPECT_TRUE(splitAction(program + ";" + arguments + ";" + std::string(600, 'r')));
}

// Records the order of cursor changes and launches.
struct Recorder {
  std::vector<std::string> events;
};

class FakeUi : public platform::Ui {
 public:
  explicit FakeUi(Recorder& r) : r_(r) {}
  platform::Cursor setCursor(platform::Cursor c) override {
    r_.events.push_back(c == platform::Cursor::kWait ? "cursor:wait" : "cursor:arrow");
    platform::Cursor previous = current_;
    current_ = c;
    return previous;
  }
  void messageBox(const std::string&, const std::string&) override {}
  bool askYesNo(const std::string&, const std::string&) override { return false; }
  std::optional<int> popupMenu(const std::vector<platform::MenuItem>&, int, int,
                               std::chrono::milliseconds) override {
    return std::nullopt;
  }
  std::optional<platform::ContactChoice> chooseContact() override { return std::nullopt; }

 private:
  Recorder& r_;
  platform::Cursor current_ = platform::Cursor::kArrow;
};

class FakeShell : public platform::Shell {
 public:
  explicit FakeShell(Recorder& r) : r_(r) {}
  platform::Result<platform::ExecResult> execute(const platform::ExecRequest& q) override {
    r_.events.push_back("exec:" + q.file + "|" + q.params + (q.wait ? "|wait" : ""));
    if (fail) return platform::Status::NotFound(q.file);
    platform::ExecResult result;
    result.pid = 7;
    if (q.wait) result.exitCode = 3;
    return result;
  }
  std::string commandLine() override { return {}; }
  std::string modulePath() override { return {}; }
  platform::Result<std::string> specialFolder(platform::SpecialFolder) override {
    return platform::Status::NotFound("");
  }
  platform::Status runAtTime(std::string_view, std::optional<platform::DateTime>) override {
    return platform::Status::Ok();
  }
  bool fail = false;

 private:
  Recorder& r_;
};

TEST(RunAction, ShowsWaitCursorAroundTheLaunchAndRestoresIt) {
  Recorder r;
  FakeUi ui(r);
  FakeShell shell(r);
  ActionRun run = runAction(shell, ui, phoneFolders(), "%WINDOWS%\\tmail.exe;-to 1", true);
  EXPECT_EQ(run.expanded, "\\Windows\\tmail.exe;-to 1");
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(r.events, (std::vector<std::string>{
                          "cursor:wait", "exec:\\Windows\\tmail.exe|-to 1|wait", "cursor:arrow"}));
}

TEST(RunAction, FailuresAreSilentAndRestoreTheCursor) {
  Recorder r;
  FakeUi ui(r);
  FakeShell shell(r);
  shell.fail = true;
  ActionRun run = runAction(shell, ui, phoneFolders(), "missing.exe", false);
  EXPECT_FALSE(run.started);
  EXPECT_EQ(r.events,
            (std::vector<std::string>{"cursor:wait", "exec:missing.exe|", "cursor:arrow"}));

  // Nothing to run: no cursor change, no launch.
  r.events.clear();
  EXPECT_FALSE(runAction(shell, ui, phoneFolders(), ";;", false).started);
  EXPECT_FALSE(runAction(shell, ui, phoneFolders(), std::string(600, 'x'), false).started);
  EXPECT_TRUE(r.events.empty());
}

class RunActionDeviceTest : public testing::DeviceTest {};

TEST_F(RunActionDeviceTest, LaunchesThroughTheDeviceShell) {
  Suite suite(platform());
  suite.settings().startUp("ZelkoSms", 160, std::vector<std::string>{"ZelkoSms.exe"});
  std::filesystem::path program = hostFile("\\Program Files\\ZelkoToday\\ZelkoComm.exe");
  std::filesystem::copy_file("/bin/true", program);

  ActionRun run = suite.runAction("%ZELKOTODAY%\\ZelkoComm.exe;-bt:off -wifi:off", true);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0);
  auto launches = journalEvents("launch");
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_NE(launches[0].find(R"("program":"\\Program Files\\ZelkoToday\\ZelkoComm.exe")"),
            std::string::npos)
      << launches[0];
  EXPECT_NE(launches[0].find(R"("params":"-bt:off -wifi:off")"), std::string::npos)
      << launches[0];
}

}  // namespace
}  // namespace zelko
