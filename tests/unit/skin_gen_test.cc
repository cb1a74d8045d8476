// The default skin: the PNG writer, the description it is drawn from, and its install.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "device/skin_install.h"
#include "skins/skin_gen.h"
#include "tests/unit/device_fixture.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using skins::Image;
using skins::Rgba;

uint32_t be32(std::string_view s, size_t at) {
  auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(s[at + i])); };
  return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

struct Chunk {
  std::string type, data;
};

// Splits a PNG into chunks, failing the test on a bad signature, length or CRC.
std::vector<Chunk> chunks(const std::string& png) {
  std::vector<Chunk> out;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  size_t at = 8;
  while (at + 12 <= png.size()) {
    uint32_t len = be32(png, at);
    if (at + 12 + len > png.size()) break;
    Chunk c{png.substr(at + 4, 4), png.substr(at + 8, len)};
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + at + 4), 4 + len);
    EXPECT_EQ(be32(png, at + 8 + len), static_cast<uint32_t>(crc)) << "CRC of " << c.type;
    out.push_back(std::move(c));
    at += 12 + len;
  }
  EXPECT_EQ(at, png.size()) << "bytes left after the last whole chunk";
  return out;
}

std::string inflateAll(const std::string& packed, size_t expected) {
  std::string raw(expected + 16, '\0');  // room to notice a stream that is too long
  uLongf size = raw.size();
  int rc = uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
                      reinterpret_cast<const Bytef*>(packed.data()), packed.size());
  EXPECT_EQ(rc, Z_OK);
  raw.resize(size);
  return raw;
}

TEST(SkinPngTest, WritesAValidRgbaFileWithEveryPixelInPlace) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {300, 17}}) {
    Image img(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        img.set(x, y, {uint8_t(x), uint8_t(y), uint8_t(x * 7 + y), uint8_t(255 - x)});
      }
    }
    auto parts = chunks(skins::encodePng(img));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].type, "IHDR");
    ASSERT_EQ(parts[0].data.size(), 13u);
    EXPECT_EQ(be32(parts[0].data, 0), uint32_t(w));
    EXPECT_EQ(be32(parts[0].data, 4), uint32_t(h));
    EXPECT_EQ(parts[0].data.substr(8), std::string("\x08\x06\x00\x00\x00", 5));  // 8-bit RGBA
    EXPECT_EQ(parts[1].type, "IDAT");
    EXPECT_EQ(parts[2].type, "IEND");
    EXPECT_TRUE(parts[2].data.empty());

    size_t stride = 1 + 4 * size_t(w);
    std::string raw = inflateAll(parts[1].data, stride * h);
    ASSERT_EQ(raw.size(), stride * h);
    for (int y = 0; y < h; ++y) {
      EXPECT_EQ(raw[y * stride], '\0') << "filter byte of row " << y;
      for (int x = 0; x < w; x += std::max(1, w / 7)) {
        Rgba p = img.at(x, y);
        const char* px = raw.data() + y * stride + 1 + 4 * x;
        EXPECT_EQ((Rgba{uint8_t(px[0]), uint8_t(px[1]), uint8_t(px[2]), uint8_t(px[3])}), p) << x << "," << y;
      }
    }
  }
}

TEST(SkinDescriptionTest, RefusesLinesThatWouldBreakTheSkin) {
  const std::map<std::string, std::string> bad = {
      {"sys null.png\n", "line 1"},
      {"# fine\n\nsys ../x.png blank\n", "line 3"},
      {"sys a\\b.png blank\n", "line 1"},
      {"sys notes.txt blank\n", "line 1"},
      {"sys .png blank\n", "line 1"},
      {"sys Null.png blank\r\nsys null.PNG blank\r\n", "line 2"},
  };
  for (const auto& [text, where] : bad) {
    auto d = skins::parseDescription(text);
    EXPECT_NE(d.error.find(where), std::string::npos) << text << " -> " << d.error;
    EXPECT_TRUE(d.entries.empty()) << text;
  }
  auto ok = skins::parseDescription("# c\r\n  \r\nsys a.png digit 5 # the five\nclock a.png blank");
  ASSERT_EQ(ok.error, "");
  ASSERT_EQ(ok.entries.size(), 2u);
  EXPECT_EQ(ok.entries[0].params, std::vector<std::string>{"5"});
  EXPECT_EQ(ok.entries[1].line, 4);
}

