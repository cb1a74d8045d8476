// The emulated registry and its change notifications, inside one process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::NotificationHandle;
using platform::RegValue;
using platform::Root;
using platform::Status;
using platform::ValueRef;
using platform::ValueType;
using testing::kHklm;
constexpr Root kHkcu = Root::kCurrentUser;

class SimRegistryTest : public testing::DeviceTest {
 protected:
  platform::Registry& reg() { return platform().registry(); }
  void makeKeys(const std::vector<std::string>& keys) {
    for (const auto& k : keys) ASSERT_TRUE(reg().createKey(kHklm, k).ok()) << k;
  }
};

TEST_F(SimRegistryTest, KeysAndNamesMatchWithoutRegardToCaseOfAnyLetter) {
  ASSERT_TRUE(reg().setValue(kHklm, "Software\\Été", "Clé", RegValue::Text("a")).ok());
  EXPECT_TRUE(reg().keyExists(kHklm, "SOFTWARE\\ÉTÉ"));
  auto v = reg().getValue(kHklm, "software\\été", "CLÉ");
  ASSERT_TRUE(v.ok());
  EXPECT_EQ(v->text, "a");

  // Another spelling writes the same value; the name keeps the case it was made with.
  ASSERT_TRUE(reg().setValue(kHklm, "SOFTWARE\\ÉTÉ", "CLÉ", RegValue::Text("b")).ok());
  auto all = reg().values(kHklm, "Software\\été");
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].name, "Clé");
  EXPECT_EQ(all[0].value.text, "b");

  // The two roots are separate trees.
  EXPECT_FALSE(reg().keyExists(kHkcu, "Software\\Été"));
  EXPECT_EQ(reg().getValue(kHkcu, "Software\\Été", "Clé").status().code(),
            Status::Code::kNotFound);
}

TEST_F(SimRegistryTest, KeyPathsIgnoreStrayBackslashesAndCreateKeyKeepsTheFirstCase) {
  ASSERT_TRUE(reg().setValue(kHklm, "\\Norm\\\\Deep\\", "v", RegValue::Dword(7)).ok());
  EXPECT_TRUE(reg().keyExists(kHklm, "\\\\norm\\deep\\\\"));
  ASSERT_TRUE(reg().getValue(kHklm, "Norm\\Deep", "v").ok());
  EXPECT_EQ(reg().subKeys(kHklm, "Norm\\"), std::vector<std::string>{"Deep"});
  EXPECT_EQ(reg().subKeys(kHklm, "\\"), std::vector<std::string>{"Norm"});
  EXPECT_TRUE(reg().keyExists(kHklm, ""));  // the root, which cannot be deleted
  EXPECT_EQ(reg().deleteKey(kHklm, "").code(), Status::Code::kInvalid);
  EXPECT_EQ(reg().deleteKey(kHklm, "\\\\").code(), Status::Code::kInvalid);
  EXPECT_TRUE(reg().keyExists(kHklm, "Norm\\Deep"));

  makeKeys({"Norm\\MyApp", "NORM\\MYAPP\\Sub\\Leaf", "norm\\MYAPP"});
  EXPECT_EQ(reg().subKeys(kHklm, "norm\\myapp"), std::vector<std::string>{"Sub"});
  EXPECT_EQ(reg().subKeys(kHklm, "norm"), (std::vector<std::string>{"Deep", "MyApp"}));
  EXPECT_TRUE(reg().values(kHklm, "Norm\\MyApp\\Sub").empty());
}

