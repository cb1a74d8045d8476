// Weather icons, composed from parts in a 64-unit square: a sky body (sun, moon), a cloud
// (few, cloud, overcast, dark), what falls from it (drizzle, rain, heavy, snow, flurries,
// sleet, hail, ice, bolt) and what lies in the air (fog, haze, dust, smoke, wind, tornado),
// plus hot, cold and na. The services number their conditions differently; the
// description maps each number onto parts.
#include <cmath>
#include <numbers>
#include <set>

#include "skins/skin_kinds.h"

namespace zelko::skins {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr Rgba kRain{74, 163, 255, 255};
constexpr Rgba kFlake{240, 247, 255, 255};
constexpr Rgba kIce{150, 228, 255, 255};

const std::set<std::string, std::less<>> kBodies = {"sun", "moon"};
const std::set<std::string, std::less<>> kClouds = {"few", "cloud", "overcast", "dark"};
const std::set<std::string, std::less<>> kFalls = {"drizzle", "rain", "heavy", "snow", "flurries",
                                                   "sleet", "hail", "ice", "bolt"};
const std::set<std::string, std::less<>> kAir = {"fog", "haze", "dust", "smoke", "wind", "tornado",
                                                 "hot", "cold", "na"};

struct Parts {
  std::set<std::string, std::less<>> all;
  bool has(std::string_view part) const { return all.contains(part); }
  bool any(const std::set<std::string, std::less<>>& group) const {
    for (const auto& g : group) {
      if (all.contains(g)) return true;
    }
    return false;
  }
};

void sun(cairo_t* cr, double cx, double cy, double r) {
  for (int k = 0; k < 8; ++k) {
    const double a = k * kPi / 4;
    cairo_move_to(cr, cx + (r + 3) * std::cos(a), cy + (r + 3) * std::sin(a));
    cairo_line_to(cr, cx + (r + 3 + r * 0.45) * std::cos(a), cy + (r + 3 + r * 0.45) * std::sin(a));
  }
  strokeRound(cr, {255, 196, 46, 255}, std::max(2.2, r * 0.2));
  circle(cr, cx, cy, r);
  setRadialGradient(cr, cx - r * 0.3, cy - r * 0.3, cx, cy, r, {255, 237, 140, 255}, {255, 178, 31, 255});
  cairo_fill(cr);
}

void moon(cairo_t* cr, double cx, double cy, double r) {
  // The bite is cut out of the disc, so the sky behind shows through it.
  cairo_push_group(cr);
  circle(cr, cx, cy, r);
  setVerticalGradient(cr, cy - r, cy + r, {250, 244, 206, 255}, {222, 205, 130, 255});
  cairo_fill(cr);
  circle(cr, cx + r * 0.55, cy - r * 0.35, r * 0.82);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_pop_group_to_source(cr);
  cairo_paint(cr);
}

void cloudPath(cairo_t* cr, double cx, double cy, double s) {
  cairo_new_path(cr);
  circle(cr, cx - 11 * s, cy + 1 * s, 8 * s);
  circle(cr, cx - 1 * s, cy - 5 * s, 11 * s);
  circle(cr, cx + 11 * s, cy + 1 * s, 8.5 * s);
  roundedRect(cr, cx - 19 * s, cy, 38.5 * s, 9.5 * s, 4.75 * s);
}

void cloud(cairo_t* cr, double cx, double cy, double s, Rgba top, Rgba bottom) {
  // A union of shapes: drawn as one group so overlapping parts do not darken each other.
  cairo_push_group(cr);
  cloudPath(cr, cx, cy + 1.5 * s, s);
  setColor(cr, faded(kBlack, 0.25));
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_fill(cr);
  cloudPath(cr, cx, cy, s);
  setVerticalGradient(cr, cy - 16 * s, cy + 10 * s, top, bottom);
  cairo_fill(cr);
  cairo_pop_group_to_source(cr);
  cairo_paint(cr);
}

void drop(cairo_t* cr, double x, double y, double len) {
  cairo_move_to(cr, x + len * 0.3, y);
  cairo_line_to(cr, x, y + len);
  strokeRound(cr, kRain, 3);
}

void flake(cairo_t* cr, double x, double y, double r, Rgba c) {
  for (int k = 0; k < 3; ++k) {
    const double a = k * kPi / 3 + kPi / 2;
    cairo_move_to(cr, x - r * std::cos(a), y - r * std::sin(a));
    cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
  }
  cairo_path_t* path = cairo_copy_path(cr);
  strokeRound(cr, {70, 120, 190, 255}, 3.4);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
  strokeRound(cr, c, 1.8);
}

void pellet(cairo_t* cr, double x, double y) {
  circle(cr, x, y, 2.8);
  setColor(cr, kFlake);
  cairo_fill_preserve(cr);
  strokeRound(cr, {70, 120, 190, 255}, 1);
}

void bolt(cairo_t* cr, double x, double y) {
  cairo_move_to(cr, x + 3, y);
  cairo_line_to(cr, x - 6, y + 13);
  cairo_line_to(cr, x, y + 13);
  cairo_line_to(cr, x - 4, y + 25);
  cairo_line_to(cr, x + 8, y + 9);
  cairo_line_to(cr, x + 2, y + 9);
  cairo_line_to(cr, x + 7, y);
  cairo_close_path(cr);
  setColor(cr, {255, 214, 64, 255});
  cairo_fill_preserve(cr);
  strokeRound(cr, {200, 130, 0, 255}, 1.2);
}

// What falls, in a row under the cloud; a bolt takes the middle of the row.
void falls(cairo_t* cr, const Parts& parts, double top) {
  std::vector<char> items;  // d drop, D long drop, s small drop, f flake, F small flake, p pellet, i ice
  auto add = [&](std::string_view part, std::string_view what) {
    if (parts.has(part)) items.insert(items.end(), what.begin(), what.end());
  };
  add("drizzle", "sss");
  add("rain", "ddd");
  add("heavy", "DDDD");
  add("sleet", "dfd");
  add("snow", "fff");
  add("flurries", "FF");
  add("hail", "ppp");
  add("ice", "i");
  const bool storm = parts.has("bolt");
  if (items.size() > 5) items.resize(5);
  const double span = storm ? 44 : 36, step = items.empty() ? 0 : span / items.size();
  for (size_t i = 0; i < items.size(); ++i) {
    double x = 32 - span / 2 + step * (i + 0.5);
    if (storm) x += x < 32 ? -4 : 4;
    const double y = top + (i % 2 ? 5 : 1);
    switch (items[i]) {
      case 'd': drop(cr, x, y, 9); break;
      case 'D': drop(cr, x, y - 1, 13); break;
      case 's': drop(cr, x, y + 2, 4); break;
      case 'f': flake(cr, x, y + 5, 5, kFlake); break;
      case 'F': flake(cr, x, y + 4, 3.6, kFlake); break;
      case 'p': pellet(cr, x, y + 4); break;
      default: flake(cr, x, y + 5, 5, kIce); break;
    }
  }
  if (storm) bolt(cr, 31, top - 4);
}

// Horizontal bands of fog, haze or dust from `top` down; smoke waves.
void bands(cairo_t* cr, const Parts& parts, double top, int count) {
  Rgba c = parts.has("dust") ? Rgba{201, 155, 98, 255} : parts.has("haze") ? Rgba{232, 215, 168, 255}
                                                                            : Rgba{199, 208, 218, 255};
  if (parts.has("smoke")) c = {150, 156, 166, 255};
  for (int i = 0; i < count; ++i) {
    const double y = top + i * 7, inset = i % 2 ? 12 : 6;
    cairo_move_to(cr, inset, y);
    if (parts.has("smoke")) {
      cairo_curve_to(cr, 20, y - 5, 28, y + 5, 38, y);
      cairo_curve_to(cr, 46, y - 5, 52, y + 3, 64 - inset, y);
    } else {
      cairo_line_to(cr, 64 - inset - (i % 3) * 4, y);
    }
    strokeRound(cr, c, 4);
  }
}

void wind(cairo_t* cr) {
  const double ys[] = {22, 33, 44}, ends[] = {44, 52, 36};
  for (int i = 0; i < 3; ++i) {
    const double y = ys[i], end = ends[i];
    cairo_move_to(cr, 8 + i * 3, y);
    cairo_line_to(cr, end, y);
    // Each gust ends in a curl, the middle one downwards.
    if (i == 1) {
      cairo_arc(cr, end, y + 5, 5, -kPi / 2, 0.9 * kPi);
    } else {
      cairo_arc_negative(cr, end, y - 5, 5, kPi / 2, -0.9 * kPi);
    }
    strokeRound(cr, {191, 227, 255, 255}, 3.6);
  }
}

void tornado(cairo_t* cr) {
  for (int i = 0; i < 6; ++i) {
    const double half = 22 - i * 3.6, cx = 32 + std::sin(i * 0.9) * 3;
    cairo_move_to(cr, cx - half, 12 + i * 8);
    cairo_line_to(cr, cx + half, 12 + i * 8);
  }
  strokeRound(cr, {160, 168, 180, 255}, 4.2);
}

void thermometer(cairo_t* cr, double x, double fill, Rgba c) {
  roundedRect(cr, x - 4.5, 10, 9, 38, 4.5);
  circle(cr, x, 50, 8);
  setColor(cr, kWhite);
  cairo_fill(cr);
  circle(cr, x, 50, 5.5);
  roundedRect(cr, x - 2.2, 48 - 34 * fill, 4.4, 34 * fill + 2, 2.2);
  setColor(cr, c);
  cairo_fill(cr);
}

void notAvailable(cairo_t* cr, const Fonts& fonts) {
  cloud(cr, 32, 32, 1.15, {190, 198, 208, 255}, {140, 150, 162, 255});
  drawText(cr, fonts.bold, "?", {20, 20, 24, 22}, 20, {70, 80, 94, 255});
}

void draw(cairo_t* cr, const Parts& parts, const Fonts& fonts) {
  if (parts.has("na")) return notAvailable(cr, fonts);
  if (parts.has("tornado")) return tornado(cr);
  const bool cloudy = parts.has("cloud") || parts.has("overcast") || parts.has("dark");
  const bool low = parts.any(kFalls) || parts.has("fog") || parts.has("haze") || parts.has("dust") ||
                   parts.has("smoke");
  const bool thermo = parts.has("hot") || parts.has("cold");
  const bool body = parts.any(kBodies);
  if (body) {
    const bool isSun = parts.has("sun");
    double cx = 32, cy = 32, r = 15;
    if (cloudy) cx = 22, cy = low ? 17 : 22, r = 10;
    else if (low) cy = 22, r = 12;
    else if (thermo || parts.has("few")) cx = 26, cy = 27, r = 13;
    isSun ? sun(cr, cx, cy, r) : moon(cr, cx, cy, r + 2);
  }
  const double cy = low ? 25 : 36, cx = body ? 36 : 32;
  if (parts.has("overcast")) cloud(cr, cx - 9, cy - 8, 0.75, {178, 188, 200, 255}, {128, 139, 154, 255});
  if (parts.has("dark")) cloud(cr, cx, cy, 1.1, {125, 135, 150, 255}, {72, 80, 94, 255});
  else if (parts.has("cloud") || parts.has("overcast")) cloud(cr, cx, cy, 1.0, {248, 250, 252, 255}, {196, 206, 218, 255});
  if (parts.has("few")) cloud(cr, 42, 42, 0.62, {248, 250, 252, 255}, {196, 206, 218, 255});
  if (parts.any(kFalls)) falls(cr, parts, 41);
  if (parts.has("fog") || parts.has("haze") || parts.has("dust") || parts.has("smoke")) {
    cloudy || body ? bands(cr, parts, 44, 3) : bands(cr, parts, 18, 5);
  }
  if (parts.has("wind")) {
    // Under a cloud the gusts blow where rain would fall.
    cairo_save(cr);
    if (cloudy) {
      cairo_translate(cr, 12, 33);
      cairo_scale(cr, 0.65, 0.62);
    }
    wind(cr);
    cairo_restore(cr);
  }
  if (parts.has("hot")) thermometer(cr, body ? 50 : 32, 0.9, {235, 64, 52, 255});
  if (parts.has("cold")) {
    thermometer(cr, 24, 0.2, {64, 150, 255, 255});
    flake(cr, 45, 22, 9, kFlake);
  }
}

}  // namespace

// weather PART...: see the top of this file.
void drawWeather(const Paint& p) {
  Parts parts;
  for (size_t i = 0; i < p.p.size(); ++i) {
    const std::string& part = p.p.text(i);
    if (!kBodies.contains(part) && !kClouds.contains(part) && !kFalls.contains(part) && !kAir.contains(part)) {
      throw BadParam{"unknown weather part \"" + part + "\""};
    }
    parts.all.insert(part);
  }
  cairo_scale(p.cr, p.w / 64, p.h / 64);
  draw(p.cr, parts, p.fonts);
}

}  // namespace zelko::skins