TEST(SkinDescriptionTest, ReportsBadParametersInsteadOfDrawing) {
  for (const char* line : {"sys a.png sparkle", "sys a.png digit", "sys a.png digit 12",
                           "sys a.png battery 101", "sys a.png battery 50 full", "sys a.png dot 12345g",
                           "sys a.png hand hour 13 0 ffffff", "sys a.png hand minute 5",
                           "sys a.png pages 6 5", "sys a.png label 0 10 000000 ffffff X",
                           "sys a.png weather rainbow", "sys a.png icon blinking 000000 X",
                           "sys a.png day -1"}) {
    auto d = skins::parseDescription(line);
    ASSERT_EQ(d.entries.size(), 1u) << line;
    std::string error;
    EXPECT_FALSE(skins::drawEntry(d.entries[0], &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

class DefaultSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path file = fs::path(__FILE__).parent_path() / "../../skins/default_skin.txt";
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    std::stringstream text;
    text << in.rdbuf();
    skin_ = skins::parseDescription(text.str());
    ASSERT_EQ(skin_.error, "");
  }

  Image draw(const std::string& folder, const std::string& file) {
    for (const auto& e : skin_.entries) {
      if (e.folder == folder && e.file == file) {
        std::string error;
        auto img = skins::drawEntry(e, &error);
        EXPECT_TRUE(img) << file << ": " << error;
        if (img) return *img;
      }
    }
    ADD_FAILURE() << folder << "/" << file << " is not in the description";
    return Image(1, 1);
  }

  skins::Description skin_;
};

// The names the engine and the providers look up in each default folder.
std::map<std::string, std::vector<std::string>> namesLookedUp() {
  std::map<std::string, std::vector<std::string>> n;
  for (int d = 0; d <= 9; ++d) n["clock"].push_back("c" + std::to_string(d) + ".png");
  for (const char* f : {"am", "pm", "bg", "bgc", "cal"}) n["clock"].push_back(std::string(f) + ".png");
  n["clockO"] = {"bg.png", "bgc.png"};
  for (const char* folder : {"clockA", "clockAO"}) {
    auto& v = n[folder];
    v.push_back("clock_bg.png");
    for (int h = 0; h <= 12; ++h) {
      v.push_back("h_" + std::to_string(h) + ".png");
      for (int q = 1; q <= 4; ++q) v.push_back("h_" + std::to_string(h) + "." + std::to_string(q) + ".png");
    }
    for (int m = 0; m < 60; ++m) v.push_back((m < 10 ? "m_0" : "m_") + std::to_string(m) + ".png");
  }
  for (const char* f :
       {"null", "bg", "Sys", "Private", "alarm", "unknown", "calendar", "sync", "load", "activesync_e",
        "activesync_d", "data_e", "data_d", "3G_e", "3G_d", "bluetooth_d", "bluetooth_e", "bluetooth_g",
        "cellular_u", "cellular_d", "cellular_GPRS", "cellular_EDGE", "cellular_3G", "cellular_HSDPA",
        "cellular_1X", "wifi_d", "wifi_n", "wifi_e", "sms_e", "sms_d", "tel_e", "tel_d", "email_e",
        "email_d", "voicemail_e", "voicemail_d", "total_d", "total_e", "total_tel", "total_sms",
        "total_email", "total_vmail", "vert", "rouge", "orange", "marron", "bleu", "gris", "Store",
        "Ram", "BlRh", "BlRl", "BmRh", "BmRl", "BhRh", "BhRl"}) {
    n["sys"].push_back(std::string(f) + ".png");
  }
  for (int p = 1; p <= 5; ++p) {
    n["sys"].push_back("Bkg" + std::to_string(p) + ".png");
    n["sys"].push_back("pages" + std::to_string(p) + ".png");
  }
  n["batt"] = {"battery_charge.png", "battery_empty!.png", "battery_full.png"};
  for (int b = 1; b <= 7; ++b) n["batt"].push_back("battery_" + std::to_string(b) + ".png");
  for (int d = 1; d <= 31; ++d) n["cal"].push_back((d < 10 ? "0" : "") + std::to_string(d) + ".png");
  for (int k = 0; k <= 47; ++k) n["msn"].push_back(std::to_string(k) + ".png");
  for (int k = 1; k <= 44; ++k) n["accu"].push_back(std::to_string(k) + ".png");
  n["google"] = {"sunny.png", "mostly_sunny.png", "partly_cloudy.png", "cloudy.png", "rain.png", "snow.png"};
  return n;
}

TEST_F(DefaultSkinTest, HasEveryImageTheSuiteLooksUpOncePerFolder) {
  std::map<std::string, int> count;
  for (const auto& e : skin_.entries) ++count[e.folder + "/" + e.file];
  for (const auto& [folder, names] : namesLookedUp()) {
    for (const auto& name : names) EXPECT_EQ(count[folder + "/" + name], 1) << folder << "/" << name;
  }
}

TEST_F(DefaultSkinTest, EveryImageDrawsAndOnlyTheBlankIsEmpty) {
  for (const auto& e : skin_.entries) {
    std::string error;
    auto img = skins::drawEntry(e, &error);
    ASSERT_TRUE(img) << e.folder << "/" << e.file << ": " << error;
    bool anyVisible = false;
    for (size_t i = 3; i < img->pixels().size() && !anyVisible; i += 4) anyVisible = img->pixels()[i] != 0;
    EXPECT_EQ(anyVisible, e.file != "null.png") << e.folder << "/" << e.file;
  }
  Image blank = draw("sys", "null.png");
  EXPECT_EQ(blank.width() * blank.height(), 1);
}

TEST_F(DefaultSkinTest, ImagesOfOneKindCanBeToldApart) {
  std::set<std::vector<uint8_t>> seen;
  for (int d = 0; d <= 9; ++d) {
    EXPECT_TRUE(seen.insert(draw("clock", "c" + std::to_string(d) + ".png").pixels()).second) << d;
  }
  for (const char* f : {"wifi_d", "wifi_n", "wifi_e", "bluetooth_d", "bluetooth_e", "bluetooth_g"}) {
    EXPECT_TRUE(seen.insert(draw("sys", std::string(f) + ".png").pixels()).second) << f;
  }
  for (int m = 0; m < 60; ++m) {
    std::string name = (m < 10 ? "m_0" : "m_") + std::to_string(m) + ".png";
    EXPECT_TRUE(seen.insert(draw("clockA", name).pixels()).second) << name;
    EXPECT_TRUE(seen.insert(draw("clockAO", name).pixels()).second) << "clockAO " << name;
  }
}

TEST_F(DefaultSkinTest, BatteryBarGrowsWithTheLevel) {
  int previous = -1;
  for (const char* f : {"battery_1", "battery_2", "battery_3", "battery_4", "battery_5", "battery_6",
                        "battery_7", "battery_full"}) {
    Image img = draw("batt", std::string(f) + ".png");
    int filled = 0;
    for (int x = 0; x < img.width(); ++x) {
      Rgba p = img.at(x, img.height() / 2);
      filled += p.a == 255 && (p.r > 150 || p.g > 120) && !(p.r > 200 && p.g > 200 && p.b > 200);
    }
    EXPECT_GT(filled, previous) << f;
    previous = filled;
  }
}

TEST_F(DefaultSkinTest, HandsPointWhereTheirNameSays) {
  // Opaque pixels three quarters of the way to the tip, in the direction of the time.
  auto pointsAt = [](const Image& img, int dx, int dy) {
    int cx = img.width() / 2, cy = img.height() / 2;
    return img.at(cx + dx * 18, cy + dy * 18).a > 0;
  };
  struct Case {
    const char* file;
    int dx, dy;
  } cases[] = {{"h_0.png", 0, -1}, {"h_3.png", 1, 0}, {"h_6.png", 0, 1}, {"h_9.png", -1, 0},
               {"h_12.png", 0, -1}, {"m_15.png", 1, 0}, {"m_30.png", 0, 1}, {"m_45.png", -1, 0}};
  for (const char* folder : {"clockA", "clockAO"}) {
    for (const auto& c : cases) {
      Image img = draw(folder, c.file);
      EXPECT_TRUE(pointsAt(img, c.dx, c.dy)) << folder << "/" << c.file;
      EXPECT_FALSE(pointsAt(img, -c.dx, -c.dy)) << folder << "/" << c.file << " points backwards";
    }
  }
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

TEST_F(SkinInstallTest, CopiesTheSkinTreeAndKeepsTheUsersSettings) {
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
}

TEST_F(SkinInstallTest, RefusesABuildWithoutASkin) {
  auto result = device::installSkins(dir() / "nowhere", platform().files());
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.status().code(), platform::Status::Code::kNotFound);
  EXPECT_FALSE(platform().files().exists("\\Program Files\\ZelkoToday\\ZelkoToday.ini"));
}

}  // namespace
}  // namespace zelko
