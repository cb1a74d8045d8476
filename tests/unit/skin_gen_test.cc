// The skin generator: its description, its fonts and its output; and the skin's install.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "device/skin_install.h"
#include "skins/skin_gen.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using skins::Canvas;

constexpr const char* kHeader = "color ink f4f7fb\nsize icon 40 40\n";

TEST(SkinDescriptionTest, RefusesLinesThatWouldBreakTheSkin) {
  const std::map<std::string, std::string> bad = {
      {"size icon 40 40\nsys null.png icon\n", "line 2"},
      {"size icon 40 40\n# fine\n\nsys ../x.png icon blank\n", "line 4"},
      {"size icon 40 40\nsys a\\b.png icon blank\n", "line 2"},
      {"size icon 40 40\nsys notes.txt icon blank\n", "line 2"},
      {"size icon 40 40\nsys .png icon blank\n", "line 2"},
      {"size icon 40 40\nsys Null.png icon blank\r\nsys null.PNG icon blank\r\n", "line 3"},
      {"sys a.png icon blank\nsize icon 40 40\n", "line 1"},  // a size is defined before use
      {"size icon 0 40\n", "line 1"},
      {"size icon 40 5000\n", "line 1"},
      {"size icon 40\n", "line 1"},
      {"color ink f4f7f\n", "line 1"},
      {"color ink f4f7fg\n", "line 1"},
  };
  for (const auto& [text, where] : bad) {
    auto d = skins::parseDescription(text);
    EXPECT_NE(d.error.find(where), std::string::npos) << text << " -> " << d.error;
    EXPECT_TRUE(d.entries.empty()) << text;
  }
  auto ok = skins::parseDescription("# c\r\ncolor ink F4F7FB80\r\n  \r\nsize icon 40 30\nsys a.png icon digit 5 # the five\n"
                                    "clock a.png icon blank");
  ASSERT_EQ(ok.error, "");
  ASSERT_EQ(ok.entries.size(), 2u);
  EXPECT_EQ(ok.entries[0].params, std::vector<std::string>{"5"});
  EXPECT_EQ(ok.entries[1].line, 6);
  EXPECT_EQ(ok.palette["ink"], (skins::Rgba{0xf4, 0xf7, 0xfb, 0x80}));
}