// Children are listed once each, sorted without case, however large the subtrees between
// them and whether their names sort before ('!', '[', ' ') or after (']', '^') the separator.
TEST_F(SimRegistryTest, SubKeysListDirectChildrenSortedWithoutCase) {
  makeKeys({"P\\Zeta", "P\\Ab\\c", "P\\Ab c", "P\\alpha", "P\\b", "P\\Ab]x", "P\\Ab\\D\\e", "P\\Ab!",
            "P\\Ab[", "P\\Ab^", "P\\Ab!\\q", "P\\Ab]x\\z", "PQ\\x"});
  EXPECT_EQ(reg().subKeys(kHklm, "p"),
            (std::vector<std::string>{"Ab", "Ab c", "Ab!", "Ab[", "Ab]x", "Ab^", "alpha", "b", "Zeta"}));
  // A sibling that merely starts with the same letters is not a child.
  EXPECT_EQ(reg().subKeys(kHklm, "P\\AB"), (std::vector<std::string>{"c", "D"}));
  EXPECT_TRUE(reg().subKeys(kHklm, "P\\b").empty());
  EXPECT_TRUE(reg().subKeys(kHklm, "Missing").empty());
  EXPECT_EQ(reg().subKeys(kHklm, ""), (std::vector<std::string>{"P", "PQ"}));
}

std::string registryDeepPath(int levels) {
  std::string path;
  for (int i = 0; i < levels; ++i) path += (i ? "\\k" : "k") + std::to_string(i);
  return path;
}

TEST_F(SimRegistryTest, KeyNamesAndDepthsPastThePhonesLimitsAreRefused) {
  // 255 characters, counted as the phone counts them: "é" is one, "😀" two.
  std::string longest = std::string(254, 'a') + "é";
  std::string emoji = std::string(253, 'a') + "\xF0\x9F\x98\x80";
  EXPECT_TRUE(reg().setValue(kHklm, "Software\\" + longest, "v", RegValue::Dword(1)).ok());
  EXPECT_TRUE(reg().createKey(kHklm, "Software\\" + longest + "\\" + emoji).ok());
  for (const std::string& name : {longest + "b", emoji + "b"}) {
    EXPECT_EQ(reg().setValue(kHklm, "Software\\" + name, "v", RegValue::Dword(1)).code(),
              Status::Code::kInvalid);
    EXPECT_EQ(reg().createKey(kHklm, name).code(), Status::Code::kInvalid);
    EXPECT_FALSE(reg().keyExists(kHklm, "Software\\" + name));
  }
  EXPECT_TRUE(reg().setValue(kHklm, registryDeepPath(512), "v", RegValue::Dword(1)).ok());
  EXPECT_EQ(reg().createKey(kHklm, registryDeepPath(513)).code(), Status::Code::kInvalid);
  EXPECT_EQ(reg().setValue(kHklm, registryDeepPath(513), "v", RegValue::Dword(1)).code(),
            Status::Code::kInvalid);
  EXPECT_FALSE(reg().keyExists(kHklm, registryDeepPath(513)));
  EXPECT_EQ(reg().subKeys(kHklm, registryDeepPath(511)), std::vector<std::string>{"k511"});
}

TEST_F(SimRegistryTest, DeleteKeyTakesEverythingBelowButNoSibling) {
  for (const char* key : {"D\\Ab", "D\\Ab\\x", "D\\Ab\\x\\y", "D\\Ab c", "D\\Abc", "D\\Ab]"}) {
    ASSERT_TRUE(reg().setValue(kHklm, key, "v", RegValue::Text(key)).ok());
  }
  ASSERT_TRUE(reg().deleteKey(kHklm, "d\\AB\\").ok());
  EXPECT_FALSE(reg().keyExists(kHklm, "D\\Ab"));
  EXPECT_FALSE(reg().keyExists(kHklm, "D\\Ab\\x\\y"));
  EXPECT_FALSE(reg().getValue(kHklm, "D\\Ab\\x", "v").ok());
  EXPECT_EQ(reg().subKeys(kHklm, "D"), (std::vector<std::string>{"Ab c", "Ab]", "Abc"}));
  for (const char* key : {"D\\Ab c", "D\\Abc", "D\\Ab]"}) {
    auto v = reg().getValue(kHklm, key, "v");
    ASSERT_TRUE(v.ok()) << key;
    EXPECT_EQ(v->text, key);
  }
  EXPECT_EQ(reg().deleteKey(kHklm, "D\\Ab").code(), Status::Code::kNotFound);
}

