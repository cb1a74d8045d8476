// Every numbered error of the plugin installer, as a caller meets it: the number and text
// in the status record, the message boxes, and a layout file and home screen left whole.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "device/phone_defaults.h"
#include "tests/e2e/varn_fixture.h"

namespace zelko::testing {
namespace {

using platform::Root;

// A file name so long that no temporary name beside it fits: the file reads, but cannot be
// replaced.
const std::string kUnreplaceable = "\\Windows\\" + std::string(248, 'L') + ".cpr";

class InstallerErrors : public InstallerTest {
 public:
  struct Case {
    const char* what;
    std::function<void(InstallerErrors&)> setUp;
    std::string params;
    const char* text;
  };

  // Runs each case on a fresh home screen, checks what it leaves, and puts back what its
  // set-up changed.
  void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + ": " + c.params);
      const std::string original = readDeviceFile(kPortraitLayout);
      if (c.setUp) c.setUp(*this);
      const std::string layout = readDeviceFile(kPortraitLayout);
      const std::string ext = home("ExtensibilityXML"), def = home("DefaultXML"), plugins = home("Plugins");
      const size_t boxes = dialogs().size();
      runInstaller(c.params);
      const std::string number = std::string(c.text).substr(1, std::string(c.text).find(' ') - 1);
      EXPECT_EQ(status("ErrorNumber"), number);
      EXPECT_EQ(status("ErrorDescription"), c.text);
      EXPECT_EQ(dialogs().size(), boxes + 1 + (std::stoi(number) < 50 || number == "101" ? 1 : 0));
      EXPECT_EQ(dialogs().back(), c.text);
      EXPECT_EQ(readDeviceFile(kPortraitLayout), layout);
      EXPECT_EQ(home("ExtensibilityXML"), ext);
      EXPECT_EQ(home("DefaultXML"), def);
      EXPECT_EQ(home("Plugins"), plugins);
      EXPECT_EQ(status("VARNhasChangedSomething"), "1");
      restore(original);
    }
  }

  void restore(const std::string& layout) {
    writeDeviceFile(kPortraitLayout, layout);
    ASSERT_TRUE(zelko::device::writePhoneDefaults(platform(), 480, 800).ok());
    std::error_code ignored;
    std::filesystem::remove_all(hostFile(kPortraitTemp), ignored);
  }

  void withDefinition(const std::string& text) { writeDeviceFile("\\W.plg", text); }
  // The temporary file cannot be written where a folder of its name stands.
  void blockTemp() {
    std::filesystem::create_directories(hostFile(kPortraitTemp) / "inside");
  }
  void breakBlockOf(const std::string& name) {
    std::string layout = readDeviceFile(kPortraitLayout);
    layout.replace(layout.find(name + "Condensed"), name.size() + 9, name + "Folded");
    writeDeviceFile(kPortraitLayout, layout);
  }
  // Written beside the device's own writer, which cannot place such a name either.
  void copyLayoutTo(const std::string& path) {
    std::ofstream(hostFile(path), std::ios::binary) << readDeviceFile(kPortraitLayout);
  }
};

