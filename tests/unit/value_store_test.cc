#include "common/value_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/host.h"
#include "common/settings.h"
#include "common/suite.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;

constexpr Root kHklm = Root::kLocalMachine;
constexpr Root kHkcu = Root::kCurrentUser;

TEST(ParseRedirect, NameAndOptionalPage) {
  auto t = parseRedirect("BattCopy,Page2", "Page1");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->name, "BattCopy");
  EXPECT_EQ(t->page, "Page2");

  t = parseRedirect("BattCopy", "Page1");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->page, "Page1");

  t = parseRedirect("BattCopy,Page3,Ignored", "Page1");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->page, "Page3");

  // An empty page piece must not send the copy to the plugin key.
  t = parseRedirect("BattCopy,", "Page1");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->page, "Page1");
}

TEST(ParseRedirect, RefusesEmptyAndOverlongNames) {
  EXPECT_FALSE(parseRedirect("", "Page1"));
  EXPECT_FALSE(parseRedirect(",Page2", "Page1"));
  EXPECT_TRUE(parseRedirect(std::string(kMaxRedirectUnits, 'n'), "Page1"));
  EXPECT_FALSE(parseRedirect(std::string(kMaxRedirectUnits + 1, 'n'), "Page1"));
  EXPECT_FALSE(parseRedirect("n," + std::string(kMaxRedirectUnits + 1, 'p'), "Page1"));
}

class RegistryHelpersTest : public testing::DeviceTest {
 protected:
  platform::Registry& reg() { return platform().registry(); }
};

TEST_F(RegistryHelpersTest, TextReadsAreEmptyWhenMissingMistypedOrTooLong) {
  EXPECT_TRUE(regWriteText(reg(), kHkcu, "Software\\Zelko\\Sms\\Sms1", "from", "Ann"));
  EXPECT_EQ(regReadText(reg(), kHkcu, "software\\zelko\\sms\\sms1", "FROM"), "Ann");
  EXPECT_EQ(regReadText(reg(), kHkcu, "Software\\Zelko\\Sms\\Sms2", "from"), "");
  EXPECT_EQ(regReadText(reg(), kHkcu, "Software\\Zelko\\Sms\\Sms1", "none"), "");

  ASSERT_TRUE(regWriteNumber(reg(), kHkcu, "Software\\Zelko\\Sms", "total", 3));
  EXPECT_EQ(regReadText(reg(), kHkcu, "Software\\Zelko\\Sms", "total"), "");
  EXPECT_EQ(regReadNumber(reg(), kHkcu, "Software\\Zelko\\Sms", "total"), 3u);

  // 254 units fit the phone's 255-unit buffer with its terminator; one more does not.
  std::string fits(kMaxRegTextUnits, 'x');
  regWriteText(reg(), kHkcu, "K", "fits", fits);
  regWriteText(reg(), kHkcu, "K", "over", fits + "x");
  EXPECT_EQ(regReadText(reg(), kHkcu, "K", "fits"), fits);
  EXPECT_EQ(regReadText(reg(), kHkcu, "K", "over"), "");
  // Characters outside the BMP take two units.
  std::string emoji = "\xF0\x9F\x98\x80";
  regWriteText(reg(), kHkcu, "K", "wide", std::string(kMaxRegTextUnits - 1, 'x') + emoji);
  EXPECT_EQ(regReadText(reg(), kHkcu, "K", "wide"), "");
}

TEST_F(RegistryHelpersTest, NumberReadsAreZeroWhenMissingOrText) {
  regWriteText(reg(), kHklm, host::pageKey("Page1"), "BattVal", "75%");
  EXPECT_EQ(regReadNumber(reg(), kHklm, host::pageKey("Page1"), "BattVal"), 0u);
  EXPECT_EQ(regReadNumber(reg(), kHklm, "Nowhere", "x"), 0u);
}

TEST_F(RegistryHelpersTest, TimeReadsAFileTimeOf8Bytes) {
  platform::DateTime when{2024, 3, 0, 5, 14, 30, 15, 0};
  ASSERT_TRUE(platform::normalizeDateTime(when));
  platform::FileTime ft = platform::toFileTime(when);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(ft >> (8 * i)));
  reg().setValue(kHklm, "System\\State\\Alarm", "Next", RegValue::Binary(bytes));

  auto read = regReadTime(reg(), platform().clock(), kHklm, "System\\State\\Alarm", "Next",
                          false);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, when);
  auto local = regReadTime(reg(), platform().clock(), kHklm, "System\\State\\Alarm", "Next",
                           true);
  ASSERT_TRUE(local);
  EXPECT_EQ(*local, platform().clock().toLocal(when));

  bytes.pop_back();
  reg().setValue(kHklm, "System\\State\\Alarm", "Short", RegValue::Binary(bytes));
  reg().setValue(kHklm, "System\\State\\Alarm", "Dword", RegValue::Dword(5));
  std::vector<uint8_t> beyond(8, 0xFF);
  reg().setValue(kHklm, "System\\State\\Alarm", "Beyond", RegValue::Binary(beyond));
  for (const char* name : {"Short", "Dword", "Beyond", "Missing"}) {
    EXPECT_FALSE(regReadTime(reg(), platform().clock(), kHklm, "System\\State\\Alarm", name,
                             true))
        << name;
  }
}

class ValueStoreTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    suite_ = std::make_unique<Suite>(platform());
    suite_->settings().startUp("ZelkoToday", 570, std::vector<std::string>{"x"});
  }
  void TearDown() override {
    suite_.reset();
    DeviceTest::TearDown();
  }
  ValueStore& store() { return suite_->values(); }
  void redirects(std::string_view ini) { suite_->settings().skinIni().parse(ini); }
  std::string pageText(std::string_view page, std::string_view name) {
    return store().readText(page, name);
  }

  std::unique_ptr<Suite> suite_;
};

TEST_F(ValueStoreTest, RedirectCopiesToTargetNameAndPage) {
  redirects("[Page1]\nBattPNG=BattCopy,Page2\nBattVal=ValCopy\nCount=Other,Page3\n");
  store().writeText("Page1", "BattPNG", "\\x\\battery_5.png");
  store().writeText("page1", "BattVal", "75%");
  store().writeNumber("Page1", "Count", 4);

  EXPECT_EQ(pageText("Page1", "BattPNG"), "\\x\\battery_5.png");
  EXPECT_EQ(pageText("Page2", "BattCopy"), "\\x\\battery_5.png");
  EXPECT_EQ(pageText("Page1", "BattCopy"), "");
  EXPECT_EQ(pageText("Page1", "ValCopy"), "75%");
  EXPECT_EQ(store().readNumber("Page3", "Other"), 4u);
}

TEST_F(ValueStoreTest, RedirectIsOneLevelAndNeverForThePluginKey) {
  redirects(
      "Updated=Copy\n"
      "[Page1]\nA=B\nB=C\nEmpty=\nNoName=,Page2\n");
  store().writeText("Page1", "A", "a");
  EXPECT_EQ(pageText("Page1", "B"), "a");
  EXPECT_EQ(pageText("Page1", "C"), "");

  store().writeText("Page1", "NoName", "n");
  EXPECT_TRUE(platform().registry().values(kHklm, host::pageKey("Page2")).empty());

  store().writeText("", "Updated", "1");
  EXPECT_EQ(pageText("", "Copy"), "");
  EXPECT_EQ(pageText("Updated", "Copy"), "");
}

TEST_F(ValueStoreTest, ReadsAreNotRedirectedAndNumbersOfTextReadZero) {
  redirects("[Page4]\nInfos=Shown\n");
  store().writeText("Page4", "Shown", "direct");
  EXPECT_EQ(pageText("Page4", "Infos"), "");
  store().writeText("Page4", "Count", "12");
  EXPECT_EQ(store().readNumber("Page4", "Count"), 0u);
}

// Forwards to the device registry and records the order of the values set.
class RecordingRegistry : public platform::Registry {
 public:
  explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}
  bool keyExists(Root r, std::string_view k) override { return inner_.keyExists(r, k); }
  platform::Status createKey(Root r, std::string_view k) override {
    return inner_.createKey(r, k);
  }
  platform::Result<RegValue> getValue(Root r, std::string_view k,
                                      std::string_view n) override {
    return inner_.getValue(r, k, n);
  }
  platform::Status setValue(Root r, std::string_view k, std::string_view n,
                            const RegValue& v) override {
    sets.push_back(std::string(n) + "=" + v.text);
    return inner_.setValue(r, k, n, v);
  }
  platform::Status deleteValue(Root r, std::string_view k, std::string_view n) override {
    return inner_.deleteValue(r, k, n);
  }
  platform::Status deleteKey(Root r, std::string_view k) override {
    return inner_.deleteKey(r, k);
  }
  std::vector<std::string> subKeys(Root r, std::string_view k) override {
    return inner_.subKeys(r, k);
  }
  std::vector<platform::NamedValue> values(Root r, std::string_view k) override {
    return inner_.values(r, k);
  }
  std::vector<std::string> sets;

 private:
  platform::Registry& inner_;
};

TEST_F(ValueStoreTest, UpdateBracketSurroundsTheBatch) {
  RecordingRegistry recording(platform().registry());
  ValueStore values(recording, platform().files(), suite_->settings());
  {
    UpdateBracket bracket(values);
    values.writeText("Page1", "BattVal", "50%");
    EXPECT_EQ(values.readText("", "Updated"), "0");
  }
  EXPECT_EQ(recording.sets, (std::vector<std::string>{"Updated=0", "BattVal=50%", "Updated=1"}));
  EXPECT_EQ(values.readText("", "Updated"), "1");
}

TEST_F(ValueStoreTest, ResolveImagePrefersTheSkinThenTheFallback) {
  const Settings& s = suite_->settings();
  std::ofstream(hostFile(s.installPath("skins\\Blue\\sys\\wifi_e.png"))) << "png";
  std::ofstream(hostFile(s.installPath("skins\\default\\sys\\null.png"))) << "png";

  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "wifi_e.png", "skins\\default\\sys"),
            s.installPath("skins\\Blue\\sys\\wifi_e.png"));
  // Missing in the skin: the fall-back path, whether or not that file exists.
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "null.png", "skins\\default\\sys"),
            s.installPath("skins\\default\\sys\\null.png"));
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "gone.png", "skins\\default\\sys"),
            s.installPath("skins\\default\\sys\\gone.png"));
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "gone.png"),
            s.installPath("skins\\Blue\\sys\\gone.png"));
}

}  // namespace
}  // namespace zelko
