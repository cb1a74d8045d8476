#include "device/reg_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "device/reg_import.h"
#include "platform/sim/sim_registry.h"
#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::RegValue;
using platform::Root;
using Kind = RegOperation::Kind;

const std::string kV5 = "Windows Registry Editor Version 5.00\r\n\r\n";

std::vector<RegOperation> parseOk(std::string_view bytes) {
  auto result = parseRegFile(bytes);
  EXPECT_TRUE(result.ok()) << result.status().message();
  return result.ok() ? *result : std::vector<RegOperation>{};
}

// The value one line under "[HKLM\K]" sets.
RegValue valueOf(const std::string& line, const std::string& header = kV5) {
  auto ops = parseOk(header + "[HKLM\\K]\r\n" + line + "\r\n");
  if (ops.size() != 2 || ops[1].kind != Kind::kSetValue) {
    ADD_FAILURE() << "no single value set by " << line;
    return {};
  }
  return ops[1].value;
}

std::string utf16File(const std::string& text) { return "\xFF\xFE" + platform::utf8ToUtf16le(text); }

std::string readDataFile(const std::string& name) {
  std::ifstream in(std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / name, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_FALSE(bytes.str().empty()) << name;
  return bytes.str();
}

TEST(RegFileEncoding, EveryEncodingAndLineEndGivesTheSameOperations) {
  const std::string text = kV5 + "[HKCU\\Été]\n\"😀 name\"=\"€\"\r@=dword:1\r\n";
  std::string bigEndian = platform::utf8ToUtf16le(text);
  for (size_t i = 0; i + 1 < bigEndian.size(); i += 2) std::swap(bigEndian[i], bigEndian[i + 1]);
  // Old DOS tools end a file with 0x1A, with or without a line break around it.
  for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, utf16File(text), "\xFE\xFF" + bigEndian,
                                   text + "\x1A", text + "\x1A\r\n"}) {
    auto ops = parseOk(bytes);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].key, "Été");
    EXPECT_EQ(ops[1].name, "😀 name");
    EXPECT_EQ(ops[1].value, RegValue::Text("€"));
    // LF, CR and CRLF each end one line.
    EXPECT_EQ(ops[1].line, 4);
    EXPECT_EQ(ops[2].line, 5);
  }
  EXPECT_EQ(parseOk("REGEDIT4\r\n[HKCU\\K]\r\n\"n\"=\"x\"\x1A").size(), 2u);
  // Old files hold string bytes as they are, new ones as UTF-16LE; blank lines may come first.
  EXPECT_EQ(valueOf("\"s\"=hex(2):c3,a9,00", "\r\n  \r\nREGEDIT4\r\n").text, "\xC3\xA9");
  EXPECT_EQ(valueOf("\"s\"=hex(2):e9,00,00,00").text, "\xC3\xA9");
}

TEST(RegFileKeys, RootsPathsAndDeletion) {
  auto ops = parseOk(kV5 + "[HKEY_LOCAL_MACHINE\\A\\B]\n[hkcu\\\\x\\\\y\\]\n[-HKLM\\A]\n"
                           "[HKCU\\a]b]\n[HKEY_CURRENT_USER]\n; [HKLM\\not a key]\n");
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0].root, Root::kLocalMachine);
  EXPECT_EQ(ops[0].key, "A\\B");
  EXPECT_EQ(ops[1].root, Root::kCurrentUser);
  EXPECT_EQ(ops[1].key, "x\\y");
  EXPECT_EQ(ops[2].kind, Kind::kDeleteKey);
  EXPECT_EQ(ops[2].key, "A");
  EXPECT_EQ(ops[3].key, "a]b");  // a key name may hold "]"
  EXPECT_EQ(ops[4].key, "");
  EXPECT_EQ(ops[4].kind, Kind::kCreateKey);
}

