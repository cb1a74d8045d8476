// Weather condition icons, shared by the three weather services' folders: each service
// numbers or names its conditions differently, the description maps them onto these.
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <string>

#include "skins/skin_gen.h"

namespace zelko::skins {
namespace {

constexpr Rgba kSun{255, 205, 0, 255};
constexpr Rgba kCloud{205, 210, 220, 255};
constexpr Rgba kStormCloud{115, 120, 135, 255};
constexpr Rgba kRain{60, 130, 255, 255};
constexpr Rgba kFlake{235, 245, 255, 255};
constexpr Rgba kFlakeRim{110, 150, 215, 255};

void sun(Image& img, double cx, double cy, double r, Rgba c) {
  for (int k = 0; k < 8; ++k) {
    double a = k * std::numbers::pi / 4;
    img.line(cx + (r + 2) * std::cos(a), cy + (r + 2) * std::sin(a), cx + (r + 7) * std::cos(a),
             cy + (r + 7) * std::sin(a), 2.5, c);
  }
  img.fillCircle(cx, cy, r, c);
}

void moon(Image& img, double cx, double cy, double r) {
  img.fillCircle(cx, cy, r, {240, 235, 190, 255});
  // The bite is cut out rather than painted over, so the icon stays transparent there.
  double bx = cx + r * 0.55, by = cy - r * 0.35, br = r * 0.85;
  for (int y = static_cast<int>(by - br) - 1; y <= by + br + 1; ++y) {
    for (int x = static_cast<int>(bx - br) - 1; x <= bx + br + 1; ++x) {
      double dx = x + 0.5 - bx, dy = y + 0.5 - by;
      if (dx * dx + dy * dy <= br * br) img.set(x, y, {0, 0, 0, 0});
    }
  }
}

void cloud(Image& img, double cx, double cy, Rgba c) {
  img.fillCircle(cx - 9, cy + 2, 7, c);
  img.fillCircle(cx, cy - 3, 9.5, c);
  img.fillCircle(cx + 9, cy + 2, 7, c);
  img.fillRect(static_cast<int>(cx - 9), static_cast<int>(cy + 2), 19, 7, c);
}

void raindrops(Image& img, int count) {
  for (int i = 0; i < count; ++i) {
    double x = 14 + i * 7;
    img.line(x, 31, x - 3, 41, 2, kRain);
  }
}

void flakes(Image& img, int count) {
  const double at[][2] = {{14, 35}, {24, 39}, {34, 35}, {19, 44}, {29, 44}};
  for (int i = 0; i < count && i < 5; ++i) {
    img.fillCircle(at[i][0], at[i][1], 3, kFlakeRim);
    img.fillCircle(at[i][0], at[i][1], 2, kFlake);
  }
}

void stripes(Image& img, Rgba c) {
  const int from[] = {6, 10, 4, 12, 8}, to[] = {40, 44, 36, 42, 30};
  for (int i = 0; i < 5; ++i) img.line(from[i], 10 + i * 7, to[i], 10 + i * 7, 3, c);
}

void bolt(Image& img) {
  Rgba c{255, 225, 0, 255};
  img.line(27, 26, 20, 36, 3, c);
  img.line(20, 36, 28, 35, 3, c);
  img.line(28, 35, 21, 46, 3, c);
}

using Painter = std::function<void(Image&)>;

const std::map<std::string, Painter, std::less<>>& painters() {
  static const std::map<std::string, Painter, std::less<>> all = {
      {"sun", [](Image& i) { sun(i, 24, 22, 10, kSun); }},
      {"hot", [](Image& i) { sun(i, 24, 22, 10, {255, 80, 20, 255}); }},
      {"moon", [](Image& i) { moon(i, 22, 22, 13); }},
      {"partly",
       [](Image& i) {
         sun(i, 16, 15, 7, kSun);
         cloud(i, 28, 28, kCloud);
       }},
      {"partlynight",
       [](Image& i) {
         moon(i, 15, 15, 10);
         cloud(i, 28, 28, kCloud);
       }},
      {"cloud", [](Image& i) { cloud(i, 24, 22, kCloud); }},
      {"rain",
       [](Image& i) {
         cloud(i, 24, 18, kCloud);
         raindrops(i, 4);
       }},
      {"snow",
       [](Image& i) {
         cloud(i, 24, 18, kCloud);
         flakes(i, 5);
       }},
      {"sleet",
       [](Image& i) {
         cloud(i, 24, 18, kCloud);
         raindrops(i, 2);
         flakes(i, 3);
       }},
      {"storm",
       [](Image& i) {
         cloud(i, 24, 18, kStormCloud);
         bolt(i);
       }},
      {"fog", [](Image& i) { stripes(i, {185, 190, 200, 255}); }},
      {"dust", [](Image& i) { stripes(i, {190, 150, 90, 255}); }},
      {"wind",
       [](Image& i) {
         Rgba c{150, 195, 235, 255};
         i.line(6, 16, 36, 16, 3, c);
         i.line(6, 24, 42, 24, 3, c);
         i.line(6, 32, 30, 32, 3, c);
         i.fillCircle(37, 13, 3, c);
         i.fillCircle(31, 35, 3, c);
       }},
      {"cold",
       [](Image& i) {
         Rgba c{120, 200, 255, 255};
         for (int k = 0; k < 3; ++k) {
           double a = k * std::numbers::pi / 3;
           i.line(24 - 16 * std::cos(a), 22 - 16 * std::sin(a), 24 + 16 * std::cos(a),
                  22 + 16 * std::sin(a), 3, c);
         }
       }},
      {"na", [](Image& i) { i.textCentered(0, 0, 48, 40, "?", {200, 200, 200, 255}, 5); }},
  };
  return all;
}

}  // namespace

std::optional<Image> drawWeather(std::string_view glyph, std::string_view label) {
  auto painter = painters().find(glyph);
  if (painter == painters().end()) return std::nullopt;
  Image img(48, 48);
  painter->second(img);
  if (!label.empty()) {
    int x = 47 - textWidth(label, 1), y = 40;
    for (int d = 0; d < 4; ++d) {
      img.text(x + (d == 0) - (d == 1), y + (d == 2) - (d == 3), label, 1, {0, 0, 0, 255});
    }
    img.text(x, y, label, 1, {255, 255, 255, 255});
  }
  return img;
}

}  // namespace zelko::skins