// A changed value whose name is already in its key rewrites it in place; once the key is
// gone, the same write makes it and its parents again. Values are listed sorted by name.
TEST_F(SimRegistryTest, RewritesKeepTheKeyAndWritesAfterADeleteMakeItAgain) {
  ASSERT_TRUE(reg().setValue(kHklm, "W\\K", "b", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "w\\k", "B", RegValue::Dword(2)).ok());
  for (const char* n : {"A", "c"}) ASSERT_TRUE(reg().setValue(kHklm, "W\\K", n, RegValue::Dword(3)).ok());
  EXPECT_EQ(reg().subKeys(kHklm, "W"), (std::vector<std::string>{"K"}));
  EXPECT_EQ(reg().getValue(kHklm, "W\\K", "b")->dword, 2u);
  std::vector<std::string> names;
  for (const auto& v : reg().values(kHklm, "w\\K")) names.push_back(v.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_TRUE(reg().deleteValue(kHklm, "W\\K", "C").ok());
  EXPECT_EQ(reg().deleteValue(kHklm, "W\\K", "c").code(), Status::Code::kNotFound);
  EXPECT_EQ(reg().deleteValue(kHklm, "Nowhere", "b").code(), Status::Code::kNotFound);

  ASSERT_TRUE(reg().deleteKey(kHklm, "W").ok());
  ASSERT_TRUE(reg().setValue(kHklm, "W\\K", "b", RegValue::Dword(4)).ok());
  EXPECT_EQ(reg().subKeys(kHklm, "W"), (std::vector<std::string>{"K"}));
  EXPECT_EQ(reg().getValue(kHklm, "W\\K", "b")->dword, 4u);
  EXPECT_FALSE(reg().getValue(kHklm, "W\\K", "A").ok());
}

TEST_F(SimRegistryTest, ValuesRoundTripAtTheirEdges) {
  const std::vector<std::pair<std::string, RegValue>> cases = {
      {"empty text", RegValue::Text("")},
      {"text", RegValue::Text("Zoë \xF0\x9F\x98\x80 \"q\" \\")},
      {"empty binary", RegValue::Binary({})},
      {"binary", RegValue::Binary({0x00, 0xFF, 0x00, 0x7F})},
      {"max dword", RegValue::Dword(0xFFFFFFFFu)},
      {"expandable like a text", RegValue::ExpandText("same")},
      {"multi", RegValue::MultiText({"a", "Été 😀", "c d"})},
      {"no strings", RegValue::MultiText({})},
  };
  for (const auto& [name, value] : cases) ASSERT_TRUE(reg().setValue(kHkcu, "Types", name, value).ok()) << name;
  for (const auto& [name, value] : cases) {
    auto got = reg().getValue(kHkcu, "Types", name);
    EXPECT_TRUE(got.ok() && *got == value) << name;
  }
  // The type is part of the data: the same text as a plain string is a change.
  ASSERT_TRUE(reg().setValue(kHkcu, "Types", "expandable like a text", RegValue::Text("same")).ok());
  EXPECT_EQ(reg().getValue(kHkcu, "Types", "expandable like a text")->type, ValueType::kString);
  // The unnamed value of a key, however the empty name is spelled.
  ASSERT_TRUE(reg().setValue(kHkcu, "Types", std::string_view(), RegValue::Text("dflt")).ok());
  auto dflt = reg().getValue(kHkcu, "Types", "");
  EXPECT_TRUE(dflt.ok() && dflt->text == "dflt") << dflt.status().message();
  EXPECT_TRUE(reg().deleteValue(kHkcu, "Types", std::string_view()).ok());
}

// One connection shared by the threads of a program: each call is whole.
TEST_F(SimRegistryTest, CallsFromSeveralThreadsEachTakeEffect) {
  constexpr int kThreads = 4, kRounds = 150;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string key = "Threads\\T" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        if (!reg().setValue(kHkcu, key, "n", RegValue::Dword(i)).ok()) ++failures[t];
        auto v = reg().getValue(kHkcu, key, "n");
        if (!v.ok() || v->dword != static_cast<uint32_t>(i)) ++failures[t];
        if (reg().subKeys(kHkcu, "Threads").empty()) ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  EXPECT_EQ(reg().subKeys(kHkcu, "Threads").size(), static_cast<size_t>(kThreads));
}

// Notifications of one process: delivered through its own message loop.
class SimNotificationsTest : public SimRegistryTest {
 protected:
  platform::Notifications& notes() { return platform().notifications(); }
  void pump() { platform().windows().pumpMessages(std::chrono::milliseconds(0)); }
  NotificationHandle watch(Root root, const std::string& key, const std::string& name,
                           const std::string& tag) {
    auto h = notes().registerCallback(ValueRef{root, key, name}, [this, tag] { seen_.push_back(tag); });
    EXPECT_TRUE(h.ok()) << h.status().message();
    return h.ok() ? *h : 0;
  }
  // Installs the stand-in program as \Windows\probe.exe.
  void installProbe() {
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::filesystem::copy_file(self / "zelko-standin", hostFile("\\Windows\\probe.exe"));
  }
  std::vector<std::string> seen_;
};

TEST_F(SimNotificationsTest, CallbackRunsFromTheLoopOncePerChange) {
  watch(kHkcu, "Watch\\Me", "Value", "v");
  auto heard = [&] {
    pump();
    return seen_.size();
  };
  ASSERT_TRUE(reg().setValue(kHkcu, "watch\\me", "VALUE", RegValue::Dword(1)).ok());
  EXPECT_TRUE(seen_.empty());  // never from inside the setter
  EXPECT_EQ(heard(), 1u);
  ASSERT_TRUE(reg().setValue(kHkcu, "Watch\\Me", "Value", RegValue::Dword(1)).ok());  // same data
  EXPECT_EQ(heard(), 1u);
  ASSERT_TRUE(reg().setValue(kHkcu, "Watch\\Me", "Value", RegValue::Text("1")).ok());  // another type
  ASSERT_TRUE(reg().setValue(kHkcu, "Watch\\Me", "Value", RegValue::Text("2")).ok());
  EXPECT_EQ(heard(), 3u);
  ASSERT_TRUE(reg().setValue(kHkcu, "Watch\\Me", "Other", RegValue::Text("x")).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "Watch\\Me", "Value", RegValue::Text("x")).ok());
  EXPECT_EQ(heard(), 3u);
  ASSERT_TRUE(reg().deleteValue(kHkcu, "Watch\\Me", "Value").ok());
  EXPECT_EQ(heard(), 4u);
  EXPECT_EQ(reg().deleteValue(kHkcu, "Watch\\Me", "Value").code(), Status::Code::kNotFound);
  EXPECT_EQ(heard(), 4u);  // nothing was left to delete
}