TEST(RegFileValues, EachKindOfData) {
  EXPECT_EQ(valueOf(R"("p"="C:\\dir\"x\"\n;=")"), RegValue::Text("C:\\dir\"x\"\\n;="));
  EXPECT_EQ(valueOf(R"("p"="")"), RegValue::Text(""));
  EXPECT_EQ(valueOf("\"d\"=dword:1f"), RegValue::Dword(0x1f));
  EXPECT_EQ(valueOf("\"d\"=DWORD:FFFFFFFF"), RegValue::Dword(0xffffffff));
  EXPECT_EQ(valueOf("\"d\"=dword:0ffffffff"), RegValue::Dword(0xffffffff));
  EXPECT_EQ(valueOf("\"b\"=hex:01,AB,0"), RegValue::Binary({0x01, 0xab, 0x00}));
  EXPECT_EQ(valueOf("\"b\"=hex(3):"), RegValue::Binary({}));
  EXPECT_EQ(valueOf("\"d\"=hex(4):78,56,34,12"), RegValue::Dword(0x12345678));
  // Only the terminating NUL goes; UTF-16 surrogate pairs are joined.
  EXPECT_EQ(valueOf("\"s\"=hex(1):41,00,3d,d8,00,de,00,00"), RegValue::Text("A😀"));
  EXPECT_EQ(valueOf("\"s\"=hex(1):00,00,00,00"), RegValue::Text(std::string(1, '\0')));
  // Expandable strings keep their type; multi-strings their strings, empty ones dropped as
  // the desktop editor drops them.
  EXPECT_EQ(valueOf("\"e\"=hex(2):25,00,41,00,25,00,00,00"), RegValue::ExpandText("%A%"));
  EXPECT_EQ(valueOf("\"m\"=hex(7):61,00,00,00,00,00,62,00,00,00,00,00"), RegValue::MultiText({"a", "b"}));
  EXPECT_EQ(valueOf("\"m\"=hex(7):00,00"), RegValue::MultiText({}));
  EXPECT_EQ(valueOf("\"m\"=hex(7):61,00,62,00", "REGEDIT4\r\n"), RegValue::MultiText({"a", "b"}));
}

TEST(RegFileValues, ARegistryEditorExportAndAnSdkFileWithItsEndOfFileByte) {
  auto ops = parseOk(readDataFile("desktop_editor_multi_string.reg"));
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[1].value, RegValue::MultiText({"Pictures", "Vacation 2023", "Été à Nice"}));
  EXPECT_EQ(ops[2].value, RegValue::ExpandText("%USERPROFILE%\\Pictures\\Gadget"));
  EXPECT_EQ(ops[3].value, RegValue::Dword(10));
  EXPECT_EQ(ops[4].value, RegValue::MultiText({}));
  ops = parseOk(readDataFile("sdk_regedit4_eof.reg"));
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[3].value, RegValue::ExpandText("C:\\Sample\\appmem.dll"));
}

TEST(RegFileValues, NamesDefaultsDeletionsBlanksAndHexOverLines) {
  auto ops = parseOk(kV5 + "[HKLM\\K]\n \"A=b;c\"\t=  \"v\"\n@ = \"d\"\n\"Gone\"=-\n@=-\n"
                           "\"b\"=hex:01,02,\\\n    03,0\\\n4\n\n\"n\"=dword:2\n");
  ASSERT_EQ(ops.size(), 7u);
  EXPECT_EQ(ops[1].name, "A=b;c");
  EXPECT_EQ(ops[1].key, "K");
  EXPECT_EQ(ops[2].name, "");
  EXPECT_EQ(ops[3].kind, Kind::kDeleteValue);
  EXPECT_EQ(ops[3].name, "Gone");
  EXPECT_EQ(ops[4].kind, Kind::kDeleteValue);
  EXPECT_EQ(ops[4].name, "");
  EXPECT_EQ(ops[5].value, RegValue::Binary({1, 2, 3, 4}));
  EXPECT_EQ(ops[5].line, 8);
  EXPECT_EQ(ops[6].line, 12);
}

struct BadFile {
  std::string bytes;
  int line;
  std::string fragment;
};

