// The default skin as the suite and the home-screen layers use it: every image the programs
// look up, at the size skins/README.md documents, telling its states apart.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <optional>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "skins/skin_gen.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;

struct Png {
  int width = 0, height = 0;
  std::vector<uint8_t> argb;  // premultiplied, rows top to bottom
  uint8_t alpha(int x, int y) const { return argb[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
  // Red, green and blue of an opaque or translucent pixel, premultiplied.
  std::array<int, 3> rgb(int x, int y) const {
    const uint8_t* p = &argb[(static_cast<size_t>(y) * width + x) * 4];
    return {p[2], p[1], p[0]};
  }
};

// Reads a PNG file with cairo's own reader: a file that is not a valid PNG fails here.
std::optional<Png> readPng(const fs::path& file) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
  std::optional<Png> png;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                                       cairo_image_surface_get_height(s));
    cairo_t* cr = cairo_create(argb);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(argb);
    png = Png{cairo_image_surface_get_width(argb), cairo_image_surface_get_height(argb), {}};
    const int stride = cairo_image_surface_get_stride(argb);
    for (int y = 0; y < png->height; ++y) {
      const uint8_t* row = cairo_image_surface_get_data(argb) + static_cast<size_t>(y) * stride;
      png->argb.insert(png->argb.end(), row, row + png->width * 4);
    }
    cairo_surface_destroy(argb);
  }
  cairo_surface_destroy(s);
  return png;
}

// The names the engine and the providers look up in each default folder.
std::map<std::string, std::vector<std::string>> namesLookedUp() {
  std::map<std::string, std::vector<std::string>> n;
  for (int d = 0; d <= 9; ++d) n["clock"].push_back("c" + std::to_string(d) + ".png");
  for (const char* f : {"am", "pm", "bg", "bgc", "cal"}) n["clock"].push_back(std::string(f) + ".png");
  for (int f = 1; f <= 9; ++f) n["clock"].push_back("flip" + std::to_string(f) + ".png");
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
       {"null", "bg", "Sys", "Private", "alarm", "unknown", "calendar", "sync", "load", "infos4", "activesync_e",
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
  for (int k = 0; k <= 44; ++k) n["accu"].push_back(std::to_string(k) + ".png");
  n["google"] = {"sunny.png",      "mostly_sunny.png", "partly_cloudy.png", "mostly_cloudy.png", "cloudy.png",
                 "chance_of_rain.png", "showers.png", "rain.png", "chance_of_storm.png", "storm.png",
                 "thunderstorm.png", "chance_of_tstorm.png", "chance_of_snow.png", "snow.png", "flurries.png",
                 "sleet.png", "icy.png", "mist.png", "fog.png", "haze.png", "smoke.png", "dust.png"};
  return n;
}

// The sizes of skins/README.md, which the home-screen layers place the images at.
std::pair<int, int> documentedSize(const std::string& folder, const std::string& file) {
  auto is = [&file](std::initializer_list<const char*> names) {
    for (const char* n : names) {
      if (file == std::string(n) + ".png") return true;
    }
    return false;
  };
  if (folder == "clockA" || folder == "clockAO") return {120, 120};
  if (folder == "batt") return {64, 32};
  if (folder == "cal") return {48, 48};
  if (folder == "msn" || folder == "accu" || folder == "google") return {64, 64};
  if (folder == "clock" && file.size() == 6 && file[0] == 'c') return {60, 92};  // c0.png .. c9.png
  if (folder == "clock" && is({"am", "pm"})) return {40, 24};
  if (is({"bgc"})) return {132, 48};
  if (is({"bg"}) || file.starts_with("flip")) return {300, 112};
  if (file.starts_with("Bkg")) return {480, 360};
  if (file.starts_with("pages")) return {100, 20};
  if (is({"infos4"})) return {456, 180};
  if (is({"null"})) return {1, 1};
  if (is({"vert", "rouge", "orange", "marron", "bleu", "gris"})) return {16, 16};
  if (is({"calendar", "unknown", "Private"})) return {48, 48};
  if (is({"sync", "load"})) return {64, 64};
  return {40, 40};
}

class DefaultSkinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::path file = fs::path(__FILE__).parent_path() / "../../skins/default_skin.txt";
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    std::stringstream text;
    text << in.rdbuf();
    auto skin = skins::parseDescription(text.str());
    ASSERT_EQ(skin.error, "");
    out_ = new fs::path(fs::path(::testing::TempDir()) / ("default_skin_" + std::to_string(getpid())));
    fs::remove_all(*out_);
    std::string error;
    written_ = skins::generateSkin(skin, out_->string(), &error);
    ASSERT_EQ(written_, static_cast<int>(skin.entries.size())) << error;
  }
  static void TearDownTestSuite() {
    if (out_) fs::remove_all(*out_);
    delete out_;
    out_ = nullptr;
  }

  static Png image(const std::string& folder, const std::string& file) {
    auto png = readPng(*out_ / folder / file);
    if (!png) ADD_FAILURE() << folder << "/" << file << " is not a readable PNG";
    return png ? *png : Png{1, 1, {0, 0, 0, 0}};
  }

  static fs::path* out_;
  static int written_;
};

fs::path* DefaultSkinTest::out_ = nullptr;
int DefaultSkinTest::written_ = 0;