TEST_F(SimNotificationsTest, CallbacksComeInTheOrderOfTheChanges) {
  watch(kHklm, "K", "a", "a1");
  watch(kHklm, "K", "b", "b");
  watch(kHklm, "K", "a", "a2");  // the same value twice: both fire
  ASSERT_TRUE(reg().setValue(kHklm, "K", "a", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "K", "b", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "K", "a", RegValue::Dword(2)).ok());
  pump();
  EXPECT_EQ(seen_, (std::vector<std::string>{"a1", "a2", "b", "a1", "a2"}));
}

TEST_F(SimNotificationsTest, DeleteKeyTellsWatchersOfValuesBelowOnly) {
  ASSERT_TRUE(reg().setValue(kHklm, "T\\Sub", "x", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "T", "top", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "T c", "y", RegValue::Dword(1)).ok());
  watch(kHklm, "T\\Sub", "x", "x");
  watch(kHklm, "T", "top", "top");
  watch(kHklm, "T c", "y", "sibling");
  watch(kHklm, "T\\Sub", "never", "missing");
  ASSERT_TRUE(reg().deleteKey(kHklm, "t").ok());
  pump();
  std::sort(seen_.begin(), seen_.end());
  EXPECT_EQ(seen_, (std::vector<std::string>{"top", "x"}));
}