TEST(RegFileErrors, EachFaultNamesItsLineAndYieldsNothing) {
  const std::string k = kV5 + "[HKLM\\K]\n";  // the next line is line 4
  const std::vector<BadFile> cases = {
      {"", 1, "empty"},
      {"\n\n; comment\nREGEDIT4\n", 3, "expected the header"},
      {std::string("R\0E\0", 4), 1, "byte-order mark"},
      {utf16File("REGEDIT4\r\n\r\n") + "x", 3, "middle of a UTF-16"},
      {kV5 + "[HKEY_CLASSES_ROOT\\x]\n", 3, "unknown root \"HKEY_CLASSES_ROOT\""},
      {kV5 + "[\\x]\n", 3, "missing root"},
      {kV5 + "[HKLM\\x\n", 3, "missing ]"},
      {kV5 + "[-HKCU\\]\n", 3, "root itself"},
      {kV5 + "\"a\"=\"x\"\n", 3, "before any [key]"},
      {kV5 + "[-HKLM\\x]\n\"a\"=-\n", 4, "being deleted"},
      {k + "junk\n", 4, "expected [key]"},
      {k + "\"a\xFF\"=\"x\"\n", 4, "byte 0xFF at column 3 is not UTF-8"},
      {k + "\"a=\"x\"\n", 4, "expected ="},
      {k + "\"a\n", 4, "after the value name"},
      {k + "\"a\"=\"x\n", 4, "after the text"},
      {k + "\"a\"=\"x\" y\n", 4, "after the closing"},
      {k + "\"a\"=\n", 4, "missing data"},
      {k + "\"a\"=text\n", 4, "unknown data"},
      {k + "\"a\"=dword:123456789\n", 4, "1 to 8"},
      {k + "\"a\"=hex(5):00\n", 4, "hex(5) (big-endian dword)"},
      {"REGEDIT4\n\x1A\n[HKLM\\K]\n", 2, "got \"\\x1A\""},
      {k + "\"a\"=hex(b):00\n", 4, "qword"},
      {k + "\"a\"=hex(1f):00\n", 4, "unknown value type hex(1f)"},
      {k + "\"a\"=hex 00\n", 4, "missing :"},
      {k + "\"a\"=hex(4):01,02\n", 4, "exactly 4 bytes, got 2"},
      {k + "\"a\"=hex(1):41\n", 4, "odd number"},
      {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex(1):ff,00\n", 3, "byte 0xFF at column 1 is not UTF-8"},
      {k + "\"a\"=hex:01,\\\n", 4, "past the end"},
      {k + "\"a\"=hex:01,\\\n  02,\\\n  zz\n", 6, "expected a hex byte"},
      {k + "\"a\"=hex:123\n", 4, "at most 2"},
      {k + "\"a\"=hex:01 02\n", 4, "expected , between"},
  };
  for (const BadFile& c : cases) {
    auto result = parseRegFile(c.bytes);
    SCOPED_TRACE(c.bytes);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.status().code(), platform::Status::Code::kInvalid);
    const std::string& message = result.status().message();
    EXPECT_EQ(message.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(c.fragment), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
}

std::string decodeWritten(const std::string& bytes) {
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  return platform::utf16leToUtf8(bytes.substr(2));
}

TEST(RegFileWrite, LayoutMatchesTheDesktopEditor) {
  const std::vector<RegKeyDump> keys = {
      {Root::kCurrentUser, "\\Soft\\App\\", {{"", RegValue::Text("d")},
                                              {"N", RegValue::Dword(0x1f)},
                                              {"B", RegValue::Binary({0, 0xab})},
                                              {"E", RegValue::ExpandText("%A%")},
                                              {"M", RegValue::MultiText({"a", "b"})}}},
      {Root::kLocalMachine, "", {}}};
  EXPECT_EQ(decodeWritten(writeRegFile(keys)),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Soft\\App]\r\n@=\"d\"\r\n\"N\"=dword:0000001f\r\n"
            "\"B\"=hex:00,ab\r\n\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n");
}

// As the desktop editor: 20 bytes after the name, then 25 per indented line.
TEST(RegFileWrite, WrapsLongHexListsAtEightyColumns) {
  auto bytes = [](int count) {
    std::string s = "5a";
    for (int i = 1; i < count; ++i) s += ",5a";
    return s;
  };
  EXPECT_EQ(decodeWritten(writeRegFile(
                {{Root::kLocalMachine, "K", {{"BinaryValue", RegValue::Binary(std::vector<uint8_t>(70, 0x5a))}}}})),
            kV5 + "[HKEY_LOCAL_MACHINE\\K]\r\n\"BinaryValue\"=hex:" + bytes(20) + ",\\\r\n  " + bytes(25) +
                ",\\\r\n  " + bytes(25) + "\r\n\r\n");
}

TEST(RegFileRoundTrip, TrickyValuesReadBackIdentically) {
  const std::vector<platform::NamedValue> values = {
      {"quote\"and\\back\\", RegValue::Text("\"\\\\x\\\"")},
      {"a=b;c", RegValue::Text("x=y ; z")},
      {"@", RegValue::Text("not the default")},
      {"", RegValue::Text("")},
      {"Ünïcødé 😀", RegValue::Text("日本語 😀\t")},
      {"lines", RegValue::Text("one\r\ntwo\nthree\r")},
      {"nul", RegValue::Text(std::string("a\0b", 3))},
      {"empty", RegValue::Binary({})},
      {"dword", RegValue::Dword(0xffffffff)},
      {"expand", RegValue::ExpandText("%WINDIR%\\x;\r\n")},
      {"multi", RegValue::MultiText({"one", "two \"2\"", "Ünï\r\n😀"})},
      {"no strings", RegValue::MultiText({})},
      {std::string(90, 'n'), RegValue::Binary(std::vector<uint8_t>(300, 0xff))},
  };
  const std::vector<RegKeyDump> keys = {{Root::kCurrentUser, "A\\ä]b\\ sp ", values},
                                        {Root::kLocalMachine, "", {}}};
  auto ops = parseOk(writeRegFile(keys));
  ASSERT_EQ(ops.size(), values.size() + 2);
  EXPECT_EQ(ops[0].key, "A\\ä]b\\ sp ");
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(ops[i + 1].kind, Kind::kSetValue);
    EXPECT_EQ(ops[i + 1].name, values[i].name);
    EXPECT_EQ(ops[i + 1].value, values[i].value) << values[i].name;
  }
  EXPECT_EQ(ops.back().root, Root::kLocalMachine);
}