// Every image the programs look up is a PNG of its documented size that shows something
// (at least a hundredth of it: a clock hand shows little more), the blank excepted; and
// there is nothing the programs never ask for.
TEST_F(DefaultSkinTest, EveryImageLookedUpIsAVisiblePngOfItsDocumentedSize) {
  int looked = 0;
  for (const auto& [folder, names] : namesLookedUp()) {
    for (const auto& name : names) {
      ++looked;
      Png png = image(folder, name);
      auto [w, h] = documentedSize(folder, name);
      EXPECT_EQ(png.width, w) << folder << "/" << name;
      EXPECT_EQ(png.height, h) << folder << "/" << name;
      int visible = 0;
      for (int y = 0; y < png.height; ++y) {
        for (int x = 0; x < png.width; ++x) visible += png.alpha(x, y) > 0;
      }
      if (name == "null.png") {
        EXPECT_EQ(visible, 0);
      } else {
        EXPECT_GT(visible * 100, png.width * png.height) << folder << "/" << name;
      }
    }
  }
  EXPECT_EQ(written_, looked);
}

TEST_F(DefaultSkinTest, ImagesOfDifferentStatesDiffer) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> groups = {
      {"clock", {"c0", "c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8", "c9"}},
      {"clock", {"bg", "flip1", "flip2", "flip3", "flip4", "flip5", "flip6", "flip7", "flip8", "flip9"}},
      {"sys", {"wifi_e", "wifi_n", "wifi_d"}},
      {"sys", {"cellular_u", "cellular_d", "cellular_GPRS", "cellular_EDGE", "cellular_3G", "cellular_HSDPA",
               "cellular_1X"}},
      {"sys", {"total_e", "total_d", "total_tel", "total_sms", "total_email", "total_vmail"}},
      {"sys", {"BlRh", "BlRl", "BmRh", "BmRl", "BhRh", "BhRl"}},
      {"batt", {"battery_charge", "battery_empty!", "battery_1", "battery_2", "battery_3", "battery_4",
                "battery_5", "battery_6", "battery_7", "battery_full"}},
      {"msn", {"32", "31", "30", "29", "26", "11", "16", "4", "20", "24", "36", "25", "44"}},  // weathers
  };
  for (const auto& [folder, names] : groups) {
    std::set<std::vector<uint8_t>> seen;
    for (const auto& name : names) {
      EXPECT_TRUE(seen.insert(image(folder, name + ".png").argb).second) << folder << "/" << name << " repeats";
    }
  }
  std::set<std::vector<uint8_t>> days, hands;
  for (int d = 1; d <= 31; ++d) {
    EXPECT_TRUE(days.insert(image("cal", (d < 10 ? "0" : "") + std::to_string(d) + ".png").argb).second) << d;
  }
  // h_0 and h_12 are both twelve o'clock; every other position is its own.
  for (const char* folder : {"clockA", "clockAO"}) {
    for (int m = 0; m < 60; ++m) {
      std::string minute = (m < 10 ? "m_0" : "m_") + std::to_string(m) + ".png";
      std::string hour = "h_" + std::to_string(m / 5 + 1) + (m % 5 ? "." + std::to_string(m % 5) : "") + ".png";
      EXPECT_TRUE(hands.insert(image(folder, minute).argb).second) << folder << "/" << minute;
      EXPECT_TRUE(hands.insert(image(folder, hour).argb).second) << folder << "/" << hour;
    }
  }
}

TEST_F(DefaultSkinTest, BatteryBarGrowsWithTheLevel) {
  // Coloured (not grey) pixels along the middle row: the bar, not the outline.
  auto barLength = [](const Png& png) {
    int n = 0;
    for (int x = 0; x < png.width; ++x) {
      auto [r, g, b] = png.rgb(x, png.height / 2);
      n += std::max({r, g, b}) - std::min({r, g, b}) > 60;
    }
    return n;
  };
  int previous = -1;
  for (const char* f : {"battery_1", "battery_2", "battery_3", "battery_4", "battery_5",
                        "battery_6", "battery_7", "battery_full"}) {
    int length = barLength(image("batt", std::string(f) + ".png"));
    EXPECT_GT(length, previous) << f;
    previous = length;
  }
}

TEST_F(DefaultSkinTest, HandsPointWhereTheirNameSays) {
  // Something drawn a fifth of the width from the centre in the direction of the time,
  // nothing the other way.
  auto pointsAt = [](const Png& png, int dx, int dy) {
    int cx = png.width / 2, cy = png.height / 2, d = png.width / 5;
    return png.alpha(cx + dx * d, cy + dy * d) > 0;
  };
  struct Case {
    const char* file;
    int dx, dy;
  } cases[] = {{"h_0.png", 0, -1},  {"h_3.png", 1, 0},   {"h_6.png", 0, 1},   {"h_9.png", -1, 0},
               {"h_12.png", 0, -1}, {"m_15.png", 1, 0}, {"m_30.png", 0, 1}, {"m_45.png", -1, 0}};
  for (const char* folder : {"clockA", "clockAO"}) {
    for (const auto& c : cases) {
      Png png = image(folder, c.file);
      EXPECT_TRUE(pointsAt(png, c.dx, c.dy)) << folder << "/" << c.file;
      EXPECT_FALSE(pointsAt(png, -c.dx, -c.dy)) << folder << "/" << c.file << " points backwards";
    }
  }
}

}  // namespace
}  // namespace zelko