TEST(SkinDescriptionTest, ReportsBadParametersInsteadOfDrawing) {
  for (const char* line :
       {"sys a.png icon sparkle", "sys a.png icon digit", "sys a.png icon digit 12", "sys a.png icon battery 101",
        "sys a.png icon battery 50 full", "sys a.png icon dot 12345g", "sys a.png icon dot nocolour",
        "sys a.png icon dial hour 13 0 ink", "sys a.png icon dial minute 5", "sys a.png icon dial face ink",
        "sys a.png icon pagedots 6 5", "sys a.png icon tray ink ink 3", "sys a.png icon tray ink ink 10 9",
        "sys a.png icon tray ink plain 1 9", "sys a.png icon weather rainbow", "sys a.png icon weather",
        "sys a.png icon icon wifi blinking ink", "sys a.png icon icon rocket on ink",
        "sys a.png icon icon total on ink rocket", "sys a.png icon slot day 32", "sys a.png icon slot person",
        "sys a.png icon summary x h", "sys a.png icon blank 1", "sys a.png icon ampm AM"}) {
    auto d = skins::parseDescription(std::string(kHeader) + line);
    ASSERT_EQ(d.entries.size(), 1u) << line;
    std::string error;
    EXPECT_FALSE(skins::drawEntry(d, d.entries[0], &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(SkinFontTest, TextIsSetInDejaVuSansAntiAliased) {
  std::string error;
  const skins::Fonts* fonts = skins::skinFonts(&error);
  ASSERT_NE(fonts, nullptr) << error;
  EXPECT_EQ(fonts->regular.family(), "DejaVu Sans");
  EXPECT_EQ(fonts->bold.family(), "DejaVu Sans");
  // DejaVu Sans sets its digits 1303/2048 of the size apart, its bold 1425/2048: another
  // font standing in would not.
  Canvas c(200, 60);
  EXPECT_NEAR(skins::textWidth(c.cr(), fonts->regular, "0123456789", 20), 200.0 * 1303 / 2048, 0.5);
  EXPECT_NEAR(skins::textWidth(c.cr(), fonts->bold, "0123456789", 20), 200.0 * 1425 / 2048, 0.5);

  skins::drawText(c.cr(), fonts->bold, "8", {0, 0, 200, 60}, 40, {255, 255, 255, 255});
  int solid = 0, partial = 0, top = 60, bottom = -1;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      int a = c.at(x, y).a;
      solid += a == 255;
      partial += a > 0 && a < 255;
      if (a > 0) top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  EXPECT_GT(solid, 100);
  EXPECT_GT(partial, 20) << "edges are anti-aliased";
  // The ink of a DejaVu digit is 1493/2048 of the size high, centred in the box.
  EXPECT_NEAR(bottom - top + 1, 40.0 * 1493 / 2048, 2);
  EXPECT_NEAR((top + bottom) / 2.0, 30, 1.5);

  auto missing = skins::Font::load("/nonexistent/DejaVuSans.ttf", &error);
  EXPECT_FALSE(missing);
  EXPECT_NE(error.find("/nonexistent/DejaVuSans.ttf"), std::string::npos);
}

TEST(SkinGeneratorTest, WritesEveryImageOrStopsAtTheFirstBadLine) {
  fs::path out = fs::path(::testing::TempDir()) / ("skin_gen_" + std::to_string(getpid()));
  fs::remove_all(out);
  auto good = skins::parseDescription(std::string(kHeader) + "sys dot.png icon dot ink\nclock none.png icon blank\n");
  std::string error;
  EXPECT_EQ(skins::generateSkin(good, out.string(), &error), 2) << error;
  EXPECT_TRUE(fs::exists(out / "sys" / "dot.png"));
  EXPECT_TRUE(fs::exists(out / "clock" / "none.png"));

  auto bad = skins::parseDescription(std::string(kHeader) + "sys a.png icon dot ink\nsys b.png icon dot\n");
  EXPECT_EQ(skins::generateSkin(bad, out.string(), &error), -1);
  EXPECT_NE(error.find("line 4 (b.png)"), std::string::npos) << error;
  fs::remove_all(out);
}

class SkinInstallTest : public testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    build_ = dir() / "build";
    fs::create_directories(build_ / "skins" / "default" / "sys");
    std::ofstream(build_ / "skins" / "default" / "sys" / "null.png", std::ios::binary) << std::string("\x89P\0G", 4);
    std::ofstream(build_ / "skins" / "default" / "default.ini") << "; empty\n";
    std::ofstream(build_ / "skins" / "ZelkoToday.ini") << "[Battery]\ncritical=10\n";
  }
  fs::path build_;
};

TEST_F(SkinInstallTest, CopiesTheSkinTreeKeepsTheUsersSettingsAndRefusesABuildWithoutASkin) {
  auto& files = platform().files();
  auto first = device::installSkins(build_, files);
  ASSERT_TRUE(first.ok()) << first.status().message();
  EXPECT_EQ(first->files, 2);
  EXPECT_TRUE(first->iniWritten);
  auto png = files.readFile("\\Program Files\\ZelkoToday\\skins\\default\\sys\\null.png");
  ASSERT_TRUE(png.ok());
  EXPECT_EQ(*png, std::string("\x89P\0G", 4));
  EXPECT_TRUE(files.exists("\\Program Files\\ZelkoToday\\skins\\default\\default.ini"));

  ASSERT_TRUE(files.writeFile("\\Program Files\\ZelkoToday\\ZelkoToday.ini", "[Battery]\ncritical=30\n").ok());
  std::ofstream(build_ / "skins" / "default" / "sys" / "null.png", std::ios::binary) << "new";
  auto again = device::installSkins(build_, files);
  ASSERT_TRUE(again.ok());
  EXPECT_FALSE(again->iniWritten);
  EXPECT_EQ(*files.readFile("\\Program Files\\ZelkoToday\\ZelkoToday.ini"), "[Battery]\ncritical=30\n");
  EXPECT_EQ(*files.readFile("\\Program Files\\ZelkoToday\\skins\\default\\sys\\null.png"), "new");

  auto none = device::installSkins(dir() / "nowhere", files);  // a build without a skin
  EXPECT_EQ(none.status().code(), platform::Status::Code::kNotFound);
}

}  // namespace
}  // namespace zelko