TEST_F(InstallerErrors, CommandLineAndLayoutChoice) {
  writeDefinition("W", 1);
  check({
      {"no action", nullptr, "-plg:\\W.plg -cpr:currentPortrait",
       "#1 Nothing to find what's to do (addchange,delete,change)"},
      {"definition option at the very start", nullptr, "-plg:\\W.plg -addchange -cpr:currentPortrait",
       "#2 No .plg-File defined"},
      {"definition without backslash", nullptr, "-addchange -plg:W.plg -cpr:currentPortrait",
       "#3 plg-Path always must begin with a Backslash"},
      {"definition without .plg", nullptr, "-addchange -plg:\\W.xml -cpr:currentPortrait",
       "#4 .plg-Path end not found"},
      {"no layout", nullptr, "-change -view:BronzeListView", "#12 No .cpr-File defined"},
      {"layout without backslash", nullptr, "-change -cpr:Windows\\x.cpr", "#13 .cpr-Path always must begin with a Backslash"},
      {"layout without .cpr", nullptr, "-change -cpr:\\Windows\\x.txt", "#14 .cpr-Path end not found"},
      {"no CPRFile", [](InstallerErrors& t) { t.deleteHome("CPRFile"); }, "-delete -plugin:Home -cpr:currentPortrait",
       "#20 No current CPR found"},
      {"no ExtensibilityXML", [](InstallerErrors& t) { t.deleteHome("ExtensibilityXML"); },
       "-delete -plugin:Home -cpr:currentLandscape", "#28 NoExtensibilityXML found"},
      {"CPRFile too long for its buffer", [](InstallerErrors& t) { t.setHome("CPRFile", std::string(512, 'T')); },
       "-delete -plugin:Home -cpr:currentLandscape", "#20 No current CPR found"},
      {"delete without plugin", nullptr, "-delete -cpr:all", "#32 No Plugin to delete defined"},
      {"no home screen", [](InstallerErrors& t) { ASSERT_TRUE(t.platform().registry().deleteKey(Root::kLocalMachine, kHomeKey).ok()); },
       "-delete -plugin:Home -cpr:currentPortrait", "#101 Titanium Registry couldn't be found"},
  });
  // The first box of a path error carries no number; the second is the record's.
  runInstaller("-addchange -plg:W.plg -cpr:currentPortrait");
  auto boxes = dialogs();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[boxes.size() - 2], "plg-Path always must begin with a Backslash");
  EXPECT_NE(journalEvents("dialog").back().find("\"caption\":\"VARN\""), std::string::npos);
}

TEST_F(InstallerErrors, AddOrChange) {
  const std::string add = "-addchange -plg:\\W.plg -cpr:currentPortrait";
  const std::string direct = "-addchange -plg:\\W.plg -cpr:" + std::string(kPortraitLayout);
  auto definition = [](const std::string& text) { return [text](InstallerErrors& t) { t.withDefinition(text); }; };
  const std::string header = "<name>W</name>\n<position>1</position>\n";
  writeDefinition("W", 1);
  const std::string layers = "  <Layer ID=\"WExpanded\">\n    <Layer ID=\"WCondensed\">\n    </Layer>\n  </Layer>\n";
  check({
      {"no definition file", nullptr, "-addchange -plg:\\Missing.plg -cpr:currentPortrait", "#50 plg-File could not be opened"},
      {"no layout file", [](InstallerErrors& t) { ASSERT_TRUE(t.platform().files().removeFile("\\Windows\\Titanium_800x480.cpr").ok()); },
       "-addchange -plg:\\W.plg -cpr:currentLandscape", "#51 cpr-File could not be found/opened"},
      {"temporary file", [](InstallerErrors& t) { t.blockTemp(); }, add, "#52 temp-File could not be created"},
      {"broken block", [](InstallerErrors& t) { t.writeDefinition("Home", 1); t.breakBlockOf("Home"); },
       "-addchange -plg:\\Home.plg -cpr:currentPortrait", "#70 Found Plugin in cpr, but unexpected end of file"},
      {"no ExtensibilityXML", [](InstallerErrors& t) { t.deleteHome("ExtensibilityXML"); }, direct,
       "#70 No ExtensibilityXML in CHome found"},
      {"no DefaultXML", [](InstallerErrors& t) { t.deleteHome("DefaultXML"); }, add, "#71 No DefaultXML in CHome found"},
      {"no Plugins", [](InstallerErrors& t) { t.deleteHome("Plugins"); }, add, "#72 No Plugins-Entry in CHome found"},
      {"order without quotes", [](InstallerErrors& t) { t.setHome("ExtensibilityXML", "Clock;Home"); }, add,
       "#80 Found invalid content in ExtensibilityXML - missing initial quotation marks"},
      {"order without its end", [](InstallerErrors& t) { t.setHome("ExtensibilityXML", "<Plugins Order=\"Clock"); }, direct,
       "#81 Found invalid content in ExtensibilityXML - missing final quotation marks"},
      {"layout cannot be replaced", [](InstallerErrors& t) { t.copyLayoutTo(kUnreplaceable); },
       "-addchange -plg:\\W.plg -cpr:" + kUnreplaceable, "#200 cpr could not be copied to destination directory"},
      // Definitions last: these replace \W.plg. Their other faults are told apart in the
      // unit tests of the definition reader.
      {"name tag", definition("W</name>\n<position>1</position>\n"), add, "#60 Name-Tag in plg not found"},
      {"no layers for the size", [](InstallerErrors& t) { t.writeDefinition("W", 1, "", {"800x480"}); }, add,
       "#63 Didn't found correct resolution in .plg to inject"},
      {"unended layers", definition(header + "<Layout screenWidth=\"480\" screenHeight=\"800\">\n" + layers), add,
       "#64 Didn't found final <layout>-Tag in .plg to inject"},
  });
}

