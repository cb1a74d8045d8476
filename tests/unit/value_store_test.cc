#include "common/value_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

using platform::RegValue;
using platform::Root;
using testing::kHklm;

TEST(ParseRedirect, NamePageAndLimits) {
  auto target = [](std::string_view text) {
    auto t = parseRedirect(text, "Page1");
    return t ? t->name + "@" + t->page : std::string("none");
  };
  EXPECT_EQ(target("Copy,Page2"), "Copy@Page2");
  EXPECT_EQ(target("Copy"), "Copy@Page1");
  EXPECT_EQ(target("Copy,Page3,Ignored"), "Copy@Page3");
  EXPECT_EQ(target("Copy,"), "Copy@Page1");  // never the plugin key
  EXPECT_EQ(target(""), "none");
  EXPECT_EQ(target(",Page2"), "none");
  EXPECT_NE(target(std::string(kMaxRedirectUnits, 'n')), "none");
  EXPECT_EQ(target(std::string(kMaxRedirectUnits + 1, 'n')), "none");
  EXPECT_EQ(target("n," + std::string(kMaxRedirectUnits + 1, 'p')), "none");
  // A page is one key below the plugin key: a backslash would reach the plugin key
  // itself (its skin settings) or a key of another page.
  EXPECT_EQ(target("Copy,\\"), "none");
  EXPECT_EQ(target("Copy,\\\\"), "none");
  EXPECT_EQ(target("Copy,Page2\\"), "none");
  EXPECT_EQ(target("Copy,\\Page2"), "none");
  EXPECT_EQ(target("Copy,Page2\\Sub"), "none");
}

class ValueStoreTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    suite_.emplace(platform());
    suite_->settings().startUp("ZelkoToday", 570, std::vector<std::string>{"x"});
  }
  platform::Registry& reg() { return platform().registry(); }
  ValueStore& store() { return suite_->values(); }
  std::optional<Suite> suite_;
};

TEST_F(ValueStoreTest, TextReadsFailOnMissingMistypedAndOverlongValues) {
  EXPECT_TRUE(regWriteText(reg(), kHklm, "Software\\Zelko\\Sms1", "from", "Ann"));
  EXPECT_EQ(regReadText(reg(), kHklm, "software\\zelko\\SMS1", "FROM"), "Ann");
  EXPECT_EQ(regReadText(reg(), kHklm, "Software\\Zelko\\Sms2", "from"), "");
  ASSERT_TRUE(regWriteNumber(reg(), kHklm, "K", "total", 3));
  EXPECT_EQ(regReadText(reg(), kHklm, "K", "total"), "");
  EXPECT_EQ(regReadNumber(reg(), kHklm, "K", "total"), 3u);
  EXPECT_EQ(regReadNumber(reg(), kHklm, "Software\\Zelko\\Sms1", "from"), 0u);

  // 254 units and the terminator fill the phone's 255-unit buffer; more does not fit.
  std::string fits(kMaxRegTextUnits, 'x');
  regWriteText(reg(), kHklm, "K", "fits", fits);
  regWriteText(reg(), kHklm, "K", "over", fits + "x");
  regWriteText(reg(), kHklm, "K", "wide", fits.substr(1) + "\xF0\x9F\x98\x80");
  EXPECT_EQ(regReadText(reg(), kHklm, "K", "fits"), fits);
  EXPECT_EQ(regReadText(reg(), kHklm, "K", "over"), "");
  EXPECT_EQ(regReadText(reg(), kHklm, "K", "wide"), "");
}