// A .reg import is one registry transaction: a store that fills up half way, or a change
// the registry refuses, leaves the registry as it was and tells no watcher.
using platform::Status;
using platform::sim::ChangeSet;
using platform::sim::Database;
using platform::sim::SimRegistry;

class RegImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelko-reg-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    auto db = Database::open(dir_ / "registry.db", true);
    ASSERT_TRUE(db.ok()) << db.status().message();
    db_ = std::move(*db);
    ASSERT_TRUE(SimRegistry::createSchema(*db_).ok());
    reg_ = std::make_unique<SimRegistry>(*db_, [this](const ChangeSet& c) { heard_ += c.watchers.size(); });
    ASSERT_TRUE(reg_->setValue(Root::kCurrentUser, "Software\\App", "Mode", RegValue::Text("before")).ok());
    ASSERT_TRUE(db_->exec("INSERT INTO watches(root, keyfold, namefold, address, cookie)"
                          " VALUES(1, 'software\\app', 'mode', 'nobody', 1)")
                    .ok());
  }
  void TearDown() override {
    reg_.reset();
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  // The watched value first, then many more: a failure comes after the watched change.
  std::vector<RegOperation> bigImport() {
    std::vector<RegOperation> ops = {
        {Kind::kSetValue, Root::kCurrentUser, "Software\\App", "Mode", RegValue::Text("after"), 3}};
    for (int i = 0; i < 2000; ++i) {
      ops.push_back({Kind::kSetValue, Root::kCurrentUser, "Software\\App\\Key" + std::to_string(i), "Value",
                     RegValue::Text(std::string(200, 'x')), 4 + i});
    }
    return ops;
  }

  void expectUntouched() {
    EXPECT_EQ(reg_->getValue(Root::kCurrentUser, "Software\\App", "Mode")->text, "before");
    EXPECT_TRUE(reg_->subKeys(Root::kCurrentUser, "Software\\App").empty());
    EXPECT_EQ(heard_, 0u) << "a watcher heard of a change that was never committed";
  }

  std::filesystem::path dir_;
  std::unique_ptr<Database> db_;
  std::unique_ptr<SimRegistry> reg_;
  size_t heard_ = 0;
};

TEST_F(RegImportTest, ARefusedChangeOrAFullStoreLeavesTheRegistryAsItWas) {
  auto ops = bigImport();
  RegOperation rootDeletion;
  rootDeletion.kind = Kind::kDeleteKey;  // the registry refuses to delete a root
  rootDeletion.line = 9999;
  ops.push_back(rootDeletion);
  Status s = reg_->transaction([&] { return applyRegOperations(*reg_, ops); });
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.message().rfind("line 9999: ", 0), 0u) << s.message();
  expectUntouched();

  // The store may grow by a few pages only: the disk is full long before the end.
  ops.pop_back();
  ASSERT_TRUE(db_->exec("PRAGMA max_page_count = 40").ok());
  s = reg_->transaction([&] { return applyRegOperations(*reg_, ops); });
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("full"), std::string::npos) << s.message();
  EXPECT_EQ(s.message().rfind("line ", 0), 0u) << s.message();
  expectUntouched();
}

TEST_F(RegImportTest, AWholeImportIsCommittedAndHeardOnce) {
  auto ops = bigImport();
  ops.resize(10);
  ASSERT_TRUE(reg_->transaction([&] { return applyRegOperations(*reg_, ops); }).ok());
  EXPECT_EQ(reg_->getValue(Root::kCurrentUser, "Software\\App", "Mode")->text, "after");
  EXPECT_EQ(reg_->subKeys(Root::kCurrentUser, "Software\\App").size(), 9u);
  EXPECT_EQ(heard_, 1u);
}

}  // namespace
}  // namespace zelko::device