TEST_F(SimNotificationsTest, CloseStopsACallbackEvenFromInsideIt) {
  NotificationHandle plain = watch(kHklm, "C", "v", "plain");
  NotificationHandle self = 0;
  auto h = notes().registerCallback(ValueRef{kHklm, "C", "v"}, [&] {
    seen_.push_back("self");
    notes().close(self);
  });
  ASSERT_TRUE(h.ok());
  self = *h;
  // Two changes queued before the loop runs: the second finds the callback closed.
  ASSERT_TRUE(reg().setValue(kHklm, "C", "v", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "C", "v", RegValue::Dword(2)).ok());
  pump();
  EXPECT_EQ(seen_, (std::vector<std::string>{"plain", "self", "plain"}));

  notes().close(plain);
  notes().close(plain);  // twice is harmless
  notes().close(0);
  ASSERT_TRUE(reg().setValue(kHklm, "C", "v", RegValue::Dword(3)).ok());
  pump();
  EXPECT_EQ(seen_.size(), 3u);
}

// Registrations are kept by name without regard to case: a second one replaces the first.
TEST_F(SimNotificationsTest, ChangeOfAWatchedValueStartsTheProgramOfItsRegistration) {
  installProbe();
  ASSERT_TRUE(notes().registerLaunch({"ProbeWake", {kHklm, "Elsewhere", "V"}, "\\Windows\\other.exe", ""}).ok());
  ASSERT_TRUE(notes().registerLaunch({"PROBEWAKE", {kHklm, "\\Launch\\\\Me\\", "V"},
                                      "\"\\WINDOWS\\probe.exe\"", "-x"}).ok());
  ASSERT_TRUE(notes().registerLaunch({"Stopped", {kHklm, "Launch\\Me", "W"},
                                      "\\Windows\\probe.exe", ""}).ok());
  ASSERT_TRUE(notes().stopLaunch("stopped").ok());
  EXPECT_EQ(notes().stopLaunch("Stopped").code(), Status::Code::kNotFound);
  EXPECT_EQ(notes().registerLaunch({"", {kHklm, "L", "a"}, "x.exe", ""}).code(), Status::Code::kInvalid);
  EXPECT_EQ(notes().registerLaunch({"n", {kHklm, "L", "a"}, "", ""}).code(), Status::Code::kInvalid);
  ASSERT_EQ(notes().launches().size(), 1u);
  EXPECT_EQ(notes().launches()[0].value.key, "Launch\\Me");

  ASSERT_TRUE(reg().setValue(kHklm, "Elsewhere", "V", RegValue::Dword(1)).ok());  // replaced: no start
  ASSERT_TRUE(reg().setValue(kHklm, "launch\\me", "v", RegValue::Dword(1)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "Launch\\Me", "V", RegValue::Dword(1)).ok());  // no change: no start
  ASSERT_TRUE(reg().setValue(kHklm, "Launch\\Me", "W", RegValue::Dword(1)).ok());
  auto launches = journalEvents("launch");
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_NE(launches[0].find(R"("program":"\\WINDOWS\\probe.exe","params":"-x PROBEWAKE","ok":true)"),
            std::string::npos)
      << launches[0];
  EXPECT_EQ(launches[0].find(R"("pid":null)"), std::string::npos) << launches[0];

  // Deleting the value is a change too.
  ASSERT_TRUE(reg().deleteValue(kHklm, "Launch\\Me", "V").ok());
  EXPECT_EQ(journalEvents("launch").size(), 2u);
  // The started programs end on their own; let them, before the device goes away.
  for (int i = 0; i < 500 && journalEvents("exit").size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(journalEvents("exit").size(), 2u);
}

}  // namespace
}  // namespace zelko