TEST_F(ValueStoreTest, TimeIsAnEightByteFileTime) {
  platform::DateTime when{2024, 3, 0, 5, 14, 30, 15, 0};
  ASSERT_TRUE(platform::normalizeDateTime(when));
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(platform::toFileTime(when) >> (8 * i));
  ASSERT_TRUE(reg().setValue(kHklm, "Alarm", "Next", RegValue::Binary(bytes)).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "Alarm", "Short", RegValue::Binary({1, 2, 3, 4, 5, 6, 7})).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "Alarm", "Beyond", RegValue::Binary(std::vector<uint8_t>(8, 0xFF))).ok());
  ASSERT_TRUE(reg().setValue(kHklm, "Alarm", "Dword", RegValue::Dword(5)).ok());
  auto& clock = platform().clock();
  EXPECT_EQ(regReadTime(reg(), clock, kHklm, "Alarm", "Next", false), when);
  EXPECT_EQ(regReadTime(reg(), clock, kHklm, "Alarm", "Next", true), clock.toLocal(when));
  for (const char* name : {"Short", "Beyond", "Dword", "Missing"}) {
    EXPECT_EQ(regReadTime(reg(), clock, kHklm, "Alarm", name, true), std::nullopt) << name;
  }
}

TEST_F(ValueStoreTest, RedirectTable) {
  suite_->settings().skinIni().parse(
      "Updated=Copy\n"
      "[Page1]\nBattPNG=BattCopy,Page2\nBattVal=ValCopy\nA=B\nB=C\nNoName=,Page3\n"
      "Time=Lang,\\\nDate=SkinName,\\\\\n"
      "[Page4]\nCount=Other,Page5\nInfos=Shown\n");
  store().writeText("Page1", "BattPNG", "\\x\\battery_5.png");
  store().writeText("page1", "BattVal", "75%");
  store().writeText("Page1", "A", "a");
  store().writeText("Page1", "NoName", "n");
  store().writeText("", "Lang", "fr");
  store().writeText("Page1", "Time", "10:05");
  store().writeText("Page1", "Date", "mardi");
  store().writeNumber("Page4", "Count", 4);
  store().writeText("", "Updated", "1");

  EXPECT_EQ(store().readText("Page1", "BattPNG"), "\\x\\battery_5.png");
  EXPECT_EQ(store().readText("Page2", "BattCopy"), "\\x\\battery_5.png");
  EXPECT_EQ(store().readText("Page1", "ValCopy"), "75%");
  EXPECT_EQ(store().readText("Page1", "B"), "a");
  EXPECT_EQ(store().readText("Page1", "C"), "");  // one level only
  EXPECT_TRUE(reg().values(kHklm, host::pageKey("Page3")).empty());
  EXPECT_EQ(store().readText("", "Lang"), "fr");  // a skin cannot rewrite the settings
  EXPECT_EQ(store().readText("", "SkinName"), "");
  EXPECT_EQ(store().readNumber("Page5", "Other"), 4u);
  EXPECT_EQ(store().readText("", "Copy"), "");        // the plugin key is never redirected
  EXPECT_EQ(store().readText("Page4", "Infos"), "");  // nor are reads
  EXPECT_EQ(store().readNumber("Page1", "BattVal"), 0u);
}

TEST_F(ValueStoreTest, UpdateBracketClosesOnEveryWayOut) {
  auto batch = [&](bool early) {
    UpdateBracket bracket(store());
    EXPECT_EQ(store().readText("", "Updated"), "0");
    if (early) return;
    store().writeText("Page1", "BattVal", "50%");
  };
  batch(true);
  EXPECT_EQ(store().readText("", "Updated"), "1");
  batch(false);
  EXPECT_EQ(store().readText("", "Updated"), "1");
}

TEST_F(ValueStoreTest, ResolveImageFallsBackWithoutLooking) {
  const Settings& s = suite_->settings();
  std::ofstream(hostFile(s.installPath("skins\\Blue\\sys\\wifi_e.png"))) << "png";
  std::ofstream(hostFile(s.installPath("skins\\default\\sys\\null.png"))) << "png";
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "WIFI_E.png", "skins\\default\\sys"),
            s.installPath("skins\\Blue\\sys\\WIFI_E.png"));
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "null.png", "skins\\default\\sys"),
            s.installPath("skins\\default\\sys\\null.png"));
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "gone.png", "skins\\default\\sys"),
            s.installPath("skins\\default\\sys\\gone.png"));
  EXPECT_EQ(store().resolveImage("skins\\Blue\\sys", "gone.png"),
            s.installPath("skins\\Blue\\sys\\gone.png"));
}

}  // namespace
}  // namespace zelko