TEST_F(InstallerErrors, Delete) {
  const std::string del = "-delete -plugin:Home -cpr:currentPortrait";
  const std::string direct = "-delete -plugin:Home -cpr:" + std::string(kPortraitLayout);
  check({
      {"no layout file", nullptr, "-delete -plugin:Home -cpr:\\Windows\\Missing.cpr", "#151 cpr-File could not be found/opened"},
      {"temporary file", [](InstallerErrors& t) { t.blockTemp(); }, del, "#152 temp-File could not be created"},
      {"broken block", [](InstallerErrors& t) { t.breakBlockOf("Home"); }, del, "#170 Found Plugin in cpr, but unexpected end of file"},
      {"no ExtensibilityXML", [](InstallerErrors& t) { t.deleteHome("ExtensibilityXML"); }, direct, "#170 No ExtensibilityXML in CHome found"},
      // The other faults of the home screen's key are found as for an addition (#71, #72,
      // #80), numbered 100 higher.
      {"order without its end", [](InstallerErrors& t) { t.setHome("ExtensibilityXML", "<Plugins Order=\"Home;Clock"); }, direct,
       "#181 Found invalid content in ExtensibilityXML - missing final quotation marks"},
      {"layout cannot be replaced", [](InstallerErrors& t) { t.copyLayoutTo(kUnreplaceable); },
       "-delete -plugin:Home -cpr:" + kUnreplaceable, "#200 cpr could not be copied to destination directory"},
  });
}

TEST_F(InstallerErrors, Change) {
  const std::string change = "-change -view:BronzeListView -cpr:currentPortrait";
  check({
      {"no layout file", nullptr, "-change -view:BronzeListView -cpr:\\Windows\\Missing.cpr", "#351 cpr-File could not be found/opened"},
      {"temporary file", [](InstallerErrors& t) { t.blockTemp(); }, change, "#352 temp-File could not be created"},
      {"layout cannot be replaced", [](InstallerErrors& t) { t.copyLayoutTo(kUnreplaceable); },
       "-change -view:BronzeListView -cpr:" + kUnreplaceable, "#300 cpr could not be copied to destination directory"},
  });
}

TEST_F(InstallerErrors, SilentShowsNoBoxAndRecordsTheSame) {
  runInstaller("-delete -silent -cpr:all");
  runInstaller("-addchange -silent -plg:\\Missing.plg -cpr:currentPortrait");
  EXPECT_EQ(status("ErrorDescription"), "#50 plg-File could not be opened");
  EXPECT_TRUE(dialogs().empty());
}

// The status record cannot be made: the caller is told in a box, and the work is done.
TEST_F(InstallerErrors, UnwritableStatusRecordIsShownNotRecorded) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir() / "device" / "registry.db").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TRIGGER refuse_varn BEFORE INSERT ON keys WHEN NEW.fold = 'software\\varn'"
                         " BEGIN SELECT RAISE(ABORT, 'refused'); END",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  runInstaller("-delete -plugin:Home -cpr:currentPortrait");
  EXPECT_EQ(dialogs(), std::vector<std::string>{"#100 Couldn't access/create VARN Registry Key"});
  EXPECT_FALSE(platform().registry().keyExists(Root::kCurrentUser, kStatusKey));
  EXPECT_EQ(blocksIn(kPortraitLayout).front(), "Clock");
  EXPECT_EQ(blocksIn(kPortraitLayout)[1], "Messaging");
}

}  // namespace
}  // namespace zelko::testing
